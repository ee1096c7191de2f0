#pragma once

// Case of the ASCII letters alone, for the names that file formats and the
// command line treat without regard to case (vCard properties, stream names
// of a compound file, number-format codes, file extensions, country codes).
// Every other byte, a Windows-1252 letter with an accent included, stays as
// it is, whatever the C library's locale says.

#include <string>
#include <string_view>

namespace velkaro {

constexpr char AsciiToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = AsciiToUpper(c);
    return out;
}

inline std::string AsciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = AsciiToLower(c);
    return out;
}

constexpr bool AsciiEqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiToUpper(a[i]) != AsciiToUpper(b[i]))
            return false;
    return true;
}

constexpr bool AsciiStartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && AsciiEqualNoCase(s.substr(0, prefix.size()), prefix);
}

constexpr bool AsciiEndsWithNoCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && AsciiEqualNoCase(s.substr(s.size() - suffix.size()), suffix);
}

}  // namespace velkaro
