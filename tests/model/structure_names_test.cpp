// The card structure: the dialog's pages and edits over the working copy,
// taking the names over into the field-names card, and the field-name
// column's labels.

#include "model/CardStructure.h"

#include "text/Language.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

using namespace structure_ctl;

TEST(StructureDialog, PagesRunFromOneToFive)
{
    CCardStructure s(nullptr, true);
    EXPECT_EQ(s.Page(), 1);
    EXPECT_FALSE(s.CanGoBack());
    EXPECT_TRUE(s.CanGoForward());
    EXPECT_TRUE(s.ShowsFirstRows());
    s.PreviousPage();
    EXPECT_EQ(s.Page(), 1);
    for (int i = 0; i < 6; ++i)
        s.NextPage();
    EXPECT_EQ(s.Page(), 5);
    EXPECT_FALSE(s.CanGoForward());
    EXPECT_TRUE(s.CanGoBack());
    EXPECT_FALSE(s.ShowsFirstRows());
}

TEST(StructureDialog, EditsHoldTheLinesOfThePage)
{
    CCardStructure s(nullptr, true);
    EXPECT_EQ(s.LineOfEdit(TelephoneEdit), 1);
    EXPECT_EQ(s.LineOfEdit(FirstLineEdit), 2);
    EXPECT_EQ(s.LineOfEdit(LastLineEdit), 7);
    EXPECT_EQ(s.LineOfEdit(NameField), -1);
    for (int i = 0; i < 4; ++i)
        s.NextPage();
    // Page 5: Zeile 25 .. Zeile 30 are the card lines 26 .. 31.
    EXPECT_EQ(s.LineOfEdit(FirstLineEdit), 26);
    EXPECT_EQ(s.LineOfEdit(LastLineEdit), 31);
    EXPECT_EQ(s.LineOfEdit(TelephoneEdit), -1);
    EXPECT_EQ(s.RowLabelText(FirstRowLabel), FormatText(34162, 25));
    EXPECT_EQ(s.RowLabelText(FirstRowLabel + 5), FormatText(34162, 30));
}

TEST(StructureDialog, StoredLabelsLoseTrailingBlanksAndAreCut)
{
    CCardStructure s(nullptr, true);
    s.StoreEdit(FirstLineEdit, "Firma   ");
    s.StoreEdit(FirstLineEdit + 1, "Strasse und Hausnummer");
    EXPECT_EQ(s.WorkingCopy().GetLine(2), "Firma");
    EXPECT_EQ(s.WorkingCopy().GetLine(3), "Strasse un");
    s.NextPage();
    EXPECT_EQ(s.EditText(FirstLineEdit), "");
    s.PreviousPage();
    EXPECT_EQ(s.EditText(FirstLineEdit), "Firma");
}

TEST(StructureApply, OkWithoutTypingCreatesAnEmptyEditedFieldNamesCard)
{
    CCardList list;
    ASSERT_EQ(list.FieldNames(), nullptr);
    CCardStructure s(list.FieldNames(), true);
    s.StoreEdit(TelephoneEdit, "");  // focus passed through an empty edit
    EXPECT_TRUE(ApplyCardStructure(list, s.WorkingCopy()));
    ASSERT_NE(list.FieldNames(), nullptr);
    EXPECT_EQ(list.FieldNames()->GetLine(0), ReservedName());
    EXPECT_EQ(list.FieldNames()->GetLine(1), "");
    EXPECT_EQ(list.FieldNames()->EditedByte(), 1);
    EXPECT_EQ(list.Count(), 0);  // held apart, not among the cards
    EXPECT_TRUE(ShowsFieldNameColumn(true, list));
    EXPECT_FALSE(ShowsFieldNameColumn(false, list));
}

TEST(StructureApply, UnchangedNamesLeaveTheCardAlone)
{
    CCardList list;
    {
        CCardStructure s(nullptr, true);
        s.StoreEdit(FirstLineEdit, "Firma");
        ApplyCardStructure(list, s.WorkingCopy());
    }
    list.FieldNames()->SetEdited(false);
    CCardStructure again(list.FieldNames(), true);
    EXPECT_FALSE(ApplyCardStructure(list, again.WorkingCopy()));
    EXPECT_EQ(list.FieldNames()->EditedByte(), 0);

    again.StoreEdit(FirstLineEdit, "");  // cleared: the default label comes back
    EXPECT_TRUE(ApplyCardStructure(list, again.WorkingCopy()));
    EXPECT_EQ(list.FieldNames()->GetLine(2), "");
    EXPECT_EQ(list.FieldNames()->EditedByte(), 1);
}

TEST(StructureColumn, LabelsBesideTheDisplayRows)
{
    CKarte names;
    names.SetLine(0, ReservedName());
    names.SetLine(1, "Mobil");
    names.SetLine(2, "Firma");
    names.SetLine(8, "Bemerkung zum Kunden");
    names.SetLine(14, "Geburtstag");

    EXPECT_EQ(FieldColumnLabel(names, 0, 1), Text(34052));
    EXPECT_EQ(FieldColumnLabel(names, 1, 1), "Mobil");
    EXPECT_EQ(FieldColumnLabel(names, 1, 3), "Mobil");  // rows 0-1 are the same on every page
    EXPECT_EQ(FieldColumnLabel(names, 2, 1), "Firma");
    EXPECT_EQ(FieldColumnLabel(names, 2, 2), "Bemerkung ");
    EXPECT_EQ(FieldColumnLabel(names, 2, 3), "Geburtstag");
    EXPECT_EQ(FieldColumnLabel(names, 7, 5), "");
}

}  // namespace
}  // namespace velkaro
