#pragma once
// One row of needle values, three bytes per needle (the pattern colours a needle bed knits in a
// system, the marks of the needle selection or the stitches of the simulation), and the loader that
// builds the pattern colours from an S line's needle setup and one line of the project's drawing.

#include "model/Ucommon.h"
#include "platform/Bytes.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class MPalette;
class MProject;
class MUnvC;

// One needle part of an N range: picture columns First .. First + Count (Count signed, 0 one column).
struct MnParts {
    std::int32_t First = 0;
    std::int32_t Count = 0;

    bool operator==(const MnParts&) const = default;
};

// Findings of the bed loader.
constexpr int pteNeedleOutsidePicture = 40; // an X entry reaches outside the picture width
constexpr int pteMissingNMember = 41;       // a reference names a missing N entry
constexpr int pteNestedReference = 42;      // a reference names another reference
constexpr int pteMissingNEntry = 53;        // an S line's N range names a missing N entry

// The widest bed the loader builds: the largest working width a machine file can hold.
constexpr std::int32_t MaxWorkingWidth = 65535;
// The working width W of a setup scheme: To - From of its first needle area, 0 when negative, at
// most MaxWorkingWidth.
std::int32_t WorkingWidth(const MUnvC& C);
// The most needles SetNeedle lengthens a row to; a needle beyond raises ERangeError.
constexpr std::int32_t BedNeedleLimit = 1 << 20;

class MJacquardBed {
public:
    MJacquardBed() = default;
    MJacquardBed(const MJacquardBed&) = delete;
    MJacquardBed& operator=(const MJacquardBed&) = delete;

    ByteWriter Needles;                // needle n at bytes (n - 1) * 3 .. + 2, most significant first
    const MPalette* Palette = nullptr; // the project's palette, not owned
    std::int32_t NeedleMin = 0;        // the extent of the parts built so far; 0 none
    std::int32_t NeedleMax = 0;
    std::int32_t CachedLine = 0;  // the pattern line last loaded; 0 none
    std::int32_t CachedSLine = 0; // the S line whose parts are built; 0 none
    std::vector<MnParts> Parts;
    // Sees every finding the loader records (the interpreter logs them); may be empty.
    std::function<void(const MPTerror&)> FindingLog;

    // The number of needles held.
    std::int32_t Width() const { return std::int32_t(Needles.Size() / 3); }

    // Copies the needles, the palette link and the caches (neither the parts nor the extent).
    void Assign(const MJacquardBed& Source);
    void ClearParts() { Parts.clear(); }
    // Writes the low 24 bits of Value at the needle; a needle beyond the end lengthens the row (the
    // gap filled with 0); a needle below 1 writes nothing.
    void SetNeedle(int Needle, std::uint32_t Value);
    // The 24-bit value of the needle; 0 outside 1..Width.
    std::uint32_t GetNeedle(int Needle) const;
    // Widens the extent by the columns A..B (A <= B) when A is above 0.
    void ExtendRange(std::int32_t A, std::int32_t B);
    // Removes every needle.
    void ClearNeedles();

    // Builds the needle colours of pattern line Line for S line SLine: the S line's N range gives
    // the picture columns that lie side by side on the bed, repeated across the working width of
    // C entry 1. Findings 40, 41, 42 and 53 go into Finding. Never raises. Nothing happens for a
    // Line below 1, without a project, or when Line and SLine are those held.
    void LoadJacquardRow(MProject* Project, MPTerror& Finding, int Line, int SLine);

    // Sets a finding (code 5030, the finding number as subcode) and shows it to FindingLog.
    void RecordFinding(MPTerror& Finding, int Id, const QString& Args, int ListKind, int Number) const;

private:
    void BuildParts(MProject& Project, MPTerror& Finding, int SLine);
    void ReadRow(MProject& Project, int Line);
};
