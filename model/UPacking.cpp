#include "model/UPacking.h"

#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/Errors.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {
constexpr int iP = ListIndex(lkP), iN = ListIndex(lkN), iZ = ListIndex(lkZ), iR = ListIndex(lkR),
              iS = ListIndex(lkS), iW = ListIndex(lkW), iFS = ListIndex(lkFS), iFD = ListIndex(lkFD),
              iFE = ListIndex(lkFE);

// The modules of a list in ascending number order.
std::vector<MUnvBase*> SortedModules(const MUnvList& List) {
    std::vector<MUnvBase*> v;
    v.reserve(std::size_t(List.Count()));
    for (int i = 0; i < List.Count(); ++i)
        v.push_back(&List.ItemAt(i));
    std::stable_sort(v.begin(), v.end(),
                     [](const MUnvBase* a, const MUnvBase* b) { return a->Number < b->Number; });
    return v;
}

template <typename T>
void ForEach(const MUnvList& List, auto Visit) {
    for (int i = 0; i < List.Count(); ++i)
        if (auto* m = dynamic_cast<T*>(&List.ItemAt(i)))
            Visit(*m);
}

// NewNumberOf over a whole list at once: old number -> the number of the first module that had it.
class MOldNumbers {
public:
    explicit MOldNumbers(const MUnvList* List) {
        if (!List)
            return;
        for (int i = 0; i < List->Count(); ++i) {
            const MUnvBase& m = List->ItemAt(i);
            if (m.OldNumber >= 1)
                FMap.emplace(m.OldNumber, m.Number);
        }
    }
    int operator()(int Old) const {
        if (Old < 1)
            return Old;
        const auto it = FMap.find(Old);
        return it == FMap.end() ? Old : it->second;
    }
    template <typename T>
    T Byte(T Old) const {
        return CheckedCast<T>((*this)(Old));
    }

private:
    std::unordered_map<int, int> FMap;
};

void TranslateW(MCounter& Counter, const MOldNumbers& W) {
    if (Counter.Kind == ckW)
        Counter.Value = W(Counter.Value);
}

// True when two lists hold equal modules under equal numbers in the same order.
bool SameModules(const MUnvList& A, const MUnvList& B) {
    if (A.Count() != B.Count())
        return false;
    for (int i = 0; i < A.Count(); ++i)
        if (A.ItemAt(i).Number != B.ItemAt(i).Number || !A.ItemAt(i).Equals(B.ItemAt(i)))
            return false;
    return true;
}

} // namespace

MUnvPack::MUnvPack() {
    for (int i = 0; i < 10; ++i)
        LineMap[std::size_t(i)] = i + 1;
}

int MUnvPack::NewNumberOf(int Old, const MUnvList& List) {
    if (Old < 1)
        return Old;
    for (int i = 0; i < List.Count(); ++i)
        if (List.ItemAt(i).OldNumber == Old)
            return List.ItemAt(i).Number;
    return Old;
}

int MUnvPack::RenumberModules(int SLimit) {
    if (ValueOverride < 0 || ValueOverride > 255)
        throw ERangeError(QStringLiteral("The offset row %1 lies outside 0..255").arg(ValueOverride));
    // The new lists are built apart and taken over only when every store succeeded.
    std::array<std::unique_ptr<MUnvList>, 10> work;
    std::array<MUnvList*, 10> lists{};
    std::array<bool, 10> imported{};
    std::array<int, 10> nextFree = NextFree;
    for (int k = iP; k <= iFE; ++k) {
        const MUnvList* source = Sources[std::size_t(k)];
        MUnvList* target = Targets[std::size_t(k)];
        if (!target) {
            if (source && source->Count() > 0)
                throw EInvalidOperation(
                    QStringLiteral("No target list for the imported %1 modules").arg(KindLetters(k + 1)));
            continue;
        }
        work[std::size_t(k)] = target->ScratchCopy();
        lists[std::size_t(k)] = work[std::size_t(k)].get();
        for (int i = 0; i < lists[std::size_t(k)]->Count(); ++i)
            lists[std::size_t(k)]->ItemAt(i).OldNumber = 0;
    }

    int sCounter = SCounter;
    for (int k = iP; k <= iFE; ++k) {
        MUnvList* into = lists[std::size_t(k)];
        int next = FirstFree[std::size_t(k)];
        const MUnvList* source = Sources[std::size_t(k)];
        // The first imported row keeps its parity (for an empty source, the parity of 0).
        if (k == iZ && IsOdd(source ? source->MinNumber() : 0) != IsOdd(next))
            next = CheckedAdd(next, 1);
        if (source && source->Count() > 0 && into) {
            MSwitchGuard tags(CopyTag, true);
            WorkItem = into->NewItem();
            struct FreeWorkItem {
                std::unique_ptr<MUnvBase>& Item;
                ~FreeWorkItem() { Item.reset(); }
            } freeWorkItem{WorkItem};
            for (const MUnvBase* m : SortedModules(*source)) {
                WorkItem->AssignChecked(*m);
                if (const auto* s = dynamic_cast<const MUnvS*>(WorkItem.get()); k == iS && s && s->First == 0)
                    continue;
                WorkItem->OldNumber = m->Number;
                int number;
                if (k == iS && m->Number > SLimit) {
                    number = sCounter;
                    sCounter = CheckedAdd(sCounter, 1);
                } else {
                    // Every Z row keeps the parity of its source number: odd and even rows knit in
                    // opposite directions.
                    if (k == iZ && IsOdd(m->Number) != IsOdd(next))
                        next = CheckedAdd(next, 1);
                    number = next;
                    next = CheckedAdd(next, 1);
                }
                into->CheckTargetNumber(number);
                WorkItem->Number = number;
                into->AddOrReplace(*WorkItem);
                imported[std::size_t(k)] = true;
            }
        }
        nextFree[std::size_t(k)] = next;
    }
    RemapIn(lists);

    for (int k = iP; k <= iFE; ++k) {
        MUnvList* target = Targets[std::size_t(k)];
        if (!target)
            continue;
        MUnvList& w = *work[std::size_t(k)];
        const bool changed = imported[std::size_t(k)] || !SameModules(*target, w);
        const bool modified = target->Modified, autosave = target->NeedsAutosave;
        target->TakeContents(w);
        if (!changed) {
            target->Modified = modified;
            target->NeedsAutosave = autosave;
        }
    }
    NextFree = nextFree;
    SCounter = sCounter;
    SCounterEnd = sCounter;
    return 0;
}

void MUnvPack::RemapReferences() {
    RemapIn(Targets);
}

void MUnvPack::RemapIn(const std::array<MUnvList*, 10>& Lists) const {
    const MOldNumbers P(Lists[iP]), N(Lists[iN]), Z(Lists[iZ]), R(Lists[iR]), S(Lists[iS]), W(Lists[iW]),
        FS(Lists[iFS]), FD(Lists[iFD]), FE(Lists[iFE]);
    const auto imported = [&](const MUnvBase& m, int Kind) {
        return m.Number >= FirstFree[std::size_t(ListIndex(Kind))];
    };

    if (const MUnvList* list = Lists[iS])
        ForEach<MUnvS>(*list, [&](MUnvS& s) {
            if (s.OldNumber == 0)
                return;
            if (s.First != 0)
                s.First = s.Type == 2 ? S(s.First) : Z(s.First);
            if (s.Counter.Kind == ckW)
                s.Counter.Value = W(s.Counter.Value);
            else if (s.Counter.Kind == ckR)
                s.Counter.Value = R(s.Counter.Value);
            if (s.PFirst != 0)
                s.PFirst = P(s.PFirst);
            if (s.NFirst != 0)
                s.NFirst = N(s.NFirst);
            if (ValueOverride != 0)
                s.Offset = std::uint8_t(ValueOverride);
        });
    if (const MUnvList* list = Lists[iZ])
        ForEach<MUnvZ>(*list, [&](MUnvZ& z) {
            if (!imported(z, lkZ))
                return;
            if (z.FSFront != 0)
                z.FSFront = FS.Byte(z.FSFront);
            if (z.FSRear != 0)
                z.FSRear = FS.Byte(z.FSRear);
            if (z.FD != 0)
                z.FD = FD.Byte(z.FD);
            for (std::int32_t& line : z.PatternLine)
                if (line >= 11)
                    line = CheckedAdd(line, std::int32_t(LineShift));
                else if (line >= 1)
                    line = LineMap[std::size_t(line - 1)];
            if (ValueOverride != 0)
                for (MffMap& carriers : z.Carriers)
                    if (carriers.Value != 0)
                        carriers.Value = std::uint8_t(ValueOverride);
        });
    if (const MUnvList* list = Lists[iN])
        ForEach<MUnvN>(*list, [&](MUnvN& n) {
            if (!imported(n, lkN))
                return;
            if (n.Start != 0 && n.Type == 2)
                n.Start = N(n.Start);
            else if (n.Start != 0 && n.Type == 1)
                n.Start = CheckedAdd(n.Start, std::int32_t(ColumnShift));
            TranslateW(n.Counter, W);
        });
    if (const MUnvList* list = Lists[iR])
        ForEach<MUnvR>(*list, [&](MUnvR& r) {
            if (imported(r, lkR))
                TranslateW(r.Counter, W);
        });
    if (const MUnvList* list = Lists[iFS])
        ForEach<MUnvFS>(*list, [&](MUnvFS& fs) {
            if (!imported(fs, lkFS))
                return;
            for (MCounter& c : fs.CountersA)
                TranslateW(c, W);
            for (MCounter& c : fs.CountersB)
                TranslateW(c, W);
        });
    if (const MUnvList* list = Lists[iFD])
        ForEach<MUnvFD>(*list, [&](MUnvFD& fd) {
            if (!imported(fd, lkFD))
                return;
            for (std::int32_t& first : fd.FirstFE)
                if (first != 0)
                    first = FE(first);
        });
}

void MUnvPack::RenumberZInProgramOrder() {
    MUnvList* zList = Targets[iZ];
    MUnvList* sList = Targets[iS];
    if (!zList || !sList)
        throw EInvalidOperation(QStringLiteral("Renumbering the Z rows needs the Z and S lists"));
    MSwitchGuard tags(CopyTag, true);

    // A validated copy of the rows, found by number through an index.
    const std::unique_ptr<MUnvList> rows = zList->ScratchCopy(false);
    rows->Assign(*zList);
    // Counts come from files: the walks stay within the numbers the rows have.
    const int top = std::min(zList->HighestNumber(), rows->MaxNumber());
    std::vector<int> rowAt(std::size_t(std::max(top, 0)) + 1, -1);
    for (int i = 0; i < rows->Count(); ++i) {
        MUnvBase& row = rows->ItemAt(i);
        row.OldNumber = 0;
        if (row.Number >= 1 && row.Number <= top)
            rowAt[std::size_t(row.Number)] = i;
    }
    std::vector<bool> placed(std::size_t(rows->Count()), false);
    int placedCount = 0;

    // The new list is built apart and taken over only when every row was stored.
    const std::unique_ptr<MUnvList> ordered = zList->ScratchCopy(false);
    std::unique_ptr<MUnvBase> copy = zList->NewItem();
    std::unordered_map<int, int> newNumber;
    int next = 1;
    const auto place = [&](int i) {
        MUnvBase& row = rows->ItemAt(i);
        const int z = row.Number;
        if (IsOdd(z) != IsOdd(next))
            next = CheckedAdd(next, 1);
        row.OldNumber = z;
        copy->AssignChecked(row);
        ordered->CheckTargetNumber(next);
        copy->Number = next;
        ordered->AddOrReplace(*copy);
        placed[std::size_t(i)] = true;
        ++placedCount;
        newNumber.emplace(z, next);
        next = CheckedAdd(next, 1);
    };

    const std::vector<MUnvBase*> lines = SortedModules(*sList);
    for (const MUnvBase* m : lines) {
        const auto* s = dynamic_cast<const MUnvS*>(m);
        if (!s || s->Type != 1 || placedCount == rows->Count())
            continue;
        std::int64_t a = s->First, b = std::int64_t(s->First) + s->Count;
        if (a > b)
            std::swap(a, b);
        if (a < 1)
            continue;
        b = std::min<std::int64_t>(b, top);
        for (std::int64_t z = a; z <= b; ++z)
            if (const int i = rowAt[std::size_t(z)]; i >= 0 && !placed[std::size_t(i)])
                place(i);
    }
    for (int i = 0; i < rows->Count(); ++i)
        if (!placed[std::size_t(i)])
            place(i);

    // Every row is stored. The S lines keep their counts, so the order is taken only when each
    // line then knits the rows it knitted: two lines sharing rows out of order, or a gap inside a
    // range, would put other rows under a line's range. Otherwise the rows stay as numbered.
    const auto firstAfter = [&newNumber](int First) {
        const auto it = newNumber.find(First);
        return it == newNumber.end() ? First : it->second;
    };
    std::unordered_map<int, int> oldAt; // new number -> old number
    for (const auto& [from, to] : newNumber)
        oldAt.emplace(to, from);
    const auto oldRowAt = [&oldAt](std::int64_t Number) {
        const auto it = Number >= 1 && Number <= INT32_MAX ? oldAt.find(int(Number)) : oldAt.end();
        return it == oldAt.end() ? std::int64_t(0) : std::int64_t(it->second);
    };
    const auto exists = [&rowAt, top](std::int64_t Number) {
        return Number >= 1 && Number <= top && rowAt[std::size_t(Number)] >= 0;
    };
    for (const MUnvBase* m : lines) {
        const auto* s = dynamic_cast<const MUnvS*>(m);
        if (!s || s->Type != 1 || s->RangeIsEmpty())
            continue;
        // The rows the line knits: from First towards First + Count, up to the first missing row.
        const std::int64_t step = s->Count < 0 ? -1 : 1;
        const std::int64_t steps = s->Count < 0 ? -std::int64_t(s->Count) : s->Count;
        const std::int64_t first = firstAfter(s->First);
        for (std::int64_t k = 0; k <= steps; ++k) {
            const std::int64_t was = s->First + k * step;
            const std::int64_t now = first + k * step;
            if (!exists(was)) {
                if (oldRowAt(now) != 0)
                    return;
                break;
            }
            if (oldRowAt(now) != was)
                return;
        }
    }
    bool linesChanged = false;
    for (MUnvBase* m : lines)
        if (auto* s = dynamic_cast<MUnvS*>(m); s && s->Type == 1 && s->First != 0) {
            const int first = firstAfter(s->First);
            if (first != s->First) {
                s->First = first;
                linesChanged = true;
            }
        }
    if (linesChanged) {
        sList->Modified = true;
        sList->NeedsAutosave = true;
    }
    zList->TakeContents(*ordered);
}

void MUnvPack::AdjustSGap(MSList& SList, int Wanted) {
    if (Wanted < 0)
        throw ERangeError(QStringLiteral("The gap after the leading S lines cannot be %1").arg(Wanted));
    const int k = SList.LeadingRunLength();
    const int next = SList.NextUsedAfterRun();
    const std::int64_t gap = std::int64_t(next) - k - 1;
    if (next <= 0 || gap <= 0 || gap == Wanted)
        return;
    const int top = SList.MaxNumber();
    const std::int64_t shift = std::int64_t(Wanted) - gap;
    // The moved lines must stay S numbers; nothing is touched otherwise.
    SList.CheckTargetNumber(top + shift);
    for (int i = 0; i < SList.Count(); ++i)
        SList.ItemAt(i).OldNumber = SList.ItemAt(i).Number;
    SList.MoveBlock(next, int(next + shift), top - next + 1);
    bool changed = false;
    const MOldNumbers renumbered(&SList);
    ForEach<MUnvS>(SList, [&](MUnvS& s) {
        if (s.Type == 2 && s.First != 0) {
            const int n = renumbered(s.First);
            changed = changed || n != s.First;
            s.First = n;
        }
    });
    if (changed) {
        SList.Modified = true;
        SList.NeedsAutosave = true;
    }
}
