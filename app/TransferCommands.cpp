#include "TransferCommands.h"

#include "app/Application.h"
#include "app/Help.h"
#include "app/MainFrame.h"
#include "settings/Settings.h"
#include "device/SendFlows.h"
#include "text/Menus.h"
#include "device/CallListNames.h"
#include "device/PhoneNumbers.h"
#include "view/CallListDlg.h"
#include "view/CallListRequestDlg.h"
#include "view/DisplayWnd.h"
#include "view/PcxView.h"
#include "view/PortDlg.h"
#include "view/ReceiveProgressDlg.h"
#include "view/SendProgressDlg.h"

#include <QDialog>
#include <QMainWindow>
#include <QWidget>

namespace velkaro {

namespace {

// Cancel on a progress window reaches the flow queued: the flow ends the
// window in answer, and the result box that follows must not run inside
// the window's own button click.
void ConnectCancel(CTransferProgressDlg* dialog, QObject* context, std::function<void()> cancel)
{
    if (cancel)
        QObject::connect(dialog, &CTransferProgressDlg::cancelRequested, context, std::move(cancel), Qt::QueuedConnection);
}

}  // namespace

// The flows' interface: messages and files go to the program's message
// boxes and file dialogs, progress and the call-list range to the windows
// of this class.
class CTransferCommands::TransferUi : public IUserInterface {
public:
    TransferUi(CTransferCommands& owner, IUserInterface& base) : m_owner(owner), m_base(base) {}

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        return m_base.Message(text, buttons, icon);
    }
    std::optional<std::string> ChooseFile(FileRequest& request) override { return m_base.ChooseFile(request); }
    void BeginWait() override { m_base.BeginWait(); }
    void EndWait() override { m_base.EndWait(); }
    void ProgressBegin(const std::string& caption) override { m_base.ProgressBegin(caption); }
    void ProgressStep(int perMille) override { m_base.ProgressStep(perMille); }
    void ProgressEnd() override { m_base.ProgressEnd(); }
    void Beep() override { m_base.Beep(); }

    void SendProgressBegin(const std::string& heading, const std::string& speedText,
                           std::function<void()> cancel) override
    {
        m_owner.SendProgressBegin(heading, speedText, std::move(cancel));
    }
    void SendProgressUpdate(int sentCount, int errorCount, int perMille) override
    {
        m_owner.SendProgressUpdate(sentCount, errorCount, perMille);
    }
    void SendProgressEnd() override { m_owner.SendProgressEnd(); }
    void ReceiveProgressBegin(bool callList, std::function<void()> cancel) override
    {
        m_owner.ReceiveProgressBegin(callList, std::move(cancel));
    }
    void ReceiveProgressUpdate(int count, int errorCount, const std::string& speedText) override
    {
        m_owner.ReceiveProgressUpdate(count, errorCount, speedText);
    }
    void ReceiveProgressEnd() override { m_owner.ReceiveProgressEnd(); }
    ReceivedCardsChoice AskReceivedCards(const std::string& received, unsigned warning, MsgIcon icon,
                                         const CardComparison& comparison) override
    {
        return m_base.AskReceivedCards(received, warning, icon, comparison);
    }
    std::optional<CallListRange> AskCallListRange(const CallListRange& preset) override
    {
        return m_owner.AskCallListRange(preset);
    }

private:
    CTransferCommands& m_owner;
    IUserInterface& m_base;
};

CTransferCommands::CTransferCommands(CPcxDoc& doc, IUserInterface& ui, std::function<QWidget*()> owner,
                                     QObject* parent)
    : QObject(parent)
    , m_doc(doc)
    , m_baseUi(ui)
    , m_owner(std::move(owner))
    , m_help([](const char* section) { ShowHelp(QString::fromLatin1(section)); })
{
    m_ui = std::make_unique<TransferUi>(*this, m_baseUi);
    m_port.SetUserInterface(m_ui.get());
    m_receiver = std::make_unique<CReceiveHandler>(m_port, *m_ui, &m_doc);
    connect(m_receiver.get(), &CReceiveHandler::CallListReceived, this, &CTransferCommands::ShowCallList);

    // A line that fails for good closes the port on its own; the pane and
    // the stored port follow. A speed change closes and opens the port
    // again from the sending thread: the notice comes queued, and only a
    // port that stayed closed or changed is told on.
    connect(&m_port, &CComPort::OpenChanged, this, &CTransferCommands::CheckPortState, Qt::QueuedConnection);
}

CTransferCommands::~CTransferCommands()
{
    disconnect(&m_port, nullptr, this, nullptr);
    for (QPointer<QDialog>& dialog : m_retired)
        delete dialog.data();
    // The windows are gone by now; nothing may be reported any more.
    m_port.SetUserInterface(nullptr);
    m_receiver.reset();
    m_port.Close();
}

void CTransferCommands::Install(CPcxApp& app)
{
    app.SetPortStarter([](CPcxApp& app) {
        // The frame owns the device link, so the port closes with the main
        // window, after the settings were written.
        QMainWindow* frame = app.MainFrame();
        auto* transfers = new CTransferCommands(
            app.Document(), app.Ui(), [&app]() -> QWidget* { return app.MainFrame(); }, frame);
        if (auto* mainFrame = qobject_cast<CMainFrame*>(frame))
            transfers->AttachToFrame(*mainFrame);
        connect(transfers, &CTransferCommands::portChanged, &app, [&app, transfers] {
            app.SetPortNumber(transfers->Port().PortNumber());
            app.SetCanSpeedChange(transfers->Port().HighSpeedAllowedFlag() ? 1 : 0);
        });
        transfers->StartPort(app.PortNumber(), app.CanSpeedChange() != 0);
    });
}

IUserInterface& CTransferCommands::Ui()
{
    return *m_ui;
}

QWidget* CTransferCommands::Owner() const
{
    return m_owner ? m_owner() : nullptr;
}

int CTransferCommands::RunDialog(QDialog& dialog)
{
    if (m_runDialog)
        return m_runDialog(dialog);
    return dialog.exec();
}

template <class Dialog>
void CTransferCommands::ConnectHelp(Dialog* dialog, const char* section)
{
    connect(dialog, &Dialog::helpRequested, this, [this, section] {
        if (m_help)
            m_help(section);
    });
}

void CTransferCommands::CheckPortState()
{
    const bool open = m_port.IsOpen();
    const int number = m_port.PortNumber();
    if (open != m_wasOpen || number != m_lastPort) {
        m_wasOpen = open;
        m_lastPort = number;
        emit portChanged();
    }
}

void CTransferCommands::StartPort(int portNumber, bool highSpeedAllowed)
{
    // XON/XOFF only; RTS and DTR are simply on.
    m_port.Settings().handshake = kHandshakeXonXoff;
    m_port.SetHighSpeedAllowed(highSpeedAllowed);
    if (!m_port.IsOpen()) {
        if (portNumber == kPortNotChosen)
            m_port.FindFirstPort(kHighestPort);
        else
            m_port.SetPortNumber(portNumber);
        if (m_port.PortNumber() > 0)
            m_port.Report(m_port.Open());
    }
    m_wasOpen = m_port.IsOpen();
    m_lastPort = m_port.PortNumber();
    emit portChanged();
}

void CTransferCommands::AttachToFrame(CMainFrame& frame)
{
    QPointer<CMainFrame> guard(&frame);
    auto view = [guard]() -> CPcxView* { return guard ? guard->View() : nullptr; };
    auto selection = [view]() -> const CSelection* {
        CPcxView* v = view();
        return v ? &v->Selection() : nullptr;
    };
    auto shownCard = [view]() -> CKarte* {
        CPcxView* v = view();
        return v ? v->ShownCard() : nullptr;
    };
    auto cardShown = [view] {
        CPcxView* v = view();
        return v && v->Mode() == ViewMode::Card;
    };

    CCommandRegistry& commands = frame.Commands();
    commands.Register(cmd::SendAll, { [this, selection] { SendAll(selection()); }, [this] { return m_doc.CanSendAll(); }, {} });
    commands.Register(cmd::SendEdited,
                      { [this, selection] { SendEdited(selection()); }, [this] { return m_doc.CanSendEdited(); }, {} });
    commands.Register(cmd::SendCurrent, { [this, shownCard] {
                                             if (CKarte* card = shownCard())
                                                 SendCurrent(card);
                                         },
                                          cardShown, {} });
    commands.Register(cmd::DialCurrent, { [this, shownCard] {
                                             if (CKarte* card = shownCard())
                                                 DialCurrent(card);
                                         },
                                          cardShown, {} });
    commands.Register(cmd::ReceiveCards, { [this] { ReceiveCards(); }, {}, {} });
    commands.Register(cmd::ReceiveCallList, { [this] { RequestCallList(); }, {}, {} });
    commands.Register(cmd::ShowCallList, { [this] { ShowCallList(); }, [this] { return HasCallList(); }, {} });
    commands.Register(cmd::PortSettings, { [this] { PortSettings(); }, {}, {} });

    frame.SetPortStateProvider([this] { return m_port.State(); });
    connect(&m_port, &CComPortEx::PortModeChanged, &frame, &CMainFrame::OnPortModeChanged);
    connect(this, &CTransferCommands::portChanged, &frame, &CMainFrame::RefreshStatusPanes);
    connect(this, &CTransferCommands::portChanged, &frame, &CMainFrame::UpdateCommandUI);
    // After a reception the call-list command may have become available.
    connect(m_receiver.get(), &CReceiveHandler::ReceptionFinished, &frame, &CMainFrame::UpdateCommandUI);
    frame.UpdateCommandUI();
}

void CTransferCommands::SendAll(const CSelection* selection)
{
    SendCards(m_doc, m_port, *m_ui, false, selection);
}

void CTransferCommands::SendEdited(const CSelection* selection)
{
    SendCards(m_doc, m_port, *m_ui, true, selection);
}

void CTransferCommands::SendCurrent(CKarte* card)
{
    SendCurrentCard(m_doc, m_port, *m_ui, card, false);
}

void CTransferCommands::DialCurrent(CKarte* card)
{
    SendCurrentCard(m_doc, m_port, *m_ui, card, true);
}

void CTransferCommands::ReceiveCards()
{
    m_receiver->OnReceiveCommand();
}

void CTransferCommands::RequestCallList()
{
    m_receiver->OnRequestCallList();
}

bool CTransferCommands::HasCallList() const
{
    return m_port.Parser().CallRecordCount() > 0;
}

void CTransferCommands::ShowCallList()
{
    CCallList* list = m_port.Parser().CallList();
    if (!list || list->IsEmpty())
        return;
    // Looked up at every opening: the cards may have changed since.
    TakeCardNames(*list, m_doc.Cards(),
                  CPhoneNumbers(CPhoneNumbers::HomeCountry(CSettings::Instance().HomeCountry())));
    CCallListDlg dialog(*list, *m_ui, Owner());
    ConnectHelp(&dialog, help::CallList);
    RunDialog(dialog);
}

void CTransferCommands::PortSettings()
{
    const int openPort = m_port.IsOpen() ? m_port.PortNumber() : 0;
    int chosen = 0;
    bool highSpeed = false;
    {
        CPortDlg dialog(openPort, m_port.HighSpeedAllowedFlag(), openPort, *m_ui, Owner());
        ConnectHelp(&dialog, help::Port);
        if (RunDialog(dialog) != QDialog::Accepted)
            return;
        chosen = dialog.PortIndex();
        highSpeed = dialog.HighSpeed();
    }
    m_port.SetHighSpeedAllowed(highSpeed);
    if (!m_port.IsOpen())
        m_port.SetPortNumber(0);
    m_port.ChoosePort(chosen, true, true);
    m_wasOpen = m_port.IsOpen();
    m_lastPort = m_port.PortNumber();
    emit portChanged();
}

void CTransferCommands::SendProgressBegin(const std::string& heading, const std::string& speedText,
                                          std::function<void()> cancel)
{
    SendProgressEnd();
    auto* dialog = new CSendProgressDlg(heading, speedText, Owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setWindowModality(Qt::ApplicationModal);
    ConnectCancel(dialog, this, std::move(cancel));
    m_sendDlg = dialog;
    dialog->show();
    emit sendProgress(0);
}

void CTransferCommands::SendProgressUpdate(int sentCount, int errorCount, int perMille)
{
    if (!m_sendDlg)
        return;
    m_sendDlg->Update(sentCount, errorCount, perMille);
    emit sendProgress(sentCount);
}

void CTransferCommands::SendProgressEnd()
{
    if (CSendProgressDlg* dialog = m_sendDlg.data()) {
        m_sendDlg = nullptr;
        Retire(dialog);
    }
}

void CTransferCommands::ReceiveProgressBegin(bool callList, std::function<void()> cancel)
{
    ReceiveProgressEnd();
    auto* dialog = new CReceiveProgressDlg(callList, Owner());
    dialog->setWindowModality(Qt::ApplicationModal);
    ConnectCancel(dialog, this, std::move(cancel));
    m_receiveDlg = dialog;
    dialog->show();
    emit receiveProgress(0);
}

void CTransferCommands::ReceiveProgressUpdate(int count, int errorCount, const std::string& speedText)
{
    if (!m_receiveDlg)
        return;
    m_receiveDlg->Update(count, errorCount, speedText);
    emit receiveProgress(count);
}

void CTransferCommands::ReceiveProgressEnd()
{
    if (CReceiveProgressDlg* dialog = m_receiveDlg.data()) {
        m_receiveDlg = nullptr;
        Retire(dialog);
    }
}

void CTransferCommands::Retire(QDialog* dialog)
{
    // The end comes from a timer, the line or the window's Cancel, often
    // while a message box runs its event loop: the window is only hidden and
    // cut loose now. It goes when the next transfer's window ends, or with
    // this object, when no loop can still run over it.
    dialog->disconnect(this);
    dialog->hide();
    for (QPointer<QDialog>& old : m_retired)
        if (old)
            old->deleteLater();
    m_retired.clear();
    m_retired.push_back(dialog);
}

std::optional<IUserInterface::CallListRange>
CTransferCommands::AskCallListRange(const IUserInterface::CallListRange& preset)
{
    CCallListRequestDlg dialog(preset.choice, preset.date, Owner());
    ConnectHelp(&dialog, help::CallList);
    if (RunDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    IUserInterface::CallListRange range;
    range.choice = dialog.Choice();
    range.date = dialog.DateText();
    return range;
}

}  // namespace velkaro
