// The names that formats and the command line compare without regard to
// case fold the ASCII letters alone: a Windows-1252 letter with an accent
// is a different name, whatever the locale.

#include "text/Ascii.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(Ascii, FoldsOnlyTheAsciiLetters)
{
    EXPECT_EQ(AsciiUpper("Begin:vCard \xE4\xFC@["), "BEGIN:VCARD \xE4\xFC@[");
    EXPECT_EQ(AsciiLower(".XLS \xC4`{"), ".xls \xC4`{");
    EXPECT_TRUE(AsciiEqualNoCase("Workbook", "WORKBOOK"));
    EXPECT_FALSE(AsciiEqualNoCase("\xE4", "\xC4"));
    EXPECT_FALSE(AsciiEqualNoCase("Book", "Book1"));
    EXPECT_TRUE(AsciiStartsWithNoCase("tel:+41", "TEL:"));
    EXPECT_FALSE(AsciiStartsWithNoCase("te", "tel:"));
    EXPECT_TRUE(AsciiEndsWithNoCase("contacts.VCF", ".vcf"));
    EXPECT_FALSE(AsciiEndsWithNoCase("vcf", ".vcf"));
}

}  // namespace
}  // namespace velkaro
