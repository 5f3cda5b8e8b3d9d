#pragma once
// The fax codings of 1-bit rows that TIFF files use: modified Huffman (compression 2, every row on
// a byte boundary), T.4 one- and two-dimensional (Group 3, compression 3) and T.6 (Group 4,
// compression 4). The TIFF reader and writer call these row by row.
//
// Rows hold one bit per pixel, the leftmost pixel in the most significant bit. Decoded rows have
// bit 1 white and bit 0 black; the encoders take bit 0 as the code's white and bit 1 as its black.
// Coded data is addressed by a bit position from the start of the strip; fill order 1 takes each
// byte's most significant bit first, fill order 2 its least significant bit first.
//
// The decoders read only the length bytes they are given: bits past them read as 0, and a row that
// needs them raises EInvalidGraphic "Invalid TIFF stream", as does a run code that matches nothing.

#include "imaging/Bitmap.h"
#include "platform/Bytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes one one-dimensional row (T.4) from the bit position; returns the position after it.
std::int64_t DecodeCCITT1D(std::uint8_t* row, const std::uint8_t* data, std::size_t length, int width,
                           int fillOrder, std::int64_t bitPos);

// Decodes one modified-Huffman row from the first bit of the data; returns the whole bytes it used.
std::size_t DecodeCCITTHuffmanRow(std::uint8_t* row, const std::uint8_t* data, std::size_t length, int width,
                                  int fillOrder);

// Decodes one two-dimensional row (T.4 two-dimensional or T.6) against the reference row from the
// bit position and returns the position after it; the decoded row is copied into the reference row
// for the next call. A strip starts with an all-white reference row (every bit 1) at position 0.
std::int64_t DecodeCCITT(std::uint8_t* row, const std::uint8_t* data, std::size_t length, int width,
                         int fillOrder, std::int64_t bitPos, std::uint8_t* reference);

// The bits of an unfinished last byte that the next row's codes continue (most significant first).
struct TCCITTCarry {
    int Bits = 0;
    std::uint8_t Byte = 0;
};

// Codes one row one-dimensionally and ends it on a byte boundary (modified Huffman).
void EncodeCCITTHuffmanRow(const std::uint8_t* row, int width, ByteWriter& stream);

// Codes one T.4 one-dimensional row: an end-of-line code, then the row's runs. The unfinished
// byte waits in the carry for the next row.
void EncodeCCITT1DRow(const std::uint8_t* row, int width, ByteWriter& stream, TCCITTCarry& carry);

// Codes one T.4 two-dimensional row: an end-of-line code and a tag bit, 1 and a one-dimensional
// row while the reference is empty (the first row), else 0 and the row coded against the
// reference. The row becomes the reference. Called with no row after the last row: one more
// end-of-line code and zero bits to the byte boundary.
void EncodeCCITT2DRow(const std::uint8_t* row, int width, ByteWriter& stream,
                      std::vector<std::uint8_t>& reference, TCCITTCarry& carry);

// Codes one T.6 row against the reference (an all-white row while it is empty); the row becomes
// the reference. Called with no row after the last row: two end-of-line codes and zero bits to
// the byte boundary.
void EncodeCCITTG4Row(const std::uint8_t* row, int width, ByteWriter& stream,
                      std::vector<std::uint8_t>& reference, TCCITTCarry& carry);
