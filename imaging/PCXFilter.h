#pragma once
// PCX files: one plane of 1, 4 or 8 bits per pixel with its colour map, or three 8-bit planes of
// red, green and blue; raw or run-length coded.

#include "imaging/ImageIO.h"

#include <cstdint>

// Opens the file and reads its picture (ReadPCX over the whole file).
void ReadPCXFile(const QString& fileName, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);

// Reads one picture from the stream's position; size is the number of bytes of the file from there.
// 1-bit files whose colours are black and white (or an all-zero map) give a 1-bit picture, every
// other file a 24-bit picture in its own colours. Any fault raises EInvalidGraphic
// "unrecognized PCX"; the bitmap and the parameters change only when the whole picture decoded.
void ReadPCX(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress,
             std::int64_t size);

// Writes the picture (1 or 24 bits per pixel) at the stream's position. BitsPerSample x
// SamplesPerPixel chooses the layout: 1 bit (also whenever BitsPerSample is 1), 2 to 4 a 4-bit
// palette, 5 to 8 an 8-bit palette with its trailing map, anything above three 8-bit planes.
void WritePCX(ByteWriter& stream, const TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);

// Run-length codes count samples taken at offset, offset + stride, ... into dest (room for
// 2 x count + 2 bytes); an odd count gets a 0 sample appended. Returns the bytes written.
int EncodePCXLine(std::uint8_t* dest, const std::uint8_t* samples, int count, int stride, int offset);
