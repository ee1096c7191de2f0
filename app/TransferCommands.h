#pragma once

// The desktop program's side of the device link: the port object for the
// run, the commands of the Telephone menu (send all, send edited, send and
// dial the current card, receive, the call list) and the port dialog of the
// Options menu, with the windows the transfer flows show: send and receive
// progress, the call-list request and the call-list preview. The flows
// themselves live in device/; this class gives them their windows and hooks
// them into the main frame's commands and its port pane.

#include "device/ComPortEx.h"
#include "device/ReceiveHandler.h"
#include "model/Document.h"
#include "model/UserInterface.h"
#include "view/ReceiveProgressDlg.h"
#include "view/SendProgressDlg.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace velkaro {

class CCallListDlg;
class CKarte;
class CMainFrame;
class CPcxApp;
class CSelection;

class CTransferCommands : public QObject {
    Q_OBJECT
public:
    // ui shows the messages and file dialogs; owner gives the window the
    // dialogs belong to (may give nullptr).
    CTransferCommands(CPcxDoc& doc, IUserInterface& ui, std::function<QWidget*()> owner = {},
                      QObject* parent = nullptr);
    ~CTransferCommands() override;

    // Hooks the device link into the application: once the main window
    // shows, the port opens and the commands go into the frame. The port
    // number and the high-speed choice go back to the application, which
    // stores them at exit.
    static void Install(CPcxApp& app);

    CComPortEx& Port() { return m_port; }
    const CComPortEx& Port() const { return m_port; }
    CReceiveHandler& Receiver() { return *m_receiver; }
    // The interface the flows run with: the given one for messages and
    // files, this class's windows for progress and the call-list request.
    IUserInterface& Ui();

    // Start-up: XON/XOFF on the line, the stored port (99 = never chosen:
    // the first of COM1..COM20 that opens), then the port opens.
    void StartPort(int portNumber, bool highSpeedAllowed);

    // Puts the commands into the frame's menus, toolbar and softkeys and
    // lets its port pane follow the port.
    void AttachToFrame(CMainFrame& frame);

    // The commands.
    void SendAll(const CSelection* selection);
    void SendEdited(const CSelection* selection);
    void SendCurrent(CKarte* card);
    void DialCurrent(CKarte* card);
    void ReceiveCards();
    void RequestCallList();
    // "Anrufliste zeigen": the preview of the last call list.
    void ShowCallList();
    bool HasCallList() const;
    // "Anschluss zum Velkaro...".
    void PortSettings();

    // How the modal dialogs (port, call-list request, call-list preview) are
    // run: exec() unless replaced. Tests fill the dialog and answer it.
    using DialogRunner = std::function<int(QDialog&)>;
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    // What the dialogs' Help buttons open: the manual at the dialog's
    // section (help::Port, help::CallList) unless replaced.
    void SetHelpHandler(std::function<void(const char* section)> help) { m_help = std::move(help); }

    // The progress windows while they show, else nullptr.
    CSendProgressDlg* SendDialog() const { return m_sendDlg.data(); }
    CReceiveProgressDlg* ReceiveDialog() const { return m_receiveDlg.data(); }

signals:
    // The port opened, closed or another was chosen.
    void portChanged();
    // A progress window appeared or got new counts.
    void sendProgress(int sentCount);
    void receiveProgress(int count);

private:
    class TransferUi;
    friend class TransferUi;

    QWidget* Owner() const;
    int RunDialog(QDialog& dialog);
    template <class Dialog>
    void ConnectHelp(Dialog* dialog, const char* section);
    void CheckPortState();
    void Retire(QDialog* dialog);

    void SendProgressBegin(const std::string& heading, const std::string& speedText, std::function<void()> cancel);
    void SendProgressUpdate(int sentCount, int errorCount, int perMille);
    void SendProgressEnd();
    void ReceiveProgressBegin(bool callList, std::function<void()> cancel);
    void ReceiveProgressUpdate(int count, int errorCount, const std::string& speedText);
    void ReceiveProgressEnd();
    std::optional<IUserInterface::CallListRange> AskCallListRange(const IUserInterface::CallListRange& preset);

    CPcxDoc& m_doc;
    IUserInterface& m_baseUi;
    std::function<QWidget*()> m_owner;
    std::unique_ptr<TransferUi> m_ui;
    CComPortEx m_port;
    std::unique_ptr<CReceiveHandler> m_receiver;
    DialogRunner m_runDialog;
    std::function<void(const char* section)> m_help;
    QPointer<CSendProgressDlg> m_sendDlg;
    QPointer<CReceiveProgressDlg> m_receiveDlg;
    std::vector<QPointer<QDialog>> m_retired;  // ended progress windows, hidden
    bool m_wasOpen = false;
    int m_lastPort = 0;
};

}  // namespace velkaro
