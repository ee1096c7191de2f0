#include "Format.h"

#include <cassert>
#include <cstdio>

namespace velkaro {

namespace {

// One conversion of a format: where it lies, what it takes, and the
// conversion as printf reads it.
struct Conversion {
    std::size_t begin = 0;
    std::size_t end = 0;
    char takes = '?';  // as FormatConversions says
    int longs = 0;     // l or ll
    char letter = 0;
};

// The conversion at format[begin] == '%'; "%%" takes nothing ('%').
Conversion ParseConversion(std::string_view format, std::size_t begin)
{
    Conversion c;
    c.begin = begin;
    std::size_t i = begin + 1;
    auto skip = [&](std::string_view set) {
        while (i < format.size() && set.find(format[i]) != std::string_view::npos)
            ++i;
    };
    skip("-+ #0");
    skip("0123456789");
    if (i < format.size() && format[i] == '.') {
        ++i;
        skip("0123456789");
    }
    for (; i < format.size() && format[i] == 'l' && c.longs < 2; ++i)
        ++c.longs;
    if (i < format.size()) {
        c.letter = format[i++];
        const std::string_view letter(&c.letter, 1);
        if (c.letter == '%')
            c.takes = i == begin + 2 ? '%' : '?';
        else if (std::string_view("di").find(letter) != std::string_view::npos || (c.letter == 'c' && c.longs == 0))
            c.takes = 'd';
        else if (std::string_view("uxXo").find(letter) != std::string_view::npos)
            c.takes = 'u';
        else if (c.letter == 's' && c.longs == 0)
            c.takes = 's';
    }
    c.end = i;
    return c;
}

template <typename Visit>
void ForEachConversion(std::string_view format, Visit visit)
{
    for (std::size_t i = format.find('%'); i != std::string_view::npos;) {
        Conversion c = ParseConversion(format, i);
        visit(c);
        i = format.find('%', c.end);
    }
}

bool Fits(const Conversion& c, const FormatArg& arg)
{
    if (c.takes == 's')
        return arg.GetKind() == FormatArg::Kind::Text;
    return (c.takes == 'd' || c.takes == 'u') && arg.GetKind() != FormatArg::Kind::Text;
}

// One conversion with its argument, which fits it. An integer is handed over
// with the type the conversion reads, as a variadic call would convert it.
std::string Convert(std::string_view format, const Conversion& c, const FormatArg& arg)
{
    const std::string conversion(format.substr(c.begin, c.end - c.begin));
    auto print = [&conversion](auto value) {
        const int n = std::snprintf(nullptr, 0, conversion.c_str(), value);
        if (n <= 0)
            return std::string();
        std::string out(static_cast<std::size_t>(n) + 1, '\0');
        std::snprintf(out.data(), out.size(), conversion.c_str(), value);
        out.resize(static_cast<std::size_t>(n));
        return out;
    };
    if (c.takes == 's')
        return print(arg.Text().c_str());
    const bool isSigned = c.takes == 'd';
    switch (c.longs) {
    case 0: return isSigned ? print(static_cast<int>(arg.Signed())) : print(static_cast<unsigned>(arg.Unsigned()));
    case 1: return isSigned ? print(static_cast<long>(arg.Signed())) : print(static_cast<unsigned long>(arg.Unsigned()));
    default: return isSigned ? print(arg.Signed()) : print(arg.Unsigned());
    }
}

}  // namespace

std::string FormatConversions(std::string_view format)
{
    std::string takes;
    ForEachConversion(format, [&takes](const Conversion& c) {
        if (c.takes != '%')
            takes += c.takes;
    });
    return takes;
}

bool FormatArgumentsFit(std::string_view format, const FormatArgs& args)
{
    std::size_t next = 0;
    bool fit = true;
    ForEachConversion(format, [&](const Conversion& c) {
        if (c.takes != '%')
            fit = fit && next < args.size() && Fits(c, args[next++]);
    });
    return fit && next == args.size();
}

std::string FormatChecked(std::string_view format, const FormatArgs& args)
{
    assert(FormatArgumentsFit(format, args) && "the arguments do not fit the text's conversions");
    std::string out;
    std::size_t done = 0;
    std::size_t next = 0;
    ForEachConversion(format, [&](const Conversion& c) {
        out.append(format.substr(done, c.begin - done));
        done = c.end;
        if (c.takes == '%')
            out += '%';
        else if (next < args.size() && Fits(c, args[next]))
            out += Convert(format, c, args[next++]);
        else
            out.append(format.substr(c.begin, c.end - c.begin));  // shown as written
    });
    out.append(format.substr(done));
    if (out.size() > kFormatLimit)
        out.resize(kFormatLimit);
    return out;
}

}  // namespace velkaro
