#pragma once

// What the reader tests share: the fixtures made by real programs, the rows
// of a read table, and the separators of the two locales they read under.

#include "exchange/BiffReader.h"
#include "exchange/ImportTable.h"
#include "text/Cp1252.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velkaro::test {

using Fields = std::vector<std::string>;

inline const NumberSeparators kGerman { ',', '.', '.' };
inline const NumberSeparators kEnglish { '.', ',', '/' };

// A fixture beside the script that made it, below tests/exchange/fixtures.
inline std::string FixturePath(const std::string& name)
{
    return std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/" + name;
}

inline std::string Fixture(const std::string& name)
{
    std::ifstream in(FixturePath(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// UTF-8 literals in the tests, Windows-1252 in the table.
inline std::string A(const char* utf8)
{
    return Utf8ToAnsi(utf8);
}

inline Fields Row(const CImportTable& t, int r)
{
    Fields f;
    for (int c = 0; c < t.RecordLength(r); ++c)
        f.push_back(t.FieldText(r, c));
    return f;
}

}  // namespace velkaro::test
