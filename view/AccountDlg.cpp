#include "AccountDlg.h"

#include "carddav/AccountStore.h"
#include "settings/QtText.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkaro {

namespace {

constexpr int kUrlRole = Qt::UserRole;
constexpr int kOfferedRole = Qt::UserRole + 1;

QString Label(unsigned id)
{
    return ToQt(Text(id));
}

// A control's name for a screen reader: its label without the letter mark
// and the colon.
QString AccessibleText(unsigned id)
{
    QString text = Label(id).remove(u'&').trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed();
}

QString FromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string ToUtf8(const QString& text)
{
    return text.trimmed().toStdString();
}

QLineEdit* AddEditRow(QGridLayout* grid, int row, unsigned label, const QString& name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(AccessibleText(label));
    auto* caption = new QLabel(Label(label), parent);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

QCheckBox* MakeCheck(unsigned label, const QString& name, bool on, QWidget* parent)
{
    auto* box = new QCheckBox(Label(label), parent);
    box->setObjectName(name);
    box->setAccessibleName(AccessibleText(label));
    box->setChecked(on);
    return box;
}

}  // namespace

CAccountDlg::CAccountDlg(const CardDavAccount& account, const std::string& password, bool keyringAvailable,
                         FindBooks find, IMessageUi& ui, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_findBooks(std::move(find))
    , m_storedBooks(account.addressBooks)
{
    setObjectName(QStringLiteral("accountDialog"));
    setWindowTitle(Label(msg::AccountTitle));
    KeepTitleWhole(this);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    AddServerRows(grid, account, password);
    layout->addLayout(grid);
    if (keyringAvailable) {
        m_keep = MakeCheck(msg::AccountKeepPassword, QStringLiteral("keepPassword"), true, this);
        grid->addWidget(m_keep, grid->rowCount(), 1);
    }

    m_find = new QPushButton(Label(msg::AccountFindBooks), this);
    m_find->setObjectName(QStringLiteral("findBooks"));
    m_find->setAccessibleName(AccessibleText(msg::AccountFindBooks));
    m_find->setAutoDefault(false);
    connect(m_find, &QPushButton::clicked, this, &CAccountDlg::FindAddressBooks);
    layout->addWidget(m_find, 0, Qt::AlignLeft);

    auto* booksLabel = new QLabel(Label(msg::AccountBooks), this);
    m_books = new QListWidget(this);
    m_books->setObjectName(QStringLiteral("bookList"));
    m_books->setAccessibleName(AccessibleText(msg::AccountBooks));
    booksLabel->setBuddy(m_books);
    layout->addWidget(booksLabel);
    layout->addWidget(m_books);
    ShowBooks(BookChoices(m_storedBooks, {}));

    layout->addWidget(MakeFilterBox(account.filters));
    QPushButton* help = AddOkCancelHelpBox(this, layout, true);
    connect(help, &QPushButton::clicked, this, &CAccountDlg::helpRequested);
    (m_url->text().isEmpty() ? m_url : m_password)->setFocus();
}

void CAccountDlg::AddServerRows(QGridLayout* grid, const CardDavAccount& account, const std::string& password)
{
    m_url = AddEditRow(grid, 0, msg::AccountUrl, QStringLiteral("url"), this);
    m_url->setText(FromUtf8(account.url));
    m_url->setPlaceholderText(QStringLiteral("https://"));
    m_user = AddEditRow(grid, 1, msg::AccountUser, QStringLiteral("user"), this);
    m_user->setText(FromUtf8(account.user));
    m_password = AddEditRow(grid, 2, msg::AccountPassword, QStringLiteral("password"), this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAccessibleName(Label(msg::AccountPasswordAccessible));
    m_password->setText(FromUtf8(password));
    grid->setColumnStretch(1, 1);
}

QWidget* CAccountDlg::MakeFilterBox(const SyncFilters& filters)
{
    auto* box = new QGroupBox(Label(msg::AccountFilters), this);
    box->setAccessibleName(AccessibleText(msg::AccountFilters));
    auto* grid = new QGridLayout(box);
    m_filter.onlyWithNumber
        = MakeCheck(msg::AccountOnlyWithNumber, QStringLiteral("onlyWithNumber"), filters.onlyWithNumber, box);
    grid->addWidget(m_filter.onlyWithNumber, 0, 0, 1, 2);
    m_filter.include = AddEditRow(grid, 1, msg::AccountInclude, QStringLiteral("includeCategories"), box);
    m_filter.include->setText(FromUtf8(JoinCategories(filters.includeCategories)));
    m_filter.exclude = AddEditRow(grid, 2, msg::AccountExclude, QStringLiteral("excludeCategories"), box);
    m_filter.exclude->setText(FromUtf8(JoinCategories(filters.excludeCategories)));
    for (QLineEdit* edit : { m_filter.include, m_filter.exclude })
        edit->setPlaceholderText(Label(msg::AccountCategoriesHint));
    m_filter.onePerNumber
        = MakeCheck(msg::AccountOnePerNumber, QStringLiteral("onePerNumber"), filters.onePerNumber, box);
    grid->addWidget(m_filter.onePerNumber, 3, 0, 1, 2);
    m_filter.dialable = MakeCheck(msg::AccountDialable, QStringLiteral("dialable"), filters.dialable, box);
    grid->addWidget(m_filter.dialable, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return box;
}

CardDavAccount CAccountDlg::Account() const
{
    CardDavAccount account;
    account.url = ToUtf8(m_url->text());
    account.user = ToUtf8(m_user->text());
    account.addressBooks = ChosenBooks(ShownBooks()).value_or(std::vector<std::string> {});
    SyncFilters& f = account.filters;
    f.onlyWithNumber = m_filter.onlyWithNumber->isChecked();
    f.includeCategories = SplitCategories(m_filter.include->text().toStdString());
    f.excludeCategories = SplitCategories(m_filter.exclude->text().toStdString());
    f.onePerNumber = m_filter.onePerNumber->isChecked();
    f.dialable = m_filter.dialable->isChecked();
    return account;
}

std::string CAccountDlg::Password() const
{
    // A password's blanks are its own.
    return m_password->text().toStdString();
}

bool CAccountDlg::KeepPassword() const
{
    return m_keep && m_keep->isChecked();
}

void CAccountDlg::ShowBooks(const std::vector<BookChoice>& lines)
{
    m_books->clear();
    for (const BookChoice& line : lines) {
        auto* item = new QListWidgetItem(FromUtf8(line.displayName), m_books);
        item->setData(kUrlRole, FromUtf8(line.url));
        item->setData(kOfferedRole, line.offered);
        item->setToolTip(FromUtf8(line.url));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(line.checked ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<BookChoice> CAccountDlg::ShownBooks() const
{
    std::vector<BookChoice> lines;
    for (int i = 0; i < m_books->count(); ++i) {
        const QListWidgetItem* item = m_books->item(i);
        lines.push_back({ item->data(kUrlRole).toString().toStdString(), item->text().toStdString(),
                          item->checkState() == Qt::Checked, item->data(kOfferedRole).toBool() });
    }
    return lines;
}

bool CAccountDlg::Refuse(const Outcome& outcome, QWidget* field)
{
    if (outcome.Ok())
        return false;
    m_ui.Show(outcome, MsgIcon::Warning);
    field->setFocus();
    return true;
}

void CAccountDlg::FindAddressBooks()
{
    const CardDavAccount account = Account();
    const Outcome usable = CheckAccount(account);
    if (Refuse(usable, usable.MessageId() == msg::AccountNoUser ? m_user : m_url) || !m_findBooks)
        return;
    std::vector<AddressBook> found;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Outcome outcome = m_findBooks(account, Password(), found);
    QApplication::restoreOverrideCursor();
    if (!outcome.Ok()) {
        m_ui.Show(outcome, MsgIcon::Error);
        return;
    }
    if (found.empty()) {
        m_ui.Message(Text(msg::AccountNoBooksFound), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    // What was checked before the search stays the choice.
    const auto chosen = ChosenBooks(ShownBooks()).value_or(m_storedBooks);
    ShowBooks(BookChoices(chosen, found));
    m_books->setFocus();
}

void CAccountDlg::accept()
{
    const Outcome usable = CheckAccount(Account());
    if (Refuse(usable, usable.MessageId() == msg::AccountNoUser ? m_user : m_url))
        return;
    if (!ChosenBooks(ShownBooks())) {
        m_ui.Message(Text(msg::AccountNoBookChosen), MsgButtons::Ok, MsgIcon::Warning);
        m_books->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace velkaro
