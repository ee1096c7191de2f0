// The history dialog: the steps kept under their stored (German, ASCII)
// names are listed in the program's language, in a list whose rows show
// the dots and accents of the cards' names whole.

#include "model/Archive.h"
#include "model/History.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "view/HistoryDlg.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace velkaro;

class HistoryDlgTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<HistoryEntry> m_entries;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const std::string working = m_dir.filePath(QStringLiteral("Velkaro_Desktop.itx")).toStdString();
        const char* steps[] = { history::Receive, history::Import, history::Convert };
        std::time_t when = 1765000000;
        for (const char* step : steps) {
            CCardList list;
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, Utf8ToAnsi("Öztürk ") + step);
            list.Append(std::move(card));
            QVERIFY(static_cast<bool>(SaveCardFile(working, list)));
            QCOMPARE(KeepHistory(working, step, when++), 0);
        }
        m_entries = ListHistory(working);
        QCOMPARE(m_entries.size(), std::size_t(3));
    }

    void listsTheStepsInTheProgramsLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("steps");
        // Newest first.
        QTest::newRow("de") << int(kLangGerman) << QStringList { "Umwandeln", "Import", "Empfang" };
        QTest::newRow("en") << int(kLangEnglish) << QStringList { "Conversion", "Import", "Reception" };
        QTest::newRow("fr") << int(kLangFrench) << QStringList { "Conversion", "Importation", "Réception" };
    }

    void listsTheStepsInTheProgramsLanguage()
    {
        QFETCH(int, language);
        QFETCH(QStringList, steps);
        SetLanguageOffset(language);
        CHistoryDlg dialog(m_entries);
        QStringList shown;
        for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i)
            shown << dialog.List()->topLevelItem(i)->text(1);
        QCOMPARE(shown, steps);
        SetLanguageOffset(kLangGerman);
    }

    // A row just as high as the font puts the dots of a capital umlaut on
    // the frame; every row has room above and below the font's height.
    void rowsHoldTheUmlautsDots()
    {
        CHistoryDlg dialog(m_entries);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.Cards()->count(), 1);
        QVERIFY(dialog.Cards()->item(0)->text().startsWith(QStringLiteral("Öztürk")));
        const QFontMetrics cards(dialog.Cards()->font());
        QVERIFY(dialog.Cards()->visualItemRect(dialog.Cards()->item(0)).height() >= cards.height() + 4);
        const QFontMetrics steps(dialog.List()->font());
        QVERIFY(dialog.List()->visualItemRect(dialog.List()->topLevelItem(0)).height() >= steps.height() + 4);
    }
};

QTEST_MAIN(HistoryDlgTest)
#include "tst_historydlg.moc"
