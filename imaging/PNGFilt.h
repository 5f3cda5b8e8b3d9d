#pragma once
// PNG files over libpng. Library errors come back through its jump buffer: the library's objects
// are destroyed and only then is EInvalidGraphic raised, so no exception crosses the library.

#include "imaging/ImageIO.h"

// Reads one PNG picture from the stream's position. 1-bit files whose colours are black and white
// become 1-bit pictures, every other file a 24-bit picture whose transparent parts are composed
// over the file's background (else PngBackground). A picture above the pixel limit, or larger than
// its image data can inflate to, is refused before anything large is allocated. Errors raise
// EInvalidGraphic "Unrecognized PNG"; the bitmap is replaced only when the whole picture decoded.
void ReadPNG(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);

// Writes the picture as a PNG file (a picture of neither 1 nor 24 bits is taken as 24 bits): 1 bit
// when BitsPerSample is 1, a palette of 256 entries when SamplesPerPixel is 1, else colour. Errors raise
// EInvalidGraphic "Error on creating PNG".
void WritePNG(ByteWriter& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);
