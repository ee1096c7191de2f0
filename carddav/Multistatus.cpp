#include "carddav/Multistatus.h"

#include "exchange/XmlParser.h"

#include <algorithm>
#include <cctype>

namespace velkaro {

namespace {

constexpr std::string_view kDav = "DAV:";
constexpr std::string_view kCardDav = "urn:ietf:params:xml:ns:carddav";

// The elements a sync reads; everything else is passed over.
enum class El {
    Other,
    Multistatus,
    Response,
    Href,
    Status,
    Propstat,
    Prop,
    GetEtag,
    DisplayName,
    ResourceType,
    Collection,
    AddressBook,
    Principal,
    HomeSet,
    SyncToken,
    ContentType,
    AddressData,
};

struct Known {
    std::string_view ns;
    std::string_view local;
    El el;
};

constexpr Known kKnown[] = {
    { kDav, "multistatus", El::Multistatus },
    { kDav, "response", El::Response },
    { kDav, "href", El::Href },
    { kDav, "status", El::Status },
    { kDav, "propstat", El::Propstat },
    { kDav, "prop", El::Prop },
    { kDav, "getetag", El::GetEtag },
    { kDav, "displayname", El::DisplayName },
    { kDav, "resourcetype", El::ResourceType },
    { kDav, "collection", El::Collection },
    { kCardDav, "addressbook", El::AddressBook },
    { kDav, "current-user-principal", El::Principal },
    { kCardDav, "addressbook-home-set", El::HomeSet },
    { kDav, "sync-token", El::SyncToken },
    { kDav, "getcontenttype", El::ContentType },
    { kCardDav, "address-data", El::AddressData },
};

El Classify(const XmlName& name)
{
    for (const auto& k : kKnown)
        if (name.Is(k.ns, k.local))
            return k.el;
    return El::Other;
}

bool HoldsText(El el)
{
    switch (el) {
    case El::Href:
    case El::Status:
    case El::GetEtag:
    case El::DisplayName:
    case El::SyncToken:
    case El::ContentType:
    case El::AddressData:
        return true;
    default:
        return false;
    }
}

std::string Trimmed(std::string_view text)
{
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool IsSuccess(int status)
{
    return status == 0 || (status >= 200 && status < 300);
}

class MultistatusHandler : public IXmlHandler {
public:
    explicit MultistatusHandler(Multistatus& out) : m_out(out) {}

    bool RootSeen() const { return m_rootSeen; }

    void StartElement(const XmlName& name, const std::vector<XmlAttribute>&) override
    {
        El el = Classify(name);
        if (m_stack.empty()) {
            m_rootSeen = el == El::Multistatus;
            m_stopped = !m_rootSeen;
        }
        if (el == El::Response)
            m_response = DavResponse();
        else if (el == El::Propstat)
            m_group = Group();
        else if (el == El::Collection && Parent() == El::ResourceType)
            m_group.props.isCollection = true;
        else if (el == El::AddressBook && Parent() == El::ResourceType)
            m_group.props.isAddressBook = true;
        m_stack.push_back(el);
        m_text.clear();
    }

    void EndElement(const XmlName&) override
    {
        El el = m_stack.back();
        m_stack.pop_back();
        if (HoldsText(el))
            TakeText(el, Parent());
        else if (el == El::Propstat)
            EndPropstat();
        else if (el == El::Response && Parent() == El::Multistatus)
            m_out.responses.push_back(std::move(m_response));
        m_text.clear();
    }

    void Characters(std::string_view text) override
    {
        if (!m_stack.empty() && HoldsText(m_stack.back()))
            m_text.append(text);
    }

    bool Stop() const override { return m_stopped; }

private:
    // The properties of one propstat, taken into the response only when
    // the status says the server has them.
    struct Group {
        DavResponse props;
        int status = 0;
    };

    El Parent() const { return m_stack.empty() ? El::Other : m_stack.back(); }

    // Where the text of an element goes that is kept as it stands (trimmed).
    std::string* TextSlot(El el, El parent)
    {
        DavResponse& p = m_group.props;
        const struct {
            El el;
            El parent;
            std::string* into;
        } slots[] = {
            { El::Href, El::Response, &m_response.href },     { El::Href, El::Principal, &p.principal },
            { El::SyncToken, El::Multistatus, &m_out.syncToken }, { El::SyncToken, El::Prop, &p.syncToken },
            { El::GetEtag, El::Prop, &p.etag },               { El::DisplayName, El::Prop, &p.displayName },
            { El::ContentType, El::Prop, &p.contentType },
        };
        for (const auto& slot : slots)
            if (slot.el == el && slot.parent == parent)
                return slot.into;
        return nullptr;
    }

    void TakeText(El el, El parent)
    {
        DavResponse& p = m_group.props;
        if (el == El::Status && parent == El::Response)
            m_response.status = ParseStatusLine(m_text);
        else if (el == El::Status && parent == El::Propstat)
            m_group.status = ParseStatusLine(m_text);
        else if (el == El::Href && parent == El::HomeSet)
            p.homeSets.push_back(Trimmed(m_text));
        else if (el == El::AddressData && parent == El::Prop) {
            p.addressData = std::move(m_text);  // the vCard as sent, line ends and all
            p.hasAddressData = true;
        } else if (std::string* into = TextSlot(el, parent))
            *into = Trimmed(m_text);
    }

    void EndPropstat()
    {
        m_response.propStatuses.push_back(m_group.status);
        if (!IsSuccess(m_group.status))
            return;
        DavResponse& from = m_group.props;
        DavResponse& to = m_response;
        auto take = [](std::string& into, std::string& value) {
            if (!value.empty())
                into = std::move(value);
        };
        take(to.etag, from.etag);
        take(to.displayName, from.displayName);
        take(to.principal, from.principal);
        take(to.syncToken, from.syncToken);
        take(to.contentType, from.contentType);
        to.homeSets.insert(to.homeSets.end(), from.homeSets.begin(), from.homeSets.end());
        to.isCollection = to.isCollection || from.isCollection;
        to.isAddressBook = to.isAddressBook || from.isAddressBook;
        if (from.hasAddressData) {
            to.addressData = std::move(from.addressData);
            to.hasAddressData = true;
        }
    }

    Multistatus& m_out;
    std::vector<El> m_stack;
    std::string m_text;
    DavResponse m_response;
    Group m_group;
    bool m_rootSeen = false;
    bool m_stopped = false;
};

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// "scheme://authority" of an absolute http(s) URL, and where its path
// starts; npos when it is none. Some servers escape the colons of an
// absolute href ("http%3A//host%3A8080/..."); they are read as colons.
struct Origin {
    std::string origin;
    std::size_t pathAt = std::string_view::npos;
};

Origin SplitOrigin(std::string_view url)
{
    Origin o;
    std::size_t schemeEnd = 0;
    std::string scheme;
    for (std::string_view s : { "http", "https" }) {
        for (std::string_view colon : { ":", "%3a" }) {
            std::string prefix = std::string(s) + std::string(colon) + "//";
            if (StartsWithNoCase(url, prefix)) {
                scheme = s;
                schemeEnd = prefix.size();
            }
        }
    }
    if (scheme.empty())
        return o;
    std::size_t end = url.find_first_of("/?#", schemeEnd);
    if (end == std::string_view::npos)
        end = url.size();
    std::string authority;
    for (std::size_t i = schemeEnd; i < end; ++i) {
        if (url[i] == '%' && i + 2 < end && url[i + 1] == '3' && std::tolower(static_cast<unsigned char>(url[i + 2])) == 'a') {
            authority += ':';
            i += 2;
        } else {
            authority += static_cast<char>(std::tolower(static_cast<unsigned char>(url[i])));
        }
    }
    if (authority.empty())
        return o;
    o.origin = scheme + "://" + authority;
    o.pathAt = end;
    return o;
}

// The path of a reference, without its query and fragment.
std::string_view PathOf(std::string_view ref)
{
    return ref.substr(0, ref.find_first_of("?#"));
}

std::string Canonical(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    auto put = [&out](unsigned char c) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    };
    for (std::size_t i = 0; i < path.size(); ++i) {
        int hi = path[i] == '%' && i + 2 < path.size() ? HexValue(path[i + 1]) : -1;
        int lo = hi >= 0 ? HexValue(path[i + 2]) : -1;
        if (lo < 0) {
            put(static_cast<unsigned char>(path[i]));
            continue;
        }
        unsigned char c = static_cast<unsigned char>(hi * 16 + lo);
        if (c == '/')
            out += "%2F";
        else
            put(c);
        i += 2;
    }
    return out;
}

}  // namespace

bool ParseMultistatus(std::string_view xml, Multistatus& out)
{
    out = Multistatus();
    MultistatusHandler handler(out);
    if (!ParseXml(xml, handler) || !handler.RootSeen()) {
        out = Multistatus();
        return false;
    }
    return true;
}

int ParseStatusLine(std::string_view line)
{
    std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return 0;
    int code = 0;
    std::size_t i = space + 1;
    for (int digits = 0; digits < 3; ++digits, ++i) {
        if (i >= line.size() || !std::isdigit(static_cast<unsigned char>(line[i])))
            return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

std::string ResolveHref(std::string_view requestUrl, std::string_view href)
{
    Origin base = SplitOrigin(requestUrl);
    if (base.pathAt == std::string_view::npos)
        return {};
    Origin own = SplitOrigin(href);
    if (own.pathAt != std::string_view::npos) {
        std::string_view path = PathOf(href.substr(own.pathAt));
        return own.origin + (path.empty() ? std::string("/") : Canonical(path));
    }
    std::string_view path = PathOf(href);
    if (path.empty() || path.front() != '/') {
        // Relative to the request's folder (no server we know writes these).
        std::string_view dir = PathOf(requestUrl.substr(base.pathAt));
        dir = dir.substr(0, dir.rfind('/') + 1);
        return base.origin + Canonical(std::string(dir.empty() ? "/" : dir) + std::string(path));
    }
    return base.origin + Canonical(path);
}

std::string CanonicalPath(std::string_view url)
{
    Origin o = SplitOrigin(url);
    std::string_view path = PathOf(o.pathAt == std::string_view::npos ? url : url.substr(o.pathAt));
    return path.empty() ? std::string("/") : Canonical(path);
}

}  // namespace velkaro
