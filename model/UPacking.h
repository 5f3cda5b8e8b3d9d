#pragma once
// Import renumbering: modules imported from the library or a fixed program move to numbers that are
// free in the project, and every reference between them (S lines to Z rows and S cycles, counters to
// W and R entries, Z rows to FS and FD modules, FD entries to FE lines, pattern lines) follows them.
// Each moved module keeps its previous number in OldNumber while the references are translated.

#include "model/UunvList.h"

#include <array>
#include <memory>

// Positions of the kinds in the arrays of the packer: list kind - 1 (P 0 .. FE 8, C 9).
constexpr int ListIndex(int ListKind) {
    return ListKind - 1;
}

class MUnvPack {
public:
    MUnvPack();
    MUnvPack(const MUnvPack&) = delete;
    MUnvPack& operator=(const MUnvPack&) = delete;

    // Scratch module of RenumberModules, made and freed there.
    std::unique_ptr<MUnvBase> WorkItem;
    // 0: none; else imported S lines take it as their Offset and imported Z rows as the value of
    // every carrier set whose value is not 0.
    int ValueOverride = 0;
    // Added to the Start of imported N entries of type 1 (pattern column).
    int ColumnShift = 0;
    // Added to every pattern line of 11 or more of an imported Z row.
    int LineShift = 0;
    // An imported pattern line v in 1..10 becomes LineMap[v - 1].
    std::array<int, 10> LineMap{};
    // The imported modules and the project's lists, by list kind (P .. C; C is never touched).
    std::array<MUnvList*, 10> Sources{};
    std::array<MUnvList*, 10> Targets{};
    // Per kind the first number the imported modules take.
    std::array<int, 10> FirstFree{};
    // The first number of the imported S lines numbered above the limit given to RenumberModules.
    int SCounter = 0;
    // Results: per kind the number after the last one given out, and the S counter after it.
    std::array<int, 10> NextFree{};
    int SCounterEnd = 0;

    // Stores the modules of Sources P..FE into Targets under new numbers (consecutive source numbers
    // stay consecutive, gaps close; a Z row keeps the parity of its source number) and translates
    // the references. All or nothing: on an error the targets are as before and the error passes.
    // Returns 0.
    int RenumberModules(int SLimit);
    // Translates the references of the imported modules in Targets.
    void RemapReferences();
    // The number of the first module of List whose OldNumber is Old; Old itself when Old is below 1
    // or no module has it.
    static int NewNumberOf(int Old, const MUnvList& List);
    // Renumbers the Z rows of Targets in the order the S lines use them (each row keeping its
    // parity), the unused rows last, and points the S lines at the new numbers. All or nothing;
    // when the new order would change the rows an S line knits (its count is kept: two lines
    // sharing rows out of order, a gap inside a range), the rows stay as numbered.
    void RenumberZInProgramOrder();
    // Makes the gap of S numbers after the leading run of used lines exactly Wanted long, moving the
    // later lines and translating the S cycles that refer to them.
    void AdjustSGap(MSList& SList, int Wanted);

private:
    void RemapIn(const std::array<MUnvList*, 10>& Lists) const;
};
