#pragma once

// "Adressbuch-Konto": the address-book server, the user and the password,
// the address books to sync (found on the server by "Adressbücher
// suchen") and the filters that decide which contacts become cards. The
// dialog knows its controls; finding the books and keeping the password
// are the caller's, handed in.

#include "carddav/SyncTypes.h"
#include "model/MessageUi.h"
#include "text/Outcome.h"
#include "view/AccountForm.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velkaro {

class CAccountDlg : public QDialog {
    Q_OBJECT
public:
    // Asks the server for its address books with the account and password
    // given; the books, or the failure to show.
    using FindBooks = std::function<Outcome(const CardDavAccount& account, const std::string& password,
                                            std::vector<AddressBook>& books)>;

    // password: the one known so far (UTF-8, may be empty); keyringAvailable
    // shows the choice to keep it in the desktop's keyring.
    CAccountDlg(const CardDavAccount& account, const std::string& password, bool keyringAvailable, FindBooks find,
                IMessageUi& ui, QWidget* parent = nullptr);

    // The account as the dialog shows it now (UTF-8).
    CardDavAccount Account() const;
    std::string Password() const;
    // Whether the password is to be kept in the keyring.
    bool KeepPassword() const;

    QLineEdit* UrlEdit() const { return m_url; }
    QLineEdit* UserEdit() const { return m_user; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QCheckBox* KeepBox() const { return m_keep; }
    QPushButton* FindButton() const { return m_find; }
    QListWidget* BookList() const { return m_books; }

    // Refuses an account that cannot be used, or a list with no book
    // checked; says why and stays open.
    void accept() override;

signals:
    void helpRequested();

private:
    void AddServerRows(QGridLayout* grid, const CardDavAccount& account, const std::string& password);
    QWidget* MakeFilterBox(const SyncFilters& filters);
    void FindAddressBooks();
    void ShowBooks(const std::vector<BookChoice>& lines);
    std::vector<BookChoice> ShownBooks() const;
    bool Refuse(const Outcome& outcome, QWidget* field);

    IMessageUi& m_ui;
    FindBooks m_findBooks;
    std::vector<std::string> m_storedBooks;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_keep = nullptr;
    QPushButton* m_find = nullptr;
    QListWidget* m_books = nullptr;
    // The filters' controls, in the order SyncFilters names them.
    struct {
        QCheckBox* onlyWithNumber;
        QLineEdit* include;
        QLineEdit* exclude;
        QCheckBox* onePerNumber;
        QCheckBox* dialable;
    } m_filter {};
};

}  // namespace velkaro
