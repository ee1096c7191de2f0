#include "carddav/SyncPlan.h"

#include "model/Document.h"
#include "model/History.h"
#include "model/MessageUi.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace velkaro {

namespace {

using OriginByHref = std::map<std::string, std::vector<OriginCard>>;

class Planner {
public:
    Planner(const CCardList& cards, const CardMapping& mapping)
        : m_cards(cards)
        , m_mapping(mapping)
    {
    }

    SyncPlan Plan(const SyncOrigin& origin, const std::vector<FetchResult>& fetched)
    {
        m_plan.origin.books = origin.books;
        m_plan.origin.mapping = MappingFingerprint(m_mapping);
        for (const auto& card : origin.cards)
            m_claimed.insert(card.name);
        std::set<std::string> books;
        for (const auto& fetch : fetched)
            books.insert(fetch.book);
        // The cards of the books not fetched now stay as they are.
        std::map<std::string, OriginByHref> old;
        for (const auto& card : origin.cards) {
            if (books.count(card.book))
                old[card.book][card.href].push_back(card);
            else
                m_plan.origin.cards.push_back(card);
        }
        for (const auto& fetch : fetched)
            PlanBook(fetch, old[fetch.book]);
        return std::move(m_plan);
    }

private:
    void PlanBook(const FetchResult& fetch, OriginByHref& old)
    {
        m_plan.origin.SetBook(fetch.book, fetch.syncToken);
        for (const auto& remote : fetch.changed) {
            std::vector<OriginCard> before = Take(old, remote.href);
            const RemoteCards made = VCardToCards(remote, m_mapping);
            if (made.damaged) {
                ++m_plan.counts.damaged;
                Notice(FormatText(msg::SyncDamaged, Utf8ToAnsi(remote.href)));
                Keep(before);
                continue;
            }
            PlanContact(fetch.book, made, before);
        }
        for (const auto& href : fetch.unchanged) {
            const std::vector<OriginCard> same = Take(old, href);
            m_plan.counts.unchanged += static_cast<int>(same.size());
            Keep(same);
        }
        if (!fetch.complete) {
            for (const auto& href : fetch.removed)
                for (const auto& card : Take(old, href))
                    Gone(card);
        }
        // What is left: on a complete listing gone from the server; on an
        // incremental one not mentioned, so unchanged.
        for (const auto& [href, cards] : old)
            for (const auto& card : cards) {
                if (fetch.complete) {
                    Gone(card);
                } else {
                    m_plan.counts.unchanged += Local(card) ? 1 : 0;
                    m_plan.origin.cards.push_back(card);
                }
            }
    }

    // The cards of one contact against the cards it made before, matched
    // by which number of the contact they are.
    void PlanContact(const std::string& book, const RemoteCards& made, std::vector<OriginCard>& before)
    {
        for (const KeyedCard& keyed : made.cards) {
            OriginCard origin { book, made.href, made.etag, made.uid, keyed.numberKey, {}, {}, CardDigest(keyed.card) };
            const auto was = std::find_if(
                before.begin(), before.end(), [&keyed](const OriginCard& c) { return c.numberKey == keyed.numberKey; });
            if (was == before.end()) {
                Add(keyed.card, origin);
                continue;
            }
            Update(keyed.card, origin, *was);
            before.erase(was);
        }
        // Numbers the contact no longer has, or a contact the filters now
        // leave out.
        for (const auto& card : before)
            Gone(card);
    }

    void Update(const CKarte& card, OriginCard origin, const OriginCard& was)
    {
        const CKarte* here = Local(was);
        if (origin.madeDigest == was.madeDigest) {
            // The contact makes the card it made before (a new ETag alone):
            // what is held here stays, changed here or not, deleted or not.
            origin.name = was.name;
            origin.digest = was.digest;
            m_plan.origin.cards.push_back(std::move(origin));
            m_plan.counts.unchanged += here ? 1 : 0;
            return;
        }
        if (!here) {
            // Deleted (or renamed) here, and changed on the server since:
            // it comes again.
            Add(card, std::move(origin));
            return;
        }
        const bool changedHere = CardDigest(*here) != was.digest;
        if (changedHere)
            Notice(FormatText(msg::SyncChangedBoth, card.Name()));
        else
            m_plan.details.push_back(FormatText(msg::SyncChanged, card.Name()));
        ++m_plan.counts.changed;
        m_freed.insert(was.name);
        m_plan.write.push_back({ was.name, card, std::move(origin) });
    }

    void Notice(std::string line)
    {
        m_plan.details.push_back(line);
        m_plan.notices.push_back(std::move(line));
    }

    void Add(const CKarte& card, OriginCard origin)
    {
        const std::string name(card.Name());
        const FindResult found = m_cards.FindName(name);
        if (found.kind == MatchKind::Equal && !m_freed.count(name) && !m_added.count(name) && !m_claimed.count(name)
            && CardDigest(*m_cards.At(found.index)) == origin.madeDigest) {
            // The card is here already, unclaimed: it becomes the contact's.
            origin.name = name;
            origin.digest = origin.madeDigest;
            m_claimed.insert(name);
            ++m_plan.counts.unchanged;
            m_plan.origin.cards.push_back(std::move(origin));
            return;
        }
        const bool taken = (found.kind == MatchKind::Equal && !m_freed.count(name)) || m_added.count(name);
        m_plan.details.push_back(FormatText(taken ? msg::SyncAddedNumbered : msg::SyncAdded, name));
        m_added.insert(name);
        ++m_plan.counts.added;
        m_plan.write.push_back({ std::string(), card, std::move(origin) });
    }

    // A card whose contact is gone: removed, unless it was changed here.
    void Gone(const OriginCard& was)
    {
        const CKarte* here = Local(was);
        if (!here)
            return;
        if (CardDigest(*here) == was.digest) {
            m_plan.details.push_back(FormatText(msg::SyncRemoved, was.name));
            ++m_plan.counts.removed;
            m_freed.insert(was.name);
            m_plan.remove.push_back(was.name);
            return;
        }
        Notice(FormatText(msg::SyncKeptChangedHere, was.name));
        ++m_plan.counts.keptChangedHere;
    }

    void Keep(const std::vector<OriginCard>& cards)
    {
        m_plan.origin.cards.insert(m_plan.origin.cards.end(), cards.begin(), cards.end());
    }

    static std::vector<OriginCard> Take(OriginByHref& old, const std::string& href)
    {
        const auto found = old.find(href);
        if (found == old.end())
            return {};
        std::vector<OriginCard> cards = std::move(found->second);
        old.erase(found);
        return cards;
    }

    // The card held now under the name it was synced with.
    const CKarte* Local(const OriginCard& was) const
    {
        const FindResult found = m_cards.FindName(was.name);
        return found.kind == MatchKind::Equal ? m_cards.At(found.index) : nullptr;
    }

    const CCardList& m_cards;
    const CardMapping& m_mapping;
    SyncPlan m_plan;
    std::set<std::string> m_freed;  // names of cards the sync removes or replaces
    std::set<std::string> m_added;  // names of the new cards
    std::set<std::string> m_claimed;  // names of the cards a sync made
};

void DeleteNamed(CCardList& cards, const std::string& name)
{
    const FindResult found = cards.FindName(name);
    if (found.kind == MatchKind::Equal)
        cards.DeleteCardAt(found.index);
}

// The plan's cards into the collection; the written ones join the origin
// under the names they got.
void ChangeCards(CCardList& cards, const SyncPlan& plan, SyncOrigin& origin)
{
    for (const auto& name : plan.remove)
        DeleteNamed(cards, name);
    for (const auto& write : plan.write)
        if (!write.replaces.empty())
            DeleteNamed(cards, write.replaces);
    for (const auto& write : plan.write) {
        auto card = std::make_unique<CKarte>(write.card);
        card->SetEdited(true);
        const CKarte* placed = cards.At(cards.InsertSorted(std::move(card), false));
        OriginCard entry = write.origin;
        entry.name = placed->Name();
        entry.digest = CardDigest(*placed);
        origin.cards.push_back(std::move(entry));
    }
}

}  // namespace

SyncPlan PlanSync(const CCardList& cards, const SyncOrigin& origin, const std::vector<FetchResult>& fetched,
    const CardMapping& mapping)
{
    return Planner(cards, mapping).Plan(origin, fetched);
}

SyncPlan PlanSync(const CCardList& cards, const SyncOrigin& origin, const std::vector<FetchResult>& fetched,
    const SyncFilters& filters, const std::string& outsideLine, const CKarte* fieldNames)
{
    return PlanSync(cards, origin, fetched, MappingFromSettings(filters, outsideLine, fieldNames));
}

std::string SyncDetailsText(const SyncPlan& plan)
{
    std::string text;
    for (const auto& line : plan.details)
        text += line + "\n";
    return text;
}

Outcome ApplySync(CPcxDoc& doc, SyncOrigin& origin, const SyncPlan& plan, IMessageUi& ui)
{
    SyncOrigin next = plan.origin;
    if (plan.counts.ChangesCards()) {
        if (!doc.KeepHistory(ui, history::Sync))
            return Outcome(OutcomeKind::IoError);
        doc.BeginChange(StepLabel::Message(msg::StepSync));
        ChangeCards(doc.Cards(), plan, next);
        doc.UpdateAllViews(UpdateHint::All);
        // The origin file describes the working file: it is written only
        // after the cards are.
        const bool saved = doc.AutoSave(false);
        origin = std::move(next);
        if (!saved)
            return Outcome(OutcomeKind::IoError);
    } else {
        origin = std::move(next);
    }
    if (doc.WorkingPath().empty())
        return {};
    return WriteSyncOrigin(SyncOriginPath(doc.WorkingPath()), origin);
}

}  // namespace velkaro
