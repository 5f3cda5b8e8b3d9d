#pragma once
// The stripe import engine, without a window: it brings one library entry (a library module, a
// fixed program or a rib program) into the program being built as a new stripe. The entry's
// modules are renumbered into free numbers by the packer, transition lines take the yarn carriers
// from where the program leaves them to where the entry expects them (and back when the entry is
// inserted between stripes), the entry's pictures are placed in the drawing and the stripe is
// recorded.
//
// The engine works on its own lists: Result (the program being built), Saved (the project's lists
// as they were) and Scratch (entries are read and programs run there, by the engine's own
// sequencer over a scratch project whose pattern is the drawing itself). The project's lists and
// machine description change only in Apply (the import window's OK). Each import is all or
// nothing: an error puts the result, the stripes, the insertion state and the drawing back as they
// were before it. The drawing as it was when the working sets were prepared is kept, so that
// RestoreDrawing (Cancel) puts it back exactly.

#include "imaging/Bitmap.h"
#include "model/UColors.h"
#include "model/UModHeader.h"
#include "model/UPacking.h"
#include "model/URowView.h"
#include "model/Usequencer.h"
#include "model/UunvList.h"

#include <QString>

#include <array>
#include <memory>
#include <utility>
#include <vector>

// Copies every list and the machine description (with its stripes) of From into To, tags and
// strip identifiers included.
void CopyLists(MProgramLists& From, MProgramLists& To);
// A top-down view of a picture's rows without a copy; empty for an empty picture.
MRowView RowViewOf(TBitmap& Picture);

// Entry kinds.
constexpr int ImportModule = 1;
constexpr int ImportFixed = 2;
constexpr int ImportRib = 3;

// Palette indexes of a fixed program's template colours, first to sixth.
constexpr std::array<int, 6> FixedTemplateColors{7, 2, 1, 6, 3, 5};

// Where and how an entry is placed: the picker's values.
struct MImportPlacement {
    QString Folder; // the entry's folder (LibraryFolder() or FixedFolder())
    QString Name;   // the entry's base name
    int Kind = ImportModule;
    // Library module ("Module Data"): left column (>= 1), bottom line (>= 11), offset row (0 none,
    // else 1..8) and the bottom line of the lines below 11 (-1 when the entry uses none).
    int X = 1;
    int Y = 11;
    int Offset = 0;
    int YBelow = -1;
    // Fixed program: columns X1..X2 and lines Y1..Y2, and the palette indexes chosen for the
    // template colours in template order (at most six).
    int X1 = 1;
    int X2 = 1;
    int Y1 = 1;
    int Y2 = 1;
    std::vector<int> Colors;
};

// The state of the carriers and of the Z row at a point of a program, in the header's layout.
using MCarrierState = ModuleHeader;
// The yarn carriers of both rails (rail-major, ModuleHeader::SideIndex).
using MCarrierSet = std::array<MYcData, ModuleHeader::SideCount>;

class MStripImport {
public:
    MStripImport();
    ~MStripImport();
    MStripImport(const MStripImport&) = delete;
    MStripImport& operator=(const MStripImport&) = delete;

    // The project the engine works for: its lists (read by PrepareWorkingSets, replaced by Apply),
    // its palette and its drawing (changed by the placed pictures; never null while attached).
    void Attach(MProgramLists* Project, const MPalette* Palette, TBitmap* Drawing);

    MProgramLists Result;
    MProgramLists Saved;
    MProgramLists Scratch;
    MUnvPack Packer;
    // The result's machine description, with its stripes.
    MMachineInfo& Machine() { return Result.Machine; }

    // The stripe after which the next import is inserted (index into the stripes); -1 appends.
    int SelectedStripe = -1;
    // Set by PlaceProgram when the last entry went between stripes.
    bool InsertMode = false;
    // Set by PlaceProgram for a rib program while the result already had stripes.
    bool RibWithStripes = false;
    // The header of the entry being imported.
    ModuleHeader Header;
    // The Z row and carriers at the insertion point (insert mode).
    MCarrierState InsertState;
    MCarrierSet InsertCarriers;

    // Opening of the window: the result holds the project's program compactly numbered (without the
    // untouched default entries of a new project), Saved a copy of the project's lists, and the
    // drawing is kept for RestoreDrawing.
    void PrepareWorkingSets();
    // Makes the stripes agree with the result's leading run of S lines.
    void SyncStripes();
    // Imports one entry; answers the stripe's first and last S line. All or nothing: any error
    // (EModuleFile, a list's MException) restores the working state and passes on.
    std::pair<int, int> LoadModuleFile(const MImportPlacement& Placement);

    // ---- Steps of LoadModuleFile, public for the tests.
    // Reads the entry's program into Scratch, with a fixed program's adjustments.
    void ReadModuleFile(const MImportPlacement& Placement);
    // Places the entry's program in the result; answers its first and last S line.
    std::pair<int, int> PlaceProgram(const MImportPlacement& Placement);
    // Fills offset row Row (1..8) of the result's C entry 1 with the carriers' parking positions;
    // raises EModuleFile (OffsetLimit) when a carrier finds none within +-2000.
    void AssignCarrierOffsets(int Row);
    void AddOpeningLine(bool EmptyResult);
    void AddClosingLine();
    void AddResumeLine();
    // Adds the Z rows that move the carriers from From's end sides to To's start sides; answers the
    // first and last row number.
    std::pair<int, int> BuildCarrierMoveRows(const MCarrierState& From, const MCarrierState& To,
                                             bool FourSystems, bool EmptyResult);
    void PlaceModulePictures(const MImportPlacement& Placement);
    // The state at the end of the result's program (run on Scratch).
    MCarrierState EndState();

    // OK: the project's lists and machine description (with the stripes) become the result's.
    void Apply();
    // Cancel: the drawing as it was when the working sets were prepared.
    void RestoreDrawing();

private:
    struct Snapshot;
    class ScratchProject;
    void CopyResultToScratch();
    void StoreTransitionLine(int FirstZ, int LastZ);
    std::unique_ptr<Snapshot> TakeSnapshot() const;
    void PutBack(Snapshot& S);

    MProgramLists* FProject = nullptr;
    const MPalette* FPalette = nullptr;
    TBitmap* FDrawing = nullptr;
    TBitmap FDrawingAtOpen;
    std::unique_ptr<ScratchProject> FScratchProject;
    MprogramSequencer FSequencer;
    MImportPlacement FPlacement;
};
