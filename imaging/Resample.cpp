#include "imaging/Resample.h"

#include "imaging/ImageProc.h"
#include "platform/Color.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

// ---- Kernels ----

double FilterSupport(TResampleFilter filter) {
    switch (filter) {
    case rfNone:
        return 0.0;
    case rfTriangle:
    case rfHermite:
        return 1.0;
    case rfBell:
        return 1.5;
    case rfBSpline:
    case rfMitchell:
        return 2.0;
    case rfLanczos3:
        return 3.0;
    }
    return 0.0;
}

namespace {

double Sinc(double x) {
    if (x == 0.0)
        return 1.0;
    x *= std::numbers::pi;
    return std::sin(x) / x;
}

} // namespace

double FilterKernel(TResampleFilter filter, double t) {
    t = std::fabs(t);
    switch (filter) {
    case rfNone:
        return 0.0;
    case rfTriangle:
        return t < 1.0 ? 1.0 - t : 0.0;
    case rfHermite:
        return t < 1.0 ? (2.0 * t - 3.0) * t * t + 1.0 : 0.0;
    case rfBell:
        if (t < 0.5)
            return 0.75 - t * t;
        if (t < 1.5)
            return 0.5 * (t - 1.5) * (t - 1.5);
        return 0.0;
    case rfBSpline:
        if (t < 1.0)
            return 0.5 * t * t * t - t * t + 2.0 / 3.0;
        if (t < 2.0)
            return (2.0 - t) * (2.0 - t) * (2.0 - t) / 6.0;
        return 0.0;
    case rfLanczos3:
        return t < 3.0 ? Sinc(t) * Sinc(t / 3.0) : 0.0;
    case rfMitchell:
        if (t < 1.0)
            return (7.0 * t * t * t - 12.0 * t * t + 16.0 / 3.0) / 6.0;
        if (t < 2.0)
            return (-7.0 / 3.0 * t * t * t + 12.0 * t * t - 20.0 * t + 32.0 / 3.0) / 6.0;
        return 0.0;
    }
    return 0.0;
}

std::vector<std::vector<TContributor>> BuildContributors(int sourceSize, int destSize,
                                                         TResampleFilter filter) {
    std::vector<std::vector<TContributor>> lists(std::size_t(std::max(destSize, 0)));
    if (sourceSize <= 0 || destSize <= 0)
        return lists;
    const double scale = double(destSize) / double(sourceSize);
    const double support = FilterSupport(filter);
    for (int i = 0; i < destSize; ++i) {
        const double center = double(i) / scale;
        double reach = support;
        double fscale = 1.0;
        if (scale < 1.0) {
            reach = support / scale;
            fscale = 1.0 / scale;
        }
        auto& list = lists[std::size_t(i)];
        const int left = FloorExt(center - reach);
        const int right = CeilExt(center + reach);
        list.reserve(std::size_t(right - left + 1));
        for (int j = left; j <= right; ++j) {
            const double weight = scale < 1.0 ? FilterKernel(filter, (center - j) / fscale) / fscale
                                              : FilterKernel(filter, center - j);
            if (weight == 0.0)
                continue;
            int n = j < 0 ? -j : j >= sourceSize ? 2 * sourceSize - j - 1 : j;
            // A source narrower than the kernel's reach reflects past its other edge: stay inside.
            n = std::clamp(n, 0, sourceSize - 1);
            list.push_back(TContributor{n, weight});
        }
        // The weights are scaled to sum to 1, so that a uniform area keeps its colour at
        // every scale (sampled kernels sum to 1 only at some scales).
        double sum = 0;
        for (const TContributor& c : list)
            sum += c.Weight;
        if (sum != 0 && sum != 1)
            for (TContributor& c : list)
                c.Weight /= sum;
    }
    return lists;
}

// ---- Area-weighted stretch: every destination pixel averages the source area it covers ----

namespace {

// Per destination index: source indices with integer weights over a common denominator.
struct StretchMap {
    std::vector<std::vector<std::pair<int, std::int64_t>>> entries;
    std::int64_t denominator = 1;
};

StretchMap MakeStretchMap(int S, int D) {
    StretchMap map;
    map.entries.resize(std::size_t(D));
    if (D < S) {
        // Destination pixel i covers [i·S, (i+1)·S) and source pixel j covers [j·D, (j+1)·D).
        map.denominator = S;
        for (int i = 0; i < D; ++i) {
            const std::int64_t lo = std::int64_t(i) * S, hi = std::int64_t(i + 1) * S;
            for (std::int64_t j = lo / D; j * D < hi && j < S; ++j) {
                const std::int64_t overlap = std::min(hi, (j + 1) * D) - std::max(lo, j * D);
                if (overlap > 0)
                    map.entries[std::size_t(i)].push_back({int(j), overlap});
            }
        }
    } else {
        for (int i = 0; i < D; ++i)
            map.entries[std::size_t(i)].push_back(
                {int((std::int64_t(2 * i + 1) * S) / (2 * std::int64_t(D))), std::int64_t(1)});
    }
    return map;
}

// Stretches the rows of a 24-bit source horizontally into work (D × source height).
void StretchRows(const TBitmap& source, TBitmap& work, const StretchMap& map) {
    const std::int64_t half = map.denominator / 2;
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* src = source.ScanLine(y);
        std::uint8_t* dst = work.ScanLine(y);
        for (std::size_t i = 0; i < map.entries.size(); ++i) {
            std::int64_t b = 0, g = 0, r = 0;
            for (const auto& [j, w] : map.entries[i]) {
                b += src[3 * j] * w;
                g += src[3 * j + 1] * w;
                r += src[3 * j + 2] * w;
            }
            dst[3 * i] = std::uint8_t((b + half) / map.denominator);
            dst[3 * i + 1] = std::uint8_t((g + half) / map.denominator);
            dst[3 * i + 2] = std::uint8_t((r + half) / map.denominator);
        }
    }
}

// Stretches the columns of a 24-bit work picture vertically into dest (same width).
void StretchColumns(const TBitmap& work, TBitmap& dest, const StretchMap& map) {
    const std::int64_t half = map.denominator / 2;
    const std::size_t bytes = std::size_t(work.Width()) * 3;
    std::vector<std::int64_t> acc(bytes);
    for (int y = 0; y < dest.Height(); ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        for (const auto& [j, w] : map.entries[std::size_t(y)]) {
            const std::uint8_t* src = work.ScanLine(j);
            for (std::size_t k = 0; k < bytes; ++k)
                acc[k] += src[k] * w;
        }
        std::uint8_t* dst = dest.ScanLine(y);
        for (std::size_t k = 0; k < bytes; ++k)
            dst[k] = std::uint8_t((acc[k] + half) / map.denominator);
    }
}

void Stretch24(const TBitmap& source, TBitmap& dest) {
    TBitmap work(dest.Width(), source.Height(), pf24bit);
    StretchRows(source, work, MakeStretchMap(source.Width(), dest.Width()));
    StretchColumns(work, dest, MakeStretchMap(source.Height(), dest.Height()));
}

} // namespace

void StretchBitmap(const TBitmap& source, TBitmap& dest) {
    const int DW = dest.Width(), DH = dest.Height();
    if (source.PixelFormat() == pf24bit) {
        TBitmap result(DW, DH, pf24bit);
        if (!result.Empty() && !source.Empty())
            Stretch24(source, result);
        dest.Assign(result);
        return;
    }
    // Other formats go through their colours and back to the nearest entry of their palette.
    TBitmap colours(source);
    colours.SetPixelFormat(pf24bit);
    TBitmap stretched(DW, DH, pf24bit);
    if (!stretched.Empty() && !colours.Empty())
        Stretch24(colours, stretched);
    TBitmap result(DW, DH, source.PixelFormat());
    if (!source.Palette().empty())
        result.SetPalette(source.Palette());
    for (int y = 0; y < result.Height() && !result.Empty(); ++y) {
        const std::uint8_t* src = stretched.ScanLine(y);
        std::uint8_t* dst = result.ScanLine(y);
        for (int x = 0; x < DW; ++x)
            WritePixel(dst, x, result.PixelFormat(), result.Palette(),
                       TBGRColor{src[3 * x], src[3 * x + 1], src[3 * x + 2]});
    }
    dest.Assign(result);
}

// ---- Filtered resampling ----

namespace {

inline std::uint8_t ToByte(double v) {
    if (v > 255.0)
        return 255;
    if (v < 0.0)
        return 0;
    return std::uint8_t(std::nearbyint(v));
}

void FilterRows(const TBitmap& source, TBitmap& work, const std::vector<std::vector<TContributor>>& lists,
                double factor, QObject* sender, const TProgressEvent& progress) {
    for (int k = 0; k < source.Height(); ++k) {
        const std::uint8_t* src = source.ScanLine(k);
        std::uint8_t* dst = work.ScanLine(k);
        for (std::size_t i = 0; i < lists.size(); ++i) {
            double b = 0, g = 0, r = 0;
            for (const TContributor& c : lists[i]) {
                const std::uint8_t* p = src + std::size_t(c.Index) * 3;
                b += p[0] * c.Weight;
                g += p[1] * c.Weight;
                r += p[2] * c.Weight;
            }
            dst[3 * i] = ToByte(b);
            dst[3 * i + 1] = ToByte(g);
            dst[3 * i + 2] = ToByte(r);
        }
        if (progress)
            progress(sender, int((k + 1) * factor));
    }
}

// The vertical pass, a destination row at a time; each pixel sums its entries in list order.
void FilterColumns(const TBitmap& work, TBitmap& dest, const std::vector<std::vector<TContributor>>& lists,
                   double factor, QObject* sender, const TProgressEvent& progress) {
    const std::size_t bytes = std::size_t(work.Width()) * 3;
    const int SH = work.Height(), DW = dest.Width(), DH = dest.Height();
    std::vector<double> acc(bytes);
    for (int i = 0; i < DH; ++i) {
        std::fill(acc.begin(), acc.end(), 0.0);
        for (const TContributor& c : lists[std::size_t(i)]) {
            const std::uint8_t* src = work.ScanLine(c.Index);
            for (std::size_t k = 0; k < bytes; ++k)
                acc[k] += src[k] * c.Weight;
        }
        std::uint8_t* dst = dest.ScanLine(i);
        for (std::size_t k = 0; k < bytes; ++k)
            dst[k] = ToByte(acc[k]);
        if (progress)
            progress(sender, int((SH + std::int64_t(i + 1) * DW / DH) * factor));
    }
}

// What needs no filter: a source that is not 24-bit, or an empty picture, leaves the destination as it
// is; no filter stretches plainly. True when nothing is left to do.
bool DoneWithoutFilter(const TBitmap& source, TBitmap& dest, TResampleFilter filter) {
    if (source.PixelFormat() != pf24bit || source.Empty() || dest.Empty())
        return true;
    if (filter == rfNone) {
        StretchBitmap(source, dest);
        return true;
    }
    return false;
}

} // namespace

void ResampleFiltered(const TBitmap& source, TBitmap& dest, TResampleFilter filter, QObject* sender,
                      const TProgressEvent& progress) {
    if (DoneWithoutFilter(source, dest, filter))
        return;
    const int SH = source.Height(), DW = dest.Width(), DH = dest.Height();
    TBitmap result(DW, DH, pf24bit);
    const double factor = 100.0 / (SH + DW + 0.5);
    TBitmap work(DW, SH, pf24bit);
    FilterRows(source, work, BuildContributors(source.Width(), DW, filter), factor, sender, progress);
    FilterColumns(work, result, BuildContributors(SH, DH, filter), factor, sender, progress);
    dest.Assign(result);
}

void ResampleFast(const TBitmap& source, TBitmap& dest, TResampleFilter filter, QObject* sender,
                  const TProgressEvent& progress) {
    if (DoneWithoutFilter(source, dest, filter))
        return;
    const int SW = source.Width(), SH = source.Height(), DW = dest.Width(), DH = dest.Height();
    const double factor = 100.0 / (SH + DW + 0.5);
    TBitmap work(DW, SH, pf24bit);
    if (DW < SW)
        StretchRows(source, work, MakeStretchMap(SW, DW));
    else
        FilterRows(source, work, BuildContributors(SW, DW, filter), factor, sender, progress);
    TBitmap result(DW, DH, pf24bit);
    if (DH < SH)
        StretchColumns(work, result, MakeStretchMap(SH, DH));
    else
        FilterColumns(work, result, BuildContributors(SH, DH, filter), factor, sender, progress);
    dest.Assign(result);
}

// ---- Quarter turns and the 1-bit rotation ----

namespace {

void QuarterTurn(const TBitmap& source, TBitmap& dest, bool clockwise) {
    const int w = source.Width(), h = source.Height();
    TBitmap result(h, w, source.PixelFormat());
    if (!source.Palette().empty())
        result.SetPalette(source.Palette());
    if (!result.Empty()) {
        // Destination (row y, column x) from source (row sy, column sx).
        for (int y = 0; y < w; ++y) {
            std::uint8_t* dst = result.ScanLine(y);
            for (int x = 0; x < h; ++x) {
                const int sy = clockwise ? h - 1 - x : x;
                const int sx = clockwise ? y : w - 1 - y;
                const std::uint8_t* src = source.ScanLine(sy);
                if (source.PixelFormat() == pf24bit)
                    std::memcpy(dst + 3 * x, src + 3 * sx, 3);
                else if (source.PixelFormat() == pf1bit)
                    SetBit(dst, x, GetBit(src, sx));
            }
        }
    }
    dest.Assign(result);
}

} // namespace

void Rotate90Clockwise(const TBitmap& source, TBitmap& dest) {
    QuarterTurn(source, dest, true);
}

void Rotate90CounterClockwise(const TBitmap& source, TBitmap& dest) {
    QuarterTurn(source, dest, false);
}

void Rotate1Bit(TBitmap& bitmap, bool fillBit, TProgressRec& progress, double angle) {
    if (bitmap.Empty())
        return;
    const int w = bitmap.Width(), h = bitmap.Height();
    const double phi = -angle * 0.017453292519943295;
    const double c = std::trunc(std::cos(phi) * 10000) * 0.0001;
    const double s = std::trunc(std::sin(phi) * 10000) * 0.0001;
    const double nw = std::trunc(std::fabs(w * c) + std::fabs(h * s));
    const double nh = std::trunc(std::fabs(w * s) + std::fabs(h * c));
    TBitmap result(int(nw), int(nh), pf1bit);
    const double cx2 = nw * 0.5 - 0.5, cy2 = nh * 0.5 - 0.5, cx = w * 0.5 - 0.5, cy = h * 0.5 - 0.5;
    for (int y = 0; y < result.Height() && !result.Empty(); ++y) {
        std::uint8_t* dst = result.ScanLine(y);
        for (int x = 0; x < result.Width(); ++x) {
            const double sx = std::trunc((x - cx2) * c + (y - cy2) * s + cx);
            const double sy = std::trunc(-(x - cx2) * s + (y - cy2) * c + cy);
            const bool inside = sx >= 0 && sx < w && sy >= 0 && sy < h;
            SetBit(dst, x, inside ? GetBit(bitmap.ScanLine(int(sy)), int(sx)) : fillBit);
        }
        progress.Report(int(std::trunc(y * 100.0 / result.Height())));
    }
    CopyBitmap(result, bitmap);
}

// ---- Rotation by three shears ----

namespace {

// Two-tap blend in 12-bit fixed point: f weighs the previous pixel, 4096 − f the current one.
// A negative fraction (the pixel lies left of its rounded place) is not blended: mixing in the
// previous pixel with a negative weight would overshoot.
inline TBGRColor Blend(TBGRColor p, TBGRColor q, int f) {
    if (f <= 0)
        return q;
    const int g = 4096 - f;
    auto mix = [&](int a, int b) { return ClampByte((a * f + b * g + 2048) >> 12); };
    return TBGRColor{mix(p.b, q.b), mix(p.g, q.g), mix(p.r, q.r)};
}

// Places the shifted pixels of one line: src[i] goes to dst[o + i] when inside 0..n − 1, blended
// with the previously placed pixel; with blending, the place after the last pixel receives the
// last pixel blended into the background.
void ShearLine(const TBGRColor* src, int count, TBGRColor* dst, int n, int o, int f, bool antiAlias,
               TBGRColor B) {
    TBGRColor prev = B;
    for (int i = 0; i < count; ++i) {
        const int at = o + i;
        if (at < 0 || at >= n)
            continue;
        dst[at] = antiAlias ? Blend(prev, src[i], f) : src[i];
        prev = src[i];
    }
    if (antiAlias && f > 0 && o + count < n && o + count >= 0)
        dst[o + count] = Blend(prev, B, f);
}

} // namespace

void RotateShear(TBitmap& picture, int angle, bool antiAlias, TBGRColor B, TProgressRec& progress) {
    if (picture.PixelFormat() != pf24bit || picture.Empty())
        return;
    int a = angle % 360;
    TBitmap T;
    if (a >= -45 && a <= 45)
        T = picture;
    while (a > 45) {
        a -= 90;
        Rotate90CounterClockwise(picture, T);
        if (a > 45)
            picture = T;
    }
    while (a < -45) {
        a += 90;
        Rotate90Clockwise(picture, T);
        if (a < -45)
            picture = T;
    }
    if (a == 0) {
        picture.Assign(T);
        return;
    }

    const int w = T.Width(), h = T.Height();
    const double theta = a * std::numbers::pi * (1.0 / 180.0);
    const double t = std::fabs(std::sin(theta / 2) / std::cos(theta / 2));
    const double s = std::fabs(std::sin(theta));
    int W1 = int(Round(h * t + w + 1));
    const int d1 = int(Round((W1 - w) * s));
    int H2 = int(Round(W1 * s + h + 1));
    const int d2 = int(Round((H2 - h - d1) * t));
    H2 -= 2 * d1;
    int W3 = int(Round(H2 * t + W1 + 1 - 2 * d2));

    // The buffers are each about as large as the result: refuse a result no bitmap can hold.
    if (std::int64_t(W3 + 2) * (H2 + 2) * 3 > std::int64_t(TBitmap::MaxImageSize))
        throw EInvalidGraphic(QStringLiteral("Bitmap too large"));

    // The shift and blend fraction of every line of the three shears.
    std::vector<int> o1(static_cast<std::size_t>(h)), f1(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const double skew = theta > 0 ? y * t : (h - y) * t;
        o1[std::size_t(y)] = int(Round(skew));
        f1[std::size_t(y)] = int(std::trunc((skew - o1[std::size_t(y)]) * 4096));
        W1 = std::max(W1, o1[std::size_t(y)] + w);
    }
    std::vector<int> o2(static_cast<std::size_t>(W1)), f2(static_cast<std::size_t>(W1));
    for (int x = 0; x < W1; ++x) {
        const double skew = theta > 0 ? (W1 - x) * s : x * s;
        const int o = int(Round(skew));
        f2[std::size_t(x)] = int(Round((skew - o) * 4096));
        o2[std::size_t(x)] = o - d1;
    }
    const int H2written = H2;
    auto shear3 = [&](int Y, int& o, int& f) {
        const double skew = theta > 0 ? Y * t : (H2written - Y) * t;
        o = int(Round(skew));
        f = int(Round((skew - o) * 4096));
        o -= d2;
    };

    // The sizes above can cut a corner pixel off by rounding: where the picture would lose
    // pixels, it is moved (and if need be grown) so that every pixel stays.
    const int o2lo = *std::min_element(o2.begin(), o2.end());
    const int o2hi = *std::max_element(o2.begin(), o2.end());
    std::vector<int> o3(static_cast<std::size_t>(o2hi + h - o2lo));
    for (int Y = o2lo; Y < o2hi + h; ++Y) {
        int f = 0;
        shear3(Y, o3[std::size_t(Y - o2lo)], f);
    }
    int minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int X = o1[std::size_t(y)] + x;
            const int Y = y + o2[std::size_t(X)];
            const int X3 = X + o3[std::size_t(Y - o2lo)];
            minX = std::min(minX, X3);
            maxX = std::max(maxX, X3);
            minY = std::min(minY, Y);
            maxY = std::max(maxY, Y);
        }
    auto fit = [](int& size, int lo, int hi) {
        size = std::max(size, hi - lo + 1);
        if (lo < 0)
            return -lo;
        if (hi >= size)
            return size - 1 - hi;
        return 0;
    };
    const int shiftY = fit(H2, minY, maxY);
    const int shiftX = fit(W3, minX, maxX);

    const double factor = 100.0 / (h + W1 + H2 + 0.5);

    // Pass 1: rows of T shift horizontally into buffer1 (W1 × h).
    std::vector<TBGRColor> buffer1(std::size_t(W1) * std::size_t(h), B);
    for (int y = 0; y < h; ++y) {
        progress.Report(int(std::trunc(y * factor)));
        ShearLine(reinterpret_cast<const TBGRColor*>(T.ScanLine(y)), w,
                  buffer1.data() + std::size_t(y) * std::size_t(W1), W1, o1[std::size_t(y)],
                  f1[std::size_t(y)], antiAlias, B);
    }

    // Pass 2: columns of buffer1 shift vertically into buffer2 (W1 × H2), a band of columns at
    // a time so that both buffers are read and written in runs along their rows.
    std::vector<TBGRColor> buffer2(std::size_t(W1) * std::size_t(H2), B);
    {
        constexpr int Band = 16;
        std::vector<TBGRColor> columns(std::size_t(Band) * std::size_t(h));
        std::vector<TBGRColor> placed(std::size_t(Band) * std::size_t(H2));
        for (int x0 = 0; x0 < W1; x0 += Band) {
            const int n = std::min(Band, W1 - x0);
            progress.Report(int(std::trunc((h + x0) * factor)));
            for (int y = 0; y < h; ++y) {
                const TBGRColor* row = buffer1.data() + std::size_t(y) * std::size_t(W1) + std::size_t(x0);
                for (int k = 0; k < n; ++k)
                    columns[std::size_t(k) * std::size_t(h) + std::size_t(y)] = row[k];
            }
            std::fill(placed.begin(), placed.end(), B);
            for (int k = 0; k < n; ++k)
                ShearLine(columns.data() + std::size_t(k) * std::size_t(h), h,
                          placed.data() + std::size_t(k) * std::size_t(H2), H2,
                          o2[std::size_t(x0 + k)] + shiftY, f2[std::size_t(x0 + k)], antiAlias, B);
            for (int Y = 0; Y < H2; ++Y) {
                TBGRColor* row = buffer2.data() + std::size_t(Y) * std::size_t(W1) + std::size_t(x0);
                for (int k = 0; k < n; ++k)
                    row[k] = placed[std::size_t(k) * std::size_t(H2) + std::size_t(Y)];
            }
        }
    }
    buffer1.clear();
    buffer1.shrink_to_fit();

    // Pass 3: rows of buffer2 shift horizontally into the picture (W3 × H2).
    TBitmap result(W3, H2, pf24bit);
    for (int Y = 0; Y < H2; ++Y) {
        progress.Report(int(std::trunc((h + W1 + Y) * factor)));
        int o = 0, f = 0;
        shear3(Y - shiftY, o, f);
        auto* dst = reinterpret_cast<TBGRColor*>(result.ScanLine(Y));
        std::fill(dst, dst + W3, B);
        ShearLine(buffer2.data() + std::size_t(Y) * std::size_t(W1), W1, dst, W3, o + shiftX, f, antiAlias,
                  B);
    }
    picture.Assign(result);
}
