#pragma once
// JPEG files over libjpeg (the 6.2 interface of libjpeg-turbo), with rows passing in the bitmap's
// blue, green, red order. Library errors come back through a jump buffer: the library's object is
// destroyed and only then is EInvalidGraphic raised, so no exception crosses the library.

#include "imaging/ImageIO.h"

// Reads one JPEG picture from the stream's position into a 24-bit bitmap; grey files give equal
// channels and set JpegGray. A file that ends early, or whose data the library had to make up, is
// an error; so is a picture above the pixel limit or larger than its scan data can hold, refused
// before anything large is allocated, and an arithmetic-coded file. Errors raise EInvalidGraphic
// "Unrecognized JPeg - JPEG error #N"; the bitmap is replaced only when the whole picture decoded.
void ReadJPEG(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);

// Writes the picture as a JPEG file with the coding choices of the parameters; a picture of another
// depth than 24 bits is taken as 24 bits.
void WriteJPEG(ByteWriter& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);
