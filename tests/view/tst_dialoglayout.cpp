// Dialogs keep their controls where they are while their content changes:
// paging through the card structure dialog with the pointer resting on
// ">>" reaches the last page, and "<<", ">>", OK and Cancel never move;
// and a dialog shows its whole title.

#include "../support/ScriptedUi.h"

#include "text/Language.h"
#include "model/CardStructure.h"
#include "model/Karte.h"
#include "view/CallListRequestDlg.h"
#include "view/CardStructureDlg.h"
#include "view/ImportModeDlg.h"
#include "view/PortDlg.h"
#include "view/SelectionDlg.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QDialogButtonBox>
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <algorithm>

using namespace velkaro;

namespace {

// Every label and button of a dialog shows its text whole: none is given
// less width than its text needs.
void ExpectTextsWhole(QWidget* dialog)
{
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->wordWrap() || label->text().isEmpty() || label->text().contains('<'))
            continue;
        QString text = label->text();
        text.remove(QLatin1Char('&'));
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        QVERIFY2(label->contentsRect().width() >= widest, qPrintable(dialog->windowTitle() + ": " + text));
    }
    // Every edit and list box has a name a screen reader can speak.
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisible() || qobject_cast<QAbstractSpinBox*>(w->parentWidget())
            || !(qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w)))
            continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(),
                 qPrintable(dialog->windowTitle() + ": " + w->objectName()));
    }
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        QVERIFY2(button->width() >= button->minimumSizeHint().width(),
                 qPrintable(dialog->windowTitle() + ": " + button->text()));
    }
}

}  // namespace

class DialogLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void cardStructureButtonsStayOnEveryPage()
    {
        for (int language : { kLangGerman, kLangEnglish, kLangFrench }) {
            SetLanguageOffset(language);
            CCardStructureDlg dialog(nullptr, true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QList<QWidget*> fixed { dialog.PreviousButton(), dialog.NextButton() };
            for (int k = 0; k < kLinesPerPage; ++k)
                fixed << dialog.Edit(structure_ctl::FirstLineEdit + k);
            for (QPushButton* b : dialog.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
                fixed << b;
            QList<QRect> places;
            for (QWidget* w : fixed)
                places << QRect(w->mapTo(&dialog, QPoint(0, 0)), w->size());
            const QSize size = dialog.size();
            const QPoint click = dialog.NextButton()->rect().center();
            const QString first = dialog.PageField()->text();
            // Four clicks where ">>" stood on page 1.
            for (int i = 0; i < 4; ++i) {
                QWidget* under = dialog.childAt(dialog.NextButton()->mapTo(&dialog, click));
                QCOMPARE(under, static_cast<QWidget*>(dialog.NextButton()));
                QTest::mouseClick(under, Qt::LeftButton, {}, click);
                // The layout settles in posted events.
                QCoreApplication::sendPostedEvents();
                QCoreApplication::processEvents();
                QCOMPARE(dialog.size(), size);
                for (int k = 0; k < fixed.size(); ++k)
                    QCOMPARE(QRect(fixed[k]->mapTo(&dialog, QPoint(0, 0)), fixed[k]->size()), places[k]);
                // Each row's label whole ("Zeile 30" as well as "Zeile 3").
                for (int k = 0; k < kLinesPerPage; ++k) {
                    QLabel* label = dialog.Label(structure_ctl::FirstRowLabel + k);
                    QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()),
                             qPrintable(label->text()));
                }
            }
            QVERIFY(dialog.PageField()->text() != first);
            QVERIFY(dialog.PageField()->text().contains(QLatin1Char('5')));
            QVERIFY(!dialog.NextButton()->isEnabled());
        }
        SetLanguageOffset(kLangGerman);
    }

    // Dialogs whose controls need less room than their title show wide
    // enough for the whole title in each language, and no label or button
    // is cut.
    void titlesFitTheirWindows()
    {
        QFont bold = QApplication::font();
        bold.setBold(true);
        for (int language : { kLangGerman, kLangEnglish, kLangFrench }) {
            SetLanguageOffset(language);
            CSelectionDlg selection("", false);
            CCallListRequestDlg request(0, "");
            CImportModeDlg mode(0);
            CCardStructureDlg structure(nullptr, true);
            test::ScriptedUi ui;
            CPortDlg port(0, false, 0, ui);
            for (QDialog* dialog :
                 std::initializer_list<QDialog*> { &selection, &request, &mode, &structure, &port }) {
                dialog->show();
                QVERIFY(QTest::qWaitForWindowExposed(dialog));
                const int title = QFontMetrics(bold).horizontalAdvance(dialog->windowTitle());
                QVERIFY2(dialog->width() >= title + 100, qPrintable(dialog->windowTitle()));
                ExpectTextsWhole(dialog);
                if (QTest::currentTestFailed())
                    return;
            }
        }
        SetLanguageOffset(kLangGerman);
    }

    // A message with a short text still shows the program's whole name in
    // its title bar.
    void messageBoxShowsItsWholeTitle()
    {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Velkaro Desktop"), QStringLiteral("OK?"),
                        QMessageBox::Ok);
        KeepTitleWhole(&box);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QFont bold = QApplication::font();
        bold.setBold(true);
        QVERIFY(box.width() >= QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 100);
    }
};

QTEST_MAIN(DialogLayoutTest)
#include "tst_dialoglayout.moc"
