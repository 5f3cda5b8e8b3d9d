#pragma once
// The fabric drawing of the graphic test, without a widget: after every step of the stitch
// simulation the fabric the engine holds goes into a board's picture as a row of colours (one
// picture column per needle from column 21), as the carriers' paths between two fabric lines, or as
// stitch pictures shaded from the yarn colours. The board grows upward as the fabric does, up to
// 2500 lines; then the picture moves down by 1000 lines and the engine's fabric row follows, so an
// endless program never holds more than that. The window and the shell's gtest verb draw through it;
// the owner hears of the board rows it wrote and of a board it grew or moved.
//
// The colour table holds 21 colours: entry 2(k - 1) + (r - 1) for carrier k (1..8) on rail r (1, 2),
// then the five special stitches. The colour cache file holds the same colours rail-major.

#include "app/LBoardSh.h"
#include "model/UGtstEng.h"
#include "model/UmapRect.h"
#include "platform/Bytes.h"
#include "platform/Color.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace gtcolor {
constexpr int Count = 21;
constexpr int Transfered = 16, RightTransfered = 17, LeftTransfered = 18, Opposite = 19, Fall = 20;
} // namespace gtcolor

using TGtestColors = std::array<TColor, gtcolor::Count>;

// The colours a new window starts with.
TGtestColors DefaultGtestColors();
// The file order (rail-major: (r - 1) x 8 + k - 1) from the table order, and back.
TGtestColors FileOrderOf(const TGtestColors& Table);
TGtestColors TableOrderOf(const TGtestColors& File);

// The colour cache: exactly 84 bytes, 21 little-endian signed 32-bit $00BBGGRR values in file order.
constexpr int YcCacheSize = gtcolor::Count * 4;
// The colours of a cache file's bytes; nothing for any other length.
std::optional<TGtestColors> ParseYcCache(const QByteArray& Bytes);
QByteArray YcCacheBytes(const TGtestColors& FileOrder);
// Reads the file; nothing when it is missing, unreadable or not exactly 84 bytes.
std::optional<TGtestColors> ReadYcCacheFile(const QString& FileName);
// Replaces the file at once (a temporary file renamed); false when it could not be written.
bool WriteYcCacheFile(const QString& FileName, const TGtestColors& FileOrder);

// The three shades of a yarn colour for the stitch pictures (white already turned into $FEFEFE).
std::array<TColor, 3> StitchShades(TColor Colour);

// The stitch pictures: 0 front, 1 rear, 2 R1, 3 L1, 4 R2, 5 L2.
constexpr int GlyphKinds = 6;
// The picture of a glyph at stitch size 14 or 10, with white and the four marker colours only.
const MmapRect& StitchGlyphPicture(int Size, int Glyph);

class MGtestDrawing {
public:
    MGtestDrawing(TBoardSheet& Board, MGtestEngine& Engine);

    static constexpr int FirstNeedleColumn = 21;
    static constexpr int GrowLines = 50;     // lines a colour drawing grows by
    static constexpr int BoardLimit = 2500;  // the board grows up to this many lines
    static constexpr int ScrollLines = 1000; // then moves its picture down by this many
    static constexpr int NewBoardColumns = 3000;

    TGtestColors Colors = DefaultGtestColors();
    bool LargeStitch = true;
    // The height in lines of the drawing area (the stitch drawing grows by this less 10).
    int AreaLines = 400;

    // Board rows Top..Bottom (0 the top row) were written: the owner repaints them.
    std::function<void(int Top, int Bottom)> OnRowsWritten;
    // The board grew or its picture moved: the view needs refreshing.
    std::function<void()> OnBoardChanged;

    int StitchSize() const { return LargeStitch ? 14 : 10; }
    // A white board of Columns x Lines; the needle cache cleared.
    void NewBoard(int Columns, int Lines);
    void ClearNeedleCache();
    // The 17 coloured sets of glyphs: yarn colours 1..16 and, for a stitch of no yarn, the Fall
    // stitch colour.
    void BuildStitchGlyphs();
    // The stamp of a glyph: kind -2 L2, -1 L1, 0 front, 1 R1, 2 R2, any other the rear glyph; a
    // colour outside 1..16 gives the Fall stitch glyph.
    const MmapRect& LoadStitchGlyph(int Kind, int Colour) const;

    // Draws what the last step left, by the engine's view and style.
    void DrawStep();
    void DrawColorRow();
    void DrawCarrierRow();
    void DrawStitchRow();

    // The board at least Width x Height: white lines added at the top, the picture's bottom staying.
    void GrowBoard(int Width, int Height);
    // Every line N lines down, N white lines entering at the top (nothing on a board under N lines).
    void ScrollBoardDown(int N);
    // The visible rows end at line N (N below 1 counts as 1), keeping their number.
    void ScrollViewTo(int N);

    int BoardWidth() const { return FBoard.RasterValid() ? FBoard.LastCol() + 1 : 0; }
    int BoardHeight() const { return FBoard.RasterValid() ? FBoard.LastRow() + 1 : 0; }
    // Bytes held by the board and the glyphs.
    std::size_t MemoryBytes() const;

    // The per-needle record of the stitch drawing (needle n at index n - 1).
    struct MNeedleCell {
        int Kind = 0;
        int Colour = 0;
        int KindDrawn = -1;
        int ColourDrawn = -1;
    };
    const std::vector<MNeedleCell>& NeedleCells() const { return FNeedles; }
    // Needles the last stitch drawing redrew.
    int LastRedrawn() const { return FLastRedrawn; }

private:
    TColor YarnColor(int Code) const;
    // A colour row's style colour of a stitch word (no look at the other side).
    TColor JaquardColor(std::uint32_t V) const;
    TColor TransferColor(std::uint32_t V) const;
    // Room for line Line: grows by Grow lines, or from BoardLimit on moves the picture down and
    // lowers the fabric row (and Line) by ScrollLines.
    void MakeRoom(int& Line, int Margin, int Grow);
    void WriteRow(int Line, int First, int Count);
    void RowsWritten(int Top, int Bottom);
    void Stamp(int X, int Y, const MmapRect& Glyph);

    TBoardSheet& FBoard;
    MGtestEngine& FEngine;
    ByteWriter FRow;
    std::vector<MNeedleCell> FNeedles;
    int FLastFabricRow = -1;
    int FLastRedrawn = 0;
    // 17 colours x 6 glyphs.
    std::array<std::array<MmapRect, GlyphKinds>, 17> FGlyphs;
    MmapRect FWhiteBlock;
};
