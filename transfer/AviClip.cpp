#include "transfer/AviClip.h"

#include "imaging/BMPFilt.h"
#include "imaging/Bitmap.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <QFile>

#include <array>

namespace {

constexpr std::uint32_t BiRgb = 0, BiRle8 = 1;
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

[[noreturn]] void Refuse(const char* Why) {
    throw EReadError(QStringLiteral("damaged animation: %1").arg(QLatin1String(Why)));
}

std::uint32_t FourCC(const char (&Text)[5]) {
    return std::uint32_t(std::uint8_t(Text[0])) | std::uint32_t(std::uint8_t(Text[1])) << 8 |
           std::uint32_t(std::uint8_t(Text[2])) << 16 | std::uint32_t(std::uint8_t(Text[3])) << 24;
}

// What the headers say about the video stream.
struct TFormat {
    bool Found = false;
    bool Video = false;
    int Width = 0, Height = 0;
    bool BottomUp = true;
    int BitCount = 0;
    std::uint32_t Compression = 0;
    std::array<std::uint32_t, 256> Palette{};
    // The same colours for the image library's run-length decoder; entries the file does not
    // give are black.
    std::array<TBGRColor, 256> Colors{};
    int FrameTime = 0;
};

struct TReader {
    const QByteArray& Bytes;
    TFormat Format;
    TAviClip Clip;
    // The picture the run-length frames are decoded into, top row first.
    TBitmap Canvas;

    const std::uint8_t* At(std::size_t Offset) const {
        return reinterpret_cast<const std::uint8_t*>(Bytes.constData()) + Offset;
    }

    void ReadFormat(std::size_t Offset, std::size_t Size) {
        if (!Format.Video || Format.Found)
            return;
        ByteReader r(At(Offset), Size);
        if (Size < 40)
            Refuse("short stream format");
        const std::uint32_t headerSize = r.ReadU32LE();
        const std::int32_t width = std::int32_t(r.ReadU32LE());
        const std::int32_t height = std::int32_t(r.ReadU32LE());
        r.Skip(2);
        Format.BitCount = r.ReadU16LE();
        Format.Compression = r.ReadU32LE();
        r.Skip(12);
        std::uint32_t used = r.ReadU32LE();
        if (headerSize < 40 || headerSize > Size)
            Refuse("bad stream format size");
        if (width < 1 || width > TAviClip::MaxSide || height == 0 || height < -TAviClip::MaxSide ||
            height > TAviClip::MaxSide)
            Refuse("bad frame size");
        Format.Width = width;
        Format.Height = height < 0 ? -height : height;
        Format.BottomUp = height > 0;
        const bool rle = Format.Compression == BiRle8 && Format.BitCount == 8;
        const bool plain = Format.Compression == BiRgb && (Format.BitCount == 8 || Format.BitCount == 24);
        if (!rle && !plain)
            Refuse("unsupported frame coding");
        if (rle && !Format.BottomUp)
            Refuse("top-down RLE frames");
        if (Format.BitCount == 8) {
            if (used == 0 || used > 256)
                used = 256;
            const std::size_t room = (Size - headerSize) / 4;
            if (room < used)
                used = std::uint32_t(room);
            for (std::uint32_t i = 0; i < used; ++i) {
                const std::uint8_t* p = At(Offset + headerSize + i * 4);
                Format.Palette[i] = 0xFF000000u | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
                Format.Colors[i] = TBGRColor{p[0], p[1], p[2]};
            }
            for (std::uint32_t i = used; i < 256; ++i) {
                Format.Palette[i] = 0xFF000000u;
                Format.Colors[i] = TBGRColor{};
            }
        }
        Format.Found = true;
        Clip.Width = Format.Width;
        Clip.Height = Format.Height;
    }

    void AddFrame(std::size_t Offset, std::size_t Size) {
        if (!Format.Found)
            Refuse("frame before its format");
        if (int(Clip.Frames.size()) >= TAviClip::MaxFrames ||
            std::int64_t(Clip.Frames.size() + 1) * Format.Width * Format.Height > TAviClip::MaxPixels)
            Refuse("too many frames");
        const int w = Format.Width, h = Format.Height;
        // Every pixel of the frame is written below.
        std::vector<std::uint32_t> frame(std::size_t(w) * h);
        // Row y of the file (bottom-up unless stated) is row Row(y) of the frame.
        auto row = [&](int y) { return Format.BottomUp ? h - 1 - y : y; };
        const std::uint8_t* p = At(Offset);
        if (Format.Compression == BiRgb) {
            const std::size_t stride = (std::size_t(w) * Format.BitCount / 8 + 3) & ~std::size_t(3);
            if (Size < stride * std::size_t(h))
                Refuse("short frame");
            for (int y = 0; y < h; ++y) {
                const std::uint8_t* src = p + stride * std::size_t(y);
                std::uint32_t* dst = frame.data() + std::size_t(row(y)) * w;
                for (int x = 0; x < w; ++x)
                    dst[x] = Format.BitCount == 8 ? Format.Palette[src[x]]
                                                  : 0xFF000000u | std::uint32_t(src[x * 3 + 2]) << 16 |
                                                        std::uint32_t(src[x * 3 + 1]) << 8 | src[x * 3];
            }
        } else {
            // The run-length codes leave the pixels they skip as the previous frame left them
            // (black before the first), so the canvas carries over from one frame to the next. A
            // run or literal that passes the row's end is cut there; a move or a row outside the
            // frame, or codes that end before the frame does, refuse the clip.
            if (Canvas.Empty())
                Canvas = TBitmap(w, h, pf24bit);
            try {
                TProgressRec progress;
                DecodeRLE8(Canvas, p, Size, progress, Format.Colors.data(), int(Format.Colors.size()));
            } catch (const EInvalidGraphic&) {
                Refuse("bad RLE frame");
            }
            for (int y = 0; y < h; ++y) {
                const std::uint8_t* src = Canvas.ScanLine(y);
                std::uint32_t* dst = frame.data() + std::size_t(y) * w;
                for (int x = 0; x < w; ++x, src += 3)
                    dst[x] = 0xFF000000u | std::uint32_t(src[2]) << 16 | std::uint32_t(src[1]) << 8 | src[0];
            }
        }
        Clip.Frames.push_back(std::move(frame));
    }

    // Walks the chunks of [Offset, Offset + Size).
    void Walk(std::size_t Offset, std::size_t Size, int Depth) {
        if (Depth > 8)
            Refuse("lists nested too deep");
        const std::size_t end = Offset + Size;
        while (Offset + 8 <= end) {
            ByteReader r(At(Offset), 8);
            const std::uint32_t id = r.ReadU32LE();
            const std::uint32_t size = r.ReadU32LE();
            const std::size_t body = Offset + 8;
            if (size > end - body)
                Refuse("chunk past its list");
            if (id == FourCC("LIST")) {
                if (size < 4)
                    Refuse("short list");
                Walk(body + 4, size - 4, Depth + 1);
            } else if (id == FourCC("strh")) {
                if (size < 4)
                    Refuse("short stream header");
                ByteReader s(At(body), size);
                Format.Video = s.ReadU32LE() == FourCC("vids");
            } else if (id == FourCC("avih")) {
                if (size >= 4)
                    Format.FrameTime =
                        int(std::min<std::uint32_t>(ByteReader(At(body), 4).ReadU32LE(), 10000000));
            } else if (id == FourCC("strf")) {
                ReadFormat(body, size);
            } else if ((id >> 16) == ('d' | 'b' << 8) || (id >> 16) == ('d' | 'c' << 8)) {
                // "00db", "00dc": a frame of the first stream.
                if ((id & 0xFFFF) == ('0' | '0' << 8) && Format.Found)
                    AddFrame(body, size);
            }
            Offset = body + size + (size & 1);
        }
    }
};

} // namespace

TAviClip ReadAviClip(const QByteArray& Bytes) {
    ByteReader r(Bytes);
    if (Bytes.size() < 12)
        Refuse("no RIFF header");
    const std::uint32_t riff = r.ReadU32LE();
    const std::uint32_t size = r.ReadU32LE();
    const std::uint32_t form = r.ReadU32LE();
    if (riff != FourCC("RIFF") || form != FourCC("AVI "))
        Refuse("not an AVI file");
    if (size < 4 || size > std::size_t(Bytes.size()) - 8)
        Refuse("RIFF size past the file");
    TReader reader{Bytes, {}, {}, {}};
    reader.Walk(12, size - 4, 0);
    if (!reader.Format.Found)
        Refuse("no video stream");
    if (reader.Clip.Frames.empty())
        Refuse("no frames");
    reader.Clip.FrameTime = reader.Format.FrameTime;
    return std::move(reader.Clip);
}

TAviClip LoadAviClip(const QString& Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        throw EReadError(QStringLiteral("cannot open %1: %2").arg(Path, file.errorString()));
    if (file.size() > MaxFileSize)
        Refuse("file too large");
    return ReadAviClip(file.read(MaxFileSize + 1));
}
