#include "CallListRequestDlg.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velkaro {

CCallListRequestDlg::CCallListRequestDlg(int choice, const std::string& date, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("callListRequestDialog"));
    setWindowTitle(ToQt(Text(dlg::CallListRequest)));
    KeepTitleWhole(this);

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(ToQt(Text(ctl::CallListEntries)), this);
    auto* grid = new QGridLayout(group);
    m_all = new QRadioButton(ToQt(Text(ctl::CallListAllEntries)), group);
    m_all->setObjectName(QStringLiteral("allEntries"));
    m_newer = new QRadioButton(ToQt(Text(ctl::CallListNewerThan)), group);
    m_newer->setObjectName(QStringLiteral("newerThan"));
    auto* radios = new QButtonGroup(this);
    radios->addButton(m_all, 0);
    radios->addButton(m_newer, 1);

    m_date = new QDateEdit(group);
    m_date->setObjectName(QStringLiteral("datePicker"));
    m_date->setCalendarPopup(true);
    // The date belongs to the choice beside it; a screen reader says so.
    m_date->setAccessibleName(m_newer->text().remove(u'&'));
    m_date->setMinimumDate(MinimumDate());
    m_date->setMaximumDate(QDate(7999, 12, 31));
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    const QDate stored = ParseDate(date);
    m_date->setDate(stored.isValid() ? stored : QDate::currentDate());

    grid->addWidget(m_all, 0, 0, 1, 2);
    grid->addWidget(m_newer, 1, 0);
    grid->addWidget(m_date, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);

    QPushButton* help = AddOkCancelHelpBox(this, layout, true);
    connect(help, &QPushButton::clicked, this, &CCallListRequestDlg::helpRequested);

    (choice == 1 ? m_newer : m_all)->setChecked(true);
    m_date->setEnabled(choice == 1);
    connect(m_all, &QRadioButton::clicked, this, &CCallListRequestDlg::ChoiceChanged);
    connect(m_newer, &QRadioButton::clicked, this, &CCallListRequestDlg::ChoiceChanged);
}

void CCallListRequestDlg::ChoiceChanged()
{
    const bool newer = m_newer->isChecked();
    m_date->setEnabled(newer);
    if (newer)
        m_date->setFocus();
}

int CCallListRequestDlg::Choice() const
{
    return m_newer->isChecked() ? 1 : 0;
}

QDate CCallListRequestDlg::Date() const
{
    return m_date->date();
}

std::string CCallListRequestDlg::DateText() const
{
    const QDate d = m_date->date();
    if (!d.isValid())
        return {};
    return FormatString("%02i.%02i.%i", d.day(), d.month(), d.year());
}

QDate CCallListRequestDlg::ParseDate(const std::string& text)
{
    int numbers[3] = { 0, 0, 0 };
    int found = 0;
    for (std::size_t i = 0; i < text.size() && found < 3;) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        long v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (v < 100000)
                v = v * 10 + (text[i] - '0');
            ++i;
        }
        if (v != 0)
            numbers[found++] = static_cast<int>(v);
    }
    if (found < 3)
        return {};
    int year = numbers[2];
    if (year < 80)
        year += 2000;
    else if (year < 100)
        year += 1900;
    const QDate date(year, numbers[1], numbers[0]);
    if (!date.isValid() || date < MinimumDate())
        return {};
    return date;
}

}  // namespace velkaro
