#pragma once

// The serial port dialog: which COM port leads to the telephone ("----" for
// none) and whether the line may switch to high speed for bulk sends. OK
// first tries to open the chosen device; a port that cannot be opened is
// reported here and the dialog stays open.

#include "device/ReceptionBlocked.h"
#include "model/MessageUi.h"

#include <QDialog>

#include <functional>
#include <map>
#include <string>

class QCheckBox;
class QComboBox;

namespace velkaro {

class CPortDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids (their texts are looked up by the same ids).
    static constexpr int kPortCombo = 1025;
    static constexpr int kHighSpeed = 1024;

    // portIndex: the port to show (0 = "----"); openPort: the port that is
    // open now (0 when closed), which needs no probe.
    CPortDlg(int portIndex, bool highSpeed, int openPort, IMessageUi& ui, QWidget* parent = nullptr);

    int PortIndex() const;
    bool HighSpeed() const;

    QComboBox* PortCombo() const { return m_combo; }
    QCheckBox* HighSpeedBox() const { return m_highSpeed; }

    // Opens the device of a port and closes it again; the system's text on
    // failure. The real device by default.
    using Probe = std::function<bool(int port, std::string* error)>;
    void SetProbe(Probe probe) { m_probe = std::move(probe); }

    // The list entry of a port: "COM<n>" with the device path and, where
    // the system knows the device, its description. descriptions maps
    // device paths to descriptions.
    static QString PortItemText(int port, const std::map<QString, QString>& descriptions);
    // Device path -> description of the serial devices the system lists.
    static std::map<QString, QString> SystemPortDescriptions();

    void accept() override;

signals:
    void helpRequested();

private:
    ReceptionBlock m_block;
    IMessageUi& m_ui;
    Probe m_probe;
    int m_openPort;
    QComboBox* m_combo = nullptr;
    QCheckBox* m_highSpeed = nullptr;
};

}  // namespace velkaro
