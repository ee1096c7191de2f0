#pragma once

// `velkaro-desktop --demo`: the program with a simulated telephone on a
// pseudo-terminal of its own, for a user who has no telephone at hand. The
// demo script (installed beside the manual's files, copied into the build
// tree) starts the simulator and its window, points the program at it for
// that run only and keeps the demo's cards apart from the user's.

#include <QString>

class QWidget;

namespace velkaro {

// Runs the demo script with the programs installed beside this one and the
// arguments but --demo; returns only when it cannot, with the exit status.
int StartDemo(int argc, char** argv);

// What the program says in its window when the demo started it.
QString DemoHintText(int port, const QString& folder);
// Shows that text beside the main window when the demo started the program
// (VELKARO_DEMO names the demo's folder).
void ShowDemoHint(QWidget* frame);

}  // namespace velkaro
