#include "app/UExportEntry.h"

#include "app/LBoardSh.h"
#include "app/ULibFiles.h"
#include "app/UStripImport.h"
#include "model/UProject.h"
#include "model/Usequencer.h"
#include "platform/Errors.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <set>

namespace {

[[noreturn]] void Refuse(int SubCode, const QString& Args = QString()) {
    RaiseM(exportmsg::Code, SubCode, Args);
}

// The numbers of one kind that the entry carries, as ranges (a range of references keeps its
// spacing, also over numbers no module has), laid out compactly one after another from a first
// number; Z rows keep the parity of their old numbers.
class MKindPlan {
public:
    void Add(std::int64_t A, std::int64_t B) {
        if (A > B)
            std::swap(A, B);
        A = std::max<std::int64_t>(A, 1);
        if (B >= A)
            FRanges.push_back({A, B});
    }
    void Layout(std::int64_t First, bool KeepParity) {
        std::sort(FRanges.begin(), FRanges.end());
        std::vector<std::pair<std::int64_t, std::int64_t>> merged;
        for (const auto& r : FRanges)
            if (!merged.empty() && r.first <= merged.back().second + 1)
                merged.back().second = std::max(merged.back().second, r.second);
            else
                merged.push_back(r);
        FRanges = std::move(merged);
        FBases.clear();
        std::int64_t next = First;
        for (const auto& [lo, hi] : FRanges) {
            if (KeepParity && (next % 2) != (lo % 2))
                ++next;
            FBases.push_back(next);
            next += hi - lo + 1;
        }
    }
    bool Holds(std::int64_t V) const { return Find(V) >= 0; }
    // The new number of V; V itself when no range holds it (0 and negative values among them).
    std::int32_t Map(std::int64_t V) const {
        const int i = Find(V);
        return i < 0 ? std::int32_t(V)
                     : CheckedCast<std::int32_t>(FBases[std::size_t(i)] + V - FRanges[std::size_t(i)].first);
    }
    const std::vector<std::pair<std::int64_t, std::int64_t>>& Ranges() const { return FRanges; }

private:
    int Find(std::int64_t V) const {
        for (std::size_t i = 0; i < FRanges.size(); ++i)
            if (V >= FRanges[i].first && V <= FRanges[i].second)
                return int(i);
        return -1;
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> FRanges;
    std::vector<std::int64_t> FBases;
};

// The plans of the nine kinds, by list index (P 0 .. FE 8).
struct MExportPlan {
    std::array<MKindPlan, 9> Kinds;
    MKindPlan& Of(int ListKind) { return Kinds[std::size_t(ListKind - 1)]; }
    const MKindPlan& Of(int ListKind) const { return Kinds[std::size_t(ListKind - 1)]; }
};

void AddCounter(MExportPlan& Plan, const MCounter& Counter) {
    if (Counter.Kind == ckW)
        Plan.Of(lkW).Add(Counter.Value, Counter.Value);
    else if (Counter.Kind == ckR)
        Plan.Of(lkR).Add(Counter.Value, Counter.Value);
}

template <typename T>
std::vector<T*> PresentIn(const MUnvList& List, const MKindPlan& Plan) {
    std::vector<T*> found;
    for (const auto& [lo, hi] : Plan.Ranges())
        for (MUnvBase* m : List.ModulesInRange(lo, hi))
            if (auto* t = dynamic_cast<T*>(m))
                found.push_back(t);
    return found;
}

// Every module the S lines From..To reach, directly or through others, and the FS modules that the
// range's first row carries over from a row before it (Carried; 0 none).
MExportPlan PlanEntry(MProgramLists& Lists, int From, int To, const std::array<int, 2>& Carried) {
    MExportPlan plan;
    MKindPlan outside; // S lines outside the range that a cycle inside it names
    std::vector<MUnvS*> lines;
    for (MUnvBase* m : Lists.S.ModulesInRange(From, To))
        if (auto* s = dynamic_cast<MUnvS*>(m))
            lines.push_back(s);
    const auto visitLine = [&](const MUnvS& s) {
        if (s.Type == 1 && !s.RangeIsEmpty())
            plan.Of(lkZ).Add(s.First, std::int64_t(s.First) + s.Count);
        AddCounter(plan, s.Counter);
        if (s.NFirst != 0)
            plan.Of(lkN).Add(s.NFirst, std::int64_t(s.NFirst) + s.NCount);
        if (s.PFirst != 0)
            plan.Of(lkP).Add(s.PFirst, std::int64_t(s.PFirst) + s.PCount);
    };
    for (const MUnvS* s : lines) {
        visitLine(*s);
        if (s->Type != 2 || s->RangeIsEmpty())
            continue;
        std::int64_t a = s->First, b = std::int64_t(s->First) + s->Count;
        if (a > b)
            std::swap(a, b);
        if (b < From || a > To)
            outside.Add(a, b);
        else if (a < From || b > To)
            Refuse(exportmsg::CycleSplit, QString::number(s->Number));
    }
    outside.Layout(std::int64_t(To) - From + 2, false);
    // The carried lines outside the range are steps of a cycle: no cycle of their own is followed.
    for (MUnvS* s : PresentIn<MUnvS>(Lists.S, outside))
        visitLine(*s);

    // N entries of type N name further N entries.
    std::set<int> seenN;
    for (bool grew = true; grew;) {
        grew = false;
        MKindPlan current = plan.Of(lkN);
        current.Layout(1, false);
        for (MUnvN* n : PresentIn<MUnvN>(Lists.N, current)) {
            if (!seenN.insert(n->Number).second)
                continue;
            grew = true;
            AddCounter(plan, n->Counter);
            if (n->Type == 2 && n->Start != 0)
                plan.Of(lkN).Add(n->Start, std::int64_t(n->Start) + n->Count);
        }
    }
    plan.Of(lkZ).Layout(1, true);
    for (const MUnvZ* z : PresentIn<MUnvZ>(Lists.Z, plan.Of(lkZ))) {
        if (z->FSFront != 0)
            plan.Of(lkFS).Add(z->FSFront, z->FSFront);
        if (z->FSRear != 0)
            plan.Of(lkFS).Add(z->FSRear, z->FSRear);
        if (z->FD != 0)
            plan.Of(lkFD).Add(z->FD, z->FD);
    }
    for (const int fs : Carried)
        if (fs != 0 && Lists.FS.Contains(fs))
            plan.Of(lkFS).Add(fs, fs);
    plan.Of(lkFD).Layout(1, false);
    for (const MUnvFD* fd : PresentIn<MUnvFD>(Lists.FD, plan.Of(lkFD)))
        for (int b = 0; b < BedCount; ++b)
            if (fd->FirstFE[std::size_t(b)] != 0)
                plan.Of(lkFE).Add(fd->FirstFE[std::size_t(b)],
                                  std::int64_t(fd->FirstFE[std::size_t(b)]) + fd->CountFE[std::size_t(b)]);
    plan.Of(lkFS).Layout(1, false);
    for (const MUnvFS* fs : PresentIn<MUnvFS>(Lists.FS, plan.Of(lkFS))) {
        for (const MCounter& c : fs->CountersA)
            AddCounter(plan, c);
        for (const MCounter& c : fs->CountersB)
            AddCounter(plan, c);
    }
    plan.Of(lkR).Layout(1, false);
    for (const MUnvR* r : PresentIn<MUnvR>(Lists.R, plan.Of(lkR)))
        AddCounter(plan, r->Counter);
    for (int kind : {lkP, lkN, lkW, lkFE})
        plan.Of(kind).Layout(1, false);

    // The range's lines become S1..Sn, the lines outside it follow from n + 1 in their old order
    // (MSNumbers); the plan only says which lines are carried.
    MKindPlan& sPlan = plan.Of(lkS);
    sPlan.Add(From, To);
    for (const auto& [lo, hi] : outside.Ranges())
        sPlan.Add(lo, hi);
    return plan;
}

// The new number of an S line: the range first, then the lines outside it in their old order.
class MSNumbers {
public:
    MSNumbers(int From, int To, const MExportPlan& Plan) : FFrom(From), FTo(To) {
        std::int64_t next = std::int64_t(To) - From + 2;
        for (const auto& [lo, hi] : Plan.Of(lkS).Ranges()) {
            if (lo == From && hi == To)
                continue;
            FOutside.push_back({lo, hi, next});
            next += hi - lo + 1;
        }
    }
    std::int32_t Map(std::int64_t V) const {
        if (V >= FFrom && V <= FTo)
            return std::int32_t(V - FFrom + 1);
        for (const auto& o : FOutside)
            if (V >= o.Lo && V <= o.Hi)
                return CheckedCast<std::int32_t>(o.Base + V - o.Lo);
        return std::int32_t(V);
    }

private:
    struct Block {
        std::int64_t Lo, Hi, Base;
    };
    int FFrom, FTo;
    std::vector<Block> FOutside;
};

void MapCounter(MCounter& Counter, const MExportPlan& Plan) {
    if (Counter.Kind == ckW)
        Counter.Value = Plan.Of(lkW).Map(Counter.Value);
    else if (Counter.Kind == ckR)
        Counter.Value = Plan.Of(lkR).Map(Counter.Value);
}

// A module of the entry under its new number, its references following their modules.
void Renumber(MUnvBase& M, const MExportPlan& Plan, const MSNumbers& SNumbers) {
    if (auto* s = dynamic_cast<MUnvS*>(&M)) {
        s->Number = SNumbers.Map(s->Number);
        if (s->First != 0)
            s->First = s->Type == 2 ? SNumbers.Map(s->First) : Plan.Of(lkZ).Map(s->First);
        MapCounter(s->Counter, Plan);
        if (s->NFirst != 0)
            s->NFirst = Plan.Of(lkN).Map(s->NFirst);
        if (s->PFirst != 0)
            s->PFirst = Plan.Of(lkP).Map(s->PFirst);
        s->StripId = 0;
        return;
    }
    M.Number = Plan.Of(M.ListKind()).Map(M.Number);
    if (auto* z = dynamic_cast<MUnvZ*>(&M)) {
        if (z->FSFront != 0)
            z->FSFront = CheckedCast<std::uint8_t>(Plan.Of(lkFS).Map(z->FSFront));
        if (z->FSRear != 0)
            z->FSRear = CheckedCast<std::uint8_t>(Plan.Of(lkFS).Map(z->FSRear));
        if (z->FD != 0)
            z->FD = CheckedCast<std::uint8_t>(Plan.Of(lkFD).Map(z->FD));
    } else if (auto* n = dynamic_cast<MUnvN*>(&M)) {
        if (n->Type == 2 && n->Start != 0)
            n->Start = Plan.Of(lkN).Map(n->Start);
        MapCounter(n->Counter, Plan);
    } else if (auto* r = dynamic_cast<MUnvR*>(&M)) {
        MapCounter(r->Counter, Plan);
    } else if (auto* fs = dynamic_cast<MUnvFS*>(&M)) {
        for (MCounter& c : fs->CountersA)
            MapCounter(c, Plan);
        for (MCounter& c : fs->CountersB)
            MapCounter(c, Plan);
    } else if (auto* fd = dynamic_cast<MUnvFD*>(&M)) {
        for (std::int32_t& first : fd->FirstFE)
            if (first != 0)
                first = Plan.Of(lkFE).Map(first);
    }
}

// The project's program run apart: its own copy of the lists (the run writes C entry 1), the
// palette and a copy of the drawing.
class MExportRun : public MProject {
public:
    MExportRun(MProgramLists& Source, const MPalette& Palette, const TBitmap& Drawing)
        : FPalette(Palette), FPicture(Drawing) {
        CopyLists(Source, FLists);
        if (!FPicture.Empty()) {
            if (FPicture.PixelFormat() != pf24bit)
                FPicture.SetPixelFormat(pf24bit);
            FPattern.SetView(RowViewOf(FPicture));
        }
    }
    MProgramLists& Program() override { return FLists; }
    MPalette& Palette() override { return FPalette; }
    MPatternSource* Pattern() override { return FPicture.Empty() ? nullptr : &FPattern; }

private:
    MProgramLists FLists;
    MPalette FPalette;
    TBitmap FPicture;
    MRasterPattern FPattern;
};

std::int32_t SideOf(const MYcData& Carrier) {
    if (!Carrier.InUse())
        return SideUnused;
    return !Carrier.Current.Absolute && Carrier.Current.Offset >= 1 ? SideRight : SideLeft;
}

void TakeSides(const MRegisters& Regs, std::array<std::int32_t, ModuleHeader::SideCount>& Sides) {
    for (int c = 1; c <= CarriersPerRail; ++c) {
        Sides[std::size_t(ModuleHeader::SideIndex(1, c))] = SideOf(Regs.Rail1[std::size_t(c - 1)]);
        Sides[std::size_t(ModuleHeader::SideIndex(2, c))] = SideOf(Regs.Rail2[std::size_t(c - 1)]);
    }
}

// Runs the program from its start: the sides and the first Z row when it first reaches From, the
// statistics of the range and the sides when it first leaves To (or ends).
void TakeRunValues(MExportRun& Run, int From, int To, ModuleHeader& Header, MRunStatistics& Stats,
                   MUnvZ& FirstRow) {
    MprogramSequencer seq;
    seq.StatisticsOn = true;
    seq.SetProject(&Run);
    if (seq.StartProgram() != srStarted)
        Refuse(exportmsg::NotReached, QString::number(From));
    const auto inRange = [From, To](const MRegisters& R) {
        return (R.SLine >= From && R.SLine <= To) || (R.CycleS >= From && R.CycleS <= To);
    };
    bool reached = false;
    for (std::int64_t step = 0; !seq.Regs.Finished && step < seq.StepLimit; ++step) {
        // The statistics count from the step that reaches the range: the settling run and the
        // lines before it read other needle setups. The registers name the system the step runs,
        // unless a row search that stopped goes on first.
        if (!reached && (inRange(seq.Regs) || seq.Regs.SearchState != 0))
            seq.RestartStatistics();
        else if (!reached)
            seq.Statistics = MRunStatistics();
        const MRunStatistics before = seq.Statistics;
        const int result = seq.StepSystem();
        if (result == srFinished || result == srSearchFailed)
            break;
        // A step executes the system the registers stood at before it (SavedRegs); Row is then
        // the row it executed.
        const bool in = seq.SystemExecuted && inRange(seq.SavedRegs);
        if (!reached) {
            if (in) {
                reached = true;
                TakeSides(seq.SavedRegs, Header.StartSides);
                FirstRow.Assign(seq.Regs.Row);
            }
            continue;
        }
        if (!in && seq.SystemExecuted) {
            TakeSides(seq.SavedRegs, Header.EndSides);
            Stats = before;
            return;
        }
    }
    if (!reached)
        Refuse(exportmsg::NotReached, QString::number(From));
    TakeSides(seq.Regs, Header.EndSides);
    Stats = seq.Statistics;
}

// The rectangle of the drawing from column First (1 = leftmost) and pattern line Bottom (1 = the
// bottom row) up to column Last and line Top; cells outside the drawing are black.
TBitmap CutLines(const TBitmap& Drawing, int First, int Last, int Bottom, int Top) {
    TBitmap cut(Last - First + 1, Top - Bottom + 1, pf24bit);
    const int h = Drawing.PixelFormat() == pf24bit ? Drawing.Height() : 0;
    for (int y = 0; y < cut.Height(); ++y) {
        std::uint8_t* row = cut.ScanLine(y);
        const int line = Top - y;
        const int source = h - line;
        for (int x = 0; x < cut.Width(); ++x) {
            const int column = First - 1 + x;
            TColor colour = 0;
            if (source >= 0 && source < h && column < Drawing.Width())
                colour = CellColorOf(Drawing.ScanLine(source) + 3 * column);
            PutCellColor(row + 3 * x, colour);
        }
    }
    return cut;
}

} // namespace

// ---- Names.

QString MachineLetter(int Model, int Systems) {
    if (Model == 720 || Model == 721)
        return QStringLiteral("D");
    if (Systems == 1)
        return QStringLiteral("C");
    return Systems == 4 ? QStringLiteral("B") : QStringLiteral("A");
}

QString FixedProgramName(int Model, int Systems, int Structure, int Colors) {
    static const char* const words[] = {"Striped", "Twilled", "Tubular", "Tubular1_1", "Tubular2_1"};
    const QString letter = MachineLetter(Model, Systems);
    if (Structure == fsLinks)
        return letter + QStringLiteral("2clrLinks");
    if (Structure < 0 || Structure >= fsLinks)
        return QString();
    return letter + QString::number(Colors) + QStringLiteral("clrJaq") + QLatin1String(words[Structure]);
}

QString RibProgramName(int Model, int Systems, int Kind) {
    static const char* const words[] = {"RibWaist1", "RibWaist2", "RibTubular"};
    if (Kind < RibWaist1 || Kind > RibTubular)
        return QString();
    return MachineLetter(Model, Systems) + QLatin1String(words[Kind]);
}

// ---- The fields.

void CheckExportRequest(const MExportRequest& Request, const MProgramLists& Lists) {
    if (!Request.Fixed) {
        const QString& name = Request.Name;
        if (name.isEmpty())
            Refuse(exportmsg::NameEmpty);
        if (EncodeStoredText(name).size() > MStrip::NameSize - 1)
            Refuse(exportmsg::NameTooLong, CatalogueArg(name.left(MStrip::NameSize)));
        const bool bad =
            name.startsWith(QLatin1Char('.')) || std::any_of(name.begin(), name.end(), [](QChar c) {
                return c == QLatin1Char('/') || c == QLatin1Char('\\') ||
                       c.category() == QChar::Other_Control;
            });
        if (bad)
            Refuse(exportmsg::NameBad, CatalogueArg(name));
    }
    if (Request.FromS > Request.ToS)
        Refuse(exportmsg::FromAboveTo,
               QString::number(Request.FromS) + QLatin1Char(';') + QString::number(Request.ToS));
    if (!Lists.S.Contains(Request.FromS))
        Refuse(exportmsg::FromMissing, QString::number(Request.FromS));
    if (!Lists.S.Contains(Request.ToS))
        Refuse(exportmsg::ToMissing, QString::number(Request.ToS));
    if (Request.Fixed && Request.Structure != fsLinks &&
        (Request.Colors < 2 || Request.Colors > FixedMaxColors))
        Refuse(exportmsg::ColorCount, QString::number(Request.Colors));
}

QString ExportFolder(const MExportRequest& Request) {
    return Request.Fixed ? FixedFolder() : LibraryFolder();
}

QString ExportBaseName(const MExportRequest& Request, const MMachineInfo& Machine) {
    if (!Request.Fixed)
        return Request.Name;
    return FixedProgramName(Machine.Model, Machine.Category, Request.Structure, Request.Colors);
}

bool LibraryEntryExists(const QString& Folder, const QString& Base) {
    for (const QString& ext : LibraryEntryExtensions()) {
        const QString file = LibraryEntryFile(Folder, Base, ext);
        if (!file.isEmpty() && QFileInfo::exists(file))
            return true;
    }
    return false;
}

// ---- The entry.

MExportEntry BuildExportEntry(const MProgramLists& Project, const MPalette& Palette, const TBitmap& Drawing,
                              const MExportRequest& Request) {
    auto& source = const_cast<MProgramLists&>(Project); // only read: List() has no const form
    const int from = Request.FromS, to = Request.ToS;
    // The run first: the range's first row may carry its FS modules over from a row before it.
    ModuleHeader runValues;
    MExportRun run(source, Palette, Drawing);
    MRunStatistics stats;
    MUnvZ first;
    TakeRunValues(run, from, to, runValues, stats, first);
    const MExportPlan plan = PlanEntry(source, from, to, {first.FSFront, first.FSRear});
    const MSNumbers sNumbers(from, to, plan);

    MExportEntry entry;
    entry.Fixed = Request.Fixed;
    entry.Lists = std::make_unique<MProgramLists>();
    MProgramLists& out = *entry.Lists;
    out.Machine.Assign(Project.Machine);
    out.Machine.ClearStrips();
    {
        // The modules go as the project holds them, a row stored unvalidated among them.
        MSwitchGuard tags(CopyTag, true);
        MSwitchGuard asTheyAre(ListsAutoValidate, false);
        for (int kind = lkP; kind <= lkFE; ++kind) {
            const MUnvList& list = source.List(kind);
            for (int i = 0; i < list.Count(); ++i) {
                const MUnvBase& m = list.ItemAt(i);
                if (!plan.Of(kind).Holds(m.Number))
                    continue;
                std::unique_ptr<MUnvBase> copy = m.Clone();
                Renumber(*copy, plan, sNumbers);
                // A number held twice is carried once.
                if (!out.List(kind).Contains(copy->Number))
                    out.List(kind).AddOrReplace(*copy);
            }
            out.List(kind).SortByNumber();
        }
        if (MUnvBase* c = source.C.Lookup(1))
            out.C.AddOrReplace(*c);
    }

    // The header: the machine, the range's run values and its rectangle of the drawing.
    ModuleHeader& h = entry.Header;
    h = runValues;
    h.Systems = Project.Machine.Category;
    h.Model = Project.Machine.Model;
    h.SLineCount = to - from + 1;
    h.RackingHV = first.Racking[0].Position;
    h.RackingKind = first.Racking[0].Transfer;
    // The header names an FS module the entry holds, or none.
    const auto fsOfEntry = [&](int Fs) {
        const int n = plan.Of(lkFS).Holds(Fs) ? plan.Of(lkFS).Map(Fs) : 0;
        return n != 0 && out.FS.Contains(n) ? n : 0;
    };
    h.FrontFS = fsOfEntry(first.FSFront);
    h.RearFS = fsOfEntry(first.FSRear);
    // The rectangle stays within what a header holds (column 2000, line 1999), also for rows
    // stored unvalidated that reach past it.
    const int width = std::max(1, Drawing.Width());
    if (stats.NeedleMin >= 1 && stats.NeedleMax >= stats.NeedleMin) {
        h.FirstColumn = std::min(stats.NeedleMin, 2000);
        h.LastColumn = stats.NeedleMax;
    } else {
        h.FirstColumn = 1;
        h.LastColumn = width;
    }
    h.LastColumn = std::clamp(h.LastColumn, h.FirstColumn, 2000);
    // A range that reads no pattern line of 11 or more still gets line 11: the importer places a
    // picture for every library module.
    if (stats.LineMin >= 11 && stats.LineMax >= stats.LineMin) {
        h.FirstLine = std::min(stats.LineMin, 1999);
        h.LastLine = std::min(stats.LineMax, 1999);
    } else {
        h.FirstLine = h.LastLine = 11;
    }
    for (int k = 0; k < 10; ++k)
        h.LowLines[std::size_t(k)] = stats.FixedLineUsed[std::size_t(k)] ? 1 : 0;

    if (!Request.Fixed) {
        entry.Picture = CutLines(Drawing, h.FirstColumn, h.LastColumn, h.FirstLine, h.LastLine);
        entry.LowPicture = CutLines(Drawing, h.FirstColumn, h.LastColumn, 1, std::max(1, h.LastLowLine()));
    }
    return entry;
}

std::vector<MFileWrite> ExportEntryFiles(MExportEntry& Entry, const QString& Folder, const QString& Base) {
    std::vector<MFileWrite> files;
    files.push_back(
        {LibraryEntryFile(Folder, Base, QStringLiteral(".mod")), WriteModuleHeader(Entry.Header)});
    files.push_back(
        {LibraryEntryFile(Folder, Base, QStringLiteral(".LST")), ProjectMachineImage(*Entry.Lists)});
    if (!Entry.Fixed) {
        files.push_back(
            {LibraryEntryFile(Folder, Base, QStringLiteral(".bmp")), ProjectPictureImage(Entry.Picture)});
        files.push_back(
            {LibraryEntryFile(Folder, Base, QStringLiteral(".pt2")), ProjectPictureImage(Entry.LowPicture)});
    }
    return files;
}

MExportEntry ExportLibraryEntry(const MProgramLists& Project, const MPalette& Palette, const TBitmap& Drawing,
                                const MExportRequest& Request, bool Replace, MFileSetSteps* Writer) {
    CheckExportRequest(Request, Project);
    return ExportLibraryEntryTo(Project, Palette, Drawing, Request, ExportFolder(Request),
                                ExportBaseName(Request, Project.Machine), Replace, Writer);
}

MExportEntry ExportLibraryEntryTo(const MProgramLists& Project, const MPalette& Palette,
                                  const TBitmap& Drawing, const MExportRequest& Request,
                                  const QString& Folder, const QString& Base, bool Replace,
                                  MFileSetSteps* Writer) {
    CheckExportRequest(Request, Project);
    if (!Replace && LibraryEntryExists(Folder, Base))
        Refuse(exportmsg::EntryExists, CatalogueArg(Base));
    MExportEntry entry = BuildExportEntry(Project, Palette, Drawing, Request);
    if (!QDir().mkpath(Folder))
        Refuse(exportmsg::WriteFailed, CatalogueArg(Folder) + QStringLiteral(";the folder cannot be made"));
    const std::vector<MFileWrite> files = ExportEntryFiles(entry, Folder, Base);
    for (const MFileWrite& f : files)
        if (f.Target.isEmpty()) // a link or a folder holds the name: nothing is written through it
            Refuse(exportmsg::WriteFailed,
                   CatalogueArg(Folder + Base) + QStringLiteral(";it is not a plain file"));
    try {
        WriteFileSet(files, Writer);
    } catch (const EFileSetError& e) {
        Refuse(exportmsg::WriteFailed, CatalogueArg(e.File) + QLatin1Char(';') + CatalogueArg(e.Reason));
    }
    return entry;
}
