#pragma once
// The stitch simulation: steps its own scheme interpreter and turns every cam system into needle
// actions (knit, tuck, transfer out, receive) on the front and rear bed, lets each yarn carrier that
// the system moved knit the needles along its path, moves stitches between the beds for transfers
// and notices when a course is complete. The program test judges each step by the needle actions;
// the graphic test draws the fabric from the stitch beds.

#include "model/UClrBed.h"
#include "model/Usequencer.h"

#include <array>
#include <cstdint>

// Needle states of the state and action beds.
constexpr std::uint32_t nsNone = 201;
constexpr std::uint32_t nsKnit = 202;
constexpr std::uint32_t nsTuck = 203;
constexpr std::uint32_t nsTransferOut = 204;
constexpr std::uint32_t nsReceive = 205;

// Stitch words of the stitch beds, 24 bits. The code in bits 0..7: 1..16 the yarn carrier that
// knitted the stitch (carrier c on rail r is 2c + r - 2), 101 an empty needle, 103 a stitch knitted
// without a yarn carrier.
constexpr std::uint32_t stEmpty = 101;
constexpr std::uint32_t stNoCarrier = 103;
constexpr std::uint32_t stCodeMask = 0xFF;
constexpr std::uint32_t stMovedStraight = 0x100; // transferred without racking
constexpr std::uint32_t stMovedRight = 0x200;    // transferred with the racking to the right
constexpr std::uint32_t stMovedLeft = 0x400;     // transferred with the racking to the left
constexpr std::uint32_t stMovedMask = 0x700;
constexpr std::uint32_t stDropped = 0x800; // dropped by a transfer out with nothing to receive it
constexpr std::uint32_t stRear = 0x1000;   // knitted on the rear bed
constexpr std::uint32_t stOld = 0x2000;    // of a course already completed
// The accumulated transfer distance: its magnitude in bits 16..22, its sign (set = left) in bit 23.
constexpr int stDistanceShift = 16;
constexpr std::uint32_t stDistanceMax = 0x7F;
constexpr std::uint32_t stDistanceNegative = 0x800000;

// Drawing styles and views of the graphic test.
constexpr std::int32_t gsNormal = 21;
constexpr std::int32_t gsYC = 22;
constexpr std::int32_t gsJaquard = 23;
constexpr std::int32_t gsTransfer = 24;
constexpr std::int32_t gvColor = 15;
constexpr std::int32_t gvStitch = 26;

class MGtestEngine {
public:
    MGtestEngine();
    MGtestEngine(const MGtestEngine&) = delete;
    MGtestEngine& operator=(const MGtestEngine&) = delete;

    // The stitches of the step just made complete a display row: the next step that runs a system
    // clears the stitch beds and advances the display row first.
    bool PendingAdvance = false;
    // 1 when the last step placed or moved a stitch on the rendered side (a placement on the front
    // counts while the front is rendered, one on either side while the rear is), or dropped or moved
    // any stitch; else 0.
    std::int32_t StitchFlag = 0;
    // Display rows a completed course advances in the stitch view (14 large, 10 small stitches).
    std::int32_t RowAdvance = 14;
    MprogramSequencer Sequencer; // statistics off
    MJacquardBed NetBed;         // the net-rear selection of the last system (1 selected)
    // Needle states of the front (0) and rear (1) bed, consumed while the carriers knit.
    std::array<MJacquardBed, 2> StateBeds;
    // The needle states as the last system set them, before knitting consumed them.
    std::array<MJacquardBed, 2> ActionBeds;
    // 0 the front stitches, 1 the rear stitches; 2 and 3 their copies taken when a course of that
    // side was completed in the last step (no needles otherwise).
    std::array<MJacquardBed, 4> StitchBeds;
    std::int32_t Style = gsNormal;
    std::int32_t View = gvColor;
    std::int32_t RenderSide = 0; // 0 front, 1 rear
    std::int32_t DisplayRow = 1;

    // Attaches a project to the interpreter (raising, and changing nothing, without C entry 1) and
    // clears the state and stitch beds at its working width.
    void SetProject(MProject* Project);
    MProject* GetProject() const { return Sequencer.GetProject(); }
    // Restarts the interpreter and clears the beds at the working width of the start; display row 1.
    // Returns the start's result.
    int ResetTest();
    // Executes one cam system and applies it to the beds; returns the interpreter's result. A step
    // that ran no system (the program had ended, a row search stopped, a missing row) changes no
    // bed but clears the step marks and the course copies.
    int StepTest();
    // The main racking of the effective Z row: rear needle n + racking stands opposite front needle n.
    std::int32_t GetRacking() const;
    int SystemsCount() const { return Sequencer.SystemsCount(); }

    // The working width the beds are held at.
    std::int32_t Width() const { return FWidth; }

private:
    void ClearBeds(std::int32_t Width);
    void ClearStitchBed(int Index);
    void AdvanceDisplayRow();
    void SetNeedleStates(int Side, int System);
    void ApplyNetRear(int System);
    void DropUnmatchedReceives(int System);
    void Knit(std::int64_t From, std::int64_t To, std::uint32_t Code);
    void KnitSide(int Side, std::int32_t Lo, std::int32_t Hi, std::uint32_t Code);
    void Transfer();
    void Drop(int Side, std::int32_t Needle);
    void Move(int FromSide, std::int32_t From, int ToSide, std::int32_t To);
    int RenderedSide() const { return RenderSide == 1 ? 1 : 0; }

    std::int32_t FWidth = 0;
    std::array<bool, 2> FCourseArmed{};
};
