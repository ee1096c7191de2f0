#include "ImportDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "exchange/FileDialogs.h"
#include "exchange/ImportTable.h"
#include "exchange/Transliteration.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace velkaro {

namespace {

// Styles such as Fusion open a combo box's list over the box, as tall as the
// screen allows, and ignore the visible-items limit: 33 assignment items
// would cover the table the user assigns them to. This keeps the drop-down
// list of the platform's classic look, twelve rows with a scroll bar.
class DropDownListStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The records are converted in one pass; the progress moves every 200.
constexpr int kProgressEvery = 200;
// The dialog's own margin and the gaps of its layout rule.
constexpr int kMargin = 6;
constexpr int kMinButtonWidth = 75;
constexpr int kMinButtonHeight = 23;
constexpr int kPictureSize = 11;

QPixmap DrawPicture(AssignPicture picture)
{
    constexpr qreal scale = 2.0;  // drawn finer, shown at 11 pixels
    QPixmap pixmap(QSize(kPictureSize, kPictureSize) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, 8, 8);
    switch (picture) {
    case AssignPicture::None:
        p.setPen(QPen(QColor(150, 150, 150), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 5.5), QPointF(8.5, 5.5));
        break;
    case AssignPicture::Free:
        p.setPen(QPen(QColor(120, 120, 120), 1.0));
        p.setBrush(Qt::white);
        p.drawRoundedRect(box, 1.5, 1.5);
        break;
    case AssignPicture::Assigned: {
        p.setPen(QPen(QColor(0, 110, 50), 1.0));
        p.setBrush(QColor(20, 160, 80));
        p.drawRoundedRect(box, 1.5, 1.5);
        QPainterPath check;
        check.moveTo(3.4, 5.6);
        check.lineTo(5.0, 7.3);
        check.lineTo(8.0, 3.6);
        p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(check);
        break;
    }
    }
    return pixmap;
}

}  // namespace

QIcon AssignPictureIcon(AssignPicture picture)
{
    static const std::array<QIcon, 3> icons = {
        QIcon(DrawPicture(AssignPicture::Free)),
        QIcon(DrawPicture(AssignPicture::Assigned)),
        QIcon(DrawPicture(AssignPicture::None)),
    };
    return icons[static_cast<std::size_t>(picture)];
}

// --- the list of records -------------------------------------------------

CImportTableModel::CImportTableModel(const CImportTable& table, IMessageUi& ui, QObject* parent)
    : QAbstractTableModel(parent)
    , m_columns(table.WidestRecord())
{
    const int records = table.RecordCount();
    m_rows.reserve(static_cast<std::size_t>(records));
    ui.ProgressBegin(Text(msg::FileLoading));
    for (int r = 0; r < records; ++r) {
        QStringList row;
        const int length = table.RecordLength(r);
        row.reserve(length);
        for (int c = 0; c < length; ++c)
            row << ToQt(ReadableForDevice(table.FieldText(r, c)));  // as it will stand on the card
        m_rows.push_back(std::move(row));
        if (r % kProgressEvery == 0)
            ui.ProgressStep(static_cast<int>(1000LL * r / records));
    }
    ui.ProgressEnd();
}

int CImportTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CImportTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant CImportTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const QStringList& row = m_rows[static_cast<std::size_t>(index.row())];
    return index.column() < row.size() ? row[index.column()] : QString();
}

QVariant CImportTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns)
        return ColumnName(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString CImportTableModel::ColumnName(int column) const
{
    const QString title = m_rows.empty() || column >= m_rows.front().size() ? QString()
                                                                             : m_rows.front()[column].trimmed();
    if (title.isEmpty())
        return ToQt(FormatText(ctl::ImportColumn, column + 1));
    return ToQt(FormatText(ctl::ImportColumnTitled, column + 1, FromQt(title).c_str()));
}

// --- field assignment page -----------------------------------------------

CFieldAssignPageWnd::CFieldAssignPageWnd(const CImportTable& table, const CKarte* fieldNames, IMessageUi& ui,
                                         QWidget* parent)
    : QWidget(parent)
    , m_logic(table.WidestRecord())
{
    setObjectName(QStringLiteral("fieldAssignPage"));
    MakeButtons();
    m_strip = new QWidget(this);
    m_strip->setObjectName(QStringLiteral("comboStrip"));
    MakeList(table, ui);
    MakeCombos(fieldNames);
    LayOut();
    Connect();

    // The page opens with the columns whose titles name a line.
    m_logic.AutoAssign(table, fieldNames);
    Refresh();
    PlaceCombos();
}

void CFieldAssignPageWnd::MakeButtons()
{
    m_intro = new QLabel(ToQt(Text(ctl::AssignIntro)), this);
    m_intro->setWordWrap(true);
    m_assignments = new QLabel(ToQt(Text(ctl::Assignments)), this);
    m_clearAll = new QPushButton(ToQt(Text(ctl::ClearAll)), this);
    m_clearAll->setObjectName(QStringLiteral("clearAll"));
    // The button keeps the caption its template gives it in every language.
    m_standard = new QPushButton(QStringLiteral("S&tandard"), this);
    m_standard->setObjectName(QStringLiteral("standard"));
    m_load = new QPushButton(ToQt(Text(ctl::LoadConfig)), this);
    m_load->setObjectName(QStringLiteral("loadConfig"));
    m_save = new QPushButton(ToQt(Text(ctl::SaveConfig)), this);
    m_save->setObjectName(QStringLiteral("saveConfig"));
    for (QPushButton* b : { m_clearAll, m_standard, m_load, m_save })
        b->setAutoDefault(false);
}

void CFieldAssignPageWnd::MakeList(const CImportTable& table, IMessageUi& ui)
{
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("records"));
    m_list->setAccessibleName(ToQt(Text(ctl::ImportRecords)));
    // One tab stop: the arrow keys move inside the list, Tab leaves it.
    m_list->setTabKeyNavigation(false);
    m_list->horizontalHeader()->hide();
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setMinimumSectionSize(1);
    m_list->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    // The combo boxes follow the list pixel by pixel.
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_model = new CImportTableModel(table, ui, this);
    m_list->setModel(m_model);
}

// One combo box per column, in the strip above the list.
void CFieldAssignPageWnd::MakeCombos(const CKarte* fieldNames)
{
    const std::vector<std::string> items = AssignmentItems(fieldNames);
    const int columns = m_logic.ComboCount();
    m_combos.reserve(static_cast<std::size_t>(columns));
    auto* comboStyle = new DropDownListStyle();
    comboStyle->setParent(this);
    for (int i = 0; i < columns; ++i) {
        auto* combo = new QComboBox(m_strip);
        combo->setStyle(comboStyle);
        combo->setObjectName(QStringLiteral("assign%1").arg(i));
        combo->setAccessibleName(m_model->ColumnName(i));
        combo->installEventFilter(this);
        combo->setFixedWidth(kColumnWidth);
        combo->setIconSize(QSize(kPictureSize, kPictureSize));
        combo->setMaxVisibleItems(12);
        for (const std::string& item : items)
            combo->addItem(ToQt(item));
        combo->view()->setMinimumWidth(kDropDownWidth);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, i](int item) { OnComboChosen(i, item); });
        m_combos.push_back(combo);
    }
    const int comboHeight = columns > 0 ? m_combos.front()->sizeHint().height() : QComboBox().sizeHint().height();
    m_strip->setFixedHeight(comboHeight);
    if (columns > 0)
        m_assignments->setBuddy(m_combos.front());
    // Tab goes from the buttons through the boxes, left to right, to the list.
    QWidget* previous = m_save;
    for (QComboBox* combo : m_combos) {
        setTabOrder(previous, combo);
        previous = combo;
    }
    setTabOrder(previous, m_list);
    m_save->installEventFilter(this);
}

void CFieldAssignPageWnd::LayOut()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin + 2, kMargin + 2, kMargin + 2, kMargin + 2);
    layout->setSpacing(kMargin);
    layout->addWidget(m_intro);
    auto* row = new QHBoxLayout;
    row->setSpacing(kMargin);
    row->addWidget(m_assignments);
    row->addWidget(m_clearAll);
    row->addWidget(m_standard);
    row->addStretch(1);
    row->addWidget(m_load);
    row->addWidget(m_save);
    layout->addLayout(row);
    // The combo boxes stand right on top of their columns.
    auto* listArea = new QVBoxLayout;
    listArea->setSpacing(1);
    listArea->addWidget(m_strip);
    listArea->addWidget(m_list, 1);
    layout->addLayout(listArea, 1);
}

void CFieldAssignPageWnd::Connect()
{
    connect(m_clearAll, &QPushButton::clicked, this, [this] {
        m_logic.ClearAll();
        Refresh();
    });
    connect(m_standard, &QPushButton::clicked, this, [this] {
        m_logic.Standard();
        Refresh();
    });
    connect(m_load, &QPushButton::clicked, this, &CFieldAssignPageWnd::loadRequested);
    connect(m_save, &QPushButton::clicked, this, &CFieldAssignPageWnd::saveRequested);
    connect(m_list->horizontalScrollBar(), &QScrollBar::valueChanged, this, &CFieldAssignPageWnd::PlaceCombos);
    connect(m_list->horizontalScrollBar(), &QScrollBar::rangeChanged, this, &CFieldAssignPageWnd::PlaceCombos);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

void CFieldAssignPageWnd::OnComboChosen(int combo, int item)
{
    if (item < 0)
        return;
    m_logic.Choose(combo, item);
    Refresh();
}

void CFieldAssignPageWnd::Refresh()
{
    const int items = kMaxLines + 1;
    std::array<AssignPicture, kMaxLines + 1> pictures {};
    for (int item = 0; item < items; ++item)
        pictures[static_cast<std::size_t>(item)] = m_logic.PictureFor(item);
    for (int i = 0; i < ComboCount(); ++i) {
        QComboBox* combo = m_combos[static_cast<std::size_t>(i)];
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(m_logic.Item(i));
        for (int item = 0; item < items && item < combo->count(); ++item) {
            const AssignPicture picture = pictures[static_cast<std::size_t>(item)];
            if (combo->itemData(item, kPictureRole).toInt() == static_cast<int>(picture)
                && combo->itemData(item, kPictureRole).isValid())
                continue;
            combo->setItemIcon(item, AssignPictureIcon(picture));
            combo->setItemData(item, static_cast<int>(picture), kPictureRole);
        }
        combo->update();
    }
}

void CFieldAssignPageWnd::PlaceCombos()
{
    const int scroll = m_list->horizontalScrollBar()->value();
    const int frame = m_list->frameWidth();
    const int visible = m_list->viewport()->width();
    const int offset = m_list->x() - m_strip->x();
    for (int i = 0; i < ComboCount(); ++i) {
        QComboBox* combo = m_combos[static_cast<std::size_t>(i)];
        const int x = frame - scroll + kColumnWidth * i;
        combo->move(offset + x, 0);
        // Hidden only when it lies wholly outside the list's visible width;
        // the strip clips the one half shown at either end.
        combo->setVisible(x + kColumnWidth > frame && x < frame + visible);
    }
}

void CFieldAssignPageWnd::FocusCombo(int i)
{
    QScrollBar* scroll = m_list->horizontalScrollBar();
    const int left = kColumnWidth * i;
    const int visible = m_list->viewport()->width();
    if (left < scroll->value())
        scroll->setValue(left);
    else if (left + kColumnWidth > scroll->value() + visible)
        scroll->setValue(left + kColumnWidth - visible);
    PlaceCombos();
    m_combos[static_cast<std::size_t>(i)]->setFocus(Qt::TabFocusReason);
}

bool CFieldAssignPageWnd::WalkCombos(QObject* watched, int key)
{
    const int last = ComboCount() - 1;
    if (last < 0 || (key != Qt::Key_Tab && key != Qt::Key_Backtab))
        return false;
    const bool forward = key == Qt::Key_Tab;
    int target = -1;
    if (watched == m_save && forward)
        target = 0;
    else if (watched == m_list && !forward)
        target = last;
    for (int i = 0; i <= last && target < 0; ++i) {
        if (watched == m_combos[static_cast<std::size_t>(i)])
            target = forward ? (i < last ? i + 1 : -1) : i - 1;
    }
    if (target < 0)
        return false;
    FocusCombo(target);
    return true;
}

bool CFieldAssignPageWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier && WalkCombos(watched, key->key()))
            return true;
    }
    if ((watched == m_list || watched == m_list->viewport())
        && (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show))
        PlaceCombos();
    return QWidget::eventFilter(watched, event);
}

// --- settings page -------------------------------------------------------

CImportSettingsPageWnd::CImportSettingsPageWnd(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("importSettingsPage"));
    m_skipFirst = new QCheckBox(ToQt(Text(ctl::SkipFirstRecord)), this);
    m_skipFirst->setObjectName(QStringLiteral("skipFirst"));
    m_onlyNumbers = new QCheckBox(ToQt(Text(ctl::OnlyNumbers)), this);
    m_onlyNumbers->setObjectName(QStringLiteral("onlyNumbers"));
    m_dialable = new QCheckBox(ToQt(Text(ctl::ImportDialable)), this);
    m_dialable->setObjectName(QStringLiteral("dialable"));
    auto* charsetLabel = new QLabel(ToQt(Text(ctl::CharacterSet)), this);
    m_windows = new QRadioButton(ToQt(Text(ctl::CharsetWindows)), this);
    m_windows->setObjectName(QStringLiteral("charsetWindows"));
    m_dos = new QRadioButton(ToQt(Text(ctl::CharsetDos)), this);
    m_dos->setObjectName(QStringLiteral("charsetDos"));
    charsetLabel->setBuddy(m_windows);
    m_charset = new QButtonGroup(this);
    m_charset->addButton(m_windows, static_cast<int>(CharacterSet::Windows));
    m_charset->addButton(m_dos, static_cast<int>(CharacterSet::Dos));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addWidget(m_skipFirst);
    layout->addWidget(m_onlyNumbers);
    layout->addWidget(m_dialable);
    layout->addSpacing(8);
    auto* row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(charsetLabel);
    row->addWidget(m_windows);
    row->addWidget(m_dos);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(m_skipFirst, &QCheckBox::toggled, this, [this](bool on) { m_logic.skipFirst = on; });
    connect(m_onlyNumbers, &QCheckBox::toggled, this, [this](bool on) { m_logic.onlyNumbers = on; });
    connect(m_dialable, &QCheckBox::toggled, this, [this](bool on) { m_logic.dialable = on; });
    connect(m_charset, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_logic.characterSet = id;
    });
    Refresh();
}

void CImportSettingsPageWnd::Refresh()
{
    const QSignalBlocker b1(m_skipFirst), b2(m_onlyNumbers), b3(m_charset), b4(m_dialable);
    m_skipFirst->setChecked(m_logic.skipFirst);
    m_onlyNumbers->setChecked(m_logic.onlyNumbers);
    m_dialable->setChecked(m_logic.dialable);
    (m_logic.characterSet == static_cast<int>(CharacterSet::Dos) ? m_dos : m_windows)->setChecked(true);
}

// --- the dialog ----------------------------------------------------------

CImportDlg::CImportDlg(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames,
                       IMessageUi& ui, CSettings& settings, QWidget* parent)
    : QDialog(parent)
    , m_config(config)
    , m_ui(ui)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("importDialog"));
    setWindowTitle(ToQt(Text(dlg::Import)));
    KeepTitleWhole(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("importTabs"));
    m_assignPage = new CFieldAssignPageWnd(table, fieldNames, ui, m_tabs);
    m_settingsPage = new CImportSettingsPageWnd(m_tabs);
    m_tabs->addTab(m_assignPage, ToQt(Text(dlg::FieldAssignPage)));
    m_tabs->addTab(m_settingsPage, ToQt(Text(dlg::ImportSettingsPage)));
    m_settingsPage->Logic().Exchange(m_config, 0);
    m_settingsPage->Refresh();

    m_ok = new QPushButton(ToQt(Text(msg::ImportButton)), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(ToQt(Text(ctl::Cancel)), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_help = new QPushButton(ToQt(Text(ctl::Help)), this);
    m_help->setObjectName(QStringLiteral("help"));
    m_help->setAutoDefault(false);
    m_cancel->setAutoDefault(false);

    connect(m_ok, &QPushButton::clicked, this, &CImportDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CImportDlg::reject);
    connect(m_help, &QPushButton::clicked, this, [this] {
        if (m_helpHandler)
            m_helpHandler(kHelpTopic);
        emit helpRequested();
    });
    connect(m_assignPage, &CFieldAssignPageWnd::loadRequested, this, &CImportDlg::LoadConfig);
    connect(m_assignPage, &CFieldAssignPageWnd::saveRequested, this, &CImportDlg::SaveConfig);

    setMinimumSize(kMinWidth, kMinHeight);
    ApplyPlacement();
    LayOut();
    SetTabOrder();
}

// After the pages the buttons as they stand, left to right.
void CImportDlg::SetTabOrder()
{
    QWidget* previous = m_assignPage->List();
    for (QWidget* w : std::initializer_list<QWidget*> { m_settingsPage->SkipFirstBox(),
                                                        m_settingsPage->OnlyNumbersBox(),
                                                        m_settingsPage->DialableBox(), m_settingsPage->WindowsButton(),
                                                        m_settingsPage->DosButton(), m_help, m_cancel, m_ok }) {
        setTabOrder(previous, w);
        previous = w;
    }
}

CImportDlg::~CImportDlg()
{
    StorePlacement();
}

void CImportDlg::ApplyPlacement()
{
    const int left = m_settings.ImportDlgLeft();
    if (left == kImportDlgNeverStored) {
        resize(kTemplateWidth, kTemplateHeight);
        return;
    }
    const QRect stored(left, m_settings.ImportDlgTop(), std::max(m_settings.ImportDlgWidth(), kMinWidth),
                       std::max(m_settings.ImportDlgHeight(), kMinHeight));
    // A place on a screen that is no longer there would put the dialog out
    // of reach: it then opens where it does the first time.
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(stored);
    if (!onScreen) {
        resize(kTemplateWidth, kTemplateHeight);
        return;
    }
    setGeometry(stored);
    if (m_settings.ImportDlgShowMax() == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void CImportDlg::StorePlacement()
{
    if (m_placementStored)
        return;
    m_placementStored = true;
    const bool maximized = isMaximized();
    QRect restored = maximized ? normalGeometry() : geometry();
    if (!restored.isValid())
        restored = geometry();
    m_settings.SetImportDlgLeft(restored.x());
    m_settings.SetImportDlgTop(restored.y());
    m_settings.SetImportDlgWidth(restored.width());
    m_settings.SetImportDlgHeight(restored.height());
    m_settings.SetImportDlgShowMax(maximized ? 1 : 0);
}

void CImportDlg::LayOut()
{
    const int w = width();
    const int h = height();
    int bw = kMinButtonWidth;
    int bh = kMinButtonHeight;
    for (QPushButton* b : { m_ok, m_cancel, m_help }) {
        bw = std::max(bw, b->sizeHint().width());
        bh = std::max(bh, b->sizeHint().height());
    }
    const int y = h - bh - kMargin;
    m_ok->setGeometry(w - bw - kMargin, y, bw, bh);
    m_cancel->setGeometry(w - 2 * bw - 20, y, bw, bh);
    m_help->setGeometry(w - 3 * bw - 30, y, bw, bh);
    m_tabs->setGeometry(kMargin, kMargin, w - 2 * kMargin, h - bh - 18);
}

void CImportDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    LayOut();
}

void CImportDlg::accept()
{
    // The pages work on a copy, so that a No to the question leaves the
    // caller's configuration as it came.
    CImportConfig result = m_config;
    if (!m_assignPage->Logic().Validate(result, m_ui))
        return;
    if (!m_settingsPage->Logic().Validate(result))
        return;
    m_config = result;
    QDialog::accept();
}

void CImportDlg::done(int result)
{
    StorePlacement();
    QDialog::done(result);
}

void CImportDlg::LoadConfig()
{
    FileRequest request = ImportConfigFileRequest(false);
    auto path = m_ui.ChooseFile(request);
    if (!path)
        return;
    CImportConfig loaded;
    const Outcome read = ReadImportConfig(*path, loaded);
    m_ui.Show(read, MsgIcon::None);
    if (!read)
        return;  // the pages stay as they were
    m_assignPage->Logic().Exchange(loaded, 0);
    m_assignPage->Refresh();
    m_settingsPage->Logic().TakeFile(loaded);
    m_settingsPage->Refresh();
    m_ui.Message(Text(msg::ImportConfigLoaded), MsgButtons::Ok, MsgIcon::Information);
}

void CImportDlg::SaveConfig()
{
    FileRequest request = ImportConfigFileRequest(true);
    auto path = m_ui.ChooseFile(request);
    if (!path)
        return;
    CImportConfig saved;
    m_assignPage->Logic().Exchange(saved, 1);
    m_settingsPage->Logic().Exchange(saved, 1);
    const Outcome written = WriteImportConfig(*path, saved);
    m_ui.Show(written, MsgIcon::None);
    if (!written)
        return;
    m_ui.Message(Text(msg::ImportConfigSaved), MsgButtons::Ok, MsgIcon::Information);
}

bool RunImportDialog(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames,
                     IMessageUi& ui, CSettings& settings, QWidget* parent, std::function<void(int)> help)
{
    CImportDlg dialog(table, config, fieldNames, ui, settings, parent);
    dialog.SetHelpHandler(std::move(help));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace velkaro
