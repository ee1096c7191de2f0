#include "HistoryDlg.h"

#include "model/Archive.h"
#include "settings/QtText.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace velkaro {

namespace {

// Rows just as high as the font put the dots of a capital umlaut ("Öztürk")
// on the list's frame or on the row above, where they are hardly seen; a
// few pixels more show them whole.
class RoomyRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + kRowRoom));
        return size;
    }

private:
    static constexpr int kRowRoom = 6;
};

}  // namespace

CHistoryDlg::CHistoryDlg(const std::vector<HistoryEntry>& entries, QWidget* parent)
    : QDialog(parent)
    , m_entries(entries)
{
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(ToQt(Text(msg::StepRestore)));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setRootIsDecorated(false);
    m_list->setItemDelegate(new RoomyRows(m_list));
    m_list->setHeaderLabels({ ToQt(Text(msg::HistoryTime)), ToQt(Text(msg::HistoryAction)), ToQt(Text(msg::HistoryCards)) });
    for (const HistoryEntry& entry : m_entries) {
        CCardList list;
        const bool read = static_cast<bool>(LoadCardFile(entry.path, list));
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(0, QString::fromStdString(entry.time));
        row->setText(1, ToQt(HistoryStepText(entry.action)));
        row->setText(2, read ? QString::number(list.Count()) : QStringLiteral("?"));
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_cards = new QListWidget(this);
    m_cards->setObjectName(QStringLiteral("historyCards"));
    m_cards->setItemDelegate(new RoomyRows(m_cards));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_list, 3);
    lists->addWidget(m_cards, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(buttons);

    connect(m_list, &QTreeWidget::currentItemChanged, this, [this, buttons] {
        ShowCards();
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!ChosenPath().empty());
    });
    if (!m_entries.empty())
        m_list->setCurrentItem(m_list->topLevelItem(0));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!ChosenPath().empty());
    resize(560, 360);
}

std::string CHistoryDlg::ChosenPath() const
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= static_cast<int>(m_entries.size()))
        return {};
    return m_entries[static_cast<std::size_t>(row)].path;
}

void CHistoryDlg::ShowCards()
{
    m_cards->clear();
    const std::string path = ChosenPath();
    if (path.empty())
        return;
    CCardList list;
    if (!static_cast<bool>(LoadCardFile(path, list)))
        return;
    for (const CKarte* card : list.Cards())
        m_cards->addItem(ToQt(card->Name()));
}

}  // namespace velkaro
