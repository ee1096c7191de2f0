#include "QtUserInterface.h"

#include "app/Help.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "view/ImportDlg.h"
#include "view/ImportModeDlg.h"
#include "view/SheetChoiceDlg.h"
#include "view/ProgressWnd.h"
#include "view/ReceivedCardsDlg.h"
#include "view/SendProgressDlg.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>

namespace velkaro {

namespace {

const QString kTitle = QStringLiteral("Velkaro Desktop");

QMessageBox::Icon QtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// The extension of a Qt name filter's first pattern ("Tab-getrennt-Dateien
// (*.txt *.tab)" gives "txt"); fallback for a pattern such as "*.*".
QString FilterSuffix(const QString& filter, const QString& fallback)
{
    const qsizetype open = filter.lastIndexOf(u'(');
    const qsizetype close = filter.lastIndexOf(u')');
    if (open < 0 || close <= open)
        return fallback;
    const QString first = filter.mid(open + 1, close - open - 1).split(u' ', Qt::SkipEmptyParts).value(0);
    if (!first.startsWith(QStringLiteral("*.")))
        return fallback;
    const QString ext = first.mid(2);
    if (ext.isEmpty() || ext.contains(u'*') || ext.contains(u'?'))
        return fallback;
    return ext;
}

}  // namespace

QtUserInterface::QtUserInterface(std::function<QWidget*()> owner)
    : m_owner(std::move(owner))
    , m_help([](int topic) { ShowHelpForId(topic); })  // the manual at the dialog's section
{
}

QtUserInterface::~QtUserInterface()
{
    ProgressEnd();
    while (m_waits > 0)
        EndWait();
}

QWidget* QtUserInterface::Owner() const
{
    return m_owner ? m_owner() : nullptr;
}

QWidget* QtUserInterface::DialogOwner() const
{
    // A transfer's progress window is closed by the flow itself, from a
    // timer or the line, possibly while a box runs its own event loop: a box
    // that belonged to it would go with it. Such a window lends its place
    // to the window it stands over.
    QWidget* modal = QApplication::activeModalWidget();
    while (qobject_cast<CTransferProgressDlg*>(modal))
        modal = modal->parentWidget() ? modal->parentWidget()->window() : nullptr;
    return modal ? modal : Owner();
}

MsgAnswer QtUserInterface::Message(const std::string& text, MsgButtons buttons, MsgIcon icon)
{
    QMessageBox box(QtIcon(icon), kTitle, ToQt(text), QMessageBox::NoButton, DialogOwner());
    // The texts hold file and card names from outside: never markup.
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    // A wait cursor must not hide that the program asks something.
    const bool waiting = m_waits > 0;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    KeepTitleWhole(&box);
    const int answer = box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    switch (answer) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: break;
    }
    // Closing the box by Escape or the title bar: Cancel, or No where the
    // box has no Cancel; a plain OK box only ever answers OK.
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    if (buttons == MsgButtons::YesNo)
        return MsgAnswer::No;
    return MsgAnswer::Cancel;
}

ReceivedCardsChoice QtUserInterface::AskReceivedCards(const std::string& received, unsigned warning,
                                                      MsgIcon /*icon*/, const CardComparison& comparison)
{
    CReceivedCardsDlg dialog(received + Text(warning), comparison, DialogOwner());
    const bool waiting = m_waits > 0;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    return dialog.Choice();
}

QStringList QtUserInterface::QtFilters(const std::string& platformFilter)
{
    const QStringList parts = ToQt(platformFilter).split(u'|');
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString patterns = parts[i + 1].trimmed();
        if (name.isEmpty() && patterns.isEmpty())
            continue;  // the closing "||"
        name.remove(trailingPatterns);
        QStringList list = patterns.split(u';', Qt::SkipEmptyParts);
        for (QString& p : list)
            p = p.trimmed();
        if (list.isEmpty())
            list << QStringLiteral("*");
        filters << name + QStringLiteral(" (") + list.join(u' ') + u')';
    }
    return filters;
}

std::optional<std::string> QtUserInterface::ChooseFile(FileRequest& request)
{
    QFileDialog dialog(DialogOwner(), ToQt(request.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_native);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save || !request.fileMustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(ToQt(request.defaultExt));
    const QStringList filters = QtFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
        dialog.selectNameFilter(filters[index - 1]);
        if (request.save) {
            // A name typed without an extension gets the one of the chosen
            // file type, so that a tab-separated export does not end in .xls.
            const QString fallback = ToQt(request.defaultExt);
            dialog.setDefaultSuffix(FilterSuffix(filters[index - 1], fallback));
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, fallback](const QString& filter) {
                dialog.setDefaultSuffix(FilterSuffix(filter, fallback));
            });
        }
    }
    // Without a folder of the caller's the dialog opens where the user last
    // chose a file in this run, at first in the documents folder: the
    // working directory of a program started from the desktop is arbitrary.
    if (!request.initialDir.empty())
        dialog.setDirectory(QFile::decodeName(request.initialDir.c_str()));
    else if (!m_lastDir.isEmpty() && QFileInfo(m_lastDir).isDir())
        dialog.setDirectory(m_lastDir);
    else if (const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
             !docs.isEmpty() && QFileInfo(docs).isDir())
        dialog.setDirectory(docs);
    if (!request.initialName.empty())
        dialog.selectFile(QFile::decodeName(request.initialName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (!filters.isEmpty()) {
        const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
        if (chosen >= 0)
            request.filterIndex = static_cast<int>(chosen) + 1;
    }
    const QString chosen = dialog.selectedFiles().front();
    m_lastDir = QFileInfo(chosen).absolutePath();
    return QFile::encodeName(chosen).toStdString();
}

void QtUserInterface::BeginWait()
{
    ++m_waits;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUserInterface::EndWait()
{
    if (m_waits == 0)
        return;
    --m_waits;
    QApplication::restoreOverrideCursor();
}

void QtUserInterface::ProgressBegin(const std::string& caption)
{
    // One progress window at a time: a new caption replaces the old window.
    ProgressEnd();
    m_progress = new CProgressWnd(ToQt(caption), Owner());
}

void QtUserInterface::ProgressStep(int perMille)
{
    // The work runs on this thread: the window paints before this returns.
    if (m_progress)
        m_progress->SetPos(std::clamp(perMille, 0, CProgressWnd::kRange));
}

void QtUserInterface::ProgressEnd()
{
    delete m_progress.data();
    m_progress = nullptr;
}

void QtUserInterface::Beep()
{
    QApplication::beep();
}

bool QtUserInterface::EditImportConfig(const CImportTable& table, CImportConfig& config, const CKarte* fieldNames)
{
    return RunImportDialog(table, config, fieldNames, *this, CSettings::Instance(), DialogOwner(), m_help);
}

std::optional<int> QtUserInterface::ChooseImportMode(int current)
{
    return AskImportMode(current, DialogOwner());
}

std::optional<int> QtUserInterface::ChooseSheet(const std::vector<std::string>& names)
{
    return AskSheet(names, DialogOwner());
}

}  // namespace velkaro
