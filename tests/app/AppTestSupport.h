#pragma once

// The application object that the app tests' windows need: one QApplication
// on the offscreen platform for the whole test program.

#include <QApplication>

namespace velkaro::test {

inline void StartOffscreenApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velkaro_app_tests";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

}  // namespace velkaro::test
