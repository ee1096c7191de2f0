#include "CardComparison.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <memory>

namespace velkaro {

namespace {

bool IsFieldNamesCard(const CKarte* card)
{
    return card->CompareName(ReservedName()).kind == MatchKind::Equal;
}

// The card of list whose name equals name in the character order, or null.
const CKarte* FindEqual(const CCardList& list, std::string_view name)
{
    FindResult found = list.FindName(name);
    if (found.index < 0 || found.kind != MatchKind::Equal)
        return nullptr;
    return list.At(found.index);
}

}  // namespace

CardComparison CompareCollections(const CCardList& stored, const CCardList& received)
{
    CardComparison result;
    for (const CKarte* card : received.Cards()) {
        if (IsFieldNamesCard(card))
            continue;
        const CKarte* here = FindEqual(stored, card->Name());
        if (!here)
            result.added.push_back(card);
        else if (!here->IsSameAs(card) || here->MarkByte() != card->MarkByte())
            result.changed.emplace_back(here, card);
        else
            result.unchanged.push_back(here);
    }
    for (const CKarte* card : stored.Cards())
        if (!IsFieldNamesCard(card) && !FindEqual(received, card->Name()))
            result.onlyHere.push_back(card);
    return result;
}

std::string ComparisonCountsText(const CardComparison& comparison)
{
    return FormatText(msg::ComparisonCounts, static_cast<int>(comparison.added.size()),
                      static_cast<int>(comparison.changed.size()), static_cast<int>(comparison.onlyHere.size()),
                      static_cast<int>(comparison.unchanged.size()));
}

void MergeInto(CCardList& received, const CCardList& stored)
{
    received.ExtractFieldNames();
    std::vector<std::unique_ptr<CKarte>> kept;
    for (const CKarte* card : CompareCollections(stored, received).onlyHere) {
        auto copy = std::make_unique<CKarte>();
        copy->CopyStoredLines(*card);
        copy->SetMarkByte(card->MarkByte());
        // Edited, so that "send the edited cards" brings it to the telephone.
        copy->SetEdited(true);
        kept.push_back(std::move(copy));
    }
    if (!received.FieldNames() && stored.FieldNames()) {
        auto names = std::make_unique<CKarte>();
        names->CopyStoredLines(*stored.FieldNames());
        received.SetFieldNames(std::move(names));
    }
    if (kept.empty())
        return;
    std::vector<std::unique_ptr<CKarte>> all = received.TakeAll();
    for (auto& card : kept)
        all.push_back(std::move(card));
    // No name is in both parts, so nothing is numbered or replaced.
    received.InsertAllSorted(std::move(all), false);
}

}  // namespace velkaro
