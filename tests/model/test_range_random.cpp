// Random lists and random sequences of block, range, drop and clipboard operations, checked against a
// plain map of number to module contents: no module appears, vanishes or changes except as the
// operation says, and an all-or-nothing operation that failed changed nothing.
#include "RangeSupport.h"

#include "model/MClpBrd.h"

#include <functional>
#include <limits>
#include <map>
#include <random>
#include <set>

using namespace kdstest;

namespace {
constexpr int Top = 63; // the largest R number

// What the test follows of a module: its marker, whether it fails validation, its selection.
struct Contents {
    int Marker = 0;
    bool Invalid = false;
    bool Selected = false;
    bool operator==(const Contents&) const = default;
};
using Model = std::map<int, Contents>;

Contents ContentsOf(const MUnvBase& m) {
    const auto& r = static_cast<const MUnvR&>(m);
    return {r.Offsets[0], r.Offsets[1] != 0, m.Marks.Selected != 0};
}

Model Read(const MUnvList& List) {
    Model m;
    for (int i = 0; i < List.Count(); ++i) {
        const MUnvBase& module = List.ItemAt(i);
        EXPECT_TRUE(m.emplace(module.Number, ContentsOf(module)).second) << "number twice: " << module.Number;
        EXPECT_GE(module.Number, 1);
        EXPECT_LE(module.Number, Top);
    }
    return m;
}

std::unique_ptr<MUnvR> Make(int Number, const Contents& C) {
    auto r = RMod(Number, C.Marker);
    if (C.Invalid)
        r->Offsets[1] = 12000;
    r->Marks.Selected = C.Selected ? 1 : 0;
    return r;
}

// Shifts every number from From up by Delta; false (and M untouched) when one would pass Top.
bool Shift(Model& M, std::int64_t From, std::int64_t Delta) {
    if (Delta < 1)
        return true;
    Model out;
    for (const auto& [n, c] : M) {
        const std::int64_t to = n >= From ? n + Delta : n;
        if (to > Top)
            return false;
        out[int(to)] = c;
    }
    M = std::move(out);
    return true;
}

bool InRange(std::int64_t n) {
    return n >= 1 && n <= Top;
}

std::vector<int> PresentIn(const Model& M, std::int64_t Lo, std::int64_t Hi) {
    std::vector<int> v;
    for (const auto& [n, c] : M)
        if (n >= Lo && n <= Hi)
            v.push_back(n);
    return v;
}

class RandomRun {
public:
    explicit RandomRun(unsigned Seed) : FRng(Seed) {}

    void Run(int Steps) {
        Fill(FList, 0);
        Fill(FOther, 1000);
        for (int step = 0; step < Steps; ++step) {
            FValidate = Pick(0, 4) != 0;
            MSwitchGuard validate(ListsAutoValidate, FValidate);
            FExpectRaise = false;
            FCheck = nullptr;
            const Model expected = Plan(Read(FList));
            bool raised = false;
            try {
                FOp();
            } catch (const Exception&) {
                raised = true;
            }
            ASSERT_EQ(raised, FExpectRaise) << FWhat;
            ASSERT_TRUE(Read(FList) == expected) << FWhat;
            ASSERT_EQ(Read(FOther).size(), FOtherCount) << FWhat;
            if (FCheck)
                FCheck();
        }
    }

private:
    int Pick(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FRng); }
    // A number mostly inside the kind's numbers, sometimes just outside or far outside.
    int Number() {
        switch (Pick(0, 19)) {
        case 0:
            return Pick(-3, 0);
        case 1:
            return Pick(Top + 1, Top + 5);
        case 2:
            return Pick(0, 1) ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
        default:
            return Pick(1, Top);
        }
    }
    void Fill(MUnvList& List, int MarkerBase) {
        for (int n = 1; n <= Top; ++n)
            if (Pick(0, 2) == 0)
                Put(List, *Make(n, {MarkerBase + n, Pick(0, 9) == 0, Pick(0, 3) == 0}));
        FOtherCount = std::size_t(FOther.Count());
    }
    static void SelectNone(Model& M) {
        for (auto& [n, c] : M)
            c.Selected = false;
    }

    // Chooses one random operation (FOp) and returns what the list must hold after it; FExpectRaise
    // says whether it must raise.
    Model Plan(Model M) {
        const Model before = M;
        switch (Pick(0, 11)) {
        case 0: { // select one number or clear the selection
            FWhat = "select";
            if (Pick(0, 1)) {
                FOp = [this] { FList.SelectNone(); };
                SelectNone(M);
            } else {
                const int n = Pick(1, Top);
                FOp = [this, n] { FList.SetSelected(n, true); };
                if (M.contains(n))
                    M[n].Selected = true;
            }
            return M;
        }
        case 1:
        case 2: { // block copy or move
            const int from = Number(), to = Number(), count = Pick(-1, 20);
            const bool move = Pick(0, 1);
            FWhat = QStringLiteral("%1block %2 %3 %4")
                        .arg(QLatin1String(move ? "move" : "copy"))
                        .arg(from)
                        .arg(to)
                        .arg(count)
                        .toStdString();
            FOp = [=, this] { move ? FList.MoveBlock(from, to, count) : FList.CopyBlock(from, to, count); };
            if (count < 1 || from == to)
                return M;
            const std::int64_t delta = std::int64_t(to) - from;
            std::vector<int> sources = PresentIn(M, from, std::int64_t(from) + count - 1);
            if (delta > 0)
                std::reverse(sources.begin(), sources.end());
            if (move && !sources.empty() &&
                (!InRange(sources.front() + delta) || !InRange(sources.back() + delta))) {
                FExpectRaise = true;
                return before;
            }
            std::vector<int> moved;
            std::set<std::int64_t> stored, kept; // a move stores nothing over a source that stayed
            for (int n : sources)
                if (InRange(n + delta) && !(FValidate && M[n].Invalid) &&
                    !(move && kept.contains(n + delta))) {
                    M[int(n + delta)] = M[n];
                    moved.push_back(n);
                    stored.insert(n + delta);
                } else {
                    kept.insert(n);
                }
            if (move)
                for (int n : moved)
                    if (!stored.contains(n))
                        M.erase(n);
            return M;
        }
        case 3:
        case 4: { // special copy or move: all or nothing
            TSpecialFuncParams p;
            p.From = Number();
            p.To = Pick(0, 3) ? int(std::min<std::int64_t>(std::int64_t(p.From) + Pick(0, 10), INT32_MAX))
                              : Number();
            p.In = Number();
            p.DeleteGaps = Pick(0, 1);
            p.MoveDestination = Pick(0, 1);
            const bool move = Pick(0, 1);
            FWhat = QStringLiteral("%1range %2 %3 %4 gaps %5 dest %6")
                        .arg(QLatin1String(move ? "move" : "copy"))
                        .arg(p.From)
                        .arg(p.To)
                        .arg(p.In)
                        .arg(p.DeleteGaps)
                        .arg(p.MoveDestination)
                        .toStdString();
            FOp = [=, this] { move ? FList.MoveRange(p, &FClip) : FList.CopyRange(p, &FClip); };
            const std::vector<int> sources = PresentIn(M, p.From, p.To);
            std::vector<std::pair<std::int64_t, Contents>> clones;
            for (std::size_t i = 0; i < sources.size(); ++i)
                clones.push_back(
                    {p.DeleteGaps ? p.In + std::int64_t(i) : sources[i] + std::int64_t(p.In) - p.From,
                     M[sources[i]]});
            bool fails = false;
            for (const auto& [n, c] : clones)
                fails = fails || !InRange(n) || (FValidate && c.Invalid);
            if (!fails && !clones.empty()) {
                if (move)
                    for (int n : sources)
                        M.erase(n);
                if (p.MoveDestination)
                    fails = !Shift(M, p.In, clones.back().first - clones.front().first + 1);
                for (const auto& [n, c] : clones)
                    M[int(n)] = c;
            }
            FExpectRaise = fails;
            return fails ? before : M;
        }
        case 5: { // special delete
            TSpecialFuncParams p;
            p.From = Number();
            p.To = Number();
            p.ClearItems = Pick(0, 1);
            FWhat = "deleterange";
            FOp = [=, this] { FList.DeleteRange(p); };
            for (int n : PresentIn(M, p.From, p.To))
                if (p.ClearItems)
                    M[n] = Contents{};
                else
                    M.erase(n);
            return M;
        }
        case 6: { // special new items
            TSpecialFuncParams p;
            p.From = Number();
            p.To = Pick(0, 3) ? int(std::min<std::int64_t>(std::int64_t(p.From) + Pick(0, 5), INT32_MAX))
                              : Number();
            p.MoveDestination = Pick(0, 1);
            FWhat = QStringLiteral("newitems %1 %2 dest %3")
                        .arg(p.From)
                        .arg(p.To)
                        .arg(p.MoveDestination)
                        .toStdString();
            FOp = [=, this] { FList.NewItemsRange(p); };
            if (p.From > p.To)
                return M;
            if (!InRange(p.From) || !InRange(p.To) ||
                (p.MoveDestination && !Shift(M, p.From, std::int64_t(p.To) - p.From + 1)))
                return before;
            for (int n = p.From; n <= p.To; ++n)
                M[n] = Contents{};
            return M;
        }
        case 7: { // drop one module from the other list or from the list itself
            const bool own = Pick(0, 1);
            const Model source = own ? M : Read(FOther);
            const int n = Pick(1, Top), at = Number();
            FWhat = QStringLiteral("drop %1 %2 own %3").arg(n).arg(at).arg(own).toStdString();
            FOp = [=, this] { FList.DropCopy(own ? FList : FOther, n, at); };
            const auto it = source.find(n);
            if (it == source.end() || it->second.Invalid || !InRange(at) || !Shift(M, at, 1))
                return before;
            SelectNone(M);
            M[at] = it->second;
            return M;
        }
        case 8: { // drop the selection of the other list or of the list itself: all or nothing
            const bool own = Pick(0, 1);
            if (!own) {
                FOther.SelectNone();
                for (int i = 0; i < 4; ++i)
                    FOther.SetSelected(Pick(1, Top), true);
            }
            const Model source = own ? M : Read(FOther);
            const int at = Number();
            FWhat = QStringLiteral("dropsel %1 own %2").arg(at).arg(own).toStdString();
            FOp = [=, this] { FList.DropCopySelected(own ? FList : FOther, at); };
            std::vector<std::pair<int, Contents>> selected;
            for (const auto& [k, c] : source)
                if (c.Selected)
                    selected.push_back({k, c});
            FExpectRaise = true;
            if (selected.empty())
                return before;
            const int low = selected.front().first, high = selected.back().first;
            for (const auto& [k, c] : selected)
                if (c.Invalid || !InRange(std::int64_t(k) - low + at))
                    return before;
            if (!Shift(M, at, high - low + 1))
                return before;
            FExpectRaise = false;
            SelectNone(M);
            for (const auto& [k, c] : selected)
                M[k - low + at] = c;
            return M;
        }
        case 9: { // copy or cut into the clipboard
            const int n = Pick(-1, Top);
            const bool cut = Pick(0, 1);
            FWhat = QStringLiteral("%1 %2").arg(QLatin1String(cut ? "cut" : "copy")).arg(n).toStdString();
            FOp = [=, this] { cut ? FClip.Cut(FList, n) : FClip.Copy(FList, n); };
            Model copied;
            for (const auto& [k, c] : M)
                if (c.Selected)
                    copied[k] = c;
            if (copied.empty() && n >= 1 && M.contains(n))
                copied[n] = M[n];
            FCheck = [this, copied] { EXPECT_TRUE(Read(FClip.Buffer) == copied) << FWhat; };
            if (cut)
                for (const auto& [k, c] : copied)
                    M.erase(k);
            return M;
        }
        default: { // paste with insertion or over
            const bool insert = Pick(0, 1);
            int at = Pick(0, 5) ? Pick(1, Top) : -1;
            FWhat = QStringLiteral("paste%1 %2")
                        .arg(QLatin1String(insert ? "insert" : "over"))
                        .arg(at)
                        .toStdString();
            FOp = [=, this] { insert ? FClip.PasteInsert(FList, at) : FClip.PasteOver(FList, at); };
            // The buffer in its own order: a paste stops at the first module it cannot store.
            std::vector<std::pair<int, Contents>> buffer;
            for (int i = 0; i < FClip.Buffer.Count(); ++i)
                buffer.push_back({FClip.Buffer.ItemAt(i).Number, ContentsOf(FClip.Buffer.ItemAt(i))});
            if (buffer.empty())
                return M;
            int low = buffer.front().first, high = low;
            for (const auto& [k, c] : buffer) {
                low = std::min(low, k);
                high = std::max(high, k);
            }
            if (at < 0)
                at = low;
            if (insert && !Shift(M, at, high - low + 1)) {
                FExpectRaise = true;
                return before;
            }
            for (const auto& [k, c] : buffer) {
                const std::int64_t target = std::int64_t(k) - low + at;
                if (!InRange(target) || (FValidate && c.Invalid)) {
                    FExpectRaise = true;
                    return M;
                }
                M[int(target)] = c;
            }
            return M;
        }
        }
    }

    std::mt19937 FRng;
    MRList FList, FOther;
    std::size_t FOtherCount = 0;
    TMUnvClipBoard FClip;
    bool FValidate = true;
    bool FExpectRaise = false;
    std::function<void()> FOp;
    std::function<void()> FCheck;
    std::string FWhat;
};
} // namespace

TEST(RandomRangeOperations, FollowAPlainMapOfModules) {
    MScriptedMessages quiet(mbCancel); // the plain texts of failed drops and ranges
    for (unsigned seed = 1; seed <= 150; ++seed) {
        RandomRun run(seed);
        run.Run(60);
        if (::testing::Test::HasFatalFailure()) {
            ADD_FAILURE() << "seed " << seed;
            return;
        }
    }
}
