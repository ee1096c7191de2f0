// The address-book sync against a real Radicale on 127.0.0.1: a first sync
// of an address book (every vCard fetched, mapped and merged into the cards,
// the working file and the origin file written), and a sync after which
// nothing changed on the server, at the sizes a personal and a company
// address book reach.

#include "DavServers.h"

#include "carddav/AccountFetch.h"
#include "carddav/SyncPlan.h"
#include "model/Document.h"
#include "model/UserInterface.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>

#include <unistd.h>

#include <map>
#include <memory>

namespace velkaro::bench {
namespace {

class QuietUi : public IUserInterface {
public:
    MsgAnswer Message(const std::string&, MsgButtons, MsgIcon) override { return MsgAnswer::Ok; }
    std::optional<std::string> ChooseFile(FileRequest&) override { return std::nullopt; }
};

std::filesystem::path Scratch()
{
    static const std::filesystem::path dir = std::filesystem::path(QDir::tempPath().toStdString())
        / ("velkaro-bench-sync-" + std::to_string(::getpid()));
    return dir;
}

// One server per size, seeded once and kept for the run.
test::DavServer* ServerWith(int contacts, benchmark::State& state)
{
    static std::map<int, std::unique_ptr<test::DavServer>> servers;
    auto& server = servers[contacts];
    if (!server) {
        test::DavApp();
        server = std::make_unique<test::DavServer>(test::DavServerKind::Radicale, Scratch() / std::to_string(contacts));
        if (const std::string problem = server->Start(); !problem.empty()) {
            state.SkipWithError(("no Radicale: " + problem).c_str());
            server.reset();
            return nullptr;
        }
        std::vector<std::pair<std::string, std::string>> cards;
        for (int n = 1; n <= contacts; ++n)
            cards.emplace_back("u" + std::to_string(n) + ".vcf", test::SampleCard(n));
        server->Seed(cards);
    }
    return server.get();
}

// A whole sync into doc: fetch, plan, apply. False with the error set.
bool SyncOnce(benchmark::State& state, test::DavServer& server, CPcxDoc& doc, SyncOrigin& origin)
{
    QuietUi ui;
    CardMapping mapping;
    mapping.filters.dialable = false;
    std::vector<FetchResult> fetched;
    const std::string fingerprint = MappingFingerprint(mapping);
    Outcome got = FetchAccountNow(server.Login(), { server.BookUrl() }, {},
                                  [&](const std::string& url) { return StateOfBook(origin, url, fingerprint); }, fetched);
    if (got.Ok())
        got = ApplySync(doc, origin, PlanSync(doc.Cards(), origin, fetched, mapping), ui);
    if (!got.Ok())
        state.SkipWithError(("sync failed: " + got.Message()).c_str());
    return got.Ok();
}

void BM_FirstSync(benchmark::State& state)
{
    const int contacts = static_cast<int>(state.range(0));
    test::DavServer* server = ServerWith(contacts, state);
    if (!server)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(Scratch() / "first");
        std::filesystem::create_directories(Scratch() / "first");
        CPcxDoc doc;
        doc.SetWorkingPath((Scratch() / "first" / "cards.itx").string());
        SyncOrigin origin;
        state.ResumeTiming();
        if (!SyncOnce(state, *server, doc, origin))
            return;
        if (doc.Cards().Count() != contacts)
            state.SkipWithError("not every contact became a card");
    }
    state.SetItemsProcessed(state.iterations() * contacts);
}
BENCHMARK(BM_FirstSync)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_EmptyIncrementalSync(benchmark::State& state)
{
    const int contacts = static_cast<int>(state.range(0));
    test::DavServer* server = ServerWith(contacts, state);
    if (!server)
        return;
    std::filesystem::create_directories(Scratch() / "again");
    CPcxDoc doc;
    doc.SetWorkingPath((Scratch() / "again" / "cards.itx").string());
    SyncOrigin origin;
    if (!SyncOnce(state, *server, doc, origin))
        return;
    for (auto _ : state) {
        if (!SyncOnce(state, *server, doc, origin))
            return;
    }
}
BENCHMARK(BM_EmptyIncrementalSync)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace velkaro::bench
