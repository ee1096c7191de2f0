#include "ReceivedCardsDlg.h"

#include "settings/QtText.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace velkaro {

CReceivedCardsDlg::CReceivedCardsDlg(const std::string& text, const CardComparison& comparison, QWidget* parent)
    : QDialog(parent), m_comparison(comparison)
{
    setObjectName(QStringLiteral("receivedCardsDialog"));
    setWindowTitle(QStringLiteral("Velkaro Desktop"));
    KeepTitleWhole(this);

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    // The box's own text as it stands, then one line with the counts.
    auto* label = new QLabel(ToQt(text + "\n\n" + ComparisonCountsText(comparison)), this);
    label->setObjectName(QStringLiteral("receivedCardsText"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    row->addWidget(label, 1);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_merge = buttons->addButton(ToQt(Text(msg::MergeCards)), QDialogButtonBox::AcceptRole);
    m_merge->setObjectName(QStringLiteral("mergeButton"));
    m_cancel = buttons->addButton(ToQt(Text(ctl::Cancel)), QDialogButtonBox::RejectRole);
    m_details = buttons->addButton(ToQt(Text(msg::ComparisonDetails)), QDialogButtonBox::ActionRole);
    m_details->setObjectName(QStringLiteral("detailsButton"));
    layout->addWidget(buttons);
    // OK stays the default, as in the plain box.
    m_ok->setDefault(true);

    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_choice = ReceivedCardsChoice::Replace;
        accept();
    });
    connect(m_merge, &QPushButton::clicked, this, [this] {
        m_choice = ReceivedCardsChoice::Merge;
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_details, &QPushButton::clicked, this, &CReceivedCardsDlg::ShowDetails);
}

namespace {

void AppendGroup(std::string& out, unsigned heading, const std::vector<const CKarte*>& cards)
{
    out += Text(heading) + " (" + std::to_string(cards.size()) + ")\n";
    for (const CKarte* card : cards)
        out += "    " + card->Name() + "\n";
    out += "\n";
}

}  // namespace

std::string CReceivedCardsDlg::DetailsText(const CardComparison& c)
{
    std::string out;
    AppendGroup(out, msg::GroupAdded, c.added);
    out += Text(msg::GroupChanged) + " (" + std::to_string(c.changed.size()) + ")\n";
    const std::string hereLabel = Text(msg::VersionHere), phoneLabel = Text(msg::VersionTelephone);
    for (const auto& [here, phone] : c.changed) {
        out += "    " + here->Name() + "\n";
        // Both versions line by line; a line that differs is marked.
        const int last = std::max(here->LastUsedLine(), phone->LastUsedLine());
        for (int i = 0; i <= last; ++i) {
            const std::string& a = here->GetLine(i);
            const std::string& b = phone->GetLine(i);
            if (a == b) {
                out += "        " + std::to_string(i + 1) + ": " + a + "\n";
            } else {
                out += "      * " + std::to_string(i + 1) + ": " + hereLabel + ": " + a + "\n";
                out += "      * " + std::to_string(i + 1) + ": " + phoneLabel + ": " + b + "\n";
            }
        }
        if (here->marked != phone->marked)
            out += "      * " + hereLabel + ": " + (here->marked ? "[x]" : "[ ]") + "  " + phoneLabel + ": "
                   + (phone->marked ? "[x]" : "[ ]") + "\n";
    }
    out += "\n";
    AppendGroup(out, msg::GroupOnlyHere, c.onlyHere);
    AppendGroup(out, msg::GroupUnchanged, c.unchanged);
    return out;
}

void CReceivedCardsDlg::ShowDetails()
{
    QDialog details(this);
    details.setObjectName(QStringLiteral("comparisonDetails"));
    details.setWindowTitle(ToQt(Text(msg::ComparisonTitle)));
    auto* layout = new QVBoxLayout(&details);
    auto* list = new QPlainTextEdit(&details);
    list->setObjectName(QStringLiteral("comparisonList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setPlainText(ToQt(DetailsText(m_comparison)));
    layout->addWidget(list);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &details);
    connect(close, &QDialogButtonBox::rejected, &details, &QDialog::reject);
    layout->addWidget(close);
    details.resize(560, 420);
    emit detailsShown(&details);
    details.exec();
}

}  // namespace velkaro
