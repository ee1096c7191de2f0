#include "CallListDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "device/CallListNames.h"
#include "exchange/FileDialogs.h"
#include "exchange/SpreadsheetWriter.h"
#include "exchange/TextWriter.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace velkaro {

namespace {

constexpr int kRecordRole = Qt::UserRole + 1;

const unsigned kColumnTitles[CCallListDlg::kColumnCount] = {
    msg::ColumnDate, msg::ColumnTime,       msg::ColumnName,     msg::ColumnNumber,
    msg::ColumnInternExtern, msg::ColumnLine, msg::ColumnDuration,
};

// An arrow from one corner of a 16 x 16 picture to the other.
QPixmap ArrowPicture(QPointF from, QPointF to, const QColor& colour)
{
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF d = to - from;
    const qreal length = std::hypot(d.x(), d.y());
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    const QPointF neck = to - u * 5.0;
    p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, neck);
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(neck + n * 3.6);
    head.lineTo(neck - n * 3.6);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
    return pixmap;
}

}  // namespace

CCallListDlg::CCallListDlg(CCallList& list, IMessageUi& ui, QWidget* parent)
    : QDialog(parent)
    , m_calls(list)
    , m_ui(ui)
{
    setObjectName(QStringLiteral("callListDialog"));
    setWindowTitle(ToQt(Text(dlg::CallListPreview)));
    KeepTitleWhole(this);
    CSettings& settings = CSettings::Instance();

    auto* layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("callList"));
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setIconSize(QSize(16, 16));
    m_list->setColumnCount(kColumnCount);
    QStringList titles;
    for (unsigned id : kColumnTitles)
        titles << ToQt(Text(id));
    m_list->setHeaderLabels(titles);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    for (int c = 0; c < kColumnCount; ++c)
        m_list->setColumnWidth(c, 100);
    layout->addWidget(m_list, 1);
    m_cardNameNote = new QLabel(ToQt(Text(msg::CallListCardNameNote)), this);
    m_cardNameNote->setObjectName(QStringLiteral("cardNameNote"));
    m_cardNameNote->setWordWrap(true);
    QFont noteFont = m_cardNameNote->font();
    noteFont.setItalic(true);
    m_cardNameNote->setFont(noteFont);
    layout->addWidget(m_cardNameNote);

    auto* options = new QHBoxLayout;
    m_ascending = new QCheckBox(ToQt(Text(ctl::Ascending)), this);
    m_ascending->setObjectName(QStringLiteral("ascending"));
    m_ascending->setChecked(settings.CallListRising() != 0);
    m_onlySelected = new QCheckBox(ToQt(Text(ctl::SaveOnlySelected)), this);
    m_onlySelected->setObjectName(QStringLiteral("onlySelected"));
    m_onlySelected->setChecked(settings.CallListOnlySelected() != 0);
    m_namesFromCards = new QCheckBox(ToQt(Text(msg::CallListNamesFromCards)), this);
    m_namesFromCards->setObjectName(QStringLiteral("namesFromCards"));
    m_namesFromCards->setChecked(settings.CallListNamesFromCards() != 0);
    m_save = new QPushButton(ToQt(Text(ctl::CallListSave)), this);
    m_save->setObjectName(QStringLiteral("save"));
    options->addWidget(m_ascending);
    options->addWidget(m_onlySelected);
    options->addWidget(m_namesFromCards);
    options->addStretch(1);
    options->addWidget(m_save);
    layout->addLayout(options);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(ToQt(Text(msg::CloseButton)), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);
    QPushButton* help = buttons->addButton(ToQt(Text(ctl::Help)), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, &CCallListDlg::helpRequested);
    layout->addWidget(buttons);

    connect(m_ascending, &QCheckBox::clicked, this, &CCallListDlg::OnAscendingClicked);
    connect(m_save, &QPushButton::clicked, this, &CCallListDlg::OnSave);

    Fill();
    for (int c = 0; c < kColumnCount; ++c)
        m_list->resizeColumnToContents(c);

    int width = m_list->frameWidth() * 2 + 24;
    for (int c = 0; c < kColumnCount; ++c)
        width += m_list->columnWidth(c);
    resize(std::min(std::max(width, 520), 900), 360);
}

CCallListDlg::~CCallListDlg()
{
    CSettings& settings = CSettings::Instance();
    settings.SetCallListRising(m_ascending->isChecked() ? 1 : 0);
    settings.SetCallListOnlySelected(m_onlySelected->isChecked() ? 1 : 0);
    settings.SetCallListNamesFromCards(m_namesFromCards->isChecked() ? 1 : 0);
}

std::string CCallListDlg::DurationText(const std::string& field)
{
    std::size_t i = 0;
    while (i < field.size() && field[i] == '0')
        ++i;
    if (i < field.size() && field[i] == ':' && i > 0)
        --i;
    if (i + 1 < field.size() && field[i + 1] == ':' && i > 0)
        --i;
    return field.substr(i);
}

QString CCallListDlg::CellText(const CAnrufObj& record, int column)
{
    switch (column) {
    case 0: return ToQt(record.Field(callfield::Date));
    case 1: return ToQt(record.Field(callfield::Time));
    case 2: return ToQt(ShowsCardName(record) ? record.cardName : record.Field(callfield::Name));
    case 3: return ToQt(record.Field(callfield::Number));
    case 4: return ToQt(Text(record.Field(callfield::Internal) == "1" ? msg::CallInternal : msg::CallExternal));
    case 5: return ToQt(record.Field(callfield::Line));
    case 6: return ToQt(DurationText(record.Field(callfield::Duration)));
    default: return {};
    }
}

bool CCallListDlg::ShowsCardName(const CAnrufObj& record)
{
    return !record.cardName.empty();
}

QIcon CCallListDlg::DirectionIcon(int image)
{
    static const QIcon out(ArrowPicture(QPointF(2.5, 13.5), QPointF(14, 2), QColor(0, 0, 0)));
    static const QIcon in(ArrowPicture(QPointF(2.5, 2.5), QPointF(14, 14), QColor(0, 0, 255)));
    return image == 1 ? in : out;
}

void CCallListDlg::Fill()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_list->clear();
    const std::vector<CAnrufObj*> records = m_calls.InOrder(m_ascending->isChecked());
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(records.size()));
    bool cardNames = false;
    QFont italic = m_list->font();
    italic.setItalic(true);
    const QString fromCards = ToQt(Text(msg::CallListCardName));
    for (CAnrufObj* record : records) {
        auto* item = new QTreeWidgetItem;
        for (int c = 0; c < kColumnCount; ++c)
            item->setText(c, CellText(*record, c));
        if (ShowsCardName(*record)) {
            // Told apart by more than colour, for screen readers and for
            // those who do not see the colour.
            cardNames = true;
            item->setFont(2, italic);
            item->setForeground(2, m_list->palette().brush(QPalette::Link));
            item->setToolTip(2, fromCards);
            item->setData(2, Qt::AccessibleDescriptionRole, fromCards);
        }
        const bool incoming = record->Field(callfield::Direction) == "1";
        item->setIcon(0, DirectionIcon(incoming ? 1 : 0));
        // The arrow says the direction only to the eye; a screen reader
        // reads it before the date.
        item->setData(0, Qt::AccessibleTextRole,
                      ToQt(Text(incoming ? ctl::CallIncoming : ctl::CallOutgoing)) + QStringLiteral(", ")
                          + item->text(0));
        item->setData(0, kRecordRole, QVariant::fromValue(static_cast<void*>(record)));
        items << item;
    }
    m_list->addTopLevelItems(items);
    m_cardNameNote->setVisible(cardNames);
    m_namesFromCards->setEnabled(cardNames);
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (CAnrufObj* record = RecordOfRow(row); record && record->selected == 1)
            m_list->topLevelItem(row)->setSelected(true);
    }
    QApplication::restoreOverrideCursor();
}

CAnrufObj* CCallListDlg::RecordOfRow(int row) const
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? static_cast<CAnrufObj*>(item->data(0, kRecordRole).value<void*>()) : nullptr;
}

void CCallListDlg::StoreSelections()
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (CAnrufObj* record = RecordOfRow(row))
            record->selected = m_list->topLevelItem(row)->isSelected() ? 1 : 0;
    }
}

void CCallListDlg::OnAscendingClicked()
{
    StoreSelections();
    Fill();
}

CImportTable CCallListDlg::SaveTable(bool onlySelected, bool namesFromCards) const
{
    CImportTable table;
    int out = 0;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (onlySelected && !m_list->topLevelItem(row)->isSelected())
            continue;
        const CAnrufObj* record = RecordOfRow(row);
        if (!record)
            continue;
        const std::vector<std::string> fields = FieldsToSave(*record, namesFromCards);
        if (fields.empty())
            table.SetField(std::string(), out, 0);
        for (std::size_t c = 0; c < fields.size(); ++c)
            table.SetField(fields[c], out, static_cast<int>(c));
        ++out;
    }
    return table;
}

void CCallListDlg::OnSave()
{
    FileRequest request = ImportExportFileRequest(true);
    const std::optional<std::string> path = m_ui.ChooseFile(request);
    if (!path)
        return;
    const CImportTable table = SaveTable(m_onlySelected->isChecked(), m_namesFromCards->isChecked());
    Outcome written;
    switch (request.filterIndex) {
    case kFilterExcel: written = WriteSpreadsheet(*path, table); break;
    case kFilterComma: written = WriteDelimitedText(*path, table, ';', true); break;
    case kFilterTab: written = WriteDelimitedText(*path, table, '\t', false); break;
    default: return;
    }
    m_ui.Show(written, MsgIcon::None);
    if (!written)
        return;
    const std::string count = table.RecordCount() == m_list->topLevelItemCount()
        ? Text(msg::AllWord)
        : FormatString("%i", table.RecordCount());
    const std::string shownPath = FromQt(QFile::decodeName(path->c_str()));
    m_ui.Message(FormatText(msg::CallListSaved, count.c_str(), shownPath.c_str()), MsgButtons::Ok,
                 MsgIcon::Information);
}

void CCallListDlg::accept()
{
    StoreSelections();
    m_stored = true;
    QDialog::accept();
}

void CCallListDlg::done(int result)
{
    // Escape and the title bar close the window too; what the user
    // selected is kept either way.
    if (!m_stored)
        StoreSelections();
    m_stored = false;
    QDialog::done(result);
}

}  // namespace velkaro
