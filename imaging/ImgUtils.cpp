#include "imaging/ImgUtils.h"

#include "platform/Color.h"

#include <algorithm>
#include <cstdlib>

void TProgressRec::Report(int per) const {
    if (OnProgress)
        OnProgress(Sender, per);
}

THash1::THash1(int HashBits) {
    if (HashBits < 1 || HashBits > 24)
        throw ERangeError(QStringLiteral("Invalid hash size"));
    FHashBits = HashBits;
    FTableSize = 1 << HashBits;
    FSlots = std::make_unique<std::uint32_t[]>(std::size_t(FTableSize));
    FStates = std::make_unique<std::uint8_t[]>(std::size_t(FTableSize)); // zero-filled
}

bool THash1::Insert(std::uint32_t Key) {
    const std::size_t i = Key & std::uint32_t(FTableSize - 1);
    switch (FStates[i]) {
    case 0:
        FSlots[i] = Key;
        FStates[i] = 1;
        break;
    case 1: {
        if (FSlots[i] == Key)
            return false;
        const std::uint32_t old = FSlots[i];
        FChains.push_back(old < Key ? std::vector<std::uint32_t>{old, Key}
                                    : std::vector<std::uint32_t>{Key, old});
        FSlots[i] = std::uint32_t(FChains.size() - 1);
        FStates[i] = 2;
        break;
    }
    default: {
        std::vector<std::uint32_t>& chain = FChains[FSlots[i]];
        const auto at = std::lower_bound(chain.begin(), chain.end(), Key);
        if (at != chain.end() && *at == Key)
            return false;
        chain.insert(at, Key);
        break;
    }
    }
    ++FCount;
    return true;
}

int MaskRunLength(std::uint32_t mask) {
    int bit = 0;
    while (bit < 32 && !(mask & (std::uint32_t(1) << bit)))
        ++bit;
    int count = 0;
    while (bit < 32 && (mask & (std::uint32_t(1) << bit))) {
        ++count;
        ++bit;
    }
    return count;
}

int RowSize(int width, int bits) {
    const std::int64_t size = ((std::int64_t(width) * bits + 31) / 32) * 4;
    return CheckedCast<int>(size);
}

int PixelFormatBits(TPixelFormat format) {
    switch (format) {
    case pfDevice:
        return 0;
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    case pf32bit:
        return 32;
    }
    return 0;
}

void ReverseBits32(std::uint32_t& value) {
    std::uint32_t v = value;
    v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
    v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
    v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
    v = ((v >> 8) & 0x00FF00FFu) | ((v & 0x00FF00FFu) << 8);
    value = (v >> 16) | (v << 16);
}

void ConstrainToAxisOrDiagonal(int x0, int y0, int& x, int& y) {
    const int dx = x0 - x;
    const int dy = y0 - y;
    const int a = std::abs(dx);
    const int b = std::abs(dy);
    if (b > a + 30) {
        x = x0;
        return;
    }
    if (b < a - 30) {
        y = y0;
        return;
    }
    const int d = std::abs(a - b);
    if (dx < 0 && dy < 0) {
        if (b > a)
            x += d;
        else
            y += d;
    } else if (dx > 0 && dy > 0) {
        if (b <= a)
            x += d;
        else
            y += d;
    } else if (dx <= 0 && dy > 0) {
        if (b > a)
            x += d;
        else
            y -= d;
    } else if (dx > 0 && dy <= 0) {
        if (b > a)
            x -= d;
        else
            y += d;
    }
}

int DpiOfPixelsPerMetre(std::int64_t pixelsPerMetre) {
    if (pixelsPerMetre <= 0)
        return 0;
    return int(std::min<std::int64_t>(Round(double(pixelsPerMetre) * 0.0254), INT32_MAX));
}

std::int32_t PixelsPerMetreOfDpi(int dpi) {
    return std::int32_t(std::clamp<std::int64_t>(Round(double(dpi) * 100.0 / 2.54), 0, INT32_MAX));
}

TOneBitTable OneBitTableOf(const std::vector<TBGRColor>& table) {
    const TBGRColor black{0, 0, 0}, white{255, 255, 255};
    if (table.size() < 2)
        return TOneBitTable::Colour;
    if (table[0] == black && table[1] == white)
        return TOneBitTable::BlackWhite;
    if (table[0] == white && table[1] == black)
        return TOneBitTable::WhiteBlack;
    return TOneBitTable::Colour;
}

void CopyOneBitRow(const std::uint8_t* src, std::uint8_t* dst, int width, TOneBitTable table) {
    if (width < 1)
        return;
    const std::size_t used = std::size_t(width + 7) / 8;
    const std::uint8_t flip = table == TOneBitTable::WhiteBlack ? 0xFF : 0;
    for (std::size_t i = 0; i < used; ++i)
        dst[i] = std::uint8_t(src[i] ^ flip);
    dst[used - 1] &= std::uint8_t(0xFF << ((8 - width % 8) % 8));
}
