#pragma once
// JPEG files over libjpeg (the 6.2 interface of libjpeg-turbo), with rows passing in the bitmap's
// blue, green, red order. Library errors come back through a jump buffer: the library's object is
// destroyed and only then is EInvalidGraphic raised, so no exception crosses the library.

#include "imaging/ImageIO.h"

// Reads one JPEG picture from the stream's position into a 24-bit bitmap; grey files give equal
// channels and set JpegGray. A file that ends early is an error. Errors raise EInvalidGraphic
// "Unrecognized JPeg - JPEG error #N"; the bitmap is replaced only when the whole picture decoded.
void ReadJPEG(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);

// Writes the picture as a JPEG file with the coding choices of the parameters.
void WriteJPEG(ByteWriter& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);
