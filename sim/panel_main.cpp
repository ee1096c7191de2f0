// velkaro-phone-panel: the demo's window "Simuliertes Telefon". Writes the
// simulator's commands on standard output, which the demo leads to the
// simulator's standard input, so that a user who started the demo from a
// menu can make the telephone send.

#include "text/Language.h"
#include "sim/PhonePanel.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
// Room left for the window's frame beside the screen's edge.
constexpr int kScreenMargin = 24;
}  // namespace

int main(int argc, char** argv)
{
    using namespace velkaro;
    // The language of the desktop program: --lang de|en|fr; without it, as
    // the program on a first start, the language of the user's locale.
    SetLanguageOffset(LanguageOfLocale(kLangGerman));
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--lang") == 0) {
            const std::string lang = argv[i + 1];
            SetLanguageOffset(lang == "en" ? kLangEnglish : lang == "fr" ? kLangFrench : kLangGerman);
        }
    }
    QApplication qtApp(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velkaro-phone-panel"));
    sim::CPhonePanel panel([](const std::string& command) {
        std::fputs((command + '\n').c_str(), stdout);
        std::fflush(stdout);
    });
    // At the right edge of the screen, where the main window, which starts
    // in the middle, leaves room.
    panel.adjustSize();
    if (const QScreen* screen = panel.screen()) {
        const QRect area = screen->availableGeometry();
        panel.move(area.right() - panel.width() - kScreenMargin, area.top() + kScreenMargin);
    }
    panel.show();
    return QApplication::exec();
}
