#pragma once
// A view of the rows of a 24-bit picture (three bytes per pixel: blue, green, red), top row first,
// that a picture hands over without copying its pixels. A picture that stores its rows bottom-up
// (a BMP image in memory) points the view at its last stored row and gives a negative stride; one
// that stores them top-down gives a positive stride. The view is valid until the picture changes
// size or is freed; it owns nothing.

#include <cstddef>
#include <cstdint>

struct MRowView {
    std::uint8_t* Top = nullptr; // the first pixel of the top row
    std::ptrdiff_t Stride = 0;   // bytes from one row to the next row below it
    std::int32_t Width = 0;      // pixels per row
    std::int32_t Height = 0;     // rows

    bool IsEmpty() const { return Top == nullptr || Width <= 0 || Height <= 0; }
    // The first pixel of row Y (0 the top row); Y must lie in 0..Height - 1.
    std::uint8_t* Row(int Y) const { return Top + std::ptrdiff_t(Y) * Stride; }
};
