// The call list: the request dialog, the telephone that does not answer,
// entries newer than a date, and the preview with its order, its kept
// selection and saving all or only the selected rows, and the names the
// cards give to calls the telephone listed without one.

#include "tst_transfer_support.h"

#include "text/Language.h"
#include "app/TransferCommands.h"
#include "text/MessageIds.h"
#include "view/CallListDlg.h"
#include "view/CallListRequestDlg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <fstream>

using namespace velkaro;
using namespace velkaro::transfertest;

namespace {

constexpr int kPort = 4;

// date;time;units;duration;direction;answered;forwarded;rings;internal;number;name;line
const char* const kCalls[] = {
    "20.03.04;18:02;3;0001:23;1;1;0;2;0;07114711;Berger Anna;1",
    "16.03.04;09:15;0;0000:05;0;1;0;0;1;22;Empfang;2",
    "15.03.04;12:00;7;12:34;1;1;0;1;0;0302233;Christ Paul;1",
    "10.03.04;07:45;0;0000;0;0;0;4;0;089123;Dorn Eva;3",
    "02.03.04;22:10;1;0000:59;1;1;1;3;1;31;Lager;2",
};

// Calls without a name, their numbers written as the telephone dialled
// them; the cards below hold them in other forms.
const char* const kNamelessCalls[] = {
    "20.03.04;18:02;0;0001:23;1;1;0;2;0;0441234567;;1",
    "18.03.04;10:00;0;0000:30;0;1;0;1;0;0041317654321;;1",
    "16.03.04;09:15;0;0000:05;0;1;0;0;0;0049891234567;Dupont;2",
    "15.03.04;12:00;0;12:34;1;1;0;1;0;0215550000;  ;1",
};

std::string CallListFile(int count, const char* const* calls = kCalls)
{
    const std::string dir = simtest::TempDir("calllist");
    const std::string path = dir + "/calls.txt";
    std::ofstream out(path, std::ios::binary);
    out << "# test calls, newest first\n";
    for (int i = 0; i < count; ++i)
        out << calls[i] << "\n";
    return path;
}

std::vector<std::string> FieldsOf(int call, const char* const* calls = kCalls)
{
    std::vector<std::string> fields;
    std::string text = calls[call];
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(';', start);
        fields.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return fields;
}

std::string Joined(const std::vector<std::string>& fields, char separator, bool quote)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += separator;
        line += quote ? "\"" + fields[i] + "\"" : fields[i];
    }
    return line + "\r\n";
}

// Runs a dialog by type: the handler fills and answers it.
struct Runner {
    // Both fill the dialog; request also answers it (accept or not).
    std::function<void(CCallListRequestDlg&)> request;
    std::function<void(CCallListDlg&)> preview;
    int requests = 0;
    int previews = 0;

    int operator()(QDialog& dialog)
    {
        dialog.show();
        if (auto* r = qobject_cast<CCallListRequestDlg*>(&dialog)) {
            ++requests;
            if (request)
                request(*r);
            return r->result();
        }
        if (auto* p = qobject_cast<CCallListDlg*>(&dialog)) {
            ++previews;
            if (preview)
                preview(*p);
            p->accept();
            return p->result();
        }
        return QDialog::Rejected;
    }
};

// Requests the call list with `runner` answering the dialogs; true once the
// reception has finished.
bool RequestCallListWith(CTransferCommands& transfers, Runner& runner)
{
    transfers.SetDialogRunner(std::ref(runner));
    QSignalSpy finished(&transfers.Receiver(), &CReceiveHandler::ReceptionFinished);
    transfers.RequestCallList();
    return finished.wait(10000);
}

// A click on the box or circle of a check box or radio button (its middle
// may lie beyond the text).
void ClickBox(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QList<int> SelectedRows(const CCallListDlg& dialog)
{
    QList<int> rows;
    for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i)
        if (dialog.List()->topLevelItem(i)->isSelected())
            rows << i;
    return rows;
}

}  // namespace

class CallListTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        SetLanguageOffset(kLangGerman);
        CSettings& s = CSettings::Instance();
        s.SetCallListAll(0);
        s.SetCallListDate("");
        s.SetCallListRising(1);
        s.SetCallListOnlySelected(0);
        s.SetCallListNamesFromCards(0);
        s.SetHomeCountry("CH");
    }

    void durationAndDateRules()
    {
        QCOMPARE(CCallListDlg::DurationText("0001:23"), std::string("01:23"));
        QCOMPARE(CCallListDlg::DurationText("0000:05"), std::string("00:05"));
        QCOMPARE(CCallListDlg::DurationText("12:34"), std::string("12:34"));
        QCOMPARE(CCallListDlg::DurationText("05:00"), std::string("05:00"));
        QCOMPARE(CCallListDlg::DurationText("0000"), std::string());
        QCOMPARE(CCallListDlg::DurationText(""), std::string());
        QCOMPARE(CCallListDlg::DurationText(":07"), std::string(":07"));

        QCOMPARE(CCallListRequestDlg::ParseDate("15.03.2004"), QDate(2004, 3, 15));
        QCOMPARE(CCallListRequestDlg::ParseDate("20.03.04"), QDate(2004, 3, 20));
        QCOMPARE(CCallListRequestDlg::ParseDate("1.1.80"), QDate(1980, 1, 1));
        QVERIFY(!CCallListRequestDlg::ParseDate("31.12.1979").isValid());
        QVERIFY(!CCallListRequestDlg::ParseDate("31.02.2004").isValid());
        QVERIFY(!CCallListRequestDlg::ParseDate("").isValid());
        QVERIFY(!CCallListRequestDlg::ParseDate("15.03").isValid());
    }

    void requestDialogControls()
    {
        // Choice 1 with a stored date: the picker shows it and is enabled.
        CCallListRequestDlg dialog(1, "07.05.2003", nullptr);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), ToQt(Text(dlg::CallListRequest)));
        QVERIFY(dialog.NewerButton()->isChecked());
        QVERIFY(dialog.DatePicker()->isEnabled());
        QVERIFY(dialog.DatePicker()->calendarPopup());
        QCOMPARE(dialog.DatePicker()->minimumDate(), QDate(1980, 1, 1));
        QCOMPARE(dialog.DatePicker()->date(), QDate(2003, 5, 7));
        Shot(&dialog, QStringLiteral("calllist-request"));

        ClickBox(dialog.AllButton());
        QCOMPARE(dialog.Choice(), 0);
        QVERIFY(!dialog.DatePicker()->isEnabled());
        ClickBox(dialog.NewerButton());
        QVERIFY(dialog.DatePicker()->isEnabled());
        QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.DatePicker()));
        dialog.DatePicker()->setDate(QDate(1975, 1, 1));
        QCOMPARE(dialog.DatePicker()->date(), QDate(1980, 1, 1));
        QCOMPARE(dialog.DateText(), std::string("01.01.1980"));

        // An unreadable stored date: the picker still holds a date.
        CCallListRequestDlg other(0, "gestern", nullptr);
        QVERIFY(other.AllButton()->isChecked());
        QVERIFY(!other.DatePicker()->isEnabled());
        QVERIFY(other.Date().isValid());
    }

    void requestWithoutAnswer()
    {
        TransferLine line(kPort, { "--silence-after", "0" });
        auto& [phone, doc, ui, transfers] = line;
        ui.shotPrefix = QStringLiteral("calllist-noanswer");
        Runner runner;
        runner.request = [](CCallListRequestDlg& d) {
            ClickBox(d.AllButton());
            d.accept();
        };
        transfers.SetDialogRunner(std::ref(runner));
        QSignalSpy unanswered(&transfers.Receiver(), &CReceiveHandler::CallListUnanswered);
        transfers.RequestCallList();
        QCOMPARE(runner.requests, 1);
        QCOMPARE(ReceptionBlocked, 0);
        QVERIFY(unanswered.wait(6000));
        const TestUi::Shown* box = ui.Find(Text(msg::CallListNoAnswer));
        QVERIFY(box);
        QCOMPARE(box->buttons, MsgButtons::Ok);
        QCOMPARE(ui.shown.size(), std::size_t(1));
        QVERIFY(!transfers.HasCallList());
        QCOMPARE(runner.previews, 0);
        QCOMPARE(phone.Status("callListRequests"), 1L);
        // The choice was stored before the request went out.
        QCOMPARE(CSettings::Instance().CallListAll(), 0);
        QVERIFY(!CSettings::Instance().CallListDate().empty());
    }

    void requestNewerThanDate()
    {
        TransferLine line(kPort, { "--calllist", CallListFile(4) });
        auto& [phone, doc, ui, transfers] = line;
        ui.shotPrefix = QStringLiteral("calllist-date");
        Runner runner;
        runner.request = [](CCallListRequestDlg& d) {
            ClickBox(d.NewerButton());
            d.DatePicker()->setDate(QDate(2004, 3, 15));
            d.accept();
        };
        QStringList dates;
        runner.preview = [&](CCallListDlg& d) {
            for (int i = 0; i < d.List()->topLevelItemCount(); ++i)
                dates << d.List()->topLevelItem(i)->text(0);
        };
        QVERIFY(RequestCallListWith(transfers, runner));

        // 15.03.04 and older end the list: the two newer records stay.
        const TestUi::Shown* result = ui.Find(FormatText(msg::CallListReceived, 2));
        QVERIFY(result);
        QCOMPARE(result->icon, MsgIcon::Information);
        QCOMPARE(runner.previews, 1);
        // Ascending: from the head, the last record that came.
        QCOMPARE(dates, QStringList({ QStringLiteral("16.03.04"), QStringLiteral("20.03.04") }));
        QVERIFY(transfers.HasCallList());
        QCOMPARE(transfers.Port().Parser().CallList()->Head()->Field(callfield::Date), std::string("16.03.04"));
        // The first record received becomes the date offered next time.
        QCOMPARE(CSettings::Instance().CallListAll(), 1);
        QCOMPARE(CSettings::Instance().CallListDate(), std::string("20.03.04"));
        QCOMPARE(ReceptionBlocked, 0);
    }

    void previewShowsAndSavesSelectedRows()
    {
        TransferLine line(kPort, { "--calllist", CallListFile(5) });
        auto& [phone, doc, ui, transfers] = line;
        ui.shotPrefix = QStringLiteral("calllist-save");
        const std::string dir = simtest::TempDir("calllist-save");
        const std::string csv = dir + "/anrufe.csv";
        const std::string txt = dir + "/anrufe.txt";
        const std::string xls = dir + "/anrufe.xls";
        const std::string none = dir + "/leer.csv";

        Runner runner;
        runner.request = [](CCallListRequestDlg& d) {
            ClickBox(d.AllButton());
            d.accept();
        };
        std::vector<CAnrufObj*> chosen;
        runner.preview = [&](CCallListDlg& d) {
            QTreeWidget* list = d.List();
            QCOMPARE(d.windowTitle(), ToQt(Text(dlg::CallListPreview)));
            QCOMPARE(list->columnCount(), 7);
            QCOMPARE(list->headerItem()->text(0), ToQt(Text(msg::ColumnDate)));
            QCOMPARE(list->headerItem()->text(6), ToQt(Text(msg::ColumnDuration)));
            QCOMPARE(list->topLevelItemCount(), 5);
            QVERIFY(d.AscendingBox()->isChecked());
            // Ascending: the oldest call first.
            QTreeWidgetItem* first = list->topLevelItem(0);
            QCOMPARE(first->text(0), QStringLiteral("02.03.04"));
            QCOMPARE(first->text(2), QStringLiteral("Lager"));
            QCOMPARE(first->text(3), QStringLiteral("31"));
            QCOMPARE(first->text(4), ToQt(Text(msg::CallInternal)));
            QCOMPARE(first->text(5), QStringLiteral("2"));
            QCOMPARE(first->text(6), QStringLiteral("00:59"));
            QTreeWidgetItem* last = list->topLevelItem(4);
            QCOMPARE(last->text(4), ToQt(Text(msg::CallExternal)));
            QCOMPARE(last->text(6), QStringLiteral("01:23"));
            QCOMPARE(list->topLevelItem(1)->text(6), QString());
            QVERIFY(list->header()->sectionSize(2) >= list->fontMetrics().horizontalAdvance(QStringLiteral("Christ Paul")));
            QVERIFY(!first->icon(0).isNull());

            // Rows 1 (10.03.04) and 3 (16.03.04), only those saved.
            list->topLevelItem(1)->setSelected(true);
            list->topLevelItem(3)->setSelected(true);
            chosen = { d.RecordOfRow(1), d.RecordOfRow(3) };
            Shot(&d, QStringLiteral("calllist-preview"));
            ClickBox(d.OnlySelectedBox());
            QVERIFY(d.OnlySelectedBox()->isChecked());
            ui.files.push_back({ csv, 2 });
            QTest::mouseClick(d.SaveButton(), Qt::LeftButton);

            // Descending keeps the same calls selected.
            ClickBox(d.AscendingBox());
            QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("20.03.04"));
            QCOMPARE(SelectedRows(d), QList<int>({ 1, 3 }));
            QCOMPARE(d.RecordOfRow(1), chosen[1]);
            QCOMPARE(d.RecordOfRow(3), chosen[0]);
            ui.files.push_back({ txt, 3 });
            QTest::mouseClick(d.SaveButton(), Qt::LeftButton);

            // All rows as a spreadsheet.
            ClickBox(d.OnlySelectedBox());
            ui.files.push_back({ xls, 1 });
            QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
            // Cancel in the file dialog writes nothing.
            ui.files.push_back({ std::nullopt, 1 });
            QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
        };
        QVERIFY(RequestCallListWith(transfers, runner));
        QCOMPARE(runner.previews, 1);
        QVERIFY(ui.unexpected.empty());

        // The file dialog of the import and export, in save mode.
        QCOMPARE(ui.fileRequests.size(), std::size_t(4));
        QVERIFY(ui.fileRequests[0].save);
        QCOMPARE(ui.fileRequests[0].defaultExt, std::string("xls"));

        // Only the selected rows, in display order, every field received.
        QCOMPARE(simtest::ReadWholeFile(csv), Joined(FieldsOf(3), ';', true) + Joined(FieldsOf(1), ';', true));
        QCOMPARE(simtest::ReadWholeFile(txt), Joined(FieldsOf(1), '\t', false) + Joined(FieldsOf(3), '\t', false));
        const std::string sheet = simtest::ReadWholeFile(xls);
        QVERIFY(sheet.size() > 100);
        QVERIFY(sheet.find("Christ Paul") != std::string::npos);
        QVERIFY(ui.Saw(FormatText(msg::CallListSaved, "2", csv.c_str())));
        QVERIFY(ui.Saw(FormatText(msg::CallListSaved, "2", txt.c_str())));
        QVERIFY(ui.Saw(FormatText(msg::CallListSaved, Text(msg::AllWord).c_str(), xls.c_str())));
        QCOMPARE(ui.Count(std::string("Zeilen der Anrufliste gespeichert")), 3);

        // The window's choices are kept.
        QCOMPARE(CSettings::Instance().CallListRising(), 0);
        QCOMPARE(CSettings::Instance().CallListOnlySelected(), 0);
        QCOMPARE(chosen[0]->selected, 1);
        QCOMPARE(chosen[1]->selected, 1);

        // "Anrufliste zeigen" opens it again with the same rows selected;
        // nothing selected and only-selected writes an empty file.
        QVERIFY(transfers.HasCallList());
        runner.preview = [&](CCallListDlg& d) {
            QVERIFY(!d.AscendingBox()->isChecked());
            QCOMPARE(SelectedRows(d), QList<int>({ 1, 3 }));
            Shot(&d, QStringLiteral("calllist-reopened"));
            d.List()->clearSelection();
            ClickBox(d.OnlySelectedBox());
            ui.files.push_back({ none, 2 });
            QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
        };
        transfers.ShowCallList();
        QCOMPARE(runner.previews, 2);
        QCOMPARE(simtest::ReadWholeFile(none), std::string());
        QVERIFY(ui.Saw(FormatText(msg::CallListSaved, "0", none.c_str())));
        QCOMPARE(chosen[0]->selected, 0);
        QCOMPARE(ReceptionBlocked, 0);
    }

    // A call listed without a name shows the name of the card with its
    // number, written in another form, in italics; the file keeps the list
    // as the telephone sent it unless the user takes the cards' names.
    void previewNamesCallsFromTheCards()
    {
        TransferLine line(kPort, { "--calllist", CallListFile(4, kNamelessCalls) });
        auto& [phone, doc, ui, transfers] = line;
        for (auto [name, number] : { std::pair{ "Meier Hans", "+41 44 123 45 67" }, std::pair{ "Amt Bern", "031 765 43 21" },
                                     std::pair{ "Zeller", "+49 89 1234567" }, std::pair{ "Meier Zweit", "044 123 45 67" } }) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, name);
            card->SetLine(1, number);
            doc.Cards().InsertSorted(std::move(card), false);
        }
        ui.shotPrefix = QStringLiteral("calllist-names");
        const std::string dir = simtest::TempDir("calllist-names");
        const std::string asSent = dir + "/wie-gesendet.csv";
        const std::string named = dir + "/mit-namen.csv";

        Runner runner;
        runner.request = [](CCallListRequestDlg& d) {
            ClickBox(d.AllButton());
            d.accept();
        };
        runner.preview = [&](CCallListDlg& d) {
            QTreeWidget* list = d.List();
            // Ascending: the oldest call first.
            QCOMPARE(list->topLevelItem(3)->text(2), QStringLiteral("Meier Hans"));
            QCOMPARE(list->topLevelItem(2)->text(2), QStringLiteral("Amt Bern"));
            QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("Dupont"));
            QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("  "));
            QTreeWidgetItem* fromCards = list->topLevelItem(3);
            QVERIFY(fromCards->font(2).italic());
            QCOMPARE(fromCards->toolTip(2), ToQt(Text(msg::CallListCardName)));
            QCOMPARE(fromCards->data(2, Qt::AccessibleDescriptionRole).toString(), ToQt(Text(msg::CallListCardName)));
            QVERIFY(fromCards->foreground(2).color() != list->topLevelItem(1)->foreground(2).color());
            QVERIFY(!list->topLevelItem(1)->font(2).italic());
            QVERIFY(d.CardNameNote()->isVisible());
            QVERIFY(d.NamesFromCardsBox()->isEnabled());
            QVERIFY(!d.NamesFromCardsBox()->isChecked());
            Shot(&d, QStringLiteral("calllist-names"));

            ui.files.push_back({ asSent, 2 });
            QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
            ClickBox(d.NamesFromCardsBox());
            ui.files.push_back({ named, 2 });
            QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
        };
        QVERIFY(RequestCallListWith(transfers, runner));
        QCOMPARE(runner.previews, 1);
        QVERIFY(ui.unexpected.empty());

        std::string expected;
        for (int call = 3; call >= 0; --call)
            expected += Joined(FieldsOf(call, kNamelessCalls), ';', true);
        QCOMPARE(simtest::ReadWholeFile(asSent), expected);
        std::vector<std::string> first = FieldsOf(0, kNamelessCalls), second = FieldsOf(1, kNamelessCalls);
        first[10] = "Meier Hans";
        second[10] = "Amt Bern";
        QCOMPARE(simtest::ReadWholeFile(named), Joined(FieldsOf(3, kNamelessCalls), ';', true)
                                                    + Joined(FieldsOf(2, kNamelessCalls), ';', true)
                                                    + Joined(second, ';', true) + Joined(first, ';', true));
        QCOMPARE(CSettings::Instance().CallListNamesFromCards(), 1);

        // Without the cards the names go at the next opening, and so do the
        // note and the choice.
        doc.Cards().DeleteAllCards();
        runner.preview = [&](CCallListDlg& d) {
            QCOMPARE(d.List()->topLevelItem(3)->text(2), QString());
            QVERIFY(!d.List()->topLevelItem(3)->font(2).italic());
            QVERIFY(!d.CardNameNote()->isVisible());
            QVERIFY(!d.NamesFromCardsBox()->isEnabled());
        };
        transfers.ShowCallList();
        QCOMPARE(runner.previews, 2);
    }

    void emptyCallListLeavesNoList()
    {
        const std::string dir = simtest::TempDir("calllist-empty");
        const std::string path = dir + "/none.txt";
        simtest::WriteWholeFile(path, "# no calls\n");
        TransferLine line(kPort, { "--calllist", path });
        auto& [phone, doc, ui, transfers] = line;
        Runner runner;
        runner.request = [](CCallListRequestDlg& d) {
            d.accept();
        };
        transfers.SetDialogRunner(std::ref(runner));
        transfers.RequestCallList();
        // No record: no box, no list, no preview, and no "no answer" either.
        QTest::qWait(3800);
        QVERIFY(!transfers.HasCallList());
        QCOMPARE(runner.previews, 0);
        QVERIFY(!ui.Saw(Text(msg::CallListNoAnswer)));
    }
};

QTEST_MAIN(CallListTest)
#include "tst_calllist.moc"
