#pragma once

// The program's own manual: one HTML page per language (de, en, fr) with one
// section per window or dialog. The Help buttons and the Help menu open it in
// the current language at the section of the window that asked, for example
// manual/de/index.html#import.
//
// The manual is looked for beside the installed program
// (share/doc/velkaro-desktop/manual or share/velkaro-desktop/manual next to
// its bin folder) and, for a program run from its build tree, in the source
// tree's resources/manual. VELKARO_MANUAL_DIR names another folder.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QWidget;

namespace velkaro {

// The sections of the manual (the anchors in every language's page).
namespace help {
inline constexpr const char* Start = "start";           // main window, Help menu
inline constexpr const char* Cards = "cards";
inline constexpr const char* Selection = "selection";   // help id 101
inline constexpr const char* Structure = "structure";
inline constexpr const char* Backup = "backup";
inline constexpr const char* Import = "import";         // help id 105
inline constexpr const char* ImportMode = "importmode";
inline constexpr const char* Export = "export";
inline constexpr const char* Print = "print";
inline constexpr const char* Port = "port";
inline constexpr const char* Send = "send";
inline constexpr const char* Receive = "receive";
inline constexpr const char* CallList = "calllist";
inline constexpr const char* Language = "language";
inline constexpr const char* Demo = "demo";
inline constexpr const char* AddressBook = "addressbook";  // the account and the sync
}  // namespace help

// The section for a dialog's numbered help topic (101 selection, 105
// import); the start section for any other number.
QString HelpTopicForId(int helpId);

// The folders where the manual may be, in the order they are tried, for the
// running program and for a program in programDir.
QStringList ManualSearchPaths();
QStringList ManualSearchPathsFor(const QString& programDir);
// The first of them that holds the manual, or "" when none does.
QString ManualDirectory();
// The page of a language offset (0, 256, 512) at a section; the German page
// when the language's own is missing. Empty when there is no manual.
QUrl ManualUrl(const QString& topic, int languageOffset);

// Opens the manual at a section in the current language. When it cannot be
// found or opened the user is told where it is (msg::ManualNotOpened) and
// false is returned; a desktop opener that fails after it has started
// (xdg-open without a browser) is told of when it ends.
bool ShowHelp(const QString& topic);
bool ShowHelpForId(int helpId);

// Where ShowHelp hands the page's address: xdg-open (QDesktopServices::openUrl
// off Linux) unless replaced; tests look at the address instead.
using HelpOpener = std::function<bool(const QUrl&)>;
void SetHelpOpener(HelpOpener opener);
// The window the failure message belongs to (may be nullptr).
void SetHelpParent(std::function<QWidget*()> parent);

}  // namespace velkaro
