#include "ReceivedCardsDlg.h"

#include "settings/QtText.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace velkaro {

CReceivedCardsDlg::CReceivedCardsDlg(const std::string& text, const CardComparison& comparison, QWidget* parent)
    : QMessageBox(QMessageBox::Warning, QStringLiteral("Velkaro Desktop"),
                  // The box's own text as it stands, then one line with the counts.
                  ToQt(text + "\n\n" + ComparisonCountsText(comparison)), QMessageBox::NoButton, parent)
    , m_comparison(comparison)
{
    setObjectName(QStringLiteral("receivedCardsDialog"));
    setTextFormat(Qt::PlainText);
    KeepTitleWhole(this);

    m_ok = addButton(QMessageBox::Ok);
    m_merge = addButton(ToQt(Text(msg::MergeCards)), QMessageBox::AcceptRole);
    m_merge->setObjectName(QStringLiteral("mergeButton"));
    m_cancel = addButton(QMessageBox::Cancel);
    m_details = addButton(ToQt(Text(msg::ComparisonDetails)), QMessageBox::ActionRole);
    m_details->setObjectName(QStringLiteral("detailsButton"));
    // OK stays the default and Escape cancels, as in the plain box.
    setDefaultButton(m_ok);
    setEscapeButton(m_cancel);
    // Every button of a message box ends it; Details must leave it open, so
    // its click goes to the details alone.
    for (QDialogButtonBox* box : findChildren<QDialogButtonBox*>())
        m_details->disconnect(box);
    connect(m_details, &QPushButton::clicked, this, &CReceivedCardsDlg::ShowDetails);
    connect(this, &QMessageBox::buttonClicked, this, [this](QAbstractButton* button) {
        if (button == m_ok)
            m_choice = ReceivedCardsChoice::Replace;
        else if (button == m_merge)
            m_choice = ReceivedCardsChoice::Merge;
        else
            m_choice = ReceivedCardsChoice::Keep;
    });
}

namespace {

void AppendGroup(std::string& out, unsigned heading, const std::vector<const CKarte*>& cards)
{
    out += Text(heading) + " (" + std::to_string(cards.size()) + ")\n";
    for (const CKarte* card : cards)
        out.append("    ").append(card->Name()).append("\n");
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
        out.append("    ").append(here->Name()).append("\n");
        // Both versions line by line; a line that differs is marked.
        const int last = std::max(here->LastUsedLine(), phone->LastUsedLine());
        for (int i = 0; i <= last; ++i) {
            const std::string a(here->GetLine(i));
            const std::string b(phone->GetLine(i));
            if (a == b) {
                out += "        " + std::to_string(i + 1) + ": " + a + "\n";
            } else {
                out += "      * " + std::to_string(i + 1) + ": " + hereLabel + ": " + a + "\n";
                out += "      * " + std::to_string(i + 1) + ": " + phoneLabel + ": " + b + "\n";
            }
        }
        if (here->MarkByte() != phone->MarkByte())
            out += "      * " + hereLabel + ": " + (here->MarkByte() != 0 ? "[x]" : "[ ]") + "  " + phoneLabel + ": "
                   + (phone->MarkByte() != 0 ? "[x]" : "[ ]") + "\n";
    }
    out += "\n";
    AppendGroup(out, msg::GroupOnlyHere, c.onlyHere);
    AppendGroup(out, msg::GroupUnchanged, c.unchanged);
    return out;
}

void CReceivedCardsDlg::ShowDetails()
{
    const auto details = MakeDetailsWindow(this, ToQt(Text(msg::ComparisonTitle)), ToQt(DetailsText(m_comparison)),
                                           QStringLiteral("comparisonDetails"), QStringLiteral("comparisonList"));
    emit detailsShown(details.get());
    details->exec();
}

}  // namespace velkaro
