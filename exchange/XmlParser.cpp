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

struct CXmlStream::Impl {
    std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser { XML_ParserCreateNS(nullptr, kSeparator),
                                                                     &XML_ParserFree };
    Context context {};
    enum class State { Parsing, Stopped, Failed } state = State::Parsing;

    // One call of expat; the state after it.
    void Parse(const char* bytes, std::size_t n, bool last)
    {
        const XML_Status status = XML_Parse(parser.get(), bytes, static_cast<int>(n), last);
        if (context.refused)
            state = State::Failed;  // a document type declaration, or nested too deep
        else if (status == XML_STATUS_SUSPENDED)
            state = State::Stopped;
        else if (status != XML_STATUS_OK)
            state = XML_GetErrorCode(parser.get()) == XML_ERROR_ABORTED ? State::Stopped : State::Failed;
    }
};

CXmlStream::CXmlStream(IXmlHandler& handler)
    : m_impl(std::make_unique<Impl>())
{
    XML_Parser parser = m_impl->parser.get();
    if (!parser) {
        m_impl->state = Impl::State::Failed;
        return;
    }
    m_impl->context = Context { parser, &handler, {}, false };
    XML_SetUserData(parser, &m_impl->context);
    XML_SetElementHandler(parser, &OnStart, &OnEnd);
    XML_SetCharacterDataHandler(parser, &OnText);
    XML_SetStartDoctypeDeclHandler(parser, &OnDoctype);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

CXmlStream::~CXmlStream() = default;

bool CXmlStream::Feed(std::string_view piece)
{
    // In pieces, since one call takes at most INT_MAX bytes.
    constexpr std::size_t kPiece = 1 << 20;
    for (std::size_t at = 0; at < piece.size() && m_impl->state == Impl::State::Parsing; at += kPiece)
        m_impl->Parse(piece.data() + at, std::min(kPiece, piece.size() - at), false);
    return m_impl->state == Impl::State::Parsing;
}

bool CXmlStream::Finish()
{
    if (m_impl->state == Impl::State::Parsing)
        m_impl->Parse(nullptr, 0, true);
    return m_impl->state != Impl::State::Failed;
}

bool ParseXml(std::string_view document, IXmlHandler& handler)
{
    CXmlStream stream(handler);
    stream.Feed(document);
    return stream.Finish();
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
