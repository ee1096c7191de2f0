#pragma once

// What a screen reader learns of the painted parts of the telephone front:
// the display as eight lines of text with the page, caret and selection,
// the index list as a list of its rows, the field-name column as the labels
// beside the rows, and the softkey bar as seven buttons with their labels.

#include <QString>

class QWidget;

namespace velkaro {

// Makes Qt ask this program for the interfaces of the display, the index
// list and the softkey bar; once per run, from the windows' constructors.
void InstallAccessibleInterfaces();

// The display's text as read aloud: its eight rows, blanks at the end of a
// row left out, one row per line.
QString DisplayAccessibleText(const QWidget* display);

// Tell an assistive program that the display's text, caret or page changed.
void NotifyDisplayChanged(QWidget* display);
// Tell an assistive program that the index list's rows changed.
void NotifyIndexListChanged(QWidget* list);
// Tell an assistive program that the field-name column's labels changed.
void NotifyFieldNamesChanged(QWidget* column);
// Tell an assistive program that the softkey labels changed.
void NotifySoftkeysChanged(QWidget* bar);

}  // namespace velkaro
