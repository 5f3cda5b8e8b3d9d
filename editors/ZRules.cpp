#include "editors/ZRules.h"

#include "editors/CamPopupMenu_m.h"
#include "model/UCamCodes.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool FirstFamily(int Code) {
    return Code >= 1 && Code <= 13;
}

bool SecondFamily(int Code) {
    return Code >= 14 && Code <= 26;
}

int ModeOf(bool Low, bool High) {
    if (Low == High)
        return 0;
    return Low ? 1 : 2;
}

// The lists of the 720 and 721.
const std::vector<int> ReceivingList = {0, 1, 5, 12, 14, 18, 22, 26};
const std::vector<int> DeliveringList = {0, 1, 4, 14, 17, 21, 25};
const std::vector<int> MiddleList = {0, 1, 2, 3, 9, 14, 15, 16, 19, 20, 23, 24};

// A racking that moves: the position shows (from 0 if it was blank), the direction may no longer be
// 0 and the transfer is at least 1.
void Engage(TRackingGroup& G) {
    if (G.PositionBlank) {
        G.PositionBlank = false;
        G.Position = 0;
    }
    G.DirectionMin = 1;
    if (G.Direction == 0)
        G.Direction = 1;
    if (G.Transfer == 0)
        G.Transfer = 1;
}

} // namespace

int RowCamFamilyMode(const std::vector<int>& Codes) {
    const bool low = std::any_of(Codes.begin(), Codes.end(), FirstFamily);
    const bool high = std::any_of(Codes.begin(), Codes.end(), SecondFamily);
    return ModeOf(low, high);
}

int CamFamilyMode(const std::vector<int>& Codes, int Slot) {
    bool low = false, high = false;
    for (int i = 0; i < int(Codes.size()); ++i)
        if (i != Slot) {
            low = low || FirstFamily(Codes[std::size_t(i)]);
            high = high || SecondFamily(Codes[std::size_t(i)]);
        }
    const int own = Slot >= 0 && Slot < int(Codes.size()) ? Codes[std::size_t(Slot)] : 0;
    const int mode = ModeOf(low, high);
    if ((mode == 1 && SecondFamily(own)) || (mode == 2 && FirstFamily(own)))
        return 0;
    return mode;
}

std::vector<int> CompletedCams(const std::vector<int>& Codes) {
    const int mode = RowCamFamilyMode(Codes);
    std::vector<int> done = Codes;
    if (mode == 0)
        return done;
    const int neutral = mode == 1 ? camJA : camA;
    const int count = int(Codes.size());
    for (int i = 0; i < count; ++i) {
        if (Codes[std::size_t(i)] != 0)
            continue;
        // The other bed of the system, as it stands after completion.
        const int other = i ^ 1;
        int partner = other < count ? Codes[std::size_t(other)] : 0;
        if (partner == 0)
            partner = neutral;
        const bool front = i % 2 == 0;
        if (CamPairFits(front ? neutral : partner, front ? partner : neutral))
            done[std::size_t(i)] = neutral;
    }
    return done;
}

bool HasCamAllowLists(int SysType) {
    return SysType == 720 || SysType == 721;
}

namespace {

// Hides the cams that would not fit the cam on the other bed of the cell's system; blank stays.
TCamMenuPlan OnlyFittingPairs(TCamMenuPlan Plan, const std::vector<int>& Codes, int Slot) {
    const int other = Slot ^ 1;
    if (Slot < 0 || other >= int(Codes.size()))
        return Plan;
    const int partner = Codes[std::size_t(other)];
    if (partner == 0)
        return Plan;
    const bool front = Slot % 2 == 0;
    for (int k = 1; k < 27; ++k)
        if (!CamPairFits(front ? k : partner, front ? partner : k))
            Plan.Visible[std::size_t(k)] = false;
    return Plan;
}

TCamMenuPlan FamilyCamMenu(const std::vector<int>& Codes, int Slot, int SysType, int RowNumber) {
    const int mode = CamFamilyMode(Codes, Slot);
    TCamMenuPlan plan;
    if (HasCamAllowLists(SysType)) {
        const std::vector<int>* list = &MiddleList;
        if (Slot >= 2 && Slot <= 5) {
            if (mode == 0)
                plan.Break[15] = true;
        } else {
            // Odd rows receive on slots 0 and 7 and deliver on 1 and 6; even rows the other way.
            const bool outerFirst = Slot == 0 || Slot == 7;
            const bool receiving = RowNumber == 0 || (RowNumber % 2 != 0) == outerFirst;
            list = receiving ? &ReceivingList : &DeliveringList;
        }
        for (int code : *list)
            plan.Visible[std::size_t(code)] = true;
        for (int i = 0; i < 27; ++i)
            if ((mode == 1 && i >= 13) || (mode == 2 && i >= 1 && i <= 13))
                plan.Visible[std::size_t(i)] = false;
        return plan;
    }
    for (int i = 0; i < 27; ++i)
        plan.Visible[std::size_t(i)] = mode == 0 || (mode == 1 ? i <= 13 : i == 0 || i >= 14);
    if (mode == 0)
        plan.Break[7] = plan.Break[14] = plan.Break[21] = true;
    else
        plan.Break[std::size_t(mode == 1 ? 7 : 20)] = true;
    return plan;
}

} // namespace

TCamMenuPlan PrepareCamMenu(const std::vector<int>& Codes, int Slot, int SysType, int RowNumber) {
    return OnlyFittingPairs(FamilyCamMenu(Codes, Slot, SysType, RowNumber), Codes, Slot);
}

void ApplyCamMenuPlan(MCamPopupMenu& Menu, const TCamMenuPlan& Plan) {
    for (int i = 0; i < Menu.Count() && i < 27; ++i) {
        Menu.Item(i).Visible = Plan.Visible[std::size_t(i)];
        Menu.Item(i).Break = Plan.Break[std::size_t(i)];
    }
}

TRackingGroup RackingChanged(TRackingGroup G, TRackingEvent Event) {
    // Setting another cell inside a rule runs that cell's rule too; the rules below are written out
    // with those follow-ups already applied, so each step leaves a whole group.
    switch (Event) {
    case reDirection:
        if (G.PositionBlank && G.Direction != 0)
            Engage(G);
        break;
    case rePosition:
        if (!G.PositionBlank) {
            Engage(G);
        } else {
            G.DirectionMin = 0;
            G.Direction = 0;
            G.Transfer = 0;
            G.Correction = 0;
        }
        break;
    case reTransfer:
        if (G.Transfer == 0) {
            G.PositionBlank = true;
            G.Position = 0;
            G.DirectionMin = 0;
            G.Direction = 0;
            G.Correction = 0;
        } else {
            Engage(G);
        }
        break;
    case reCorrection:
        if (G.Correction != 0)
            Engage(G);
        break;
    }
    return G;
}

int RackingValue(const TRackingGroup& Group) {
    const int position = Group.PositionBlank ? 0 : Group.Position;
    if (Group.Direction == 1)
        return position;
    if (Group.Direction == 2)
        return -position;
    return 0;
}

TRackingGroup RackingGroupOf(int Position, int Transfer, int Correction) {
    TRackingGroup g;
    g.Correction = Correction;
    if (Transfer == 0)
        return g;
    g.DirectionMin = 1;
    g.Direction = Position < 0 ? 2 : 1;
    g.PositionBlank = false;
    g.Position = int(std::min<long long>(std::llabs(static_cast<long long>(Position)), 0x7FFFFFFF));
    g.Transfer = Transfer;
    return g;
}
