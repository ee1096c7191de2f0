#include "CardStructureDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velkaro {

using namespace structure_ctl;

CCardStructureDlg::CCardStructureDlg(const CKarte* fieldNames, bool active, QWidget* parent)
    : QDialog(parent)
    , m_structure(fieldNames, active)
{
    setObjectName(QStringLiteral("cardStructureDialog"));
    setWindowTitle(ToQt(Text(dlg::CardStructure)));
    KeepTitleWhole(this);

    // The widgets are made in the order of the focus chain.
    auto* layout = new QVBoxLayout(this);
    m_active = new QCheckBox(ToQt(Text(ctl::StructureActive)), this);
    m_active->setChecked(active);
    layout->addWidget(m_active);
    layout->addLayout(MakeFieldGrid());
    layout->addLayout(MakePageRow());
    AddOkCancelHelpBox(this, layout, false);

    // The name and telephone rows are hidden on pages 2 to 5 but keep their
    // room, so that "<<", ">>" and the dialog's buttons stay where the
    // pointer is from page to page.
    for (QWidget* w : std::initializer_list<QWidget*> { m_nameField, m_telEdit, m_nameLabel, m_telLabel }) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    ShowPage();
}

QLineEdit* CCardStructureDlg::MakeEdit(int id, bool readOnly)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("edit%1").arg(id));
    edit->setMaxLength(kMaxLabelLength);
    edit->setReadOnly(readOnly);
    edit->setMinimumWidth(120);
    if (!readOnly)
        edit->installEventFilter(this);
    return edit;
}

QLabel* CCardStructureDlg::MakeLabel(int id, const std::string& text)
{
    auto* label = new QLabel(ToQt(text), this);
    label->setObjectName(QStringLiteral("label%1").arg(id));
    return label;
}

QGridLayout* CCardStructureDlg::MakeFieldGrid()
{
    auto* grid = new QGridLayout;
    m_nameLabel = MakeLabel(NameLabel, Text(msg::FieldLabelName));
    m_nameField = MakeEdit(NameField, true);
    m_nameField->setText(ToQt(Text(msg::NameLabel)));
    m_nameField->setFocusPolicy(Qt::NoFocus);
    // Each label names its edit for screen readers.
    m_nameLabel->setBuddy(m_nameField);
    grid->addWidget(m_nameLabel, 0, 0);
    grid->addWidget(m_nameField, 0, 1);

    m_telLabel = MakeLabel(TelephoneLabel, Text(msg::FieldLabelTelephone));
    m_telEdit = MakeEdit(TelephoneEdit, false);
    m_telEdit->setText(ToQt(m_structure.EditText(TelephoneEdit)));
    m_telLabel->setBuddy(m_telEdit);
    grid->addWidget(m_telLabel, 1, 0);
    grid->addWidget(m_telEdit, 1, 1);

    for (int k = 0; k < kLinesPerPage; ++k) {
        auto i = static_cast<std::size_t>(k);
        m_rowLabels[i] = MakeLabel(FirstRowLabel + k, "");
        m_lineEdits[i] = MakeEdit(FirstLineEdit + k, false);
        m_rowLabels[i]->setBuddy(m_lineEdits[i]);
        grid->addWidget(m_rowLabels[i], 2 + k, 0);
        grid->addWidget(m_lineEdits[i], 2 + k, 1);
    }
    grid->setColumnMinimumWidth(0, LabelColumnWidth() + 2);
    return grid;
}

// The label column as wide as its widest label on any page ("Zeile 28"),
// so the edits do not move sideways from page to page.
int CCardStructureDlg::LabelColumnWidth() const
{
    int labelWidth = 0;
    for (const std::string& text : { Text(msg::FieldLabelName), Text(msg::FieldLabelTelephone),
                                      FormatText(msg::FieldLabelLine, 6 * kPages - 5 + kLinesPerPage - 1) })
        labelWidth = std::max(labelWidth, m_nameLabel->fontMetrics().horizontalAdvance(ToQt(text)));
    for (int n = 0; n <= 9; ++n)  // the widest digits
        labelWidth = std::max(labelWidth, m_nameLabel->fontMetrics().horizontalAdvance(
                                              ToQt(FormatText(msg::FieldLabelLine, 20 + n))));
    return labelWidth;
}

QHBoxLayout* CCardStructureDlg::MakePageRow()
{
    auto* pageRow = new QHBoxLayout;
    m_prev = new QPushButton(QStringLiteral("<<"), this);
    m_prev->setObjectName(QStringLiteral("button%1").arg(PrevPage));
    m_pageField = new QLineEdit(this);
    m_pageField->setObjectName(QStringLiteral("edit%1").arg(structure_ctl::PageField));
    m_pageField->setReadOnly(true);
    m_pageField->setFocusPolicy(Qt::NoFocus);
    m_pageField->setAlignment(Qt::AlignCenter);
    m_next = new QPushButton(QStringLiteral(">>"), this);
    m_next->setObjectName(QStringLiteral("button%1").arg(NextPage));
    // "<<" and ">>" say nothing when read out.
    m_prev->setAccessibleName(ToQt(Text(ctl::PreviousPageName)));
    m_next->setAccessibleName(ToQt(Text(ctl::NextPageName)));
    for (QPushButton* b : { m_prev, m_next })
        b->setAutoDefault(false);
    pageRow->addWidget(m_prev);
    pageRow->addWidget(m_pageField, 1);
    pageRow->addWidget(m_next);

    connect(m_prev, &QPushButton::clicked, this, [this] {
        StoreVisibleEdits();
        m_structure.PreviousPage();
        ShowPage();
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        StoreVisibleEdits();
        m_structure.NextPage();
        ShowPage();
    });
    return pageRow;
}

bool CCardStructureDlg::Active() const
{
    return m_active->isChecked();
}

QLineEdit* CCardStructureDlg::Edit(int id) const
{
    if (id == NameField)
        return m_nameField;
    if (id == TelephoneEdit)
        return m_telEdit;
    if (id == structure_ctl::PageField)
        return m_pageField;
    if (id >= FirstLineEdit && id <= LastLineEdit)
        return m_lineEdits[static_cast<std::size_t>(id - FirstLineEdit)];
    return nullptr;
}

QLabel* CCardStructureDlg::Label(int id) const
{
    if (id == NameLabel)
        return m_nameLabel;
    if (id == TelephoneLabel)
        return m_telLabel;
    if (id >= FirstRowLabel && id < FirstRowLabel + kLinesPerPage)
        return m_rowLabels[static_cast<std::size_t>(id - FirstRowLabel)];
    return nullptr;
}

void CCardStructureDlg::ShowPage()
{
    // A page button that turns grey under the focus would hand it on down the
    // chain to OK, where the next Space closes the dialog: the focus goes to
    // the other page button instead.
    const bool prevHadFocus = m_prev->hasFocus();
    const bool nextHadFocus = m_next->hasFocus();
    m_prev->setEnabled(m_structure.CanGoBack());
    m_next->setEnabled(m_structure.CanGoForward());
    if (nextHadFocus && !m_next->isEnabled() && m_prev->isEnabled())
        m_prev->setFocus(Qt::TabFocusReason);
    else if (prevHadFocus && !m_prev->isEnabled() && m_next->isEnabled())
        m_next->setFocus(Qt::TabFocusReason);
    m_pageField->setText(ToQt(m_structure.PageText()));
    m_pageField->setAccessibleName(m_pageField->text());
    bool first = m_structure.ShowsFirstRows();
    for (QWidget* w : std::initializer_list<QWidget*> { m_nameField, m_telEdit, m_nameLabel, m_telLabel })
        w->setVisible(first);
    for (int k = 0; k < kLinesPerPage; ++k) {
        auto i = static_cast<std::size_t>(k);
        m_rowLabels[i]->setText(ToQt(m_structure.RowLabelText(FirstRowLabel + k)));
        m_lineEdits[i]->setText(ToQt(m_structure.EditText(FirstLineEdit + k)));
    }
}

void CCardStructureDlg::StoreEdit(int id)
{
    QLineEdit* edit = Edit(id);
    if (!edit || edit->isReadOnly() || edit->isHidden())
        return;
    // Only a label the user changed is stored: an untouched edit leaves the
    // card as it was.
    if (!edit->isModified())
        return;
    m_structure.StoreEdit(id, FromQt(edit->text()));
    edit->setModified(false);
}

void CCardStructureDlg::StoreVisibleEdits()
{
    StoreEdit(TelephoneEdit);
    for (int id = FirstLineEdit; id <= LastLineEdit; ++id)
        StoreEdit(id);
}

bool CCardStructureDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_telEdit)
            StoreEdit(TelephoneEdit);
        for (int k = 0; k < kLinesPerPage; ++k) {
            if (watched == m_lineEdits[static_cast<std::size_t>(k)])
                StoreEdit(FirstLineEdit + k);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCardStructureDlg::accept()
{
    // A label typed into the last edit counts even when the dialog is closed
    // with Enter before that edit lost the focus.
    StoreVisibleEdits();
    m_structure.active = Active();
    QDialog::accept();
}

}  // namespace velkaro
