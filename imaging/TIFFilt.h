#pragma once
// TIFF files (".tif", ".tiff"): one picture read from a file of one or more images, either byte
// order, strips chunky or planar, uncompressed, PackBits or the fax codings; pictures written as
// single-picture files or added to an Intel-ordered file.

#include "imaging/ImageIO.h"

// Reads the picture of directory TiffImageIndex (from 0) into the bitmap and sets the image count
// to the number of directories in the chain. When the chain has no directory of that number the
// bitmap and the parameters stay as they were; only the count is set. Errors raise EInvalidGraphic
// ("unrecognized TIFF", "Invalid TIFF stream", "LZW Decompressor not found"); the bitmap is
// replaced only when the whole picture decoded.
void ReadTIFF(ByteReader& stream, TBitmap& bitmap, int& imageCount, TProgressRec& progress,
              TIOParamsVals& params);

// Writes the picture at the stream's position as a new file (append false), or adds it to the
// Intel-ordered file that the stream holds from its position (append true), linked in as image
// TiffImageIndex of the chain (at the end when the chain is shorter). Returns the number of
// pictures in the file after writing. A 1-bit picture is written when BitsPerSample and
// SamplesPerPixel are 1, else a 24-bit one; TiffCompression chooses the coding.
int WriteTIFF(ByteWriter& stream, bool append, const TBitmap& bitmap, TProgressRec& progress,
              TIOParamsVals& params);
