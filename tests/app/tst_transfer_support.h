#pragma once

// What the transfer and call-list widget tests share: a user interface that
// records every message and answers from a script (each message is also
// shown once as a real message box and photographed), screenshots, a
// simulated telephone on a pseudo-terminal behind a COM number, and the
// transfer commands on it.

#include "app/TransferCommands.h"
#include "model/Document.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "model/UserInterface.h"
#include "sim/SimHarness.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velkaro::transfertest {

inline QString ShotDir()
{
    const QString dir = qEnvironmentVariable("VELKARO_TEST_HOME") + QStringLiteral("/shots");
    QDir().mkpath(dir);
    return dir;
}

// The widget as it shows now, as shots/<name>.png in the test's scratch home.
inline void Shot(QWidget* widget, const QString& name)
{
    if (!widget)
        return;
    if (!widget->isVisible())
        widget->adjustSize();
    widget->grab().save(ShotDir() + u'/' + name + QStringLiteral(".png"));
}

class TestUi : public IUserInterface {
public:
    struct Shown {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
    };
    struct FileChoice {
        std::optional<std::string> path;
        int filterIndex = 1;
    };

    std::vector<Shown> shown;
    std::deque<MsgAnswer> answers;
    std::deque<FileChoice> files;
    std::vector<FileRequest> fileRequests;
    std::vector<std::string> unexpected;
    QString shotPrefix = QStringLiteral("box");
    // Called with each message before it is answered.
    std::function<void(const std::string&)> onMessage;

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        shown.push_back({ text, buttons, icon });
        Photograph(text, buttons, icon);
        if (onMessage)
            onMessage(text);
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty()) {
            unexpected.push_back(text);
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
        }
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::optional<std::string> ChooseFile(FileRequest& request) override
    {
        fileRequests.push_back(request);
        if (files.empty()) {
            unexpected.push_back("file dialog");
            return std::nullopt;
        }
        FileChoice choice = files.front();
        files.pop_front();
        request.filterIndex = choice.filterIndex;
        return choice.path;
    }

    bool Saw(const std::string& text) const
    {
        for (const Shown& s : shown)
            if (s.text.find(text) != std::string::npos)
                return true;
        return false;
    }
    int Count(const std::string& text) const
    {
        int n = 0;
        for (const Shown& s : shown)
            if (s.text.find(text) != std::string::npos)
                ++n;
        return n;
    }
    const Shown* Find(const std::string& text) const
    {
        for (const Shown& s : shown)
            if (s.text.find(text) != std::string::npos)
                return &s;
        return nullptr;
    }

private:
    void Photograph(const std::string& text, MsgButtons buttons, MsgIcon icon)
    {
        QMessageBox box;
        box.setWindowTitle(QStringLiteral("Velkaro Desktop"));
        box.setText(ToQt(text));
        box.setIcon(icon == MsgIcon::Information ? QMessageBox::Information
                        : icon == MsgIcon::Warning ? QMessageBox::Warning
                        : icon == MsgIcon::Error   ? QMessageBox::Critical
                        : icon == MsgIcon::Question ? QMessageBox::Question
                                                    : QMessageBox::NoIcon);
        switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        box.show();
        Shot(&box, QStringLiteral("%1-%2").arg(shotPrefix).arg(++m_shots));
        box.hide();
    }

    int m_shots = 0;
};

// A simulated telephone whose line is COM<port> for the program.
class SimTelephone {
public:
    SimTelephone(int port, std::vector<std::string> args)
        : m_sim(std::move(args), false)
        , m_port(port)
    {
        CSettings::Instance().WriteString(section::Ports, "COM" + std::to_string(port), m_sim.Device());
    }
    ~SimTelephone()
    {
        CSettings::Instance().WriteString(section::Ports, "COM" + std::to_string(m_port), "");
    }
    simtest::SimProcess& Process() { return m_sim; }
    int Port() const { return m_port; }
    long Status(const std::string& key) { return m_sim.Status(key); }
    std::vector<std::string> Command(const std::string& command) { return m_sim.Command(command); }

private:
    simtest::SimProcess m_sim;
    int m_port;
};

// One transfer set-up: the simulated telephone started with `args` on
// COM<port>, a document, the scripted user interface, and the transfer
// commands with that port open (at high speed unless told). A test takes
// the parts by name: auto& [phone, doc, ui, transfers] = line;
struct TransferLine {
    TransferLine(int port, std::vector<std::string> args, bool highSpeed = true)
        : phone(port, std::move(args))
        , transfers(doc, ui)
    {
        transfers.StartPort(port, highSpeed);
    }

    SimTelephone phone;
    CPcxDoc doc;
    TestUi ui;
    CTransferCommands transfers;
};

}  // namespace velkaro::transfertest
