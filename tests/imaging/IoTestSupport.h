#pragma once
// Helpers of the picture file tests: pictures made in memory, pixels compared as colours.

#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace iotest {

inline TBGRColor C(int r, int g, int b) {
    return TBGRColor{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)};
}

// The colour of a pixel; 1-bit pictures show 0 black and 1 white.
inline TBGRColor Pixel(const TBitmap& bmp, int x, int y) {
    if (bmp.PixelFormat() == pf1bit)
        return GetBit(bmp.ScanLine(y), x) ? C(255, 255, 255) : C(0, 0, 0);
    return ReadPixel(bmp.ScanLine(y), x, bmp.PixelFormat(), bmp.Palette());
}

inline void SetPixel(TBitmap& bmp, int x, int y, TBGRColor c) {
    if (bmp.PixelFormat() == pf1bit)
        SetBit(bmp.ScanLine(y), x, c == C(255, 255, 255));
    else
        WritePixel(bmp.ScanLine(y), x, bmp.PixelFormat(), bmp.Palette(), c);
}

// The pixels as red, green, blue bytes, rows from the top.
inline QByteArray Rgb(const TBitmap& bmp) {
    QByteArray out;
    out.reserve(bmp.Width() * bmp.Height() * 3);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const TBGRColor c = Pixel(bmp, x, y);
            out.append(char(c.r)).append(char(c.g)).append(char(c.b));
        }
    return out;
}

inline QByteArray RgbMd5(const TBitmap& bmp) {
    return QCryptographicHash::hash(Rgb(bmp), QCryptographicHash::Md5).toHex();
}

// A 24-bit picture whose pixel (x, y) is colorOf(x, y).
template <typename F>
TBitmap Picture(int width, int height, F colorOf) {
    TBitmap bmp(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(bmp, x, y, colorOf(x, y));
    return bmp;
}

// A picture of many colours: every pixel differs from its neighbours.
inline TBitmap Colourful(int width, int height) {
    return Picture(width, height, [](int x, int y) { return C(x * 7 + y, y * 5 + 3 * x, (x ^ y) * 11); });
}

// A binary PPM file (P6, samples up to 255) as a 24-bit picture; the test fails on anything else.
inline TBitmap ReadPpm(const QByteArray& file) {
    const QList<QByteArray> head = file.left(64).split('\n');
    int width = 0, height = 0;
    if (head.size() < 4 || head[0] != "P6" || head[2] != "255" ||
        std::sscanf(head[1].constData(), "%d %d", &width, &height) != 2) {
        ADD_FAILURE() << "not a PPM file";
        return TBitmap();
    }
    const qsizetype start = head[0].size() + head[1].size() + head[2].size() + 3;
    EXPECT_EQ(file.size(), start + qsizetype(width) * height * 3);
    TBitmap bmp(width, height, pf24bit);
    const auto* src = reinterpret_cast<const std::uint8_t*>(file.constData() + start);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, src += 3)
            SetPixel(bmp, x, y, C(src[0], src[1], src[2]));
    return bmp;
}

inline ByteWriter Written(void (*writer)(ByteWriter&, TBitmap&, TIOParamsVals&, TProgressRec&), TBitmap& bmp,
                          TIOParamsVals& params) {
    ByteWriter out;
    TProgressRec progress;
    writer(out, bmp, params, progress);
    return out;
}

using TReader = void (*)(ByteReader&, TBitmap&, TIOParamsVals&, TProgressRec&);

// Reads a damaged file into a 2 × 2 picture whose parameters say width 5: the reader must raise, and the
// picture and its parameters must stay as they were. Returns the message raised.
inline QString DamagedReadMessage(TReader reader, const QByteArray& file) {
    TBitmap target(2, 2, pf24bit);
    TIOParamsVals read;
    read.Width = 5;
    ByteReader r(file);
    TProgressRec progress;
    QString message;
    try {
        reader(r, target, read, progress);
        ADD_FAILURE() << "read " << file.size();
    } catch (const EInvalidGraphic& e) {
        message = e.Message();
    }
    EXPECT_EQ(target.Width(), 2);
    EXPECT_EQ(read.Width, 5);
    return message;
}

} // namespace iotest
