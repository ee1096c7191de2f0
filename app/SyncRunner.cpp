#include "app/SyncRunner.h"

#include "carddav/AccountFetch.h"
#include "carddav/SyncOrigin.h"
#include "carddav/SyncPlan.h"
#include "model/Document.h"
#include "model/MessageUi.h"
#include "settings/Settings.h"
#include "text/Cp1252.h"
#include "view/SyncDialogs.h"

#include <QTimer>

namespace velkaro {

namespace {

DavLogin LoginOf(const CardDavAccount& account, const std::string& password)
{
    return { account.url, account.user, password, {} };
}

}  // namespace

CSyncRunner::CSyncRunner(CPcxDoc& doc, CSettings& settings, IMessageUi& ui)
    : m_doc(doc)
    , m_settings(settings)
    , m_ui(ui)
    , m_runDialog([](QDialog& dialog) { return dialog.exec(); })
{
}

CSyncRunner::~CSyncRunner() = default;

CardMapping CSyncRunner::MappingOf(const CardDavAccount& account) const
{
    const CKarte* fieldNames = m_settings.StructureActive() ? m_doc.Cards().FieldNames() : nullptr;
    return MappingFromSettings(account.filters, m_settings.OutsideLinePrefix(), fieldNames);
}

Outcome CSyncRunner::FindAddressBooks(const CardDavAccount& account, const std::string& password,
                                      std::vector<AddressBook>& books)
{
    return FindAddressBooksNow(LoginOf(account, password), books);
}

void CSyncRunner::Sync(const CardDavAccount& account, const std::string& password, QWidget* owner)
{
    if (m_fetch)
        return;
    m_fetch = std::make_unique<CAccountFetch>(LoginOf(account, password));
    CAccountFetch* fetch = m_fetch.get();
    m_progress = new CSyncProgressDlg([fetch] { fetch->Cancel(); }, owner);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(fetch, &CAccountFetch::progress, m_progress, [this](int done, int total, const QString& book) {
        m_progress->SetStep(Utf8ToAnsi(book.toStdString()));
        m_progress->SetProgress(done, total);
    });
    QObject::connect(fetch, &CAccountFetch::finished, fetch, [this, account, owner](std::vector<FetchResult> results) {
        Finish();
        OnFetched(account, std::move(results), owner);
    });
    QObject::connect(fetch, &CAccountFetch::failed, fetch, [this](Outcome outcome) {
        Finish();
        // A cancelled fetch was the user's choice: nothing to say.
        if (outcome.Kind() != OutcomeKind::Cancelled)
            m_ui.Show(outcome, MsgIcon::Error);
    });
    m_progress->open();
    // Read once: what the fetch asks with is what the plan merges against.
    m_origin = SyncOrigin();
    if (Outcome read = ReadSyncOrigin(SyncOriginPath(m_doc.WorkingPath()), m_origin); !read)
        m_ui.Show(read, MsgIcon::Warning);
    const std::string mapping = MappingFingerprint(MappingOf(account));
    fetch->Start(account.addressBooks, {},
                 [this, mapping](const std::string& url) { return StateOfBook(m_origin, url, mapping); });
}

// The fetch is over: its window goes, and the fetch itself once its signal
// has returned.
void CSyncRunner::Finish()
{
    if (m_progress)
        m_progress->Finish();
    QTimer::singleShot(0, [fetch = m_fetch.release()] { delete fetch; });
}

void CSyncRunner::OnFetched(const CardDavAccount& account, std::vector<FetchResult> results, QWidget* owner)
{
    const SyncPlan plan = PlanSync(m_doc.Cards(), m_origin, results, MappingOf(account));
    CSyncPreviewDlg preview(plan.counts, plan.details, owner);
    m_runDialog(preview);
    if (!preview.Applied())
        return;
    Outcome applied = ApplySync(m_doc, m_origin, plan, m_ui);
    if (!applied && applied.HasMessage())
        m_ui.Show(applied, MsgIcon::Error);
}

}  // namespace velkaro
