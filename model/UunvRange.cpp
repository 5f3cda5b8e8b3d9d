// The range operations of the numbered lists: blocks, the clipboard's copy and paste, drops from
// other lists, the special functions and the labels of a number range.

#include "model/MClpBrd.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UunvList.h"
#include "platform/Errors.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <unordered_set>

namespace {
// Odd means positive and odd, as for the carriage direction of a Z row.
bool IsOdd64(std::int64_t Value) {
    return Value > 0 && Value % 2 != 0;
}

const QString DropErrorText = QStringLiteral("Error in D&D");
const QString RangeErrorText = QStringLiteral("Error ...");
} // namespace

// ---- Helpers.

int MUnvList::HighestNumber() const {
    return NumberLimit > 0 ? NumberLimit : std::numeric_limits<std::int32_t>::max();
}

void MUnvList::CheckTargetNumber(std::int64_t Number) const {
    // Below 1 fails the base check that every module makes, whatever its kind.
    if (Number < 1)
        RaiseM(ValidationBaseCode, 1);
    if (Number > HighestNumber())
        RaiseM(ValidationCodeOfKind(Kind), 1, QString::number(Number));
}

std::vector<MUnvBase*> MUnvList::ModulesInRange(std::int64_t Lo, std::int64_t Hi) const {
    std::vector<MUnvBase*> found;
    for (const auto& m : FItems)
        if (m->Number >= Lo && m->Number <= Hi)
            found.push_back(m.get());
    std::stable_sort(found.begin(), found.end(),
                     [](const MUnvBase* a, const MUnvBase* b) { return a->Number < b->Number; });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const MUnvBase* a, const MUnvBase* b) { return a->Number == b->Number; }),
                found.end());
    return found;
}

std::unique_ptr<MUnvList> MUnvList::ScratchCopy(bool WithModules) const {
    auto copy = std::make_unique<MUnvList>();
    copy->WorkItem = WorkItem->CreateNew();
    copy->Kind = Kind;
    copy->Modified = Modified;
    copy->NeedsAutosave = NeedsAutosave;
    copy->TableHeader = TableHeader;
    copy->DisplayMode = DisplayMode;
    copy->NumberLimit = NumberLimit;
    copy->MachineInfo = MachineInfo;
    if (!WithModules)
        return copy;
    MSwitchGuard tags(CopyTag, true);
    copy->FItems.reserve(FItems.size());
    for (const auto& m : FItems) {
        std::unique_ptr<MUnvBase> c = m->CreateNew();
        c->Assign(*m);
        copy->FItems.push_back(std::move(c));
    }
    return copy;
}

// ---- Blocks.

bool MUnvList::CopyBlockStep(int Source, std::int64_t Target, MUnvBase& Scratch) {
    try {
        Scratch.Assign(FindByNumber(Source));
        CheckTargetNumber(Target);
        Scratch.Number = std::int32_t(Target);
        AddOrReplace(Scratch);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

namespace {
// The present numbers of a block in the order a block copy takes them: from the far end when the
// block goes up, so that an overlapping block copies its old contents.
std::vector<int> BlockOrder(const std::vector<MUnvBase*>& Present, bool Up) {
    std::vector<int> numbers;
    numbers.reserve(Present.size());
    for (const MUnvBase* m : Present)
        numbers.push_back(m->Number);
    if (Up)
        std::reverse(numbers.begin(), numbers.end());
    return numbers;
}
} // namespace

void MUnvList::CopyBlock(int FromNumber, int ToNumber, int Count) {
    if (Count < 1 || FromNumber == ToNumber)
        return;
    const std::int64_t delta = std::int64_t(ToNumber) - FromNumber;
    const std::vector<int> sources =
        BlockOrder(ModulesInRange(FromNumber, std::int64_t(FromNumber) + Count - 1), delta > 0);
    std::unique_ptr<MUnvBase> scratch = NewItem();
    for (int n : sources)
        CopyBlockStep(n, n + delta, *scratch);
}

void MUnvList::MoveBlock(int FromNumber, int ToNumber, int Count) {
    if (Count < 1 || FromNumber == ToNumber)
        return;
    const std::int64_t delta = std::int64_t(ToNumber) - FromNumber;
    const std::vector<int> sources =
        BlockOrder(ModulesInRange(FromNumber, std::int64_t(FromNumber) + Count - 1), delta > 0);
    if (sources.empty())
        return;
    // Every target must be a number of the kind before anything moves; the far end is checked first.
    CheckTargetNumber(sources.front() + delta);
    CheckTargetNumber(sources.back() + delta);

    MSwitchGuard tags(CopyTag, true);
    std::unique_ptr<MUnvBase> scratch = NewItem();
    std::vector<int> moved;
    std::unordered_set<std::int64_t> stored;
    // A source whose copy was refused stays; no later copy of the block is stored over it (that
    // source then stays as well).
    std::unordered_set<std::int64_t> kept;
    for (int n : sources) {
        if (!kept.contains(n + delta) && CopyBlockStep(n, n + delta, *scratch)) {
            moved.push_back(n);
            stored.insert(n + delta);
        } else {
            kept.insert(n);
        }
    }
    // A source goes once its copy is stored, unless another module of the block was stored over it.
    for (int n : moved)
        if (!stored.contains(n))
            DeleteNumber(n);
}

// ---- The clipboard's copy and paste.

void MUnvList::CopySelectedTo(MUnvList& Dest) const {
    bool any = false;
    // Counted first, so that a list copied into itself copies what it held.
    const std::size_t count = FItems.size();
    for (std::size_t i = 0; i < count; ++i)
        if (FItems[i]->Marks.Selected) {
            any = true;
            Dest.Append(FItems[i]->Clone());
        }
    if (!any)
        RaiseM(1004, 0);
}

void MUnvList::CopyNumberTo(int Number, MUnvList& Dest) const {
    Dest.Append(FindByNumber(Number).Clone());
}

void MUnvList::PasteRenumbered(MUnvList& Source, int FirstNumber, bool Mirrored) {
    const std::int64_t base = Source.MinNumber();
    // By index: a list pasted into itself grows while it is walked.
    const std::size_t count = Source.FItems.size();
    for (std::size_t i = 0; i < count; ++i) {
        MUnvBase& m = *Source.FItems[i];
        const int old = m.Number;
        try {
            const std::int64_t target = old - base + FirstNumber;
            CheckTargetNumber(target);
            m.Number = std::int32_t(target);
            AddOrReplace(m);
        } catch (...) {
            m.Number = old;
            throw;
        }
        if (Mirrored)
            MirrorNumber(m.Number);
    }
}

void MUnvList::PasteFrom(MUnvList& Source, int FirstNumber) {
    PasteRenumbered(Source, FirstNumber, false);
}

void MUnvList::PasteMirroredFrom(MUnvList& Source, int FirstNumber) {
    PasteRenumbered(Source, FirstNumber, true);
}

void MUnvList::MirrorNumber(int Number) {
    if (Kind != lkZ)
        return;
    auto* row = dynamic_cast<MUnvZ*>(&FindByNumber(Number));
    if (!row)
        return;
    row->Mirror(SystemCount());
    MarkModified();
}

// ---- Drops from another list.

std::unique_ptr<MUnvBase> MUnvList::PrepareDrop(const MUnvBase& Source, std::int64_t Number) const {
    std::unique_ptr<MUnvBase> copy = NewItem();
    copy->AssignChecked(Source);
    copy->AdjustToMachine(MachineModel(), SystemCount());
    CheckTargetNumber(Number);
    copy->Number = std::int32_t(Number);
    if (ListsAutoValidate)
        copy->Validate();
    return copy;
}

void MUnvList::DropCopy(const MUnvList& SourceList, int SourceNumber, int AtNumber) {
    try {
        const std::unique_ptr<MUnvBase> copy = PrepareDrop(SourceList.FindByNumber(SourceNumber), AtNumber);
        ShiftNumbers(AtNumber, 1);
        SelectNone();
        AddOrReplace(*copy);
    } catch (const Exception&) {
        ShowPlainText(DropErrorText);
    }
}

void MUnvList::DropCopySelected(const MUnvList& SourceList, int AtNumber) {
    const MUnvBase* low = nullptr;
    const MUnvBase* high = nullptr;
    for (const auto& m : SourceList.FItems)
        if (m->Marks.Selected) {
            if (!low || m->Number < low->Number)
                low = m.get();
            if (!high || m->Number > high->Number)
                high = m.get();
        }
    if (!low)
        RaiseM(1004, 0);
    // Every copy is made before the list changes: a drop onto its own list copies the modules as
    // they were, and a copy that fails leaves the list untouched.
    std::vector<std::unique_ptr<MUnvBase>> copies;
    for (const auto& m : SourceList.FItems)
        if (m->Marks.Selected)
            copies.push_back(PrepareDrop(*m, std::int64_t(m->Number) - low->Number + AtNumber));
    ShiftNumbers(AtNumber, CheckedAdd(CheckedSub(high->Number, low->Number), 1));
    SelectNone();
    for (const auto& c : copies)
        AddOrReplace(*c);
}

// ---- The special functions.

void MUnvList::CopyRange(const TSpecialFuncParams& Params, TMUnvClipBoard* Clipboard) {
    CopyOrMoveRange(Params, false, Clipboard);
}

void MUnvList::MoveRange(const TSpecialFuncParams& Params, TMUnvClipBoard* Clipboard) {
    CopyOrMoveRange(Params, true, Clipboard);
}

void MUnvList::ChangeOnScratch(const std::function<void(MUnvList&)>& Change) {
    const std::unique_ptr<MUnvList> work = ScratchCopy();
    Change(*work);
    // The copy started with the list's flags and marked what the change did to it.
    const bool modified = work->Modified, autosave = work->NeedsAutosave;
    TakeContents(*work);
    Modified = modified;
    NeedsAutosave = autosave;
}

void MUnvList::CopyOrMoveRange(const TSpecialFuncParams& Params, bool Move, TMUnvClipBoard* Clipboard) {
    const std::vector<MUnvBase*> present = ModulesInRange(Params.From, Params.To);
    // Every clone is taken and numbered before anything is stored, so a target range that overlaps
    // the source range receives the old contents; every number is checked before anything changes.
    std::vector<std::unique_ptr<MUnvBase>> clones;
    clones.reserve(present.size());
    std::int64_t target = Params.In;
    for (const MUnvBase* m : present) {
        std::unique_ptr<MUnvBase> c = m->Clone();
        const std::int64_t number =
            Params.DeleteGaps ? target : std::int64_t(m->Number) + Params.In - Params.From;
        CheckTargetNumber(number);
        c->Number = std::int32_t(number);
        if (auto* row = Kind == lkZ ? dynamic_cast<MUnvZ*>(c.get()) : nullptr) {
            if (Params.Mirror)
                row->Mirror(SystemCount());
            if (Params.ByY != 0)
                row->ShiftPatternLine(Params.ByY);
        }
        ++target;
        // A Z target keeps the parity (the carriage direction) of the number after the source.
        if (Kind == lkZ && IsOdd64(std::int64_t(m->Number) + 1) != IsOdd64(target))
            ++target;
        clones.push_back(std::move(c));
    }
    if (!clones.empty())
        ChangeOnScratch([&](MUnvList& Work) {
            if (Move)
                for (const MUnvBase* m : present)
                    Work.DeleteNumber(m->Number);
            if (Params.MoveDestination) {
                const auto [low, high] =
                    std::minmax_element(clones.begin(), clones.end(),
                                        [](const auto& a, const auto& b) { return a->Number < b->Number; });
                Work.ShiftNumbers(Params.In, CheckedAdd(CheckedSub((*high)->Number, (*low)->Number), 1));
            }
            for (const auto& c : clones)
                Work.AddOrReplace(*c);
        });
    if (Clipboard) {
        Clipboard->Buffer2.Clear();
        for (auto& c : clones)
            Clipboard->Buffer2.Append(std::move(c));
    }
}

void MUnvList::DeleteRange(const TSpecialFuncParams& Params) {
    std::vector<int> numbers;
    for (const MUnvBase* m : ModulesInRange(Params.From, Params.To))
        numbers.push_back(m->Number);
    if (numbers.empty())
        return;
    try {
        ChangeOnScratch([&](MUnvList& Work) {
            std::unique_ptr<MUnvBase> blank = NewItem();
            for (int n : numbers) {
                if (Params.ClearItems) {
                    blank->Clear();
                    blank->Number = n;
                    Work.AddOrReplace(*blank);
                } else {
                    Work.DeleteNumber(n);
                }
            }
        });
    } catch (const Exception&) {
        ShowPlainText(RangeErrorText);
    }
}

void MUnvList::NewItemsRange(const TSpecialFuncParams& Params) {
    if (Params.From > Params.To)
        return;
    // Nothing changes for a range that reaches outside the kind's numbers.
    if (Params.From < 1 || Params.To > NumberLimit) {
        ShowPlainText(RangeErrorText);
        return;
    }
    try {
        ChangeOnScratch([&](MUnvList& Work) {
            if (Params.MoveDestination)
                Work.ShiftNumbers(Params.From, CheckedAdd(CheckedSub(Params.To, Params.From), 1));
            std::unique_ptr<MUnvBase> blank = NewItem();
            for (std::int64_t n = Params.From; n <= Params.To; ++n) {
                blank->Clear();
                blank->Number = std::int32_t(n);
                Work.AddOrReplace(*blank);
            }
        });
    } catch (const Exception&) {
        ShowPlainText(RangeErrorText);
    }
}

// ---- Labels.

void MUnvList::GetRangeLabels(int FirstNumber, int Count, QString& Text, int Level) const {
    Text.clear();
    const int systems = SystemCount(), model = MachineModel();
    const std::int64_t last = std::int64_t(FirstNumber) + Count;
    std::vector<MUnvBase*> modules =
        ModulesInRange(std::min<std::int64_t>(FirstNumber, last), std::max<std::int64_t>(FirstNumber, last));
    if (Count < 0)
        std::reverse(modules.begin(), modules.end());
    QString label;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        modules[i]->GetLabel(systems, model, Level, label);
        if (i > 0)
            Text += QLatin1String("\n\r");
        Text += label;
    }
}
