#pragma once
// A rectangular 24-bit picture held in memory as a complete BMP file image (file header, information
// header, rows bottom-up padded to 4 bytes, blue-green-red), so that it can be handed to picture code
// as bytes and addressed pixel by pixel at the same time. The drawing windows keep their selection and
// pasted picture in it, with the settings they keep beside the picture.

#include "model/URowView.h"
#include "platform/Color.h"

#include <QByteArray>

#include <cstdint>

class MmapRect {
public:
    static constexpr int FileHeaderSize = 14;
    static constexpr int InfoHeaderSize = 40;
    static constexpr int HeadersSize = FileHeaderSize + InfoHeaderSize;

    MmapRect() = default;

    QByteArray Pixels;       // the BMP file image
    qsizetype PixelPos = 0;  // the stream position of ReadPixel and WritePixel
    std::int32_t Width = 0;  // pixels
    std::int32_t Height = 0; // pixels
    // Settings the drawing windows keep with the picture.
    std::int32_t RepeatX = 1;  // horizontal repeat count
    std::int32_t RepeatY = 1;  // vertical repeat count
    std::int32_t ClickedX = 0; // the clicked cell, target of a diagonal repeat
    std::int32_t ClickedY = 0;
    bool Diagonal = false;
    bool Transparent = false;
    TColor TransparentColor = 0; // compared with the pixels when the picture is put down
    bool Floating = false;
    std::int32_t PosX = 0; // position in cells
    std::int32_t PosY = 0;

    // Bytes per row: 3 x Width rounded up to a multiple of 4.
    qsizetype Stride() const;
    // Makes the stream a blank (black) picture of the current Width and Height. A size that cannot
    // be held raises ERangeError and leaves the picture as it was.
    void InitPixels();
    // The same, used after a quarter turn has exchanged Width and Height; the old pixels are lost.
    void DrawTo() { InitPixels(); }
    // Positions the stream on pixel (X, Y), row 0 the top row; false (stream not moved) outside.
    bool SeekCell(int X, int Y);
    // The pixel at the stream position as a colour value (red in the low byte); advances by 3.
    // Reading past the end raises EReadError.
    TColor ReadPixel();
    // Writes the colour's blue, green and red bytes at the stream position; advances by 3. Writing
    // past the end raises EWriteError.
    void WritePixel(TColor Color);
    // The colour at (X, Y); 0 outside the picture.
    TColor GetPixel(int X, int Y);
    // Writes the pixel when (X, Y) lies inside; nothing otherwise.
    void SetPixel(int X, int Y, TColor Color);
    // Every pixel, row by row from row 0.
    void Fill(TColor Color);
    // Copies the stream contents and every setting.
    void Assign(const MmapRect& Source);
    // The rows top-down without a copy: the view starts at the last stored row and steps back by the
    // stride. Empty while the stream holds no picture of the current size. Valid until the picture
    // changes size, is assigned to or is copied.
    MRowView RowView();
};
