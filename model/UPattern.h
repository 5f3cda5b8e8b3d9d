#pragma once
// The pattern drawing of a project as the model reads it: its size and its rows turned into runs of
// needle colours. A needle row is a run of entries of three bytes, one per needle, in the byte order
// of the picture's pixels (colour >> 16, colour >> 8, colour: blue, green, red), written into a
// ByteWriter at its position. Needle n is picture column n - 1; pattern line L is the picture row
// Height - L counted from the top, so line 1 is the bottom row.

#include "model/URowView.h"
#include "platform/Bytes.h"
#include "platform/Color.h"

#include <cstdint>

constexpr int NeedleEntrySize = 3;
// The most entries one needle-row read or repeat produces; a longer request raises ERangeError
// instead of asking for gigabytes (the widest working width a machine file holds is 65535).
constexpr std::int64_t NeedleRowLimit = std::int64_t(1) << 20;

// What the model asks of a drawing. The drawing window implements it over its board; the in-memory
// project and the tools implement it over a raster picture (MRasterPattern).
class MPatternSource {
public:
    virtual ~MPatternSource() = default;
    // The picture's size in pixels: columns (needles) and rows (pattern lines).
    virtual int ImageWidth() const = 0;
    virtual int ImageHeight() const = 0;
    // Appends the colours of needles First .. First + Offset of pattern line Line (right to left
    // for a negative Offset) and returns how many entries it appended. Needles left of needle 1 are
    // dropped and not counted; needles right of the picture and lines outside it give the filler
    // colour.
    virtual int ReadNeedleRow(ByteWriter& Stream, int Line, int First, int Offset) = 0;
    // Repeats the first Period entries of Stream right after them, whole copies, until at least
    // Total entries stand in it; nothing for a Period below 1 or at least Total.
    virtual void RepeatNeedleRow(ByteWriter& Stream, int Period, int Total) = 0;
};

// The needle-row reads and writes over a raster picture's row view; the picture is not owned.
class MRasterPattern : public MPatternSource {
public:
    MRasterPattern() = default;
    explicit MRasterPattern(const MRowView& View) : FView(View) {}

    // The colour of needles beyond the picture and of lines outside it.
    TColor FillerColor = 0;

    void SetView(const MRowView& View) { FView = View; }
    const MRowView& View() const { return FView; }

    int ImageWidth() const override { return FView.IsEmpty() ? 0 : FView.Width; }
    int ImageHeight() const override { return FView.IsEmpty() ? 0 : FView.Height; }
    int ReadNeedleRow(ByteWriter& Stream, int Line, int First, int Offset) override;
    void RepeatNeedleRow(ByteWriter& Stream, int Period, int Total) override;
    // Writes the first entries of Stream (read from its start) into pattern line Line from needle
    // First on: Count entries, cut at the picture's right edge and to the entries the stream holds.
    // Nothing for a line outside the picture, a needle outside it or a Count below 1. Only the
    // picture's pixels change.
    void WriteNeedleRow(const ByteWriter& Stream, int Line, int First, int Count);

private:
    MRowView FView;
};

// Appends N entries of Colour at the stream's position (nothing for N below 1); N above
// NeedleRowLimit raises ERangeError without writing.
void WriteColorRun(ByteWriter& Stream, TColor Colour, int N);

// The number of entries ReadNeedleRow(Line, First, Offset) gives, whatever the picture: the needles
// First .. First + Offset with those left of needle 1 dropped.
std::int64_t NeedleRowCount(std::int64_t First, std::int64_t Offset);
