#pragma once
// The numbered list of the modules of one kind. A project owns ten of them (P, N, Z, R, S, W, FS, FD,
// FE, C); the editors store each edited module back through its list, the interpreter reads modules
// from it by number, and the machine program file loads into it and is written from it. A module is
// known by its number, never by its position: positions change with every store and sort.

#include "model/UCamCodes.h"
#include "model/ULstFile.h"
#include "model/UprojInfo.h"
#include "model/UunvBase.h"
#include "model/UunvC.h"
#include "model/UunvF.h"
#include "model/UunvKinds.h"
#include "model/UunvZ.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

class TMUnvClipBoard;

// Display modes: one module per row, or Z pairing (an odd number and the next even number share a row).
constexpr int dmSingle = 1, dmZPairs = 2;

// A special-function request of a module window: copy, move, delete or create the modules of a
// number range. The special-functions dialog fills it; the window hands it to the list.
constexpr std::uint8_t sfCopy = 0, sfMove = 1, sfDelete = 2, sfNewItems = 3;
struct TSpecialFuncParams {
    std::uint8_t Operation = sfCopy;
    std::int32_t From = 0; // the range
    std::int32_t To = 0;
    std::int32_t In = 0;          // first target number of copy and move ("Put in")
    std::int32_t ByY = 0;         // added to the pattern lines of copied Z rows
    bool MoveDestination = false; // make room at the target first
    bool DeleteGaps = false;      // copy and move close the gaps of the range
    bool Mirror = false;          // copied Z rows are mirrored
    bool ClearItems = false;      // delete resets the modules to defaults instead of removing them
};

class MUnvList {
public:
    // A plain list (kind 0, no machine): the clipboard's buffers.
    MUnvList();
    virtual ~MUnvList();
    MUnvList(const MUnvList&) = delete;
    MUnvList& operator=(const MUnvList&) = delete;

    // The scratch module of the loader; of the list's kind, so it also serves as the prototype of
    // NewItem.
    std::unique_ptr<MUnvBase> WorkItem;
    bool Modified = false;
    bool NeedsAutosave = false;
    TTableHeader TableHeader;
    int DisplayMode = dmSingle;
    int Kind = 0;
    int NumberLimit = 0;
    MMachineInfo* MachineInfo = nullptr; // not owned; null in plain lists

    // Model and cam systems of the machine; 0 without one.
    int MachineModel() const;
    int SystemCount() const;
    // A new module with the kind's default contents (a bare module in a plain list).
    std::unique_ptr<MUnvBase> NewItem() const;

    // ---- The ordered modules.
    int Count() const { return int(FItems.size()); }
    // Appends a module as it is (the clipboard's buffers may hold a number twice).
    void Append(std::unique_ptr<MUnvBase> Module);

    // ---- Finding. Every failure raises 5011/4.
    int IndexOfNumber(int Number) const;
    MUnvBase& FindByNumber(int Number) const;
    MUnvBase& ItemAt(int Index) const;
    bool Contains(int Number) const;
    // The module with that number; null when there is none.
    MUnvBase* Lookup(int Number) const;
    // The modules numbered Lo..Hi in ascending number order (the first of a number held twice).
    std::vector<MUnvBase*> ModulesInRange(std::int64_t Lo, std::int64_t Hi) const;
    // 0 for an empty list.
    int MinNumber() const;
    int MaxNumber() const;
    int NumberSpan() const;
    // The module with the smallest number above Number, among numbers below Number + 10000; null when
    // there is none.
    MUnvBase* NextItemAfter(int Number) const;
    // The smallest number above Number.
    int NumberAfter(int Number) const;

    // ---- Storing and renumbering.
    // Stores a copy of Module under its number (validated while ListsAutoValidate is on).
    void AddOrReplace(const MUnvBase& Module);
    // Stores an edited module whose number may have changed from OldNumber (0: a new module). Asks
    // before it overwrites another module.
    void StoreRenumbered(int OldNumber, const MUnvBase& Module);
    // The same without validating the module (a row whose user chose to store an invalid module);
    // it still asks before it overwrites.
    void StoreRenumberedUnvalidated(int OldNumber, const MUnvBase& Module);
    // Makes room at Number and stores a default module there; a Number outside the kind's numbers is
    // refused before anything changes (CheckTargetNumber).
    void InsertEmpty(int Number);
    // Adds Delta (at least 1) to every number from FromNumber up; refuses with the kind's check 1
    // when a number would pass the kind's largest number.
    void ShiftNumbers(int FromNumber, int Delta);
    // Removes the module; a missing number is ignored.
    void DeleteNumber(int Number);
    // Removes every module with mark MarkIndex set; 1001/0 when there is none.
    void DeleteMarked(int MarkIndex);
    void Clear();
    // Resets a module to its defaults, keeping its number and marks.
    void ClearNumber(int Number);
    void ClearSelectedContents();
    // Makes the list a validated copy of a list of the same kind; other kinds are ignored. A module
    // that fails validation raises and leaves the list as it was.
    void Assign(const MUnvList& Source);
    void SortByNumber();

    // ---- Selection (mark 0).
    void SetSelected(int Number, bool Value);
    void SelectAll();
    void SelectNone();
    void InvertSelection();
    // The contiguous selected run that starts at the lowest selected number.
    void GetSelectedRange(int& First, int& Last) const;

    // ---- Display rows (the list is expected sorted).
    int RowCount() const;
    int IndexOfRow(int Row) const;
    int RowOfIndex(int Index) const;

    // ---- The machine program file.
    // Reads the list's tables from a whole file held by Stream; validation is off meanwhile. A table
    // that cannot be read raises its error and leaves the list as it was.
    virtual void LoadFromStream(ByteReader& Stream);
    // Decodes one record into Module (the stream stands at the record).
    virtual void ReadRecord(ByteReader& Stream, MUnvBase& Module);
    // The number of the Index-th record of the main table; 0 beyond the bitmap's numbers.
    int NumberOfRecord(int Index) const;
    // Present numbers below Number in a table (the record index of Number when present); -1 when
    // Number is above the table's TopNumber.
    static int RecordIndexOfNumber(const TTableHeader& Header, int Number);
    // Computes the layouts of the list's tables before writing.
    virtual void PrepareHeader();
    // Writes the start slots and TopNumber/RecordSize pairs of the list's tables.
    virtual void WriteHeader(ByteWriter& Stream);
    // Writes the main table: bitmap and records in ascending number order.
    virtual void SaveToStream(ByteWriter& Stream);
    virtual void WriteRecord(ByteWriter& Stream, const MUnvBase& Module);
    // The tables the list writes (the main table first; a Z list adds its sub-tables) and how one of
    // them is written.
    virtual int TableCount() const { return 1; }
    virtual TTableHeader& Table(int Index);
    virtual void SaveTable(ByteWriter& Stream, int Index);
    // Takes over the modules and table descriptions of another list of the same kind (whose modules
    // it gets in exchange) and marks the list modified.
    virtual void TakeContents(MUnvList& Source);
    // A list of the same kind, limit, machine and table description holding an exact copy of every
    // module (tags included, nothing validated): the scratch list of an all-or-nothing change, handed
    // back with TakeContents when the change succeeded.
    // Without WithModules the scratch list starts empty.
    std::unique_ptr<MUnvList> ScratchCopy(bool WithModules = true) const;

    // The largest number a module of the list may have (any positive number in a plain list).
    int HighestNumber() const;
    // Raises the base check's error (5011/1, no arguments) for a Number below 1 and the kind's
    // number error (5011 + kind, subcode 1, the number as argument) above HighestNumber.
    void CheckTargetNumber(std::int64_t Number) const;

    // ---- Range operations: blocks, the clipboard's copy and paste, drops from other lists, the
    // special functions and the labels of a number range. They walk only the numbers present in the
    // list, and none stores a module outside 1..the kind's largest number (CheckTargetNumber's
    // errors).

    // Copies the modules FromNumber .. FromNumber + Count - 1 to ToNumber ..; a step that fails (a
    // missing number, a refused copy) is skipped.
    void CopyBlock(int FromNumber, int ToNumber, int Count);
    // Moves the block with its tags. Nothing moves when a target leaves the kind's numbers; a
    // module whose copy was refused stays where it was.
    void MoveBlock(int FromNumber, int ToNumber, int Count);
    // Appends a clone of every selected module, in list order, to Dest; 1004/0 when none is.
    void CopySelectedTo(MUnvList& Dest) const;
    // Appends a clone of module Number to Dest; 5011/4 when it is absent.
    void CopyNumberTo(int Number, MUnvList& Dest) const;
    // Stores Source's modules from FirstNumber on with their spacing; Source keeps the new numbers.
    // A store that fails gives its module its number back and raises; what was stored stays.
    void PasteFrom(MUnvList& Source, int FirstNumber);
    // PasteFrom, each Z row mirrored for the machine once stored.
    void PasteMirroredFrom(MUnvList& Source, int FirstNumber);
    // Mirrors Z row Number for the machine's cam systems; 5011/4 when absent; nothing in other lists.
    void MirrorNumber(int Number);
    // A module dragged from another window: makes room at AtNumber and stores an adapted copy there.
    // A failure shows "Error in D&D" and leaves the list as it was.
    void DropCopy(const MUnvList& SourceList, int SourceNumber, int AtNumber);
    // The selected modules of SourceList, stored from AtNumber on with their spacing after room was
    // made; 1004/0 when none is selected. Every failure raises and leaves the list as it was.
    void DropCopySelected(const MUnvList& SourceList, int AtNumber);
    // The special copy and move: all or nothing; an error leaves the list (and Clipboard) as it was
    // and passes on. The clones stored end in Clipboard's second buffer, its old contents discarded;
    // a null Clipboard keeps them nowhere.
    void CopyRange(const TSpecialFuncParams& Params, TMUnvClipBoard* Clipboard);
    void MoveRange(const TSpecialFuncParams& Params, TMUnvClipBoard* Clipboard);
    void CopyOrMoveRange(const TSpecialFuncParams& Params, bool Move, TMUnvClipBoard* Clipboard);
    // The special delete: removes (or resets) the modules From..To, all or nothing; an error shows
    // "Error ..." and leaves the list as it was.
    void DeleteRange(const TSpecialFuncParams& Params);
    // The special new items: default modules From..To, after making room when asked, all or nothing.
    // A range outside the kind's numbers or an error shows "Error ..." and changes nothing; From
    // above To does nothing.
    void NewItemsRange(const TSpecialFuncParams& Params);
    // The labels of the modules FirstNumber .. FirstNumber + Count (Count may be negative; 0: the one
    // module), joined by a line feed and a carriage return; missing numbers are skipped.
    void GetRangeLabels(int FirstNumber, int Count, QString& Text, int Level) const;

protected:
    MUnvList(int ListKind, std::unique_ptr<MUnvBase> Prototype);
    bool Rotated() const;
    // The modules sorted by number, for writing; raises MException (lstmsg) when a number cannot be
    // written or is there twice.
    std::vector<const MUnvBase*> SortedForWriting() const;
    void MarkModified() {
        Modified = true;
        NeedsAutosave = true;
    }

    // The index of the first module with that number; -1 when there is none.
    int FindIndex(int Number) const;
    std::vector<std::unique_ptr<MUnvBase>> FItems;

private:
    void LoadTable(ByteReader& Stream);
    void StoreAt(int Index, const MUnvBase& Module, bool Validated);
    void StoreRenumbered(int OldNumber, const MUnvBase& Module, bool Validated);
    // One step of a block copy; false when it failed.
    bool CopyBlockStep(int Source, std::int64_t Target, MUnvBase& Scratch);
    void PasteRenumbered(MUnvList& Source, int FirstNumber, bool Mirrored);
    // Runs Change on a scratch copy of the list and takes the copy only when Change ran through: an
    // error leaves the list as it was and passes on. The list is marked modified as the change
    // marked the copy.
    void ChangeOnScratch(const std::function<void(MUnvList&)>& Change);
    // A copy of Source ready to be stored as Number: validated, adapted to the machine, numbered and
    // checked under that number as the store would check it.
    std::unique_ptr<MUnvBase> PrepareDrop(const MUnvBase& Source, std::int64_t Number) const;
};

// Compares two modules by number: -1, 0 or 1.
int CompareNumbers(const MUnvBase& A, const MUnvBase& B);

// ---- The ten per-kind lists. Each typed getter is FindByNumber returning the kind's class; it
// raises 5011/4 when the number is absent.

class MPList : public MUnvList {
public:
    MPList();
    MUnvP& GetP(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

class MNList : public MUnvList {
public:
    MNList();
    MUnvN& GetN(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

class MRList : public MUnvList {
public:
    MRList();
    MUnvR& GetR(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

class MSList : public MUnvList {
public:
    MSList();
    MUnvS& GetS(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;

    // The largest k such that S lines 1..k all exist with a non-zero First.
    int LeadingRunLength() const;
    // The smallest S number above that run whose line has a non-zero First; 0 when there is none.
    int NextUsedAfterRun() const;
};

class MWList : public MUnvList {
public:
    MWList();
    MUnvW& GetW(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

class MFSList : public MUnvList {
public:
    MFSList();
    MUnvFS& GetFS(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

class MFDList : public MUnvList {
public:
    MFDList();
    MUnvFD& GetFD(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

class MFEList : public MUnvList {
public:
    MFEList();
    MUnvFE& GetFE(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

// One setup scheme, number 1, in a table without bitmap.
class MCList : public MUnvList {
public:
    MCList();
    MUnvC& GetC(int Number) const;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
};

// The knitting rows, shown in odd/even pairs. Besides its main table a Z list reads and writes the
// eight sub-tables A..H that the rows refer to; equal sub-records are stored once.
class MZList : public MUnvList {
public:
    MZList();
    MUnvZ& GetZ(int Number) const;

    std::array<TTableHeader, ZSubTableCount> SubTables; // A..H
    // Counters of the sub-record numbering when writing: first level (sub-records C, B, A, A) and
    // second level (D, E, -, -, -, F, G, H).
    std::array<int, 4> SystemCounters{};
    std::array<int, 8> SlotCounters{};
    // The machine byte of every cam code index.
    const std::array<std::uint8_t, CamCodeCount>& CamBytes() const;

    void LoadFromStream(ByteReader& Stream) override;
    void ReadRecord(ByteReader& Stream, MUnvBase& Module) override;
    // Positions the stream on the record of Number in a sub-table; -1 (stream not moved) when the
    // table holds no record of that number (above the table's TopNumber, absent from its bitmap or
    // beyond its records).
    static int SeekSubRecord(ByteReader& Stream, const TTableHeader& Header, int Number);
    // Numbers the rows' sub-records (equal ones shared) and computes every table layout.
    void PrepareHeader() override;
    void WriteRecord(ByteWriter& Stream, const MUnvBase& Module) override;
    int TableCount() const override { return 1 + ZSubTableCount; }
    TTableHeader& Table(int Index) override;
    void SaveTable(ByteWriter& Stream, int Index) override;

private:
    // The records of each sub-table in number order, as the numbering found them.
    std::array<std::vector<std::uint8_t>, ZSubTableCount> FSubRecords;
};

// A new empty list of a list kind (1..10); a plain list for any other kind.
std::unique_ptr<MUnvList> NewListOfKind(int Kind);

// A machine description with its ten lists pointing at it: the program of one machine file.
class MProgramLists {
public:
    MProgramLists();
    MProgramLists(const MProgramLists&) = delete;
    MProgramLists& operator=(const MProgramLists&) = delete;

    MMachineInfo Machine;
    MPList P;
    MNList N;
    MZList Z;
    MRList R;
    MSList S;
    MWList W;
    MFSList FS;
    MFDList FD;
    MFEList FE;
    MCList C;

    // In the order P, N, Z, R, S, W, FS, FD, FE, C.
    MListSet Lists();
    MUnvList& List(int Kind);
};
