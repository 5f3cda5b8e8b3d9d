#include "imaging/ImgUtils.h"

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
        const auto first = std::int32_t(FNodes.size());
        FNodes.push_back(Node{FSlots[i], first + 1});
        FNodes.push_back(Node{Key, -1});
        FSlots[i] = std::uint32_t(first);
        FStates[i] = 2;
        break;
    }
    default: {
        std::int32_t n = std::int32_t(FSlots[i]);
        for (;;) {
            if (FNodes[std::size_t(n)].Key == Key)
                return false;
            if (FNodes[std::size_t(n)].Next < 0)
                break;
            n = FNodes[std::size_t(n)].Next;
        }
        const auto added = std::int32_t(FNodes.size());
        FNodes.push_back(Node{Key, -1});
        FNodes[std::size_t(n)].Next = added;
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
