#pragma once

// The string tables. Each language's table is keyed by the German resource
// id; the lookup places English and French entries at their own ids. Texts
// are written in UTF-8 here and held as Windows-1252 at run time.

#include <cstddef>

namespace velkaro {

struct StringEntry {
    unsigned id;
    const char* utf8;
};

struct StringTableSpan {
    const StringEntry* entries;
    std::size_t count;
};

StringTableSpan GermanStrings();
StringTableSpan EnglishStrings();
StringTableSpan FrenchStrings();

}  // namespace velkaro
