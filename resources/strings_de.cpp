// German string table, keyed by the German resource id.
#include "StringTable.h"

namespace velkaro {

namespace {
const StringEntry kEntries[] = {
    { 57345, "Bereit" },
};
}  // namespace

StringTableSpan GermanStrings()
{
    return { kEntries, sizeof kEntries / sizeof kEntries[0] };
}

}  // namespace velkaro
