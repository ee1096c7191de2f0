// The demo's window "Simuliertes Telefon": each control gives the simulator
// the command that makes the telephone do what it says, in each language.

#include "text/Language.h"
#include "sim/PhonePanel.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

using namespace velkaro;

class PhonePanelTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetLanguageOffset(kLangGerman); }

    void eachControlGivesItsCommand()
    {
        std::vector<std::string> commands;
        sim::CPhonePanel panel([&commands](const std::string& c) { commands.push_back(c); });
        panel.show();
        auto* sendCards = panel.findChild<QPushButton*>(QStringLiteral("sendCards"));
        auto* sendCallList = panel.findChild<QPushButton*>(QStringLiteral("sendCallList"));
        auto* lock = panel.findChild<QCheckBox*>(QStringLiteral("lock"));
        auto* hangUp = panel.findChild<QPushButton*>(QStringLiteral("hangUp"));
        QVERIFY(sendCards && sendCallList && lock && hangUp);

        QTest::mouseClick(sendCards, Qt::LeftButton);
        QTest::mouseClick(sendCallList, Qt::LeftButton);
        QTest::mouseClick(lock, Qt::LeftButton);
        QTest::mouseClick(lock, Qt::LeftButton);
        QTest::mouseClick(hangUp, Qt::LeftButton);
        QCOMPARE(commands, (std::vector<std::string>{ "send", "calllist", "lock", "unlock", "hangup" }));

        // A cut line carries nothing more.
        QVERIFY(!sendCards->isEnabled());
        QVERIFY(!sendCallList->isEnabled());
        QVERIFY(!lock->isEnabled());
        QTest::mouseClick(sendCards, Qt::LeftButton);
        QCOMPARE(commands.size(), std::size_t(5));
    }

    void speaksTheThreeLanguages()
    {
        struct Case {
            int offset;
            const char* title;
            const char* send;
            const char* lock;
        };
        const Case cases[] = {
            { kLangGerman, "Simuliertes Telefon", "Karten senden", "\u00dcbertragungen sperren" },
            { kLangEnglish, "Simulated telephone", "Send cards", "Lock transfers" },
            { kLangFrench, "T\u00e9l\u00e9phone simul\u00e9", "Envoyer les fiches", "Verrouiller les transferts" },
        };
        for (const Case& c : cases) {
            SetLanguageOffset(c.offset);
            sim::CPhonePanel panel([](const std::string&) {});
            QCOMPARE(panel.windowTitle(), QString::fromUtf8(c.title));
            QCOMPARE(panel.findChild<QPushButton*>(QStringLiteral("sendCards"))->text(), QString::fromUtf8(c.send));
            QCOMPARE(panel.findChild<QCheckBox*>(QStringLiteral("lock"))->text(), QString::fromUtf8(c.lock));
            QVERIFY(!panel.findChild<QPushButton*>(QStringLiteral("hangUp"))->toolTip().isEmpty());
        }
    }
};

QTEST_MAIN(PhonePanelTest)
#include "tst_phonepanel.moc"
