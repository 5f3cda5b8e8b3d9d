#pragma once
// GIF files: the block structure, colour tables, graphic control extension and image descriptor.
// The LZW coding of the image data goes through the decoder and encoder hooks of the parameters;
// the station sets neither, so every read stops with "LZW decompressor not found" and every write
// with "LZW compressor not found" once the parts before the image data are handled.

#include "imaging/ImageIO.h"

// How far a read came, for showing what it read before it stopped.
struct TGifReadStages {
    bool Header = false;     // version and screen size
    bool Background = false; // the global table and the background colour
    bool Image = false;      // the wanted image's position, size and control fields
};

// Reads image GifImageIndex of the file at the stream's position into the bitmap, filling the
// parameters step by step as it goes; imageCount receives the number of images met before the
// trailer. A file that ends before the wanted image raises "GIF image not found"; a wrong
// signature, or a file cut inside its header, a table or a descriptor, "unrecognized GIF". The
// bitmap changes only when the image decoded.
void ReadGIF(ByteReader& stream, TBitmap& bitmap, int& imageCount, TProgressRec& progress,
             TIOParamsVals& params, TGifReadStages* stages = nullptr);

// Writes the picture (1 or 24 bits per pixel) as a one-image file with 2^BitsPerSample colours
// (BitsPerSample taken into 1..8). A picture wider or higher than 65535 pixels raises
// "GIF picture too large" before anything is written.
void WriteGIF(ByteWriter& stream, const TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress);
