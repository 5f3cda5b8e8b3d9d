#include "imaging/Metafile.h"

#include "imaging/ImageIO.h"
#include "imaging/MetaPlayer.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace metafile;

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t EmfSignature = 0x464D4520u; // " EMF"
constexpr int PlaceableSize = 22;
constexpr int WmfHeaderSize = 18;
constexpr int EmfHeaderMin = 88;
constexpr std::uint32_t EMR_HEADER = 1;
constexpr std::uint32_t EMR_EOF = 14;

[[noreturn]] void Unrecognized() {
    throw EInvalidGraphic(TMetafile::UnrecognizedText());
}

// length × dpi ÷ unit, rounded to the nearest pixel.
int Scaled(std::int64_t length, int dpi, std::int64_t unit) {
    if (unit <= 0 || dpi <= 0)
        return 0;
    const std::int64_t v = (std::llabs(length) * dpi * 2 + unit) / (2 * unit);
    return int(std::min<std::int64_t>(v, INT32_MAX));
}

// A band of a 24-bit bitmap is drawn through a 32-bit picture of at most this many pixels.
constexpr std::int64_t BandPixels = std::int64_t(1) << 22;

} // namespace

void TMetafile::LoadFromFile(const QString& fileName) {
    LoadFromData(ReadWholeFile(fileName));
}

void TMetafile::LoadFromData(const QByteArray& data) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.constData());
    const std::size_t n = std::size_t(data.size());
    TMetafile m;
    m.FData = data;
    if (n >= 4 && U32(p) == PlaceableKey) {
        // The placeable header: key, handle, box, units per inch, reserved, checksum (not checked).
        if (n < std::size_t(PlaceableSize + WmfHeaderSize))
            Unrecognized();
        m.FBoxLeft = S16(p + 6);
        m.FBoxTop = S16(p + 8);
        m.FBoxRight = S16(p + 10);
        m.FBoxBottom = S16(p + 12);
        m.FInch = U16(p + 14);
        const std::uint8_t* h = p + PlaceableSize;
        const int type = U16(h), headerWords = U16(h + 2);
        if (m.FInch == 0 || (type != 1 && type != 2) || headerWords != 9)
            Unrecognized();
        m.FObjectCount = U16(h + 10);
        m.FFirstRecord = PlaceableSize + WmfHeaderSize;
        // Every record lies inside the data: a size in 16-bit words, at least the 3 of its header.
        std::size_t pos = std::size_t(m.FFirstRecord);
        while (pos < n) {
            if (n - pos < 6)
                Unrecognized();
            const std::uint32_t words = U32(p + pos);
            if (words < 3 || words > (n - pos) / 2)
                Unrecognized();
            ++m.FRecordCount;
            const int function = U16(p + pos + 4);
            pos += std::size_t(words) * 2;
            if (function == 0)
                break;
        }
    } else if (n >= std::size_t(EmfHeaderMin) && U32(p) == EMR_HEADER && U32(p + 40) == EmfSignature) {
        m.FEnhanced = true;
        m.FFrameLeft = S32(p + 24);
        m.FFrameTop = S32(p + 28);
        m.FFrameRight = S32(p + 32);
        m.FFrameBottom = S32(p + 36);
        m.FObjectCount = U16(p + 56);
        m.FDevicePixelsX = S32(p + 72);
        m.FDevicePixelsY = S32(p + 76);
        m.FDeviceMmX = S32(p + 80);
        m.FDeviceMmY = S32(p + 84);
        if (U32(p + 4) < std::uint32_t(EmfHeaderMin))
            Unrecognized();
        // Every record lies inside the data: at least 8 bytes, a multiple of 4.
        std::size_t pos = 0;
        while (pos < n) {
            if (n - pos < 8)
                Unrecognized();
            const std::uint32_t type = U32(p + pos), size = U32(p + pos + 4);
            if (size < 8 || size % 4 != 0 || size > n - pos)
                Unrecognized();
            ++m.FRecordCount;
            pos += size;
            if (type == EMR_EOF)
                break;
        }
    } else {
        // A WMF without the placeable header carries no size.
        Unrecognized();
    }
    *this = std::move(m);
}

int TMetafile::WidthAt(int dpi) const {
    if (Empty())
        return 0;
    if (FEnhanced)
        return Scaled(FFrameRight - FFrameLeft, dpi, 2540);
    return Scaled(std::int64_t(FBoxRight) - FBoxLeft, dpi, FInch);
}

int TMetafile::HeightAt(int dpi) const {
    if (Empty())
        return 0;
    if (FEnhanced)
        return Scaled(FFrameBottom - FFrameTop, dpi, 2540);
    return Scaled(std::int64_t(FBoxBottom) - FBoxTop, dpi, FInch);
}

int TMetafile::Width() const {
    return WidthAt(ScreenPixelsPerInch());
}

int TMetafile::Height() const {
    return HeightAt(ScreenPixelsPerInch());
}

void TMetafile::Play(QPainter& painter, const QRect& target, const QRect& picture) const {
    TPlayer player(painter, target, picture);
    if (!FEnhanced) {
        PlayWmf(FData, FFirstRecord, QRect(FBoxLeft, FBoxTop, FBoxRight - FBoxLeft, FBoxBottom - FBoxTop),
                FObjectCount, player);
        return;
    }
    // The frame in pixels of the reference device maps onto the target. A header without a usable
    // device size is taken as a screen of 96 dots per inch.
    double perMmX = 96 / 25.4, perMmY = 96 / 25.4;
    if (FDevicePixelsX > 0 && FDeviceMmX > 0 && FDevicePixelsY > 0 && FDeviceMmY > 0) {
        perMmX = double(FDevicePixelsX) / double(FDeviceMmX);
        perMmY = double(FDevicePixelsY) / double(FDeviceMmY);
    }
    const double fx0 = FFrameLeft * perMmX / 100, fx1 = FFrameRight * perMmX / 100;
    const double fy0 = FFrameTop * perMmY / 100, fy1 = FFrameBottom * perMmY / 100;
    if (fx1 == fx0 || fy1 == fy0)
        return;
    player.DevicePixelsPerMmX = perMmX;
    player.DevicePixelsPerMmY = perMmY;
    player.DeviceToTarget =
        QTransform::fromTranslate(-fx0, -fy0) *
        QTransform::fromScale(target.width() / (fx1 - fx0), target.height() / (fy1 - fy0)) *
        QTransform::fromTranslate(target.left(), target.top());
    PlayEmf(FData, FFirstRecord, FObjectCount, player);
}

void TMetafile::Draw(QImage& picture, const QRect& target) const {
    if (Empty() || picture.isNull())
        return;
    QPainter painter(&picture);
    Play(painter, target, picture.rect());
}

void TMetafile::Draw(TBitmap& bitmap, const QRect& target) const {
    if (Empty() || bitmap.Empty() || bitmap.PixelFormat() != pf24bit)
        return;
    const int w = bitmap.Width(), h = bitmap.Height();
    const int bandRows = int(std::clamp<std::int64_t>(BandPixels / w, 1, h));
    const QImage wrapped = bitmap.WrapQImage();
    for (int y0 = 0; y0 < h; y0 += bandRows) {
        const int rows = std::min(bandRows, h - y0);
        QImage band = wrapped.copy(0, y0, w, rows).convertToFormat(QImage::Format_RGB32);
        {
            QPainter painter(&band);
            painter.translate(0, -y0);
            Play(painter, target, QRect(0, 0, w, h));
        }
        const QImage back = band.convertToFormat(QImage::Format_BGR888);
        for (int r = 0; r < rows; ++r)
            std::memcpy(bitmap.ScanLine(y0 + r), back.constScanLine(r), std::size_t(w) * 3);
    }
}
