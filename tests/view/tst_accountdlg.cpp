// The address-book account dialog: every control has a name a screen reader
// says, a search fills the checkable list through the function handed in,
// OK gives the account as shown and refuses one that cannot be used.

#include "support/ScriptedUi.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/AccountDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace velkaro;

class AccountDlgTest : public QObject {
    Q_OBJECT

    test::ScriptedUi m_ui;
    int m_searches = 0;
    std::string m_searchPassword;

    CAccountDlg::FindBooks Finder()
    {
        return [this](const CardDavAccount& account, const std::string& password, std::vector<AddressBook>& books) {
            ++m_searches;
            m_searchPassword = password;
            books = { { account.url + "/privat/", "Privat" }, { account.url + "/arbeit/", "Arbeit" } };
            return Outcome();
        };
    }

private slots:
    void init()
    {
        SetLanguageOffset(kLangGerman);
        m_ui = {};
        m_searches = 0;
    }

    void everyControlHasAnAccessibleName()
    {
        CAccountDlg dialog(CardDavAccount {}, "", true, Finder(), m_ui);
        const QList<QWidget*> controls = dialog.findChildren<QWidget*>();
        int named = 0;
        for (QWidget* control : controls) {
            if (!qobject_cast<QLineEdit*>(control) && !qobject_cast<QAbstractButton*>(control)
                && !qobject_cast<QListWidget*>(control))
                continue;
            QVERIFY2(!control->accessibleName().isEmpty() || !static_cast<QAbstractButton*>(control)->text().isEmpty(),
                     qPrintable(control->objectName()));
            ++named;
        }
        QVERIFY(named >= 12);
        QCOMPARE(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.UrlEdit()->accessibleName(), QStringLiteral("Server-Adresse"));
        QVERIFY(dialog.KeepBox());
        CAccountDlg withoutKeyring(CardDavAccount {}, "", false, Finder(), m_ui);
        QVERIFY(!withoutKeyring.KeepBox());
    }

    void searchFillsTheListAndOkGivesTheAccount()
    {
        CardDavAccount stored;
        stored.filters.dialable = false;
        CAccountDlg dialog(stored, "", true, Finder(), m_ui);
        QTest::keyClicks(dialog.UrlEdit(), QStringLiteral("https://dav.example.org"));
        QTest::keyClicks(dialog.UserEdit(), QStringLiteral("jo"));
        QTest::keyClicks(dialog.PasswordEdit(), QStringLiteral("geheim"));
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(m_searches, 1);
        QCOMPARE(m_searchPassword, std::string("geheim"));
        QCOMPARE(dialog.BookList()->count(), 2);
        QCOMPARE(dialog.BookList()->item(1)->text(), QStringLiteral("Arbeit"));
        dialog.BookList()->item(1)->setCheckState(Qt::Unchecked);
        dialog.findChild<QLineEdit*>(QStringLiteral("excludeCategories"))->setText(QStringLiteral(" Alt , Ex "));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const CardDavAccount account = dialog.Account();
        QCOMPARE(account.url, std::string("https://dav.example.org"));
        QCOMPARE(account.addressBooks, std::vector<std::string> { "https://dav.example.org/privat/" });
        QCOMPARE(account.filters.excludeCategories, (std::vector<std::string> { "Alt", "Ex" }));
        QVERIFY(account.filters.onlyWithNumber);
        QVERIFY(!account.filters.dialable);
        QCOMPARE(dialog.Password(), std::string("geheim"));
        QVERIFY(dialog.KeepPassword());
    }

    void okRefusesWhatCannotBeUsed()
    {
        CardDavAccount account;
        account.url = "dav.example.org";
        account.user = "jo";
        CAccountDlg dialog(account, "", true, Finder(), m_ui);
        dialog.FindButton()->click();
        QCOMPARE(m_searches, 0);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(m_ui.shown.size(), std::size_t(2));
        QCOMPARE(m_ui.LastText(), Text(msg::AccountBadUrl));
        dialog.UrlEdit()->setText(QStringLiteral("https://dav.example.org"));
        dialog.FindButton()->click();
        for (int i = 0; i < dialog.BookList()->count(); ++i)
            dialog.BookList()->item(i)->setCheckState(Qt::Unchecked);
        dialog.accept();
        QCOMPARE(m_ui.LastText(), Text(msg::AccountNoBookChosen));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(AccountDlgTest)
#include "tst_accountdlg.moc"
