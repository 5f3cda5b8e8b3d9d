#include "app/UStripImport.h"

#include "app/ULibFiles.h"
#include "model/UCamCodes.h"
#include "model/ULstFile.h"
#include "model/UProject.h"
#include "model/UrunFiles.h"
#include "model/UunvBase.h"
#include "model/UunvC.h"
#include "model/UunvKinds.h"
#include "model/UunvZ.h"
#include "platform/Color.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int MaxColumn = 2000;
constexpr int MaxLine = 1999;
constexpr int OffsetLimit = 2000;
constexpr int CamRest = 14;
constexpr int CamMove = 15;
constexpr int CamOpenFront = 17;
constexpr int CamOpenRear = 18;
constexpr int RackingMove = 3;
constexpr int RackingFirst = 1;

void ClearKinds(MProgramLists& Lists, int FirstKind, int LastKind) {
    for (int kind = FirstKind; kind <= LastKind; ++kind)
        Lists.List(kind).Clear();
}

// The pixel of needle column X (1 = leftmost) on pattern line Y (1 = bottom row); null outside.
std::uint8_t* CellOf(TBitmap& Picture, std::int64_t X, std::int64_t Y) {
    if (X < 1 || Y < 1 || X > Picture.Width() || Y > Picture.Height())
        return nullptr;
    return Picture.ScanLine(int(Picture.Height() - Y)) + 3 * (X - 1);
}

void PutCell(TBitmap& Picture, std::int64_t X, std::int64_t Y, TColor Colour) {
    if (std::uint8_t* p = CellOf(Picture, X, Y)) {
        p[0] = GetBValue(Colour);
        p[1] = GetGValue(Colour);
        p[2] = GetRValue(Colour);
    }
}

// The side code of a carrier position: not in use, parked right of the width, anything else.
std::int32_t SideOf(bool InUse, const MYcPosition& Position) {
    if (!InUse)
        return SideUnused;
    return !Position.Absolute && Position.Offset >= 1 ? SideRight : SideLeft;
}

// A 64-bit placement value that must lie in Lo..Hi.
void CheckPlaced(std::int64_t Value, std::int64_t Lo, std::int64_t Hi, const QString& Name) {
    if (Value < Lo || Value > Hi)
        throw EModuleFile(modmsg::Outside, Name);
}

int Magnitude(int V) {
    return std::abs(V);
}

} // namespace

// ---- The scratch project the sequencer runs on: the scratch lists and the drawing itself.
class MStripImport::ScratchProject : public MProject {
public:
    MProgramLists* Lists = nullptr;
    MPalette Colors;
    TBitmap* Drawing = nullptr;
    MProgramLists& Program() override { return *Lists; }
    MPalette& Palette() override { return Colors; }
    MPatternSource* Pattern() override {
        if (Drawing == nullptr || Drawing->Empty())
            return nullptr;
        FRaster.SetView(RowViewOf(*Drawing));
        return &FRaster;
    }

private:
    MRasterPattern FRaster;
};

void CopyLists(MProgramLists& From, MProgramLists& To) {
    MSwitchGuard tags(CopyTag, true);
    To.Machine.Assign(From.Machine);
    for (int kind = lkP; kind <= lkC; ++kind) {
        std::unique_ptr<MUnvList> copy = From.List(kind).ScratchCopy(true);
        To.List(kind).TakeContents(*copy);
    }
}

MRowView RowViewOf(TBitmap& Picture) {
    MRowView view;
    if (Picture.Empty())
        return view;
    view.Top = Picture.ScanLine(0);
    view.Stride = Picture.BytesPerLine();
    view.Width = Picture.Width();
    view.Height = Picture.Height();
    return view;
}

// ---- The working state an import may change, kept to be put back on an error.
struct MStripImport::Snapshot {
    MProgramLists Result;
    bool InsertMode = false;
    bool RibWithStripes = false;
    ModuleHeader Header;
    MCarrierState InsertState;
    MCarrierSet InsertCarriers;
    TBitmap Drawing;
};

MStripImport::MStripImport() : FScratchProject(std::make_unique<ScratchProject>()) {
    FScratchProject->Lists = &Scratch;
    FSequencer.StatisticsOn = true;
}

MStripImport::~MStripImport() {
    FSequencer.SetProject(nullptr);
}

void MStripImport::Attach(MProgramLists* Project, const MPalette* Palette, TBitmap* Drawing) {
    FSequencer.SetProject(nullptr);
    FProject = Project;
    FPalette = Palette;
    FDrawing = Drawing;
    FScratchProject->Drawing = Drawing;
    if (Palette != nullptr)
        FScratchProject->Colors = *Palette;
}

// ---- Opening.

void MStripImport::PrepareWorkingSets() {
    if (FProject == nullptr || FDrawing == nullptr)
        throw EInvalidOperation(QStringLiteral("The import has no project"));
    CopyLists(*FProject, Saved);
    // The project's program without the untouched default entries of a new project, in Scratch.
    CopyLists(*FProject, Scratch);
    for (int kind = lkP; kind <= lkFE; ++kind) {
        MUnvList& list = Scratch.List(kind);
        std::unique_ptr<MUnvBase> fresh = list.NewItem();
        std::vector<int> untouched;
        for (int i = 0; i < list.Count(); ++i) {
            MUnvBase& m = list.ItemAt(i);
            fresh->Clear();
            if (m.Tag != 0 && m.Equals(*fresh))
                untouched.push_back(m.Number);
        }
        for (int number : untouched)
            list.DeleteNumber(number);
    }

    ClearKinds(Result, lkP, lkFE);
    {
        MSwitchGuard tags(CopyTag, true);
        Result.Machine.Assign(FProject->Machine);
        std::unique_ptr<MUnvList> c = FProject->C.ScratchCopy(true);
        Result.C.TakeContents(*c);
    }
    Packer.ValueOverride = 0;
    Packer.ColumnShift = 0;
    Packer.LineShift = 0;
    for (int k = 0; k < 10; ++k)
        Packer.LineMap[std::size_t(k)] = k + 1;
    const int lead = Scratch.S.LeadingRunLength();
    for (int kind = lkP; kind <= lkFE; ++kind) {
        Packer.Sources[std::size_t(ListIndex(kind))] = &Scratch.List(kind);
        Packer.Targets[std::size_t(ListIndex(kind))] = &Result.List(kind);
        Packer.FirstFree[std::size_t(ListIndex(kind))] = 1;
    }
    Packer.Sources[9] = nullptr;
    Packer.Targets[9] = &Result.C;
    Packer.SCounter = lead + 10;
    Packer.RenumberModules(lead);

    InsertMode = false;
    RibWithStripes = false;
    SelectedStripe = -1;
    FDrawingAtOpen = *FDrawing;
}

void MStripImport::SyncStripes() {
    MMachineInfo& machine = Result.Machine;
    const int n = Result.S.LeadingRunLength();
    if (n == 0) {
        machine.ClearStrips();
        return;
    }
    int valid = 0;
    for (; valid < machine.StripCount(); ++valid) {
        const MStrip& strip = machine.GetStrip(valid);
        bool ok = strip.FirstS >= 1 && strip.FirstS <= strip.LastS;
        for (std::int64_t s = strip.FirstS; ok && s <= strip.LastS; ++s) {
            const auto* line =
                s <= Result.S.HighestNumber() ? static_cast<MUnvS*>(Result.S.Lookup(int(s))) : nullptr;
            ok = line != nullptr && line->StripId == strip.Id;
        }
        if (!ok)
            break;
    }
    // The lines First..n of the result and of the saved lists carry stripe Id, so that the next
    // opening finds the stripe valid.
    const auto setIds = [this, n](int First, int Id) {
        for (MSList* list : {&Result.S, &Saved.S})
            for (int s = First; s <= n; ++s)
                if (auto* line = static_cast<MUnvS*>(list->Lookup(s)))
                    line->StripId = Id;
    };
    if (valid == 0) {
        machine.ClearStrips();
        MStrip strip;
        strip.Id = 1;
        strip.FirstS = 1;
        strip.LastS = n;
        strip.SetName(QStringLiteral("extended"));
        machine.AddStrip(strip);
        setIds(1, 1);
        return;
    }
    while (machine.StripCount() > valid)
        machine.DeleteStrip(machine.StripCount() - 1);
    MStrip& last = machine.GetStrip(valid - 1);
    if (last.LastS < n) {
        const int from = last.LastS + 1;
        if (last.NameText() == QLatin1String("extended")) {
            last.LastS = n;
            setIds(from, last.Id);
        } else {
            MStrip strip;
            strip.Id = machine.NextStripId();
            strip.FirstS = from;
            strip.LastS = n;
            strip.SetName(QStringLiteral("extended"));
            machine.AddStrip(strip);
            setIds(from, strip.Id);
        }
    }
}

// ---- One import.

std::unique_ptr<MStripImport::Snapshot> MStripImport::TakeSnapshot() const {
    auto s = std::make_unique<Snapshot>();
    CopyLists(const_cast<MProgramLists&>(Result), s->Result);
    s->InsertMode = InsertMode;
    s->RibWithStripes = RibWithStripes;
    s->Header = Header;
    s->InsertState = InsertState;
    s->InsertCarriers = InsertCarriers;
    s->Drawing = *FDrawing;
    return s;
}

void MStripImport::PutBack(Snapshot& S) {
    FSequencer.SetProject(nullptr);
    CopyLists(S.Result, Result);
    InsertMode = S.InsertMode;
    RibWithStripes = S.RibWithStripes;
    Header = S.Header;
    InsertState = S.InsertState;
    InsertCarriers = S.InsertCarriers;
    FDrawing->Assign(S.Drawing);
}

std::pair<int, int> MStripImport::LoadModuleFile(const MImportPlacement& Placement) {
    if (FProject == nullptr || FDrawing == nullptr)
        throw EInvalidOperation(QStringLiteral("The import has no project"));
    std::unique_ptr<Snapshot> before = TakeSnapshot();
    try {
        FPlacement = Placement;
        const QString& name = Placement.Name;
        const int kind = Placement.Kind;

        // 1. The header (and for a library module its pictures, checked before anything changes).
        if (kind == ImportModule)
            Header = ReadLibraryEntry(Placement.Folder, name).Header;
        else
            Header = ReadEntryHeader(Placement.Folder, name);

        // 2. The packer's shifts, computed in 64 bits and checked against the drawing's limits.
        for (int k = 0; k < 10; ++k)
            Packer.LineMap[std::size_t(k)] = k + 1;
        const std::int64_t width = std::int64_t(Header.LastColumn) - Header.FirstColumn;
        const std::int64_t height = std::int64_t(Header.LastLine) - Header.FirstLine;
        if (kind == ImportFixed) {
            const std::int64_t y1 = std::max(Placement.Y1, 1);
            CheckPlaced(Placement.X1, 1, MaxColumn, name);
            CheckPlaced(Placement.X2, Placement.X1, MaxColumn, name);
            CheckPlaced(y1 + height, 1, MaxLine, name);
            Packer.ColumnShift = 0;
            Packer.LineShift = int(y1 - Header.FirstLine);
            Header.FirstColumn = Placement.X1;
            Header.LastColumn = Placement.X2;
        } else if (kind == ImportRib) {
            Packer.ColumnShift = 0;
            Packer.LineShift = 0;
            Header.FirstColumn = 1;
            Header.LastColumn = 1;
        } else {
            const std::int64_t x = std::max(Placement.X, 1);
            const std::int64_t y = std::max(Placement.Y, 11);
            CheckPlaced(x + width, 1, MaxColumn, name);
            CheckPlaced(y + height, 11, MaxLine, name);
            Packer.ColumnShift = int(x - Header.FirstColumn);
            Packer.LineShift = int(y - Header.FirstLine);
            const int firstLow = Header.FirstLowLine();
            if (firstLow > 0) {
                for (int k = 1; k <= 10; ++k) {
                    const std::int64_t to = std::int64_t(Placement.YBelow) + k - firstLow;
                    Packer.LineMap[std::size_t(k - 1)] = to >= 1 && to <= 10 ? int(to) : k;
                }
            }
        }

        // The offset row: 0 none, else one of the setup scheme's eight rows.
        Packer.ValueOverride = Placement.Offset >= 1 && Placement.Offset <= 8 ? Placement.Offset : 0;
        // 3. Whether the result had no S lines yet.
        const bool emptyResult = Result.S.LeadingRunLength() == 0;
        // 4. The carriers' parking positions.
        if (Packer.ValueOverride != 0)
            AssignCarrierOffsets(Packer.ValueOverride);
        // 5. The program.
        std::pair<int, int> range = PlaceProgram(Placement);
        // 6. The transition lines.
        if (kind != ImportRib)
            AddOpeningLine(emptyResult);
        if (kind != ImportRib || RibWithStripes)
            AddClosingLine();
        else
            range.second -= 1; // no closing line follows: the stripe ends on the rib's own last line
        // 7. The pictures.
        PlaceModulePictures(Placement);
        // 8. The stripe.
        MMachineInfo& machine = Result.Machine;
        MStrip strip;
        strip.Id = machine.NextStripId();
        strip.FirstS = range.first;
        strip.LastS = range.second;
        strip.SetName(kind == ImportRib ? QStringLiteral("RIB") : StripNameOfEntry(name));
        for (int s = range.first; s <= range.second; ++s)
            if (auto* line = static_cast<MUnvS*>(Result.S.Lookup(s)))
                line->StripId = strip.Id;
        if (!InsertMode) {
            machine.AddStrip(strip);
        } else {
            std::vector<MStrip> strips = machine.Strips();
            const int at = kind == ImportRib ? 0 : std::clamp(SelectedStripe + 1, 0, int(strips.size()));
            const int length = range.second - range.first + 1;
            for (std::size_t i = std::size_t(at); i < strips.size(); ++i) {
                strips[i].FirstS += length;
                strips[i].LastS += length;
            }
            strips.insert(strips.begin() + at, strip);
            machine.ClearStrips();
            for (const MStrip& s : strips)
                machine.AddStrip(s);
        }
        // 9. Back to the insertion point's carrier sides.
        if (InsertMode)
            AddResumeLine();
        // 10. The Z rows in program order.
        for (int kind2 = lkP; kind2 <= lkFE; ++kind2)
            Packer.Targets[std::size_t(ListIndex(kind2))] = &Result.List(kind2);
        Packer.RenumberZInProgramOrder();
        // 11. A first needle area that starts below needle 1 spans the machine's needles.
        try {
            if (auto* c = static_cast<MUnvC*>(Result.C.Lookup(1)); c != nullptr && c->From[0] < 1) {
                c->From[0] = 1;
                c->To[0] = Result.Machine.NeedleCount() + 1;
            }
        } catch (const Exception&) {
        }
        FSequencer.SetProject(nullptr);
        return range;
    } catch (...) {
        PutBack(*before);
        throw;
    }
}

void MStripImport::CopyResultToScratch() {
    FSequencer.SetProject(nullptr);
    CopyLists(Result, Scratch);
}

void MStripImport::ReadModuleFile(const MImportPlacement& Placement) {
    FSequencer.SetProject(nullptr);
    ClearKinds(Scratch, lkP, lkFE);
    const QString path = LibraryEntryFile(Placement.Folder, Placement.Name, QStringLiteral(".LST"));
    if (path.isEmpty())
        throw EModuleFile(modmsg::Unreadable, Placement.Name, QStringLiteral("no such file"));
    try {
        LoadMachineFile(path, Scratch.Machine, Scratch.Lists());
    } catch (const MException&) {
        throw;
    } catch (const Exception& e) {
        throw EModuleFile(modmsg::Unreadable, path, e.Message());
    }
    if (Placement.Kind != ImportFixed)
        return;

    // The template colours become the chosen ones above line 10; colour 7 becomes 15 below.
    const int chosen = std::min<int>(int(Placement.Colors.size()), int(FixedTemplateColors.size()));
    const auto replace = [&](MclrMap& Set) {
        for (int i = 0; i < chosen; ++i) {
            const int t = FixedTemplateColors[std::size_t(i)];
            if (!Set.IsSet(t))
                continue;
            const int c = Placement.Colors[std::size_t(i)];
            if (c >= 0 && c < 32) {
                Set.SetBit(t, 0);
                Set.SetBit(c, 1);
            }
            return;
        }
    };
    const auto lowSet = [](MclrMap& Set) {
        if (Set.IsSet(7)) {
            Set.SetBit(7, 0);
            Set.SetBit(15, 1);
        }
    };
    int smallest = 0;
    int largest = 0;
    for (int i = 0; i < Scratch.Z.Count(); ++i) {
        auto& z = static_cast<MUnvZ&>(Scratch.Z.ItemAt(i));
        for (std::size_t slot = 0; slot < z.PatternLine.size(); ++slot) {
            const int line = z.PatternLine[slot];
            if (line > 10) {
                replace(z.LG[slot]);
                replace(z.KNF[slot]);
                if (CamCodeClass(z.CamCode[slot]) == 106) {
                    smallest = smallest == 0 ? line : std::min(smallest, line);
                    largest = std::max(largest, line);
                }
            } else {
                lowSet(z.LG[slot]);
                lowSet(z.KNF[slot]);
            }
        }
    }
    if (smallest > 0) {
        auto* r = static_cast<MUnvR*>(Scratch.R.Lookup(1));
        if (r == nullptr)
            return;
        const std::int64_t span = std::int64_t(Placement.Y2) - Placement.Y1 + 1;
        const std::int64_t value = smallest == largest ? span : span / (largest - smallest + 1);
        r->Counter.Kind = ckD;
        r->Counter.Value = int(std::clamp<std::int64_t>(value, 1, 9999));
    }
    auto* n2 = static_cast<MUnvN*>(Scratch.N.Lookup(2));
    if (n2 == nullptr)
        return;
    n2->Start = Placement.X1;
    n2->Count = Placement.X2 - Placement.X1;
    for (int number : {1, 3})
        if (auto* n = static_cast<MUnvN*>(Scratch.N.Lookup(number)))
            n->Start = Placement.X1;
}

std::pair<int, int> MStripImport::PlaceProgram(const MImportPlacement& Placement) {
    const int kind = Placement.Kind;
    // 1, 2. The entry's own S lines, and the transition lines around them.
    ReadModuleFile(Placement);
    int lines = 0;
    for (int s = 1; s <= Header.SLineCount; ++s)
        if (Scratch.S.Lookup(s) != nullptr)
            ++lines;
    if (kind == ImportRib) {
        lines += 1;
        RibWithStripes = Result.Machine.StripCount() > 0;
    } else {
        lines += 2;
        RibWithStripes = false;
    }
    // 3. Room after the leading run.
    const int lead = Result.S.LeadingRunLength();
    if (std::int64_t(lead) + lines > Result.S.HighestNumber())
        throw EModuleFile(modmsg::ListFailed, Placement.Name, QStringLiteral("more than 511 S lines"));
    Packer.AdjustSGap(Result.S, lines + 10);
    // 4. The first line.
    int first = kind == ImportRib ? 1 : lead + 1;
    if (kind != ImportRib && SelectedStripe >= 0 && SelectedStripe < Result.Machine.StripCount())
        first = Result.Machine.GetStrip(SelectedStripe).LastS + 1;
    first = std::max(1, std::min(first, lead + 1));
    // 5. An insert: the carriers and the Z row where the entry goes.
    if (first <= lead) {
        CopyResultToScratch();
        FSequencer.SetProject(FScratchProject.get());
        FSequencer.StartProgram();
        bool ran = false;
        while (!FSequencer.Regs.Finished && FSequencer.Regs.SLine != first) {
            const int r = FSequencer.RunStroke();
            ran = true;
            if (r == srFinished || r == srEnded || r == srSearchFailed || r == srStartFailed)
                break;
        }
        if (!ran)
            FSequencer.RunStroke();
        for (int rail = 1; rail <= RailCount; ++rail)
            for (int c = 1; c <= CarriersPerRail; ++c)
                InsertCarriers[std::size_t(ModuleHeader::SideIndex(rail, c))] =
                    FSequencer.Regs.Carrier(rail, c);
        const MUnvZ& row = FSequencer.Regs.Row;
        InsertState = ModuleHeader();
        InsertState.RackingHV = row.Racking[0].Position;
        InsertState.RackingKind = row.Racking[0].Transfer;
        InsertState.FrontFS = row.FSFront;
        InsertState.RearFS = row.FSRear;
        FSequencer.SetProject(nullptr);
        InsertMode = true;
        MSwitchGuard tags(CopyTag, true);
        Result.S.MoveBlock(first, first + lines, lead - first + 1);
        if (!Result.S.Contains(first + lines))
            throw EModuleFile(modmsg::ListFailed, Placement.Name,
                              QStringLiteral("the later S lines cannot move"));
    } else {
        InsertMode = false;
    }
    // 6, 7.
    const int last = first + lines - 1;
    ReadModuleFile(Placement);
    // 8. The entry's modules into free numbers of the result.
    for (int k = lkP; k <= lkFE; ++k) {
        const auto i = std::size_t(ListIndex(k));
        Packer.Sources[i] = &Scratch.List(k);
        Packer.Targets[i] = &Result.List(k);
        Packer.FirstFree[i] = Result.List(k).MaxNumber() + 1;
    }
    Packer.FirstFree[std::size_t(ListIndex(lkS))] = kind == ImportRib ? first : first + 1;
    int limit = Result.S.MaxNumber() + 1;
    if (lead + lines + 1 >= limit)
        limit = lead + lines + 10;
    Packer.SCounter = limit;
    Packer.RenumberModules(Header.SLineCount);
    // 9. The FS modules of the entry's start row under their new numbers.
    Header.FrontFS = std::uint8_t(MUnvPack::NewNumberOf(Header.FrontFS, Result.FS));
    Header.RearFS = std::uint8_t(MUnvPack::NewNumberOf(Header.RearFS, Result.FS));
    return {first, last};
}

void MStripImport::AssignCarrierOffsets(int Row) {
    CopyResultToScratch();
    FSequencer.SetProject(FScratchProject.get());
    FSequencer.StartProgram();
    auto* c = static_cast<MUnvC*>(Result.C.Lookup(1));
    if (c == nullptr) {
        FSequencer.SetProject(nullptr);
        return;
    }
    MOffsetTable& row = c->OffsetTables[std::size_t(Row - 1)];
    std::array<bool, 8> inUse{};
    for (int k = 0; k < 8; ++k) {
        std::array<int, 2> offsets{};
        for (int rail = 1; rail <= 2; ++rail) {
            const MYcData& yc = FSequencer.Regs.Carrier(rail, k + 1);
            inUse[std::size_t(k)] = inUse[std::size_t(k)] || yc.InUse();
            if (yc.InUse() && !yc.Current.Absolute)
                offsets[std::size_t(rail - 1)] = yc.Current.Offset;
        }
        if (offsets[0] != 0 && offsets[1] != 0 && (offsets[0] > 0) == (offsets[1] > 0)) {
            if (Magnitude(offsets[0]) >= Magnitude(offsets[1]))
                offsets[1] = 0;
            else
                offsets[0] = 0;
        }
        for (int v : offsets) {
            if (v > 0)
                row.R[std::size_t(k)] = v;
            else if (v < 0)
                row.L[std::size_t(k)] = v;
        }
    }
    FSequencer.SetProject(nullptr);

    const int gauge = Result.Machine.Gauge;
    const int wrap = 3 * gauge;
    const auto reduced = [wrap](int M) { return wrap > 0 && M >= wrap ? M - wrap : M; };
    // A candidate magnitude on one side is free when it keeps 2 from every other carrier's position
    // on that side in all eight rows, as it is and reduced.
    const auto isFree = [&](int Carrier, int Candidate, bool Left) {
        for (int other = 0; other < 8; ++other) {
            if (other == Carrier)
                continue;
            for (const MOffsetTable& table : c->OffsetTables) {
                const int m = Magnitude(Left ? table.L[std::size_t(other)] : table.R[std::size_t(other)]);
                if (m == 0)
                    continue;
                if (std::abs(m - Candidate) < 2 || std::abs(reduced(m) - reduced(Candidate)) < 2)
                    return false;
            }
        }
        return true;
    };
    int nearPair = 2;
    int farPair = wrap + 2;
    for (int k = 0; k < 8; ++k) {
        const bool rail1 = Header.StartSides[std::size_t(ModuleHeader::SideIndex(1, k + 1))] != SideUnused;
        const bool rail2 = Header.StartSides[std::size_t(ModuleHeader::SideIndex(2, k + 1))] != SideUnused;
        if (!rail1 && !rail2)
            continue;
        const bool busy = inUse[std::size_t(k)];
        int& pair = (rail1 != rail2) && !busy ? nearPair : farPair;
        int used = pair;
        for (const bool left : {true, false}) {
            std::int32_t& slot = left ? row.L[std::size_t(k)] : row.R[std::size_t(k)];
            if (slot != 0 && !busy)
                continue;
            int v = pair;
            while (!isFree(k, v, left)) {
                v += 2;
                if (v > OffsetLimit)
                    throw EModuleFile(modmsg::OffsetLimit, QString::number(k + 1));
            }
            if (v > OffsetLimit)
                throw EModuleFile(modmsg::OffsetLimit, QString::number(k + 1));
            slot = left ? -v : v;
            used = std::max(used, v);
        }
        pair = used + 2;
    }
}

MCarrierState MStripImport::EndState() {
    CopyResultToScratch();
    FSequencer.SetProject(FScratchProject.get());
    FSequencer.StartProgram();
    FSequencer.RunToEnd();
    MCarrierState state;
    for (int rail = 1; rail <= RailCount; ++rail) {
        for (int c = 1; c <= CarriersPerRail; ++c) {
            const MYcData& yc = FSequencer.Regs.Carrier(rail, c);
            const auto i = std::size_t(ModuleHeader::SideIndex(rail, c));
            state.EndSides[i] = SideOf(yc.InUse(), yc.Current);
            state.StartSides[i] = SideOf(yc.InUse(), yc.Start);
        }
    }
    const MUnvZ& row = FSequencer.Regs.Row;
    state.RackingHV = row.Racking[0].Position;
    state.RackingKind = row.Racking[0].Transfer;
    state.FrontFS = row.FSFront;
    state.RearFS = row.FSRear;
    FSequencer.SetProject(nullptr);
    return state;
}

void MStripImport::StoreTransitionLine(int FirstZ, int LastZ) {
    MUnvS line;
    line.Clear();
    line.Number = Result.S.LeadingRunLength() + 1;
    line.Type = 1;
    line.First = FirstZ;
    line.Count = LastZ - FirstZ;
    line.Counter.Kind = ckD;
    line.Counter.Value = 1;
    if (Packer.ValueOverride != 0)
        line.Offset = std::uint8_t(Packer.ValueOverride);
    Result.S.AddOrReplace(line);
}

void MStripImport::AddOpeningLine(bool EmptyResult) {
    // The carriers as the program leaves them before the entry: its run ends at the free line the
    // opening line takes. A program without lines has knitted nothing there, and no carrier is in
    // use; its run would start at the entry's own lines instead.
    const MCarrierState from = EmptyResult ? MCarrierState() : EndState();
    const auto rows = BuildCarrierMoveRows(from, Header, Result.Machine.Category == 4, EmptyResult);
    StoreTransitionLine(rows.first, rows.second);
}

void MStripImport::AddClosingLine() {
    const MCarrierState from = EndState();
    MCarrierState to = from;
    if (InsertMode) {
        to = InsertState;
        for (std::size_t i = 0; i < InsertCarriers.size(); ++i)
            to.StartSides[i] = SideOf(InsertCarriers[i].InUse(), InsertCarriers[i].Current);
    }
    const auto rows = BuildCarrierMoveRows(from, to, false, false);
    StoreTransitionLine(rows.first, rows.second);
}

void MStripImport::AddResumeLine() {
    const MCarrierState from = EndState();
    MCarrierState to = InsertState;
    bool needed = false;
    for (std::size_t i = 0; i < InsertCarriers.size(); ++i) {
        to.StartSides[i] = SideOf(InsertCarriers[i].InUse(), InsertCarriers[i].Current);
        if (from.EndSides[i] != SideUnused && to.StartSides[i] != SideUnused &&
            from.EndSides[i] != to.StartSides[i])
            needed = true;
    }
    if (!needed)
        return;
    const auto rows = BuildCarrierMoveRows(from, to, false, false);
    StoreTransitionLine(rows.first, rows.second);
}

std::pair<int, int> MStripImport::BuildCarrierMoveRows(const MCarrierState& From, const MCarrierState& To,
                                                       bool FourSystems, bool EmptyResult) {
    // 1, 2. The queues of moves.
    std::vector<int> oddQueue;
    std::vector<int> evenQueue;
    for (int c = 1; c <= CarriersPerRail; ++c) {
        int a = 0, b = 0, cl = 0, d = 0;
        for (int rail = 1; rail <= RailCount; ++rail) {
            const auto i = std::size_t(ModuleHeader::SideIndex(rail, c));
            a += From.EndSides[i] == SideLeft;
            b += From.EndSides[i] == SideRight;
            cl += To.StartSides[i] == SideLeft;
            d += To.StartSides[i] == SideRight;
        }
        const int code = 1000 * a + 100 * b + 10 * cl + d;
        int odd = 0;
        int even = 0;
        if (code == 1002 || code == 1102 || code == 2011 || (code == 1001 && !FourSystems))
            odd = 1;
        else if (code == 220)
            odd = 2;
        if (code == 120 || code == 1120 || code == 211 || (code == 110 && !FourSystems))
            even = 1;
        else if (code == 220)
            even = 2;
        oddQueue.insert(oddQueue.end(), std::size_t(odd), c);
        evenQueue.insert(evenQueue.end(), std::size_t(even), c);
    }
    // 3. The systems a row moves carriers with.
    const int model = Result.Machine.Model;
    std::vector<int> systems;
    if (model == 720 || model == 721) {
        systems = {1, 2};
    } else {
        const int n = std::clamp(int(Result.Machine.Category), 1, 4);
        for (int s = 0; s < n; ++s)
            systems.push_back(s);
    }
    // 4. Rows from the first odd number above the highest.
    int number = Result.Z.MaxNumber() + 1;
    if (number % 2 == 0)
        ++number;
    const int firstRow = number;
    const auto newRow = [&](MUnvZ& Row) {
        Row.Clear();
        Row.CamCode.fill(CamRest);
        Row.FSFront = std::uint8_t(To.FrontFS);
        Row.FSRear = std::uint8_t(To.RearFS);
    };
    const auto store = [&](MUnvZ& Row) {
        if (number > Result.Z.HighestNumber())
            throw EModuleFile(modmsg::ListFailed, FPlacement.Name, QStringLiteral("more than 2000 Z rows"));
        Row.Number = number++;
        Result.Z.AddOrReplace(Row);
    };
    MUnvZ row;
    // 5. The first row of an empty program.
    if (EmptyResult) {
        newRow(row);
        row.Racking[0].Position = 0;
        row.Racking[0].Transfer = RackingFirst;
        row.WA2.Value = 100;
        row.TZ = 100;
        row.ST = 1;
        store(row);
    }
    // 6. The racking rows.
    if (!oddQueue.empty() || !evenQueue.empty()) {
        newRow(row);
        row.CamCode[0] = CamOpenFront;
        row.CamCode[1] = CamOpenRear;
        row.Racking[0].Position = 0;
        row.Racking[0].Transfer = RackingMove;
        store(row);
    }
    newRow(row);
    row.Racking[0].Position = To.RackingHV;
    row.Racking[0].Transfer = To.RackingKind;
    store(row);
    // 7. The move rows, ending on an even number.
    std::size_t oddNext = 0;
    std::size_t evenNext = 0;
    while (oddNext < oddQueue.size() || evenNext < evenQueue.size() || (number - 1) % 2 != 0) {
        newRow(row);
        const bool odd = number % 2 != 0;
        std::vector<int>& queue = odd ? oddQueue : evenQueue;
        std::size_t& next = odd ? oddNext : evenNext;
        for (int s : systems) {
            if (next >= queue.size())
                break;
            row.CamCode[std::size_t(2 * s)] = CamMove;
            row.Carriers[std::size_t(s)].SetBit(queue[next] - 1, 1);
            ++next;
        }
        store(row);
    }
    return {firstRow, number - 1};
}

void MStripImport::PlaceModulePictures(const MImportPlacement& Placement) {
    TBitmap& drawing = *FDrawing;
    if (Placement.Kind == ImportFixed) {
        const TColor two = FPalette != nullptr ? FPalette->Color(2) : MPalette().Color(2);
        const TColor fifteen = FPalette != nullptr ? FPalette->Color(15) : MPalette().Color(15);
        for (std::int64_t x = Placement.X1; x <= Placement.X2; ++x) {
            const std::int64_t d = x - Placement.X1;
            PutCell(drawing, x, 1, two);
            PutCell(drawing, x, 2, d % 2 == 0 ? two : fifteen);
            PutCell(drawing, x, 3, d % 3 == 0 ? two : fifteen);
        }
        return;
    }
    if (Placement.Kind != ImportModule)
        return;
    const MLibraryEntry entry = ReadLibraryEntry(Placement.Folder, Placement.Name);
    const ModuleHeader& h = entry.Header;
    const std::int64_t x = std::max(Placement.X, 1);
    const std::int64_t y = std::max(Placement.Y, 11);
    const std::int64_t needW = x + (std::int64_t(h.LastColumn) - h.FirstColumn);
    const std::int64_t needH = y + (std::int64_t(h.LastLine) - h.FirstLine);
    if (needW > drawing.Width() || needH > drawing.Height()) {
        // The canvas grows at its top and right: lines are counted from the bottom.
        const int w = int(std::max<std::int64_t>(needW, drawing.Width()));
        const int hgt = int(std::max<std::int64_t>(needH, drawing.Height()));
        TBitmap grown(w, hgt, pf24bit);
        for (int row = 0; row < hgt; ++row) {
            std::uint8_t* d = grown.ScanLine(row);
            for (int col = 0; col < w; ++col) {
                d[3 * col] = GetBValue(NewPictureColor);
                d[3 * col + 1] = GetGValue(NewPictureColor);
                d[3 * col + 2] = GetRValue(NewPictureColor);
            }
            const int from = row - (hgt - drawing.Height());
            if (from >= 0 && from < drawing.Height())
                std::memcpy(d, drawing.ScanLine(from), 3 * std::size_t(drawing.Width()));
        }
        drawing.Assign(grown);
    }
    // The picture's lowest row on line y, its first column on needle x.
    const TBitmap& pic = entry.Picture;
    for (int row = 0; row < pic.Height(); ++row) {
        const std::int64_t line = y + (pic.Height() - 1 - row);
        const std::uint8_t* s = pic.ScanLine(row);
        for (int col = 0; col < pic.Width(); ++col)
            if (std::uint8_t* d = CellOf(drawing, x + col, line))
                std::memcpy(d, s + 3 * col, 3);
    }
    // The lines below 11 follow the Z rows' line map.
    const int firstLow = h.FirstLowLine();
    if (firstLow > 0) {
        const TBitmap& low = entry.LowPicture;
        for (int L = firstLow; L <= h.LastLowLine(); ++L) {
            const int target = Packer.LineMap[std::size_t(L - 1)];
            const std::uint8_t* s = low.ScanLine(low.Height() - L);
            for (int col = 0; col < low.Width(); ++col)
                if (std::uint8_t* d = CellOf(drawing, x + col, target))
                    std::memcpy(d, s + 3 * col, 3);
        }
    }
}

// ---- OK and Cancel.

void MStripImport::Apply() {
    if (FProject == nullptr)
        return;
    FSequencer.SetProject(nullptr);
    CopyLists(Result, *FProject);
}

void MStripImport::RestoreDrawing() {
    if (FDrawing != nullptr && !FDrawingAtOpen.Empty())
        FDrawing->Assign(FDrawingAtOpen);
}
