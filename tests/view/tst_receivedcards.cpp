// The result box of received cards that would replace stored ones: the
// specified text with the counts line, OK, the merge choice, Cancel, and
// the details that list each group and both versions of a changed card.

#include "support/ModalTestSupport.h"

#include "model/CardComparison.h"
#include "text/Language.h"
#include "view/ReceivedCardsDlg.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace velkaro;

namespace {

std::unique_ptr<CKarte> Card(const std::string& name, const std::string& phone)
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    card->SetLine(1, phone);
    return card;
}

}  // namespace

class ReceivedCardsTest : public QObject {
    Q_OBJECT

    CCardList m_stored, m_received;
    CardComparison m_comparison;
    const std::string m_text = "3 Karten vom Velkaro empfangen.\nMit dem Speichern der neuen Karten werden die "
                               "bisherigen Karten gel\xF6scht!";

private slots:
    void initTestCase()
    {
        SetLanguageOffset(kLangGerman);
        m_stored.InsertSorted(Card("Adler", "111"), false);
        m_stored.InsertSorted(Card("Huber", "555"), false);
        m_stored.InsertSorted(Card("Zorn", "777"), false);
        m_received.InsertSorted(Card("Adler", "111"), false);
        m_received.InsertSorted(Card("Huber", "999"), false);
        m_received.InsertSorted(Card("Neu", "123"), false);
        m_comparison = CompareCollections(m_stored, m_received);
    }

    void keepsTheTextAndAddsTheCounts()
    {
        CReceivedCardsDlg dialog(m_text, m_comparison);
        QCOMPARE(dialog.text(), QString::fromLatin1(m_text.c_str())
                                    + QStringLiteral("\n\n1 neu, 1 geändert, 1 nur hier, 1 unverändert"));
        QCOMPARE(dialog.MergeButton()->text(), QStringLiteral("&Zusammenführen"));
        QCOMPARE(dialog.DetailsButton()->text(), QStringLiteral("&Details…"));
        QVERIFY(dialog.OkButton()->isDefault());
    }

    void eachButtonGivesItsChoice()
    {
        struct Case {
            const char* button;
            ReceivedCardsChoice choice;
        };
        for (Case c : { Case{ "ok", ReceivedCardsChoice::Replace }, Case{ "merge", ReceivedCardsChoice::Merge },
                        Case{ "cancel", ReceivedCardsChoice::Keep }, Case{ "escape", ReceivedCardsChoice::Keep } }) {
            CReceivedCardsDlg dialog(m_text, m_comparison);
            const std::string which = c.button;
            test::OnModal<CReceivedCardsDlg>([which](CReceivedCardsDlg* d) {
                if (which == "ok")
                    d->OkButton()->click();
                else if (which == "merge")
                    d->MergeButton()->click();
                else if (which == "cancel")
                    d->CancelButton()->click();
                else
                    QTest::keyClick(d, Qt::Key_Escape);
                QTimer::singleShot(2000, d, [d] { d->done(99); });  // a box left open fails below, not hangs
            });
            dialog.exec();
            QCOMPARE(static_cast<int>(dialog.Choice()), static_cast<int>(c.choice));
        }
    }

    // The details open over the box and leave it open: a merge after them
    // still counts.
    void detailsListTheGroupsAndBothVersions()
    {
        CReceivedCardsDlg dialog(m_text, m_comparison);
        QString listed;
        bool detailsSeen = false;
        connect(&dialog, &CReceivedCardsDlg::detailsShown, this, [&](QDialog* details) {
            detailsSeen = true;
            QTimer::singleShot(0, details, [details, &listed] {
                listed = details->findChild<QPlainTextEdit*>(QStringLiteral("comparisonList"))->toPlainText();
                details->reject();
            });
        });
        test::OnModal<CReceivedCardsDlg>([](CReceivedCardsDlg* d) {
            d->DetailsButton()->click();
            QVERIFY(d->isVisible());
            d->MergeButton()->click();
        });
        dialog.exec();
        QVERIFY(detailsSeen);
        QCOMPARE(static_cast<int>(dialog.Choice()), static_cast<int>(ReceivedCardsChoice::Merge));
        QCOMPARE(listed, QStringLiteral("Neu (1)\n    Neu\n\n"
                                        "Geändert (1)\n    Huber\n        1: Huber\n"
                                        "      * 2: Hier: 555\n      * 2: Telefon: 999\n\n"
                                        "Nur hier (1)\n    Zorn\n\n"
                                        "Unverändert (1)\n    Adler\n\n"));
    }
};

QTEST_MAIN(ReceivedCardsTest)
#include "tst_receivedcards.moc"
