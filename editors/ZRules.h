#pragma once
// The rules of the knitting-scheme (Z) row that depend on nothing but its codes: which cam codes the
// cam menu offers a cam cell, the row's cam family, and the coupled racking cells. Free of widgets;
// the Z row applies them to its cells and to the shared cam menu.

#include <array>
#include <vector>

class MCamPopupMenu;

// ---- Cam families. Codes 1 to 13 form the first family, 14 to 26 the second; 0 is blank.
// The family mode of a set of cam codes: 1 when only first-family codes are in use, 2 when only
// second-family ones, 0 otherwise (none, or both).
int RowCamFamilyMode(const std::vector<int>& Codes);
// The family mode for the cell of Slot: over every other cell's code; when those are of one family
// only and the cell itself holds a code of the other, 0.
int CamFamilyMode(const std::vector<int>& Codes, int Slot);

// ---- Cam completion when a row is stored. In a row of one family every blank cam takes that
// family's neutral cam ("  JA " for the first, "  A  " for the second), unless the cam on the other
// bed of its system would then refuse it (CamPairFits): such a cell stays blank, as the designer
// left it, and the row's check names the system. Codes is every cam cell's code in slot order; the
// result is the codes after completion.
std::vector<int> CompletedCams(const std::vector<int>& Codes);

// ---- The cam menu for one cell: which of the 27 items show and which start a new column.
struct TCamMenuPlan {
    std::array<bool, 27> Visible{};
    std::array<bool, 27> Break{};
    friend bool operator==(const TCamMenuPlan&, const TCamMenuPlan&) = default;
};
// The machines 720 and 721 offer fixed lists: the middle systems' list on slots 2 to 5, and on the
// outer slots 0, 1, 6, 7 the receiving or delivering list by the slot and the parity of the row
// number (0 counts as receiving on every outer slot); a family mode then hides the other family.
bool HasCamAllowLists(int SysType);
// Codes is every cam cell's code (slot order), Slot the cell the menu opens for, RowNumber the row
// number the cell shows. Once the other bed of the cell's system holds a cam, the menu offers only
// the cams that fit it (CamPairFits), and blank.
TCamMenuPlan PrepareCamMenu(const std::vector<int>& Codes, int Slot, int SysType, int RowNumber);
// Gives the menu's items the plan's visibility and column breaks.
void ApplyCamMenuPlan(MCamPopupMenu& Menu, const TCamMenuPlan& Plan);

// ---- The racking group: direction ("", "R", "L"), position, transfer position ("", "G", "U1", "U2")
// and correction table ("", "K1", "K2"). Either all four are blank, or the direction is "R" or "L",
// the position holds a number and the transfer position is set, the table free.
struct TRackingGroup {
    int Direction = 0;    // 0 blank, 1 "R", 2 "L"
    int DirectionMin = 0; // the lowest direction a click reaches: 1 once the group is in use
    bool PositionBlank = true;
    int Position = 0; // shown unsigned
    int Transfer = 0;
    int Correction = 0;
    friend bool operator==(const TRackingGroup&, const TRackingGroup&) = default;
};
enum TRackingEvent { reDirection, rePosition, reTransfer, reCorrection };
// The group after the user set one of its cells (the group already holding the new value of that
// cell): the other cells follow as the group's rules say.
TRackingGroup RackingChanged(TRackingGroup Group, TRackingEvent Event);
// The signed racking value the group gives: 0 for a blank direction, +position for "R", -position
// for "L".
int RackingValue(const TRackingGroup& Group);
// The group showing a module's racking: direction and position blank when the transfer byte is 0
// (whatever the value); else "R" or "L" by the value's sign ("R" for 0) with the absolute value. The
// correction table shows its byte.
TRackingGroup RackingGroupOf(int Position, int Transfer, int Correction);
