// The receive handler behind the parser, over arbitrary input: what the line
// brings in chunks, a lost line, output the telephone held too long, the
// user's Cancel, and the answers to the result boxes. Headless: the port is
// no device, and its chunks are handed over as the reader would.
//
// Input: a sequence of operations. Each starts with a byte whose low three
// bits pick the operation and whose rest gives a length:
//   0..3  a chunk of 1 + (byte >> 3) * 3 bytes (at most 94) from the line
//   4     the line fails (-1)
//   5     the telephone held the output past the time-out
//   6     the user cancels the reception
//   7     the next result box is answered with Cancel instead of OK
// The first byte of the input chooses: high speed allowed, a date
// threshold, a document that already has cards.

#include "device/ReceiveHandler.h"
#include "device/ReceptionBlocked.h"
#include "model/UserInterface.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace velkaro;

class FuzzPort : public CComPortEx {
public:
    void Deliver(const uint8_t* bytes, int count) { DeliverChunk(bytes, count); }
};

class FuzzUi : public IUserInterface {
public:
    int messages = 0;
    int progressOpen = 0;
    bool cancelNext = false;

    MsgAnswer Message(const std::string&, MsgButtons buttons, MsgIcon) override
    {
        ++messages;
        if (buttons == MsgButtons::OkCancel && cancelNext) {
            cancelNext = false;
            return MsgAnswer::Cancel;
        }
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }
    void ReceiveProgressBegin(bool, std::function<void()>) override
    {
        if (++progressOpen != 1)
            std::abort();  // one progress window at a time
    }
    void ReceiveProgressEnd() override
    {
        if (--progressOpen != 0)
            std::abort();  // ended once per begin
    }
};

bool Receiving(Transfer mode)
{
    return mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The call-list date goes to the settings: into a folder of the run's own.
    std::string home = (std::filesystem::temp_directory_path() / "velkaro-fuzz-handler").string();
    std::filesystem::create_directories(home);
    for (const char* name : { "HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME" })
        setenv(name, home.c_str(), 1);
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    FuzzPort port;
    FuzzUi ui;
    port.SetUserInterface(&ui);
    port.SetHighSpeedAllowed(data[0] & 1);
    CPcxDoc doc;
    if (data[0] & 4) {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, "Vorhanden");
        doc.Cards().InsertSorted(std::move(card), false);
    }
    CReceiveHandler handler(port, ui, &doc);
    if (data[0] & 2)
        port.Parser().DateThreshold = DateOrdinal("15.03.2004");

    std::size_t i = 1;
    while (i < size) {
        const uint8_t op = data[i++];
        const int before = ui.messages;
        switch (op & 7) {
        case 4:
            port.Deliver(nullptr, -1);
            // A lost line ends a reception at once.
            if (Receiving(port.TransferMode()) || handler.ReceiveDialogOpen())
                std::abort();
            break;
        case 5:
            emit port.OutputFailed();
            if (Receiving(port.TransferMode()) || handler.ReceiveDialogOpen())
                std::abort();
            break;
        case 6:
            handler.CancelReceive();
            if (handler.ReceiveDialogOpen())
                std::abort();
            break;
        case 7:
            ui.cancelNext = true;
            break;
        default: {
            std::size_t n = 1 + (op >> 3) * 3;
            if (n > size - i)
                n = size - i;
            if (n == 0)
                break;
            port.Deliver(data + i, static_cast<int>(n));
            i += n;
            // A reception under way is guarded by the watchdog and shows its
            // progress; nothing else keeps a dialog open.
            if (Receiving(port.TransferMode()) && handler.TransferTimerKind() != TransferTimer::Watchdog)
                std::abort();
            if (handler.ReceiveDialogOpen() && !Receiving(port.TransferMode()))
                std::abort();
            break;
        }
        }
        // No step shows more than the reason, the result and its follow-up.
        if (ui.messages - before > 3)
            std::abort();
        if (ReceptionBlocked != 0)
            std::abort();
        if (ui.progressOpen != (handler.ReceiveDialogOpen() ? 1 : 0))
            std::abort();
    }
    return 0;
}
