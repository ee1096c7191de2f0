// The import table: fields set in any order, records replaced whole, absent
// and empty records dropped, and the converted text of a UTF-8 file with
// the file's bytes beside it.

#include "exchange/ImportTable.h"

#include "exchange/TextReader.h"

#include "ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkaro {
namespace {

using test::Fields;
using test::Row;

TEST(ImportTable, FieldsSetInAnyOrderKeepTheirNeighbours)
{
    CImportTable t;
    t.SetField("c", 2, 2);
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_FALSE(t.HasRecord(0));
    EXPECT_EQ(Row(t, 2), (Fields { "", "", "c" }));
    // A spreadsheet may bring a row's cells out of order, or a cell twice.
    t.SetField("first", 2, 0);
    t.SetField("longer text", 2, 1);
    t.SetField("b", 2, 1);
    t.SetField("", 2, 0);
    t.SetField("end", 2, 4);
    EXPECT_EQ(Row(t, 2), (Fields { "", "b", "c", "", "end" }));
    t.SetField("A much longer first field", 2, 0);
    EXPECT_EQ(Row(t, 2), (Fields { "A much longer first field", "b", "c", "", "end" }));
    EXPECT_EQ(t.FieldView(2, 4), "end");
    // Out of range asks give nothing; negative places store nothing.
    EXPECT_EQ(t.FieldText(2, 5), "");
    EXPECT_EQ(t.FieldText(0, 0), "");
    EXPECT_EQ(t.FieldText(-1, 0), "");
    EXPECT_EQ(t.FieldText(2, -1), "");
    t.SetField("x", -1, 0);
    t.SetField("x", 0, -1);
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(t.RecordLength(7), 0);
    EXPECT_EQ(t.Record(1), nullptr);
    ASSERT_NE(t.Record(2), nullptr);
    EXPECT_EQ(*t.Record(2), Row(t, 2));
    EXPECT_EQ(t.WidestRecord(), 5);
}

// The columns an import keeps: records a reader put down one after another
// move together in place; a record with a field set again (its fields
// apart) goes through a repack first. Either way the same fields remain.
TEST(ImportTable, OnlyTheKeptColumnsRemain)
{
    for (const bool fieldSetAgain : { false, true }) {
        SCOPED_TRACE(fieldSetAgain ? "a field set again" : "records as read");
        CImportTable t;
        const std::string_view row0[] = { "Meier", "drop me", "030 1", "drop too" };
        const std::string_view row1[] = { "Kurz" };
        const std::string_view row2[] = { "Weber", "x", "040 2" };
        t.SetRecord(row0, 0);
        t.SetRecord(row1, 1);
        t.SetRecord(row2, 2);
        if (fieldSetAgain)
            t.SetField("Meier-Lüdenscheid", 0, 0);
        t.KeepColumns({ true, false, true });
        EXPECT_EQ(Row(t, 0), (Fields { fieldSetAgain ? "Meier-Lüdenscheid" : "Meier", "", "030 1" }));
        EXPECT_EQ(Row(t, 1), (Fields { "Kurz" }));
        EXPECT_EQ(Row(t, 2), (Fields { "Weber", "", "040 2" }));
        EXPECT_EQ(t.WidestRecord(), 3);
    }
}

TEST(ImportTable, WholeRecordsReplaceAndEmptyOnesAreDropped)
{
    CImportTable t;
    const std::string_view row0[] = { "a", "b" };
    const std::string_view row3[] = { "" };
    t.SetRecord(row0, 0);
    t.SetField("old", 1, 0);
    t.SetRecord({}, 1);  // a record without fields
    t.SetRecord(row3, 3);
    EXPECT_EQ(t.RecordCount(), 4);
    t.DropEmptyRecords();
    // A record holding one empty field is no empty record.
    ASSERT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(Row(t, 0), (Fields { "a", "b" }));
    EXPECT_EQ(Row(t, 1), (Fields { "" }));
    t.RemoveAll();
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_EQ(t.WidestRecord(), 0);
}

// Record r of a UTF-8 text, its fields as the text reader hands them over.
void PutUtf8(CImportTable& t, std::initializer_list<std::string_view> fields, int record)
{
    std::string bytes;
    std::vector<std::uint32_t> ends;
    for (std::string_view field : fields) {
        bytes += field;
        ends.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    t.SetUtf8Record(bytes, ends, record, &AppendUtf8FieldAsAnsi);
}

TEST(ImportTable, ConvertedRecordsKeepTheirBytesThroughTheDropping)
{
    CImportTable t;
    PutUtf8(t, { "Meier", "1" }, 0);
    PutUtf8(t, { "M\xC3\xBCller", "2" }, 2);
    PutUtf8(t, { "x", "\xE2\x82\xAC" }, 4);
    PutUtf8(t, { "" }, 5);
    EXPECT_TRUE(t.TextIsUtf8());
    t.DropEmptyRecords();
    ASSERT_EQ(t.RecordCount(), 4);
    EXPECT_EQ(Row(t, 1), (Fields { "M\xFCller", "2" }));
    EXPECT_EQ(Row(t, 2), (Fields { "x", "\x80" }));
    // Records the conversion left alone are their own bytes.
    EXPECT_EQ(*t.RawRecord(0), (Fields { "Meier", "1" }));
    EXPECT_EQ(*t.RawRecord(1), (Fields { "M\xC3\xBCller", "2" }));
    EXPECT_EQ(*t.RawRecord(2), (Fields { "x", "\xE2\x82\xAC" }));
    EXPECT_EQ(*t.RawRecord(3), (Fields { "" }));
    EXPECT_EQ(t.RawRecord(4), nullptr);
    // Both views at once, as the import compares them.
    const auto* raw = t.RawRecord(1);
    const auto* converted = t.Record(1);
    EXPECT_NE(*raw, *converted);
}

// A field set again, longer, shorter or as long, in any place of any
// record, or a record replaced whole: the others keep their text, whatever
// was set before.
TEST(ImportTable, FieldsSetAgainInAnyOrderKeepEveryOtherField)
{
    CImportTable t;
    std::vector<std::vector<std::string>> model(4);
    unsigned seed = 7;
    for (int step = 0; step < 40000; ++step) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t record = seed >> 24 & 3;
        const std::size_t column = seed >> 16 & 7;
        const std::string text(seed >> 8 & 15, static_cast<char>('a' + step % 26));
        auto& row = model[record];
        if (step % 50 == 0) {
            const std::vector<std::string_view> fields(column + 1, text);
            t.SetRecord(fields, static_cast<int>(record));
            row.assign(column + 1, text);
        } else {
            t.SetField(text, static_cast<int>(record), static_cast<int>(column));
            row.resize(std::max(row.size(), column + 1));
            row[column] = text;
        }
        if (step % 97 == 0) {
            for (std::size_t r = 0; r < model.size(); ++r) {
                if (!model[r].empty()) {
                    ASSERT_EQ(Row(t, static_cast<int>(r)), model[r]) << step << " record " << r;
                }
            }
        }
    }
    for (std::size_t r = 0; r < model.size(); ++r)
        EXPECT_EQ(Row(t, static_cast<int>(r)), model[r]);
}

// velkaro table and an import without the DOS character set need no file
// bytes beside the converted fields: the record's own bytes are then the
// converted ones.
TEST(ImportTable, ConvertedRecordsWithoutTheirBytes)
{
    for (const bool keep : { false, true }) {
        CImportTable t;
        t.SetKeepsRawFields(keep);
        PutUtf8(t, { "M\xC3\xBCller", "\xE4\xB8\xAD" }, 0);  // Müller, a Chinese character
        // A pair cut by the separator is no ü; a no-break space is Latin-1's.
        PutUtf8(t, { "a\xC3", "\xBC" "b", "\xC2\xA0x" }, 1);
        PutUtf8(t, { "\xC3\xA4" "b", "", "\xC2\xA7 1, and more than eight letters \xC3\x9F", "z" }, 2);
        EXPECT_EQ(Row(t, 0), (Fields { "M\xFCller", "Zhong" }));
        EXPECT_EQ(Row(t, 1), (Fields { "a ", " b", "\xA0x" }));
        EXPECT_EQ(Row(t, 2), (Fields { "\xE4" "b", "", "\xA7 1, and more than eight letters \xDF", "z" }));
        EXPECT_EQ(*t.RawRecord(2),
                  keep ? (Fields { "\xC3\xA4" "b", "", "\xC2\xA7 1, and more than eight letters \xC3\x9F", "z" })
                       : Row(t, 2));
        EXPECT_EQ((*t.RawRecord(0))[0], keep ? "M\xC3\xBCller" : "M\xFCller");
        t.DropRawFields();
        EXPECT_EQ(*t.RawRecord(0), Row(t, 0));
    }
}

// One cell written again and again beside a cell of 40 MB, as a sheet may
// write it: each time costs the short text, not the long one, and the bytes
// left behind do not pile up.
TEST(ImportTable, SettingAFieldAgainDoesNotMoveTheOthers)
{
    CImportTable t;
    const std::string long_(40 << 20, 'L');
    t.SetField("x", 0, 0);
    t.SetField(long_, 0, 1);
    t.SetField("y", 0, 2);
    for (int i = 0; i < 200000; ++i)
        t.SetField(std::string(static_cast<std::size_t>(i % 5), 'k'), 0, i % 2 == 0 ? 0 : 2);
    EXPECT_EQ(t.FieldView(0, 0), "kkk");
    EXPECT_EQ(t.FieldView(0, 1), long_);
    EXPECT_EQ(t.FieldView(0, 2), "kkkk");
    EXPECT_LT(t.Footprint(), 3 * long_.size());
}

// Empty lines and separators hold no text: the table of a file of nothing
// else takes a few times the file's size.
TEST(ImportTable, EmptyRecordsAndEmptyFieldsCostAlmostNothing)
{
    const std::pair<std::string, int> cases[] = {
        { "\n", 1 }, { "\r\n", 1 }, { ";\n", 2 }, { "\t\t\t\n", 4 }, { ";", static_cast<int>(kTextPieceMax) + 1 },
    };
    for (const auto& [line, fields] : cases) {
        std::string file;
        while (file.size() < (4u << 20))
            file += line;
        CImportTable t;
        ASSERT_TRUE(ReadTextBytes(file, t));
        EXPECT_EQ(t.RecordLength(0), fields) << fields;
        EXPECT_LE(t.Footprint(), 8 * file.size() + (64u << 10)) << fields;
    }
}

}  // namespace
}  // namespace velkaro
