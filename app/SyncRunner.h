#pragma once

// The desktop's address-book sync: the fetch with its progress window, the
// preview of what it would change, and the change itself, over the
// program's document. Nothing changes before the user takes the preview;
// cancelling the fetch, or a fetch that fails, leaves every card as it is.

#include "app/SyncCommands.h"
#include "carddav/ContactCards.h"
#include "carddav/SyncOrigin.h"

#include <QPointer>

#include <memory>

namespace velkaro {

class CAccountFetch;
class CPcxDoc;
class CSettings;
class CSyncProgressDlg;
class IMessageUi;
struct FetchResult;

class CSyncRunner : public ISyncRunner {
public:
    CSyncRunner(CPcxDoc& doc, CSettings& settings, IMessageUi& ui);
    ~CSyncRunner() override;

    Outcome FindAddressBooks(const CardDavAccount& account, const std::string& password,
                             std::vector<AddressBook>& books) override;
    void Sync(const CardDavAccount& account, const std::string& password, QWidget* owner) override;

    // Runs the preview (tests answer it); exec() by default.
    void SetPreviewRunner(std::function<int(QDialog&)> run) { m_runDialog = std::move(run); }
    // Whether a sync's fetch is under way.
    bool Busy() const { return m_fetch != nullptr; }

private:
    CardMapping MappingOf(const CardDavAccount& account) const;
    void OnFetched(const CardDavAccount& account, std::vector<FetchResult> results, QWidget* owner);
    void Finish();

    CPcxDoc& m_doc;
    CSettings& m_settings;
    IMessageUi& m_ui;
    std::unique_ptr<CAccountFetch> m_fetch;
    QPointer<CSyncProgressDlg> m_progress;
    std::function<int(QDialog&)> m_runDialog;
    SyncOrigin m_origin;  // of the working file, as the running sync read it
};

}  // namespace velkaro
