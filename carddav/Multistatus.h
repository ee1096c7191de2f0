#pragma once

// The answer a WebDAV server gives to PROPFIND and REPORT: a multistatus
// document with one response per resource, each with the properties asked
// for, grouped by the status the server gives them (a property the resource
// lacks comes back under "404 Not Found"). Only what an address-book sync
// reads is kept. Hrefs come as the server writes them: a path or an absolute
// URL, percent-encoded as the server likes; the functions below make one
// canonical form of them for comparing and for asking again.

#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

// One resource of a multistatus. The properties are those the server
// answered with a 2xx status; the others are left empty.
struct DavResponse {
    std::string href;              // as written
    int status = 0;                // the response's own status (404: gone), 0 when it gives none
    std::vector<int> propStatuses; // the status of each of its propstat groups
    std::string etag;
    std::string displayName;
    bool isCollection = false;
    bool isAddressBook = false;
    std::string principal;               // current-user-principal's href
    std::vector<std::string> homeSets;   // addressbook-home-set's hrefs
    std::string syncToken;               // the collection's sync-token property
    std::string contentType;
    std::string addressData;             // the vCard
    bool hasAddressData = false;
};

struct Multistatus {
    std::vector<DavResponse> responses;
    std::string syncToken;  // the token a sync-collection report ends with
};

// Reads a multistatus document. False when the bytes are no well-formed XML
// or their root is not DAV:multistatus.
bool ParseMultistatus(std::string_view xml, Multistatus& out);

// The status code of a status line ("HTTP/1.1 404 Not Found" -> 404), 0
// when there is none.
int ParseStatusLine(std::string_view line);

// The absolute URL an href names, read against the URL the request went to:
// the scheme and host of the href when it has them, else of the request;
// the path in canonical percent-encoding (see CanonicalPath). "" when the
// request URL is no absolute http(s) URL.
std::string ResolveHref(std::string_view requestUrl, std::string_view href);

// The path of an absolute URL, in canonical percent-encoding: every escape
// decoded except that of '/', then every byte but letters, digits, "-._~"
// and '/' escaped with capital hex digits. Two servers' spellings of one
// path ("%40" and "@", "%c3%bc" and "ü") give the same text.
std::string CanonicalPath(std::string_view url);

}  // namespace velkaro
