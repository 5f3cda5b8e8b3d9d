#include "model/UClrBed.h"

#include "model/UPattern.h"
#include "model/UProject.h"

#include <algorithm>
#include <limits>

namespace {
std::int32_t Clamped(std::int64_t Value) {
    return std::int32_t(std::clamp<std::int64_t>(Value, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

QString Pair(std::int64_t A, std::int64_t B) {
    return QString::number(A) + QLatin1Char(';') + QString::number(B);
}

constexpr std::uint8_t ntReference = 2; // an N entry of type N names a range of N entries

// The walk over an S line's N range. Every entry and every member of a reference is visited once,
// and only where walking each counter out in full would reach it, so the findings, used marks and
// extent are those of the full walk; parts are appended only until they give the working width's
// needles, so time and memory stay bounded whatever the counters say.
class MPartsBuilder {
public:
    MPartsBuilder(MJacquardBed& Bed, MProject& Project, MPTerror& Finding, std::int64_t Need)
        : FBed(Bed), FProject(Project), FFinding(Finding), FNeed(Need) {
        const MNList& list = Project.Program().N;
        FIndex.reserve(std::size_t(list.Count()));
        for (int i = 0; i < list.Count(); ++i)
            FIndex.push_back(&static_cast<MUnvN&>(list.ItemAt(i)));
        std::stable_sort(FIndex.begin(), FIndex.end(),
                         [](const MUnvN* a, const MUnvN* b) { return a->Number < b->Number; });
    }

    // Walks N numbers NFirst .. NFirst + NCount of S line SLine.
    void Walk(int SLine, std::int64_t NFirst, std::int64_t NCount) {
        const std::int64_t step = NCount < 0 ? -1 : 1;
        const std::int64_t last = NFirst + NCount;
        for (std::int64_t n = NFirst;; n += step) {
            MUnvN* entry = Find(n);
            if (!entry) {
                FBed.RecordFinding(FFinding, pteMissingNEntry, Pair(SLine, n), lkS, SLine);
                return;
            }
            if (entry->Type == ntReference) {
                if (!WalkReference(*entry))
                    return;
            } else {
                Take(*entry);
            }
            if (n == last)
                return;
        }
    }

private:
    MUnvN* Find(std::int64_t Number) const {
        const auto it = std::lower_bound(FIndex.begin(), FIndex.end(), Number,
                                         [](const MUnvN* m, std::int64_t v) { return m->Number < v; });
        return it != FIndex.end() && (*it)->Number == Number ? *it : nullptr;
    }

    bool Full() const { return FHave >= FNeed; }

    void Append(const MUnvN& X) {
        FBed.Parts.push_back({X.Start, X.Count});
        FHave += NeedleRowCount(X.Start, X.Count);
    }

    // Entry X taken Times times, once as far as findings and the extent go.
    void Reach(const MUnvN& X) {
        const std::int64_t a = X.Start;
        const std::int64_t b = a + X.Count;
        FBed.ExtendRange(Clamped(std::min(a, b)), Clamped(std::max(a, b)));
        // The picture width of the setup scheme; a missing C entry 1 ends the rebuild.
        const std::int64_t width = FProject.Program().C.GetC(1).Width;
        if (a < 1 || b < 1 || a > width || b > width)
            FBed.RecordFinding(FFinding, pteNeedleOutsidePicture, QString::number(X.Number), lkN, X.Number);
    }

    // An entry reached directly or as a member: used, and taken as often as its counter says.
    // Returns the number of times an X entry is taken (0 for a reference).
    std::int32_t Take(MUnvN& Entry, const MUnvN* Reference = nullptr) {
        Entry.UsedMark = 1;
        const std::int32_t times = FProject.ResolveValue(Entry.Counter);
        if (times < 1)
            return 0;
        if (Entry.Type == ntReference) {
            FBed.RecordFinding(FFinding, pteNestedReference, Pair(Reference->Number, Entry.Number), lkN,
                               Reference->Number);
            return 0;
        }
        Reach(Entry);
        for (std::int32_t k = 0; k < times && !Full(); ++k)
            Append(Entry);
        return times;
    }

    // A reference: its range walked as often as its counter says. False when a missing member ends
    // the rebuild.
    bool WalkReference(MUnvN& Reference) {
        Reference.UsedMark = 1;
        const std::int32_t times = FProject.ResolveValue(Reference.Counter);
        if (times < 1)
            return true;
        // The first pass visits every member; later passes only repeat the parts it took.
        std::vector<std::pair<const MUnvN*, std::int32_t>> taken;
        const std::int64_t step = Reference.Count < 0 ? -1 : 1;
        const std::int64_t last = std::int64_t(Reference.Start) + Reference.Count;
        for (std::int64_t m = Reference.Start;; m += step) {
            MUnvN* member = Find(m);
            if (!member) {
                FBed.RecordFinding(FFinding, pteMissingNMember, Pair(Reference.Number, m), lkN,
                                   Reference.Number);
                return false;
            }
            if (const std::int32_t t = Take(*member, &Reference); t > 0)
                taken.emplace_back(member, t);
            if (m == last)
                break;
        }
        for (std::int32_t pass = 1; pass < times && !taken.empty() && !Full(); ++pass)
            for (const auto& [member, t] : taken)
                for (std::int32_t k = 0; k < t && !Full(); ++k)
                    Append(*member);
        return true;
    }

    MJacquardBed& FBed;
    MProject& FProject;
    MPTerror& FFinding;
    const std::int64_t FNeed;
    std::int64_t FHave = 0;
    std::vector<MUnvN*> FIndex; // the N entries by number
};

// The working width of C entry 1; raises when there is none.
std::int64_t WorkingWidth(MProject& Project) {
    return WorkingWidth(Project.Program().C.GetC(1));
}
} // namespace

std::int32_t WorkingWidth(const MUnvC& C) {
    return std::int32_t(std::clamp<std::int64_t>(std::int64_t(C.To[0]) - C.From[0], 0, MaxWorkingWidth));
}

void MJacquardBed::Assign(const MJacquardBed& Source) {
    if (&Source == this)
        return;
    Needles.Buffer() = Source.Needles.Buffer();
    Needles.Seek(0);
    Palette = Source.Palette;
    CachedLine = Source.CachedLine;
    CachedSLine = Source.CachedSLine;
}

void MJacquardBed::SetNeedle(int Needle, std::uint32_t Value) {
    if (Needle < 1)
        return;
    if (Needle > BedNeedleLimit)
        throw ERangeError(QStringLiteral("Needle %1 lies beyond the longest needle row").arg(Needle));
    std::vector<std::uint8_t>& bytes = Needles.Buffer();
    const std::size_t at = std::size_t(Needle - 1) * 3;
    if (bytes.size() < at + 3)
        bytes.resize(at + 3, 0);
    bytes[at] = std::uint8_t(Value >> 16);
    bytes[at + 1] = std::uint8_t(Value >> 8);
    bytes[at + 2] = std::uint8_t(Value);
}

std::uint32_t MJacquardBed::GetNeedle(int Needle) const {
    if (Needle < 1 || Needle > Width())
        return 0;
    const std::uint8_t* p = Needles.Buffer().data() + std::size_t(Needle - 1) * 3;
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
}

void MJacquardBed::ExtendRange(std::int32_t A, std::int32_t B) {
    if (A <= 0)
        return;
    if (NeedleMin == 0 || NeedleMin > A)
        NeedleMin = A;
    if (NeedleMax < B)
        NeedleMax = B;
}

void MJacquardBed::ClearNeedles() {
    Needles.Buffer().clear();
    Needles.Seek(0);
}

void MJacquardBed::RecordFinding(MPTerror& Finding, int Id, const QString& Args, int ListKind,
                                 int Number) const {
    Finding.SetError(Id);
    Finding.Args = Args;
    Finding.ListKind = ListKind;
    Finding.Number = Number;
    if (FindingLog)
        FindingLog(Finding);
}

void MJacquardBed::LoadJacquardRow(MProject* Project, MPTerror& Finding, int Line, int SLine) {
    if (Line <= 0 || !Project || (Line == CachedLine && SLine == CachedSLine))
        return;
    try {
        if (CachedSLine != SLine) {
            ClearParts();
            const MSList& sList = Project->Program().S;
            if (sList.Contains(SLine)) {
                const MUnvS& s = sList.GetS(SLine);
                // A cycle has no needle setup of its own: nothing is read and nothing cached.
                if (s.Type == 2 || s.NFirst <= 0)
                    return;
                BuildParts(*Project, Finding, SLine);
            }
        }
        ReadRow(*Project, Line);
        CachedSLine = SLine;
        CachedLine = Line;
    } catch (...) {
        // The loader never raises: what was built and read so far stays.
    }
}

void MJacquardBed::BuildParts(MProject& Project, MPTerror& Finding, int SLine) {
    std::int64_t need = 0;
    try {
        need = WorkingWidth(Project);
    } catch (...) {
    }
    const MUnvS& s = Project.Program().S.GetS(SLine);
    MPartsBuilder builder(*this, Project, Finding, need);
    try {
        builder.Walk(SLine, s.NFirst, s.NCount);
    } catch (...) {
        // A failure ends the rebuild; the parts built so far are kept.
    }
}

void MJacquardBed::ReadRow(MProject& Project, int Line) {
    ClearNeedles();
    std::int64_t need = 0;
    MPatternSource* pattern = nullptr;
    try {
        need = WorkingWidth(Project);
        pattern = Project.Pattern();
        std::int64_t have = 0;
        for (const MnParts& part : Parts) {
            if (!pattern || have >= need)
                break;
            // Only the needles still wanted are read: the first entries of the part's full run.
            const std::int64_t rest = need - have;
            const std::int64_t a = std::max<std::int64_t>(std::int64_t(part.First) - 1, 0);
            std::int64_t b = std::max<std::int64_t>(std::int64_t(part.First) + part.Count - 1, 0);
            b = a <= b ? std::min(b, a + rest - 1) : std::max(b, a - rest + 1);
            have += std::max(pattern->ReadNeedleRow(Needles, Line, int(a + 1), int(b - a)), 0);
        }
        if (pattern && have > 0 && have < need)
            pattern->RepeatNeedleRow(Needles, int(have), int(need));
    } catch (...) {
        // A failing drawing leaves what was read so far.
    }
    // The bed holds whole needles, at most the working width.
    std::vector<std::uint8_t>& bytes = Needles.Buffer();
    bytes.resize(std::min<std::size_t>(bytes.size() / 3 * 3, std::size_t(need) * 3));
    Needles.Seek(0);
}
