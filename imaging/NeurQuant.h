#pragma once
// The neural-network colour quantiser: a one-dimensional self-organising map of N neurons learns
// a palette from a pseudo-random sample of a 24-bit picture; a green-sorted index then finds the
// nearest palette entry of any colour quickly. Integer arithmetic throughout; no global state.

#include "imaging/Bitmap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct TNeuQuant {
    int netsize = 0;
    int maxnetpos = 0;
    int initrad = 0;
    int initradius = 0;
    int alphadec = 0;
    const TBitmap* picture = nullptr;
    std::int64_t lengthcount = 0;
    int samplefac = 1;
    // blue, green, red (biased by 16 while learning), then the palette index.
    std::vector<std::array<int, 4>> network;
    std::array<int, 256> netindex{};
    std::vector<int> bias;
    std::vector<int> freq;
    std::vector<int> radpower;
};

// The largest palette the quantiser learns.
constexpr int MaxNeuQuantColors = 4096;

// The sampling factor for a picture of the given number of pixels and a quality (−1 automatic).
int NeuQuantSampleFactor(std::int64_t pixels, int quality);
// The step through the picture, in pixels, for a picture of lengthcount bytes.
int NeuQuantStep(std::int64_t lengthcount);
// Learns a palette of N entries from a 24-bit picture (quality −1: automatic sampling); palette
// receives N colours. N outside 1..MaxNeuQuantColors, or a picture that is not a non-empty 24-bit one, raises
// ERangeError.
std::unique_ptr<TNeuQuant> BuildNeuQuantPalette(const TBitmap& picture, std::vector<TBGRColor>& palette,
                                                int quality, int N);
// The palette index of the entry nearest to a colour.
int NeuQuantIndex(const TNeuQuant& quantiser, TBGRColor color);
void FreeNeuQuant(std::unique_ptr<TNeuQuant>& quantiser);
