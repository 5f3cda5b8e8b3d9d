#pragma once
// The board's picture formats: loading and saving pictures through the image library, a blank
// picture, the colour operations (reduce, grey, black and white, resample, canvas, colour count,
// mapping onto a palette) and the exchange pictures of the sibling program. Every picture that
// enters the raster has the reserved colour replaced by its substitute while the board belongs to
// the main window, and every picture that leaves it has it put back, on a copy.
//
// Nothing drawn is lost by a failure: a load, import or operation works on a picture of its own and
// replaces the raster only when it succeeded; a save writes through the image library, which
// replaces the old file only when the new one is complete.

#include "app/LBoardSh.h"
#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// The exchange table of the sibling program's pictures, in palette order.
extern const std::array<TColor, 16> ExchangeTable;

// The process-wide 16-colour palette that 16-colour BMP files are written with: the image library's
// default 4-bit palette until SetPalette16 replaces entries.
const std::vector<TBGRColor>& Palette16();
// Sets the first Count entries (at most 16) to the given colours.
void SetPalette16(const TColor* Colours, int Count);

// The distance of a cell's colour from a palette colour: the sum over red, green and blue of 0 when
// equal, 200 when the cell's component is 0, else |p - x| x 100 div x.
int PaletteDistance(TColor Cell, TColor Entry);
// The colour of the first palette entry nearest to the cell (strictly smaller wins, starting from
// 1000); the cell's own colour when the best distance is 0 or no entry comes below 1000.
TColor MappedColor(TColor Cell, const TColor* Palette, int Count);

// A 4-bit copy of a 24-bit picture with the given table: each pixel its exact entry, else the nearest
// (first on ties).
TBitmap FourBitPicture(const TBitmap& Picture, const std::vector<TBGRColor>& Table);

// The wait cursor while an object lives (nothing without a widget application).
class THourglass {
public:
    THourglass();
    ~THourglass();
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;

private:
    bool FOn = false;
};

// The catalogue texts of the board (code 11).
namespace boardmsg {
constexpr int Code = 11;
constexpr int NoReader = 3401;     // (name): no reader takes the file's type
constexpr int ExportFailed = 3402; // (name)
constexpr int ImportFailed = 3403; // (name)
constexpr int SizeRefused = 3404;  // a picture of that size cannot be made
// The slot of SizeRefused: "W x H".
QString SizeArg(std::int64_t Width, std::int64_t Height);
} // namespace boardmsg

class TBoardFormats : public TBoardSheet {
public:
    TBoardFormats();
    ~TBoardFormats() override;

    TImageProc OImageProc;
    TImageIO OImageIO;

    // The reserved colour and its substitute in force: the main window's pair while the board belongs
    // to it, else both 0 (no replacement while they are equal).
    TColor ReservedColor() const { return FReserved; }
    TColor SubstituteColor() const { return FSubstitute; }
    void SetOwnedByMain(bool Value);
    TColor NewPictureColor;

    bool Modified = false;
    bool ChangedSinceAutosave = false;

    // ---- The descendants' work.
    virtual void SaveUndo() {}
    virtual void ClearUndo() {}
    virtual void HomePosition() {}
    virtual void ApplyPaste() {}

    // ---- Pictures in and out. Each raises the image library's error or an MException and then
    // leaves the board as it was.
    void LoadImageFile(const QString& FileName);
    // Takes the picture of a picture component (the board's own or a scanner's): a copy of its
    // attached bitmap, whose parameters the board's component takes when it is another.
    void AdoptPicture(TImageIO& IO);
    void NewImage(int Width, int Height);
    // Format 1 a 24-bit BMP, 20 a 16-colour BMP through Palette16, any other through the writer of
    // the name's extension. The modified mark is cleared only on success.
    void SaveImageFile(const QString& FileName, int Format);
    // The exchange pictures: a 4-bit BMP with the exchange table, mapped onto it first (one undo
    // step) when Mapped; and a picture read into the board. A failure raises MException 11/3402 or
    // 11/3403 and changes neither the drawing nor the file.
    void ExportPicture(const QString& FileName, bool Mapped);
    void ImportPicture(const QString& FileName);

    // ---- Colours and operations.
    // Every pixel of Picture equal to From becomes To; nothing while the reserved pair is equal.
    void ReplaceColor(TBitmap& Picture, TColor From, TColor To) const;
    // Rewrites every cell whose nearest palette colour lies strictly between 0 and 1000 away (one
    // undo step).
    void MapColorsToPalette(const TColor* Palette, int Count);
    // 502 reduce to Param colours, 505 grey, 506 black and white (Param 507 threshold, 508 dither),
    // 509 resample to Param x Param2, 510 canvas Param x Param2 anchored bottom-left; the raster is
    // replaced only when the operation succeeded.
    void ImageOperation(int Operation, int Param = 0, int Param2 = 0);
    void ReduceColors(int N);
    void GrayScale() { ImageOperation(505); }
    void BlackWhite(int Method) { ImageOperation(506, Method); }
    void StretchImage(int Width, int Height);
    void ResizeCanvas(int Width, int Height);
    int ColorCount();

    int ImageWidth() const { return LastCol() + 1; }
    int ImageHeight() const { return LastRow() + 1; }
    virtual void SetFileName(const QString& Name) { FFileName = Name; }
    QString GetFileName() const { return FFileName; }

    // The picture as it leaves the board: a copy with the reserved colour put back. Kept as intended:
    // a genuine substitute colour in the drawing leaves as the reserved colour too.
    TBitmap OutgoingPicture() const;
    // The same with a floating paste composed in but not committed (the desktop autosave).
    virtual TBitmap PictureWithPaste() const { return OutgoingPicture(); }

protected:
    // Takes a picture into the raster: in the raster's form, the view set provisionally.
    void RasterFromBitmap(TBitmap&& Picture);
    // A new picture of another size came in; the window takes (W + 4) x (H + 4) pixels.
    virtual void PictureAdopted() {}
    // Marks the picture changed and repaints the view.
    void PictureChanged();

private:
    // The raster's form of a picture: 24 bits, the reserved colour replaced.
    void MakeRasterForm(TBitmap& Picture) const;
    void CheckNewSize(std::int64_t Width, std::int64_t Height) const;
    // Loads a file into Picture with a component of its own; the component's parameters come back
    // in Params.
    void ReadPicture(const QString& FileName, TBitmap& Picture, TImageIO& IO) const;
    void TakeProcessed(TBitmap&& Picture);

    TColor FReserved = 0;
    TColor FSubstitute = 0;
    QString FFileName;
};
