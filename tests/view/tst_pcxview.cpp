// The card view driven as a user would: list and card mode, new card,
// typing and saving through the softkeys, the name checks, delete, copy
// card, row keys, mark, the selection with Stop, the card structure with
// the field-name column, and the document's update hints.

#include "../support/ScriptedUi.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/DisplayWnd.h"
#include "view/FieldNameWnd.h"
#include "view/IndexWnd.h"
#include "view/PcxView.h"
#include "view/SelectionDlg.h"
#include "view/SelectionPanel.h"
#include "view/SoftkeyBar.h"
#include "view/CardStructureDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace velkaro;

class PcxViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CPcxDoc> doc;
    CCommandRegistry commands;
    std::unique_ptr<CPcxView> view;
    test::ScriptedUi ui;

    void AddCard(std::initializer_list<const char*> lines)
    {
        auto card = std::make_unique<CKarte>();
        int i = 0;
        for (const char* line : lines)
            card->SetLine(i++, line);
        doc->Cards().InsertSorted(std::move(card), false);
        view->IndexList()->Reset();
    }
    CDisplayWnd* Display() const { return view->Display(); }
    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (int i = 0; i < kSoftkeyCount; ++i)
            codes.push_back(view->SoftkeyBar()->ActionCode(i));
        return codes;
    }
    void Softkey(int cell) { commands.Dispatch(cmd::Softkey1 + static_cast<unsigned>(cell)); }

private slots:
    void init()
    {
        ui = test::ScriptedUi();
        doc = std::make_unique<CPcxDoc>();
        commands = CCommandRegistry();
        view = std::make_unique<CPcxView>(doc.get(), ui, nullptr, commands);
        view->resize(view->sizeHint());
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QGuiApplication::clipboard()->clear();
    }
    void cleanup()
    {
        view.reset();
        doc.reset();
        SetLanguageOffset(kLangGerman);
    }

    void startsInListMode()
    {
        QCOMPARE(view->Mode(), ViewMode::List);
        QVERIFY(view->IndexList()->isVisible());
        QVERIFY(!Display()->isVisible());
        QVERIFY(!view->FieldNames()->isVisible());
        QCOMPARE(Codes(), std::vector<int>(7, softkey::Empty));
        QVERIFY(Display()->InsertMode());
        QCOMPARE(view->IndexList()->geometry(), view->DisplayRect());
    }

    void newCardTypedAndSavedWithTheSoftkey()
    {
        commands.Dispatch(cmd::NewCard);
        QCOMPARE(view->Mode(), ViewMode::Card);
        QVERIFY(Display()->IsEditing());
        QCOMPARE(Display()->CurrentIndex(), -1);
        QCOMPARE(Codes(), (std::vector<int> { 0, 4, 5, 12, 12, 12, 12 }));
        QTest::keyClicks(Display(), "Zora");
        QTest::keyClick(Display(), Qt::Key_Return);
        QTest::keyClicks(Display(), "089 555");

        Softkey(1);  // Ctrl+F2: save
        QVERIFY(ui.shown.empty());
        QCOMPARE(doc->Cards().Count(), 1);
        const CKarte* saved = doc->Cards().At(0);
        QCOMPARE(saved->Name(), std::string("Zora"));
        QCOMPARE(saved->GetLine(1), std::string("089 555"));
        QCOMPARE(int(saved->edited), 1);
        // The saved card is open, browsing, with the notice.
        QCOMPARE(view->Mode(), ViewMode::Card);
        QVERIFY(!Display()->IsEditing());
        QCOMPARE(Display()->CurrentIndex(), 0);
        QVERIFY(Display()->IsSavedNoticeShown());
        QCOMPARE(Codes(), (std::vector<int> { 0, 1, 2, 12, 12, 12, 3 }));
    }

    void savingAnEqualNameInOtherCaseIsRefused()
    {
        AddCard({ "Meier", "030" });
        view->NewCard();
        QTest::keyClicks(Display(), "MEIER");
        Softkey(1);
        QCOMPARE(ui.shown.size(), std::size_t(1));
        QCOMPARE(ui.shown[0].text, Text(msg::NameExists));
        QCOMPARE(doc->Cards().Count(), 1);
        QVERIFY(Display()->IsEditing());  // the edit goes on
    }

    void savingWithoutANameIsRefused()
    {
        view->NewCard();
        QTest::keyClick(Display(), Qt::Key_Return);
        QTest::keyClicks(Display(), "123");
        Softkey(1);
        QCOMPARE(ui.shown.size(), std::size_t(1));
        QCOMPARE(ui.shown[0].text, Text(msg::FirstLineNotAlphabetic));
        QCOMPARE(doc->Cards().Count(), 0);
    }

    void deleteAsksAndReturnsToTheList()
    {
        AddCard({ "Anna" });
        AddCard({ "Berta" });
        view->RowKey(1);
        QCOMPARE(view->Mode(), ViewMode::Card);
        QCOMPARE(Display()->CurrentIndex(), 1);
        ui.answers.push_back(MsgAnswer::No);
        Softkey(6);
        QCOMPARE(doc->Cards().Count(), 2);
        QCOMPARE(view->Mode(), ViewMode::Card);
        ui.answers.push_back(MsgAnswer::Yes);
        Softkey(6);
        QCOMPARE(doc->Cards().Count(), 1);
        QCOMPARE(doc->Cards().At(0)->Name(), std::string("Anna"));
        QCOMPARE(view->Mode(), ViewMode::List);
        QCOMPARE(ui.shown.back().text, Text(msg::ReallyDeleteCard));
    }

    void savedDeletedAndMarkedCardsAreUndoneStepByStep()
    {
        AddCard({ "Anna" });
        view->NewCard();
        QTest::keyClicks(Display(), "Zora");
        view->SaveCard();
        QCOMPARE(doc->Cards().Count(), 2);
        QCOMPARE(doc->UndoLabel(), Text(msg::StepNewCard));

        // A rename moves the card: one step.
        view->RowKey(1);
        QCOMPARE(Display()->CurrentIndex(), 1);
        view->RowKey(0);  // starts editing the name line
        QTest::keyClicks(Display(), "A");
        QVERIFY(Display()->IsEditing());
        view->SaveCard();
        QCOMPARE(doc->Cards().At(1)->Name(), std::string("AZora"));
        QCOMPARE(doc->UndoLabel(), Text(msg::StepSaveCard));

        view->Stop();
        view->RowKey(0);
        view->ToggleMark();
        QCOMPARE(int(doc->Cards().At(0)->marked), 1);
        QCOMPARE(doc->UndoLabel(), Text(msg::StepToggleMark));

        ui.answers.push_back(MsgAnswer::Yes);
        view->DeleteCard();
        QCOMPARE(doc->Cards().Count(), 1);
        QCOMPARE(doc->UndoLabel(), Text(msg::StepDeleteCard));

        QVERIFY(doc->Undo());
        QCOMPARE(doc->Cards().Count(), 2);
        QCOMPARE(view->Mode(), ViewMode::List);
        QVERIFY(doc->Undo());
        QCOMPARE(int(doc->Cards().At(0)->marked), 0);
        QVERIFY(doc->Undo());
        QCOMPARE(doc->Cards().At(1)->Name(), std::string("Zora"));
        QVERIFY(doc->Undo());
        QCOMPARE(doc->Cards().Count(), 1);
        QVERIFY(!doc->CanUndo());
        // The views follow the restored cards: opening a row shows its card.
        view->RowKey(0);
        QCOMPARE(Display()->ShownCard()->Name(), std::string("Anna"));
        QVERIFY(doc->Redo());
        QCOMPARE(doc->Cards().Count(), 2);
    }

    void deleteOfANewCardDoesNothing()
    {
        view->NewCard();
        view->DoSoftkeyAction(softkey::Delete);
        QVERIFY(ui.shown.empty());
        QCOMPARE(view->Mode(), ViewMode::Card);
    }

    void copyCardGivesTheLinesUpToTheLastFilledOne()
    {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, "Anna");
        card->SetLine(1, "030");
        card->SetLine(5, "Berlin");
        doc->Cards().InsertSorted(std::move(card), false);
        view->IndexList()->Reset();
        QVERIFY(!commands.IsEnabled(cmd::CopyCard));  // list mode
        view->RowKey(0);
        QVERIFY(commands.IsEnabled(cmd::CopyCard));
        commands.Dispatch(cmd::CopyCard);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Anna\r\n030\r\n\r\n\r\n\r\nBerlin\r\n"));
    }

    void rowKeysOpenTheCardsOfTheList()
    {
        AddCard({ "Anna" });
        AddCard({ "Berta" });
        view->RowKey(2);  // F3: no third name
        QCOMPARE(view->Mode(), ViewMode::List);
        commands.Dispatch(cmd::RowKey1 + 1);
        QCOMPARE(view->Mode(), ViewMode::Card);
        QCOMPARE(Display()->CurrentIndex(), 1);
        // In card mode a row key puts the caret on that row and edits.
        view->RowKey(3);
        QVERIFY(Display()->IsEditing());
        QCOMPARE(Display()->Editor().CaretRow(), 3);
        QCOMPARE(Display()->Editor().CaretColumn(), 0);
    }

    void rowButtonsAndArrowButtonsOnTheBody()
    {
        AddCard({ "Anna" });
        AddCard({ "Berta" });
        QTest::mouseClick(view->Button(cmd::RowKey1), Qt::LeftButton);
        QCOMPARE(view->Mode(), ViewMode::Card);
        QCOMPARE(Display()->CurrentIndex(), 0);
        QTest::mouseClick(view->Button(cmd::ArrowDown), Qt::LeftButton);
        QCOMPARE(Display()->CurrentIndex(), 1);
        QTest::mouseClick(view->Button(cmd::ArrowRight), Qt::LeftButton);
        QCOMPARE(Display()->Page(), 2);
        QTest::mouseClick(view->Button(cmd::ArrowLeft), Qt::LeftButton);
        QTest::mouseClick(view->Button(cmd::ArrowLeft), Qt::LeftButton);  // Left on page 1: the list
        QCOMPARE(view->Mode(), ViewMode::List);
        QTest::mouseClick(view->Button(cmd::NewCard), Qt::LeftButton);
        QVERIFY(Display()->IsEditing());
        QTest::mouseClick(view->Button(cmd::Stop), Qt::LeftButton);
        QCOMPARE(view->Mode(), ViewMode::List);
        QCOMPARE(doc->Cards().Count(), 2);  // Stop drops the edit
    }

    void softkeyButtonsSitUnderTheirCells()
    {
        for (int i = 0; i < kSoftkeyCount; ++i) {
            QRect cell = view->SoftkeyBar()->CellRect(i).translated(view->SoftkeyBar()->pos());
            QRect button = view->Button(cmd::Softkey1 + static_cast<unsigned>(i))->geometry();
            QVERIFY(qAbs(button.center().x() - cell.center().x()) <= 1);
            QCOMPARE(button.top(), view->SoftkeyBar()->geometry().bottom() + 11);
        }
    }

    void moreAndMarkSoftkeys()
    {
        AddCard({ "Anna" });
        view->RowKey(0);
        Softkey(0);
        QCOMPARE(Codes(), (std::vector<int> { 0, 7, 8, 9, 10, 11, 12 }));
        Softkey(3);  // page 3
        QCOMPARE(Display()->Page(), 3);
        Softkey(0);
        QCOMPARE(Codes(), (std::vector<int> { 0, 1, 2, 12, 12, 12, 3 }));

        view->NewCard();
        Softkey(2);
        QCOMPARE(int(Display()->WorkingCopy().marked), 1);
        Softkey(2);
        QCOMPARE(int(Display()->WorkingCopy().marked), 0);
    }

    void typedLetterWhileBrowsingSearchesTheList()
    {
        AddCard({ "Anna" });
        AddCard({ "Berta" });
        view->RowKey(0);
        QTest::keyClicks(Display(), "b");
        QCOMPARE(view->Mode(), ViewMode::List);
        QCOMPARE(view->IndexList()->List().SearchString(), std::string("B"));
        QCOMPARE(view->IndexList()->RowToCard(0), 1);
    }

    void stopEndsASelectionThatIsNotPermanent()
    {
        AddCard({ "Meier", "1" });
        AddCard({ "Huber", "2" });
        for (bool permanent : { false, true }) {
            int runs = 0;
            view->SetDialogRunner([&](QDialog& d) {
                auto& dialog = dynamic_cast<CSelectionDlg&>(d);
                ++runs;
                dialog.SearchEdit()->setText(QStringLiteral("mei"));
                dialog.PermanentBox()->setChecked(permanent);
                dialog.accept();
                return true;
            });
            commands.Dispatch(cmd::Selection);
            QCOMPARE(runs, 1);
            QVERIFY(view->Selection().IsActive());
            QVERIFY(commands.IsChecked(cmd::Selection));
            QVERIFY(view->SelectionPanel()->isVisible());
            QCOMPARE(view->SharedSelection().text, std::string("mei"));
            QCOMPARE(view->IndexList()->RowToCard(0), 1);  // only Meier
            QCOMPARE(view->IndexList()->RowToCard(1), -1);
            commands.Dispatch(cmd::Stop);
            QCOMPARE(view->Selection().IsActive(), permanent);
            QCOMPARE(view->SelectionPanel()->isVisible(), permanent);
            if (permanent) {
                // The command again ends it without the dialog.
                commands.Dispatch(cmd::Selection);
                QCOMPARE(runs, 1);
                QVERIFY(!view->Selection().IsActive());
                QVERIFY(!view->SelectionPanel()->isVisible());
            }
        }
        // The text is offered again.
        std::string offered;
        view->SetDialogRunner([&](QDialog& d) {
            offered = FromQt(dynamic_cast<CSelectionDlg&>(d).SearchEdit()->text());
            return false;
        });
        commands.Dispatch(cmd::Selection);
        QCOMPARE(offered, std::string("mei"));
        QVERIFY(!view->Selection().IsActive());
    }

    void cardStructureCreatesTheFieldNamesAndShowsTheColumn()
    {
        AddCard({ "Anna", "030" });
        QVERIFY(!doc->Cards().FieldNames());
        bool activeShown = false;
        view->SetDialogRunner([&activeShown](QDialog& d) {
            auto& dialog = dynamic_cast<CCardStructureDlg&>(d);
            activeShown = dialog.ActiveBox()->isChecked();
            QLineEdit* line2 = dialog.Edit(1113);
            line2->setText(QStringLiteral("Firma   "));
            line2->setModified(true);
            dialog.accept();
            return true;
        });
        commands.Dispatch(cmd::CardStructure);
        QVERIFY(activeShown);  // "StructureActive" is on by default
        const CKarte* names = doc->Cards().FieldNames();
        QVERIFY(names);
        QCOMPARE(int(names->edited), 1);
        QCOMPARE(names->GetLine(0), ReservedName());
        QCOMPARE(names->GetLine(2), std::string("Firma"));
        QCOMPARE(doc->Cards().Count(), 1);

        // Card mode: the column stands left of the display, which moves right;
        // the selection panel may not show meanwhile.
        view->RowKey(0);
        QVERIFY(view->FieldNames()->isVisible());
        QCOMPARE(Display()->geometry().left(), view->DisplayRect().left() + kFieldNameWidth);
        QVERIFY(!view->Selection().IsAllowed());
        QCOMPARE(view->FieldNames()->RowLabel(2), std::string("Firma"));
        view->Stop();
        QVERIFY(!view->FieldNames()->isVisible());
        QVERIFY(view->Selection().IsAllowed());
        // The change of the structure is one step that undo takes back.
        QCOMPARE(doc->UndoLabel(), Text(msg::StepCardStructure));
        QVERIFY(doc->Undo());
        QVERIFY(!doc->Cards().FieldNames());
        QCOMPARE(view->FieldNames()->RowLabel(2), std::string());
    }

    void updateHintZeroStops()
    {
        AddCard({ "Anna" });
        view->RowKey(0);
        QCOMPARE(view->Mode(), ViewMode::Card);
        doc->UpdateAllViews(UpdateHint::All);
        QCOMPARE(view->Mode(), ViewMode::List);
    }

    void enableRules()
    {
        QVERIFY(!commands.IsEnabled(cmd::InsertLine));
        QVERIFY(!commands.IsEnabled(cmd::Copy));
        QVERIFY(commands.IsEnabled(cmd::NewCard));
        view->NewCard();
        QVERIFY(commands.IsEnabled(cmd::InsertLine));
        QVERIFY(commands.IsEnabled(cmd::DeleteLineOnPage));
        QVERIFY(!commands.IsEnabled(cmd::Copy));  // nothing selected
        QTest::keyClicks(Display(), "Abc");
        QTest::keyClick(Display(), Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(commands.IsEnabled(cmd::Copy));
        QVERIFY(commands.IsEnabled(cmd::Cut));
        QVERIFY(!commands.IsEnabled(cmd::Paste));
        commands.Dispatch(cmd::Copy);
        QVERIFY(commands.IsEnabled(cmd::Paste));
    }

    void paintsTheTelephone()
    {
        AddCard({ "Anna", "030 1234" });
        AddCard({ "Berta", "089 555" });
        QImage list = view->grab().toImage();
        view->RowKey(0);
        QImage card = view->grab().toImage();
        const QString dir = QStringLiteral(VELKARO_BINARY_DIR "/screenshots");
        QDir().mkpath(dir);
        list.save(dir + QStringLiteral("/view-list.png"));
        card.save(dir + QStringLiteral("/view-card.png"));
        // The desk, the body and the panel beside the screen in their colours.
        const ViewResources& res = view->Resources();
        QCOMPARE(list.pixelColor(2, 2), res.Color(kColorBackground));
        QCOMPARE(list.pixelColor(view->BodyRect().left() + 10, view->BodyRect().bottom() - 6), res.Color(kColorDisplay));
        QRect screen = view->ScreenRect();
        QCOMPARE(list.pixelColor(screen.right() + 20, screen.center().y()), res.Color(kColorUnusedMargin));
        // The index list in list mode, the display in card mode, in one place.
        QPoint inside = view->DisplayRect().topLeft() + QPoint(5, 150);
        QCOMPARE(list.pixelColor(inside), res.Color(kColorListGround));
        QCOMPARE(card.pixelColor(inside), res.Color(kColorCardGround));
    }
};

QTEST_MAIN(PcxViewTest)
#include "tst_pcxview.moc"
