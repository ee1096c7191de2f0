// English string table, keyed by the German resource id.
#include "StringTable.h"

namespace velkaro {

namespace {
const StringEntry kEntries[] = {
    { 57345, "Ready" },
};
}  // namespace

StringTableSpan EnglishStrings()
{
    return { kEntries, sizeof kEntries / sizeof kEntries[0] };
}

}  // namespace velkaro
