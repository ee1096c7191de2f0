#include "app/Demo.h"

#include "settings/QtText.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <QMessageBox>
#include <QScreen>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace velkaro {

namespace {

namespace fs = std::filesystem;

constexpr int kHintGap = 8;

// The first of the places a program lies: beside this one once installed,
// in its own folder of the build tree.
fs::path FirstExisting(std::initializer_list<fs::path> candidates)
{
    std::error_code error;
    for (const fs::path& candidate : candidates)
        if (fs::exists(candidate, error))
            return candidate;
    return *candidates.begin();
}

int Refuse(const std::string& message)
{
    std::fprintf(stderr, "velkaro-desktop: %s\n", AnsiToUtf8(message).c_str());
    return 1;
}

}  // namespace

int StartDemo(int argc, char** argv)
{
    SetLanguageOffset(LanguageOfLocale(kLangGerman));
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    const fs::path bin = self.parent_path();
    const fs::path script = FirstExisting({ bin / "../share/velkaro-desktop/demo.sh" });
    const fs::path sim = FirstExisting({ bin / "velkaro-phone-sim", bin / "../sim/velkaro-phone-sim" });
    const fs::path panel = FirstExisting({ bin / "velkaro-phone-panel", bin / "../sim/velkaro-phone-panel" });
    for (const fs::path& needed : { script, sim })
        if (error || !fs::exists(needed, error))
            return Refuse(FormatText(msg::DemoMissing, needed.lexically_normal().string()));

    ::setenv("VELKARO_DEMO_DESKTOP", self.c_str(), 1);
    ::setenv("VELKARO_DEMO_SIM", sim.lexically_normal().c_str(), 1);
    ::setenv("VELKARO_DEMO_PANEL", panel.lexically_normal().c_str(), 1);
    const std::string scriptPath = script.lexically_normal().string();
    std::vector<char*> args { const_cast<char*>("bash"), const_cast<char*>(scriptPath.c_str()) };
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--demo") != 0)
            args.push_back(argv[i]);
    args.push_back(nullptr);
    ::execv("/bin/bash", args.data());
    return Refuse(std::string("/bin/bash: ") + std::strerror(errno));
}

QString DemoHintText(int port, const QString& folder)
{
    const std::string panel = Text(msg::PanelTitle);
    return ToQt(FormatText(msg::DemoHint, panel, port, panel, FromQt(folder)));
}

void ShowDemoHint(QWidget* frame)
{
    const QString folder = qEnvironmentVariable("VELKARO_DEMO");
    if (folder.isEmpty())
        return;
    const int port = qEnvironmentVariableIntValue("VELKARO_DEMO_PORT");
    auto* hint = new QMessageBox(QMessageBox::Information, ToQt(Text(msg::DemoTitle)),
                                 DemoHintText(port > 0 ? port : 1, folder), QMessageBox::Ok, frame);
    hint->setObjectName(QStringLiteral("demoHint"));
    hint->setWindowModality(Qt::NonModal);
    hint->setAttribute(Qt::WA_DeleteOnClose);
    // Below the main window where the screen has room, so that the
    // telephone's display stays in sight.
    hint->adjustSize();
    if (frame && frame->screen()) {
        const QPoint below = frame->frameGeometry().bottomLeft() + QPoint(0, kHintGap);
        if (frame->screen()->availableGeometry().contains(QRect(below, hint->frameSize())))
            hint->move(below);
    }
    hint->show();
}

}  // namespace velkaro
