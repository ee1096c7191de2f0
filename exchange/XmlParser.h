#pragma once

// A small interface over the expat streaming parser, so the sheet readers
// see elements and text and nothing of expat. Names come with their
// namespace URI, since the prefixes are the writer's choice. No external
// entity or DTD is loaded; expat's own limit on entity expansion guards
// against the "billion laughs".

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

struct XmlName {
    std::string_view ns;     // namespace URI, empty for none
    std::string_view local;  // name without prefix
    bool Is(std::string_view uri, std::string_view name) const { return ns == uri && local == name; }
};

struct XmlAttribute {
    XmlName name;
    std::string_view value;
};

class IXmlHandler {
public:
    virtual ~IXmlHandler() = default;
    virtual void StartElement(const XmlName& name, const std::vector<XmlAttribute>& attributes) = 0;
    virtual void EndElement(const XmlName& name) = 0;
    // Character data, possibly in several pieces.
    virtual void Characters(std::string_view text) = 0;
    // Polled after every event: true ends the parse early (the first sheet
    // is read, or a limit is reached).
    virtual bool Stop() const { return false; }
};

// Parses the UTF-8 (or declared) document. False when it is not
// well-formed XML or nests its elements more than 256 deep; true when it
// ended or the handler stopped it.
bool ParseXml(std::string_view document, IXmlHandler& handler);

// The same over a document that arrives piece by piece (a part inflating
// from its zip), so that it never need be whole in memory.
class CXmlStream {
public:
    explicit CXmlStream(IXmlHandler& handler);
    ~CXmlStream();
    CXmlStream(const CXmlStream&) = delete;
    CXmlStream& operator=(const CXmlStream&) = delete;
    // Parses the next piece; false once the parse is over (the document is
    // not well-formed, or the handler stopped it): no more pieces are needed.
    bool Feed(std::string_view piece);
    // The end of the document: what ParseXml returns.
    bool Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The value of the attribute (ns, local), or nullptr.
const std::string_view* FindAttribute(const std::vector<XmlAttribute>& attributes, std::string_view ns,
                                      std::string_view local);

}  // namespace velkaro
