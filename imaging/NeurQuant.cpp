#include "imaging/NeurQuant.h"

#include "platform/Color.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int netbiasshift = 4;
constexpr int intbiasshift = 16;
constexpr int gammashift = 10;
constexpr int betashift = 10;
constexpr int beta = (1 << intbiasshift) >> betashift; // 64
constexpr int betagamma = (1 << intbiasshift);         // 65536
constexpr int radiusbiasshift = 6;
constexpr int radiusdec = 30;
constexpr int initalpha = 1 << 10;
constexpr int radbias = 1 << 8;
constexpr int alpharadbias = 1 << 18;
constexpr int prime1 = 499, prime2 = 491, prime3 = 487, prime4 = 503;

void ComputeRadpower(TNeuQuant& q, int alpha, int rad) {
    const std::int64_t rad2 = std::int64_t(rad) * rad;
    for (int j = 0; j < rad; ++j)
        q.radpower[std::size_t(j)] = int(alpha * (((rad2 - std::int64_t(j) * j) * radbias) / rad2));
}

// Finds the closest neuron (for the frequency update) and the best biased one (the winner).
int Contest(TNeuQuant& q, int b, int g, int r) {
    int bestd = INT32_MAX, bestbiasd = INT32_MAX;
    int bestpos = -1, bestbiaspos = -1;
    for (int i = 0; i < q.netsize; ++i) {
        const auto& n = q.network[std::size_t(i)];
        const int dist = std::abs(n[0] - b) + std::abs(n[1] - g) + std::abs(n[2] - r);
        if (dist < bestd) {
            bestd = dist;
            bestpos = i;
        }
        int& bias = q.bias[std::size_t(i)];
        int& freq = q.freq[std::size_t(i)];
        const int biasdist = dist - (bias >> (intbiasshift - netbiasshift));
        if (biasdist < bestbiasd) {
            bestbiasd = biasdist;
            bestbiaspos = i;
        }
        const int betafreq = freq >> betashift;
        freq -= betafreq;
        bias += betafreq << gammashift;
    }
    q.freq[std::size_t(bestpos)] += beta;
    q.bias[std::size_t(bestpos)] -= betagamma;
    return bestbiaspos;
}

void AlterSingle(TNeuQuant& q, int alpha, int i, int b, int g, int r) {
    auto& n = q.network[std::size_t(i)];
    n[0] -= int((std::int64_t(alpha) * (n[0] - b)) / initalpha);
    n[1] -= int((std::int64_t(alpha) * (n[1] - g)) / initalpha);
    n[2] -= int((std::int64_t(alpha) * (n[2] - r)) / initalpha);
}

void AlterNeigh(TNeuQuant& q, int rad, int i, int b, int g, int r) {
    const int lo = std::max(i - rad, -1);
    const int hi = std::min(i + rad, q.netsize);
    int j = i + 1, k = i - 1, m = 1;
    auto move = [&](std::array<int, 4>& n, int a) {
        n[0] -= int((std::int64_t(a) * (n[0] - b)) / alpharadbias);
        n[1] -= int((std::int64_t(a) * (n[1] - g)) / alpharadbias);
        n[2] -= int((std::int64_t(a) * (n[2] - r)) / alpharadbias);
    };
    while (j < hi || k > lo) {
        const int a = q.radpower[std::size_t(m++)];
        if (j < hi)
            move(q.network[std::size_t(j++)], a);
        if (k > lo)
            move(q.network[std::size_t(k--)], a);
    }
}

void Learn(TNeuQuant& q) {
    const TBitmap& pic = *q.picture;
    const int width = pic.Width();
    const std::int64_t pixels = q.lengthcount / 3;
    const std::int64_t samplepixels = q.lengthcount / (3 * std::int64_t(q.samplefac));
    // Tiny pictures sample fewer than 100 pixels: the decay then runs after every sample.
    const std::int64_t delta = std::max<std::int64_t>(samplepixels / 100, 1);
    int alpha = initalpha;
    int radius = q.initradius;
    int rad = radius >> radiusbiasshift;
    if (rad <= 1)
        rad = 0;
    ComputeRadpower(q, alpha, rad);
    const std::int64_t step = NeuQuantStep(q.lengthcount) % pixels;
    std::int64_t p = 0;
    for (std::int64_t i = 0; i < samplepixels;) {
        const std::uint8_t* px = pic.ScanLine(int(p / width)) + (p % width) * 3;
        const int b = px[0] << netbiasshift;
        const int g = px[1] << netbiasshift;
        const int r = px[2] << netbiasshift;
        const int j = Contest(q, b, g, r);
        AlterSingle(q, alpha, j, b, g, r);
        if (rad)
            AlterNeigh(q, rad, j, b, g, r);
        // The step wraps around the picture, however small the picture is.
        p += step;
        if (p >= pixels)
            p -= pixels;
        ++i;
        if (i % delta == 0) {
            alpha -= alpha / q.alphadec;
            radius -= radius / radiusdec;
            rad = radius >> radiusbiasshift;
            if (rad <= 1)
                rad = 0;
            ComputeRadpower(q, alpha, rad);
        }
    }
}

void Unbias(TNeuQuant& q) {
    for (int i = 0; i < q.netsize; ++i) {
        auto& n = q.network[std::size_t(i)];
        for (int k = 0; k < 3; ++k)
            n[std::size_t(k)] = int(std::uint32_t(n[std::size_t(k)]) >> netbiasshift);
        n[3] = i;
    }
}

void BuildIndex(TNeuQuant& q) {
    int previouscol = 0, startpos = 0;
    for (int i = 0; i < q.netsize; ++i) {
        int smallpos = i;
        int smallval = q.network[std::size_t(i)][1];
        for (int j = i + 1; j < q.netsize; ++j)
            if (q.network[std::size_t(j)][1] < smallval) {
                smallpos = j;
                smallval = q.network[std::size_t(j)][1];
            }
        if (i != smallpos)
            std::swap(q.network[std::size_t(i)], q.network[std::size_t(smallpos)]);
        smallval = std::clamp(smallval, 0, 255);
        if (smallval != previouscol) {
            q.netindex[std::size_t(previouscol)] = (startpos + i) >> 1;
            for (int j = previouscol + 1; j < smallval; ++j)
                q.netindex[std::size_t(j)] = i;
            previouscol = smallval;
            startpos = i;
        }
    }
    q.netindex[std::size_t(previouscol)] = (startpos + q.maxnetpos) >> 1;
    for (int j = previouscol + 1; j < 256; ++j)
        q.netindex[std::size_t(j)] = q.maxnetpos;
}

} // namespace

int NeuQuantSampleFactor(std::int64_t pixels, int quality) {
    if (quality == -1) {
        if (pixels < 2000)
            return 1;
        const double f = double(pixels - 2000) * 13.0 / 148000.0 + 2.0;
        return f >= 30 ? 30 : std::max(1, int(Round(f)));
    }
    const int f = int(std::trunc((100 - quality) * 0.01 * 29)) + 1;
    return std::clamp(f, 1, 30);
}

int NeuQuantStep(std::int64_t lengthcount) {
    if (lengthcount % prime1 != 0)
        return prime1;
    if (lengthcount % prime2 != 0)
        return prime2;
    if (lengthcount % prime3 != 0)
        return prime3;
    return prime4;
}

std::unique_ptr<TNeuQuant> BuildNeuQuantPalette(const TBitmap& picture, std::vector<TBGRColor>& palette,
                                                int quality, int N) {
    if (N < 1 || N > MaxNeuQuantColors)
        throw ERangeError(QStringLiteral("Invalid palette size"));
    if (picture.PixelFormat() != pf24bit || picture.Empty())
        throw ERangeError(QStringLiteral("The quantiser needs a 24-bit picture"));
    auto q = std::make_unique<TNeuQuant>();
    q->netsize = N;
    q->maxnetpos = N - 1;
    q->initrad = N >> 3;
    q->initradius = q->initrad << radiusbiasshift;
    q->picture = &picture;
    q->lengthcount = std::int64_t(picture.Width()) * picture.Height() * 3;
    q->samplefac = NeuQuantSampleFactor(q->lengthcount / 3, quality);
    q->alphadec = 30 + (q->samplefac - 1) / 3;
    q->network.assign(std::size_t(N), {0, 0, 0, 0});
    q->bias.assign(std::size_t(N), 0);
    q->freq.assign(std::size_t(N), 65536 / N);
    q->radpower.assign(std::size_t(q->initrad), 0);
    for (int i = 0; i < N; ++i) {
        const int v = (i << (netbiasshift + 8)) / N;
        q->network[std::size_t(i)] = {v, v, v, 0};
    }
    Learn(*q);
    Unbias(*q);
    palette.resize(std::size_t(N));
    for (int i = 0; i < N; ++i) {
        const auto& n = q->network[std::size_t(i)];
        palette[std::size_t(i)] = TBGRColor{std::uint8_t(n[0]), std::uint8_t(n[1]), std::uint8_t(n[2])};
    }
    BuildIndex(*q);
    return q;
}

int NeuQuantIndex(const TNeuQuant& q, TBGRColor color) {
    const int b = color.b, g = color.g, r = color.r;
    int bestd = 1000, best = -1;
    int i = q.netindex[std::size_t(g)];
    int j = i - 1;
    // A neuron whose green distance is below the best: it becomes the best when its whole distance is.
    const auto consider = [&](const auto& p, int dist) {
        dist = std::abs(dist) + std::abs(p[0] - b);
        if (dist < bestd) {
            dist += std::abs(p[2] - r);
            if (dist < bestd) {
                bestd = dist;
                best = p[3];
            }
        }
    };
    while (i < q.netsize || j >= 0) {
        if (i < q.netsize) {
            const auto& p = q.network[std::size_t(i)];
            const int dist = p[1] - g;
            if (dist >= bestd)
                i = q.netsize;
            else {
                ++i;
                consider(p, dist);
            }
        }
        if (j >= 0) {
            const auto& p = q.network[std::size_t(j)];
            const int dist = g - p[1];
            if (dist >= bestd)
                j = -1;
            else {
                --j;
                consider(p, dist);
            }
        }
    }
    return best < 0 ? 0 : best;
}

void FreeNeuQuant(std::unique_ptr<TNeuQuant>& quantiser) {
    quantiser.reset();
}
