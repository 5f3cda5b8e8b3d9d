#pragma once
// Device-independent bitmap files (".bmp"): Windows files with the 40-byte information header or a
// longer one, OS/2 files with the 12-byte core header; uncompressed, RLE8, RLE4 or bit fields.

#include "imaging/ImageIO.h"

#include <cstdint>
#include <vector>

// Reads one picture from the stream's position. Size is the number of bytes of the file from there
// (0 or less: not given). Any fault of the file raises EInvalidGraphic "unrecognized BMP"; the
// bitmap is replaced only when the whole picture decoded.
void ReadBMP(ByteReader& stream, TBitmap& bitmap, std::int64_t size, TProgressRec& progress,
             TIOParamsVals& params);

// Writes one picture at the stream's position, 1, 4, 8 or 24 bits per pixel as the parameters ask,
// and leaves the stream at its end. A bitmap of neither 1 nor 24 bits is taken as 24 bits.
void WriteBMP(ByteWriter& stream, const TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);

// Expand run-length coded indices into a 24-bit bitmap of the picture's size, bottom row first,
// each index through the colour table (count entries). A run, move or index outside the picture
// or the table, and data that end before the picture does, raise EInvalidGraphic.
void DecodeRLE8(TBitmap& bitmap, const std::uint8_t* data, std::size_t length, TProgressRec& progress,
                const TBGRColor* colorMap, int count);
void DecodeRLE4(TBitmap& bitmap, const std::uint8_t* data, std::size_t length, TProgressRec& progress,
                const TBGRColor* colorMap, int count);

// Compress one row of palette indices (one index per byte) and append the codes to output, the
// closing 0, 0 included; returns the number of bytes appended.
int EncodeRLE8Row(const std::uint8_t* indices, int count, std::vector<std::uint8_t>& output);
int EncodeRLE4Row(const std::uint8_t* indices, int count, std::vector<std::uint8_t>& output);
