#include "XmlParser.h"

#include <expat.h>

#include <algorithm>
#include <memory>

namespace velkaro {

namespace {

// expat reports "URI<sep>local" for names in a namespace.
constexpr char kSeparator = '\x01';

XmlName SplitName(const XML_Char* name)
{
    std::string_view full(name);
    std::size_t sep = full.find(kSeparator);
    if (sep == std::string_view::npos)
        return { {}, full };
    return { full.substr(0, sep), full.substr(sep + 1) };
}

// No workbook nests its elements this deep (a cell's text in an .ods lies
// some ten levels down, a table inside a cell's frame a few more); expat
// keeps every open element, so a part of nothing but opening tags would
// otherwise take gigabytes before it ends as damaged.
constexpr int kMaxDepth = 256;

struct Context {
    XML_Parser parser;
    IXmlHandler* handler;
    std::vector<XmlAttribute> attributes;
    bool refused = false;
    int depth = 0;
};

void Poll(Context& c)
{
    if (c.handler->Stop())
        XML_StopParser(c.parser, XML_FALSE);
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attrs)
{
    auto& c = *static_cast<Context*>(data);
    if (++c.depth > kMaxDepth) {
        c.refused = true;
        XML_StopParser(c.parser, XML_FALSE);
        return;
    }
    c.attributes.clear();
    for (int i = 0; attrs[i] && attrs[i + 1]; i += 2)
        c.attributes.push_back({ SplitName(attrs[i]), std::string_view(attrs[i + 1]) });
    c.handler->StartElement(SplitName(name), c.attributes);
    Poll(c);
}

void XMLCALL OnEnd(void* data, const XML_Char* name)
{
    auto& c = *static_cast<Context*>(data);
    --c.depth;
    c.handler->EndElement(SplitName(name));
    Poll(c);
}

void XMLCALL OnText(void* data, const XML_Char* text, int length)
{
    auto& c = *static_cast<Context*>(data);
    c.handler->Characters(std::string_view(text, static_cast<std::size_t>(length)));
    Poll(c);
}

// A document type declaration is no part of a workbook; refusing it keeps
// internal entities (and their expansion) out altogether.
void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
{
    auto& c = *static_cast<Context*>(data);
    c.refused = true;
    XML_StopParser(c.parser, XML_FALSE);
}

}  // namespace

bool ParseXml(std::string_view document, IXmlHandler& handler)
{
    std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreateNS(nullptr, kSeparator),
                                                                   &XML_ParserFree);
    if (!parser)
        return false;
    Context c { parser.get(), &handler, {}, false };
    XML_SetUserData(parser.get(), &c);
    XML_SetElementHandler(parser.get(), &OnStart, &OnEnd);
    XML_SetCharacterDataHandler(parser.get(), &OnText);
    XML_SetStartDoctypeDeclHandler(parser.get(), &OnDoctype);
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);

    // Fed in pieces, since one call takes at most INT_MAX bytes.
    constexpr std::size_t kPiece = 1 << 20;
    std::size_t at = 0;
    do {
        std::size_t n = std::min(kPiece, document.size() - at);
        bool last = at + n == document.size();
        XML_Status status = XML_Parse(parser.get(), document.data() + at, static_cast<int>(n), last);
        if (c.refused)
            return false;  // a document type declaration, or nested too deep
        if (status == XML_STATUS_SUSPENDED)
            return true;
        if (status != XML_STATUS_OK)
            return XML_GetErrorCode(parser.get()) == XML_ERROR_ABORTED;
        at += n;
    } while (at < document.size());
    return true;
}

const std::string_view* FindAttribute(const std::vector<XmlAttribute>& attributes, std::string_view ns,
                                      std::string_view local)
{
    for (const auto& a : attributes)
        if (a.name.Is(ns, local))
            return &a.value;
    return nullptr;
}

}  // namespace velkaro
