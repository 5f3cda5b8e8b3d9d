#pragma once
// Geometry of pictures: our deterministic stretch, the separable filtered resampling with its
// kernels, quarter turns and the 1-bit rotation.

#include "imaging/Bitmap.h"
#include "imaging/ImgUtils.h"

enum TResampleFilter { rfNone, rfTriangle, rfHermite, rfBell, rfBSpline, rfLanczos3, rfMitchell };

// The kernel value at distance t (source pixels) and its support.
double FilterKernel(TResampleFilter filter, double t);
double FilterSupport(TResampleFilter filter);

// One entry of a contributor list: a source index and its weight.
struct TContributor {
    int Index;
    double Weight;
};
// The contributor list of every destination index for a pass from sourceSize to destSize;
// indices past the edges are reflected and then kept inside the source.
std::vector<std::vector<TContributor>> BuildContributors(int sourceSize, int destSize,
                                                         TResampleFilter filter);

// A plain stretch: each axis is averaged over the area each destination pixel covers when it
// shrinks, and its pixels are repeated when it grows, so that pattern cells stay crisp. Destination
// must already have its size; it takes the source's pixel format. 1-bit pixels become white when at
// least half their area is white.
void StretchBitmap(const TBitmap& source, TBitmap& dest);
// The filtered resampling of a 24-bit source into a destination of the new size (nothing for
// another pixel format or an empty picture).
void ResampleFiltered(const TBitmap& source, TBitmap& dest, TResampleFilter filter, QObject* sender,
                      const TProgressEvent& progress);
// As ResampleFiltered, except that a shrinking pass uses the stretch instead of the filter.
void ResampleFast(const TBitmap& source, TBitmap& dest, TResampleFilter filter, QObject* sender,
                  const TProgressEvent& progress);

// Quarter turns: the destination takes the source's format and the exchanged size. 24- and 1-bit
// pixels are moved.
void Rotate90Clockwise(const TBitmap& source, TBitmap& dest);
void Rotate90CounterClockwise(const TBitmap& source, TBitmap& dest);
// Rotates a 1-bit picture by inverse nearest-pixel mapping; uncovered pixels take the fill bit.
void Rotate1Bit(TBitmap& bitmap, bool fillBit, TProgressRec& progress, double angle);
// Rotates a 24-bit picture by whole degrees (positive counter-clockwise): quarter turns, then
// three shears for the rest of at most 45 degrees, the uncovered corners filled with background;
// with antiAlias each shear blends neighbouring pixels. An empty picture is left alone.
void RotateShear(TBitmap& picture, int angle, bool antiAlias, TBGRColor background, TProgressRec& progress);
