#pragma once

// The control window of the demo's simulated telephone: what a user would do
// on the telephone's keys (send its cards, send its call list, lock transfers,
// hang up), turned into the simulator's commands on its standard input.

#include <QWidget>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

namespace velkaro::sim {

class CPhonePanel : public QWidget {
    Q_OBJECT
public:
    // command: takes one simulator command ("send", "calllist", "lock",
    // "unlock", "hangup") when the user asks for it.
    explicit CPhonePanel(std::function<void(const std::string&)> command, QWidget* parent = nullptr);

    // Sets the texts in the current language (velkaro::SetLanguageOffset).
    void Retranslate();

private:
    std::function<void(const std::string&)> m_command;
    QLabel* m_intro = nullptr;
    QPushButton* m_sendCards = nullptr;
    QPushButton* m_sendCallList = nullptr;
    QCheckBox* m_lock = nullptr;
    QPushButton* m_hangUp = nullptr;
};

}  // namespace velkaro::sim
