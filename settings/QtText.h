#pragma once

// The one pair of conversions between the program's Windows-1252 text and
// Qt's strings. Used only where text crosses into Qt.

#include "text/Cp1252.h"

#include <QList>
#include <QString>

#include <string>
#include <string_view>

namespace velkaro {

inline QString ToQt(std::string_view ansi)
{
    QString out;
    out.reserve(static_cast<qsizetype>(ansi.size()));
    for (unsigned char c : ansi)
        out.append(QChar(static_cast<char16_t>(Cp1252ToUnicode(c))));
    return out;
}

// Characters that Windows-1252 lacks become '?'.
inline std::string FromQt(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t u : text.toUcs4()) {
        int b = UnicodeToCp1252(u);
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

}  // namespace velkaro
