#include "imaging/ImageIO.h"

#include "imaging/BMPFilt.h"
#include "imaging/GIFFilter.h"
#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/JPEGFilt.h"
#include "imaging/NeurQuant.h"
#include "imaging/PCXFilter.h"
#include "imaging/PNGFilt.h"
#include "imaging/TIFFilt.h"
#include "platform/PlainFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QSaveFile>
#include <QScreen>

#include <cmath>
#include <utility>

TGifLzwDecoder DefaultGifLzwDecoder = nullptr;
TGifLzwEncoder DefaultGifLzwEncoder = nullptr;
TTiffLzwDecoder DefaultTiffLzwDecoder = nullptr;

int ScreenPixelsPerInch() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return int(std::lround(screen->logicalDotsPerInch()));
    return 96;
}

// ---------------------------------------------------------------------------------------------
// TWriterPalette

namespace {
constexpr std::uint32_t EmptyKey = ~0u;

std::uint32_t KeyOf(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
}

std::size_t SlotOf(std::uint32_t key, std::size_t mask) {
    return std::size_t((key * 2654435761u) >> 8) & mask;
}
} // namespace

TWriterPalette::TWriterPalette(const TBitmap& picture, int count) {
    if (picture.PixelFormat() != pf24bit || count < 1 || count > 256)
        throw EInvalidGraphic(QStringLiteral("Invalid palette request"));
    // Room for count + 1 keys at most half full.
    std::size_t size = 16;
    while (size < std::size_t(count + 1) * 2)
        size *= 2;
    FKeys.assign(size, EmptyKey);
    FIndices.assign(size, 0);
    const std::size_t mask = size - 1;
    bool tooMany = false;
    std::uint32_t last = EmptyKey;
    for (int y = 0; y < picture.Height() && !tooMany; ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const std::uint32_t key = KeyOf(row + 3 * x);
            if (key == last)
                continue;
            last = key;
            std::size_t slot = SlotOf(key, mask);
            while (FKeys[slot] != EmptyKey && FKeys[slot] != key)
                slot = (slot + 1) & mask;
            if (FKeys[slot] == key)
                continue;
            if (int(FColors.size()) == count) {
                tooMany = true;
                break;
            }
            FKeys[slot] = key;
            FIndices[slot] = std::uint8_t(FColors.size());
            FColors.push_back(TBGRColor{row[3 * x], row[3 * x + 1], row[3 * x + 2]});
        }
    }
    if (tooMany) {
        FKeys.clear();
        FIndices.clear();
        FQuantiser = BuildNeuQuantPalette(picture, FColors, -1, count);
    }
    FColors.resize(std::size_t(count));
}

TWriterPalette::~TWriterPalette() {
    if (FQuantiser)
        FreeNeuQuant(FQuantiser);
}

int TWriterPalette::IndexOf(TBGRColor c) const {
    if (FQuantiser)
        return NeuQuantIndex(*FQuantiser, c);
    const std::uint32_t key = std::uint32_t(c.b) | (std::uint32_t(c.g) << 8) | (std::uint32_t(c.r) << 16);
    const std::size_t mask = FKeys.size() - 1;
    for (std::size_t slot = SlotOf(key, mask);; slot = (slot + 1) & mask) {
        if (FKeys[slot] == key)
            return FIndices[slot];
        if (FKeys[slot] == EmptyKey)
            return NearestPaletteIndex(FColors.data(), int(FColors.size()), c);
    }
}

void TWriterPalette::MapRow(const std::uint8_t* row, int width, std::uint8_t* indices) const {
    std::uint32_t lastKey = EmptyKey;
    std::uint8_t lastIndex = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = row + 3 * x;
        const std::uint32_t key = KeyOf(p);
        if (key != lastKey) {
            lastKey = key;
            lastIndex = std::uint8_t(IndexOf(TBGRColor{p[0], p[1], p[2]}));
        }
        indices[x] = lastIndex;
    }
}

// ---------------------------------------------------------------------------------------------
// TIOParamsVals

TIOParamsVals::TIOParamsVals(TImageIO* owner) : Owner(owner) {
    ResetParams();
}

void TIOParamsVals::ResetParams() {
    BitsPerSample = 8;
    SamplesPerPixel = 3;
    FileType = ioUnknown;
    TiffCompression = 0;
    TiffImageIndex = 0;
    TiffPhotometric = 2;
    TiffPlanarConfig = 1;
    TiffXPosition = 0;
    TiffYPosition = 0;
    TiffDocumentName.clear();
    TiffImageDescription.clear();
    TiffPageName.clear();
    TiffPageNumber = 0;
    TiffPageCount = 0;
    TiffLzwDecoder = DefaultTiffLzwDecoder;
    GifVersion = QStringLiteral("GIF89a");
    GifImageIndex = 0;
    GifLeft = 0;
    GifTop = 0;
    GifDelay = 0;
    GifHasTransparency = false;
    GifTransparentColor = TBGRColor{};
    GifInterlaced = false;
    GifScreenWidth = 0;
    GifScreenHeight = 0;
    GifBackground = TBGRColor{};
    GifAspect = 0;
    GifLzwDecoder = DefaultGifLzwDecoder;
    GifLzwEncoder = DefaultGifLzwEncoder;
    JpegGray = 0;
    JpegQuality = 50;
    JpegDctMethod = 0;
    JpegOptimizeCoding = false;
    JpegSmoothing = 0;
    JpegProgressive = false;
    PcxVersion = 5;
    PcxCompressed = true;
    BmpVersion = 1;
    BmpCompressed = false;
    IconWidth = 16;
    IconHeight = 16;
    CursorWidth = 16;
    CursorHeight = 16;
    PngInterlaced = false;
    PngBackground = TBGRColor{};
    PngFilter = 0;
    PngCompressionLevel = 5;
    FileName.clear();
    if (Owner && Owner->AttachedImageView()) {
        DpiX = Owner->AttachedImageView()->DpiX();
        DpiY = Owner->AttachedImageView()->DpiY();
    }
    if (Owner && Owner->AttachedBitmap()) {
        Width = Owner->AttachedBitmap()->Width();
        Height = Owner->AttachedBitmap()->Height();
    }
    ColorMap.clear();
}

void TIOParamsVals::Assign(const TIOParamsVals& s) {
    if (&s == this)
        return;
    BitsPerSample = s.BitsPerSample;
    SamplesPerPixel = s.SamplesPerPixel;
    DpiX = s.DpiX;
    DpiY = s.DpiY;
    FileType = s.FileType;
    TiffCompression = s.TiffCompression;
    TiffImageIndex = s.TiffImageIndex;
    TiffPhotometric = s.TiffPhotometric;
    TiffPlanarConfig = s.TiffPlanarConfig;
    TiffXPosition = s.TiffXPosition;
    TiffYPosition = s.TiffYPosition;
    TiffDocumentName = s.TiffDocumentName;
    TiffImageDescription = s.TiffImageDescription;
    TiffPageName = s.TiffPageName;
    TiffPageNumber = s.TiffPageNumber;
    TiffPageCount = s.TiffPageCount;
    TiffLzwDecoder = s.TiffLzwDecoder;
    GifVersion = s.GifVersion;
    GifImageIndex = s.GifImageIndex;
    GifLeft = s.GifLeft;
    GifTop = s.GifTop;
    GifDelay = s.GifDelay;
    GifHasTransparency = s.GifHasTransparency;
    GifTransparentColor = s.GifTransparentColor;
    GifInterlaced = s.GifInterlaced;
    GifScreenWidth = s.GifScreenWidth;
    GifScreenHeight = s.GifScreenHeight;
    GifBackground = s.GifBackground;
    GifAspect = s.GifAspect;
    GifLzwDecoder = s.GifLzwDecoder;
    GifLzwEncoder = s.GifLzwEncoder;
    JpegGray = s.JpegGray;
    JpegQuality = s.JpegQuality;
    JpegDctMethod = s.JpegDctMethod;
    JpegOptimizeCoding = s.JpegOptimizeCoding;
    JpegSmoothing = s.JpegSmoothing;
    JpegProgressive = s.JpegProgressive;
    PcxVersion = s.PcxVersion;
    PcxCompressed = s.PcxCompressed;
    BmpVersion = s.BmpVersion;
    BmpCompressed = s.BmpCompressed;
    IconWidth = s.IconWidth;
    IconHeight = s.IconHeight;
    CursorWidth = s.CursorWidth;
    CursorHeight = s.CursorHeight;
    PngInterlaced = s.PngInterlaced;
    PngBackground = s.PngBackground;
    PngFilter = s.PngFilter;
    PngCompressionLevel = s.PngCompressionLevel;
    FileName = s.FileName;
    Width = s.Width;
    Height = s.Height;
    ColorMap = s.ColorMap;
}

QByteArray ReadWholeFile(const QString& fileName) {
    return ReadPlainFile(fileName, ImageLimits::MaxFileBytes);
}

namespace {

// The extension from the last point of the file-name part, lower-cased, with its point.
QString LowerExtension(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    const QString name = QFileInfo(fileName).fileName();
    if (suffix.isEmpty() && !name.endsWith(QLatin1Char('.')))
        return QString();
    return QLatin1Char('.') + suffix.toLower();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TImageIO

TImageIO::TImageIO(QObject* owner) : TPictureComponent(owner), FParams(this) {}

TImageIO::~TImageIO() = default;

void TImageIO::AssignParams(const QObject* source) {
    if (const auto* io = dynamic_cast<const TImageIO*>(source))
        FParams.Assign(io->FParams);
}

void TImageIO::AssignParams(const TIOParamsVals& source) {
    FParams.Assign(source);
}

TProgressRec TImageIO::Progress() {
    TProgressRec p;
    p.OnProgress = OnProgress;
    p.Sender = this;
    return p;
}

void TImageIO::Refresh() {
    if (TImgViewLink* view = AttachedImageView())
        view->SetDpi(FParams.DpiX, FParams.DpiY);
    FAttach.Refresh();
}

void TImageIO::LoadFromFile(const QString& fileName) {
    if (!FBitmap)
        return;
    const QString ext = LowerExtension(fileName);
    if (ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg"))
        LoadJPEG(fileName);
    else if (ext == QLatin1String(".png"))
        LoadPNG(fileName);
    else if (ext == QLatin1String(".tif") || ext == QLatin1String(".tiff"))
        LoadTIFF(fileName);
    else if (ext == QLatin1String(".pcx"))
        LoadPCX(fileName);
    else if (ext == QLatin1String(".gif"))
        LoadGIF(fileName);
    else if (ext == QLatin1String(".wmf") || ext == QLatin1String(".emf"))
        LoadMetafile(fileName);
    else if (ext == QLatin1String(".bmp"))
        LoadBMP(fileName);
    else if (ext == QLatin1String(".cur"))
        LoadCUR(fileName);
    else if (ext == QLatin1String(".ico"))
        LoadICO(fileName);
    else {
        FParams.FileName.clear();
        FParams.FileType = ioUnknown;
    }
}

void TImageIO::SaveToFile(const QString& fileName) {
    const QString ext = LowerExtension(fileName);
    if (ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg"))
        SaveJPEG(fileName);
    else if (ext == QLatin1String(".pcx"))
        SavePCX(fileName);
    else if (ext == QLatin1String(".gif"))
        SaveGIF(fileName);
    else if (ext == QLatin1String(".tif") || ext == QLatin1String(".tiff"))
        SaveTIFF(fileName);
    else if (ext == QLatin1String(".png"))
        SavePNG(fileName);
    else
        SaveBMP(fileName);
}

void TImageIO::LoadWith(const QString& fileName, ImageFileType type, Reader reader, const QString& failure,
                        Translate translate, bool appendMessage) {
    if (!FBitmap)
        return;
    // The parameters change only with a picture that loaded; the readers replace the bitmap only
    // once the whole picture decoded.
    TIOParamsVals params(this);
    params.Assign(FParams);
    TProgressRec progress = Progress();
    auto fail = [&](const Exception& e) -> EInvalidGraphic {
        return EInvalidGraphic(appendMessage ? e.Message() + QStringLiteral(" : ") + failure : failure);
    };
    // A file that cannot be read is reported as such, whatever its format.
    const QByteArray data = ReadWholeFile(fileName);
    try {
        ByteReader stream(data);
        reader(stream, *FBitmap, params, progress);
    } catch (const EAbort&) {
        throw;
    } catch (const EInvalidGraphic& e) {
        throw fail(e);
    } catch (const Exception& e) {
        if (translate == Translate::Any)
            throw fail(e);
        throw;
    } catch (const std::exception& e) {
        // Running out of memory on a picture too large for this machine, for example.
        if (translate == Translate::Any)
            throw fail(Exception(QString::fromLocal8Bit(e.what())));
        throw;
    }
    FParams.Assign(params);
    FParams.FileName = fileName;
    FParams.FileType = type;
    Refresh();
}

void TImageIO::LoadBMP(const QString& fileName) {
    LoadWith(
        fileName, ioBMP,
        [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) { ReadBMP(s, b, s.Size(), r, p); },
        QStringLiteral("unrecognized BMP"), Translate::Any, false);
}

void TImageIO::LoadJPEG(const QString& fileName) {
    LoadWith(fileName, ioJPEG, ReadJPEG, QStringLiteral("unrecognized JPEG"), Translate::InvalidGraphic,
             false);
}

void TImageIO::LoadPNG(const QString& fileName) {
    if (!FBitmap)
        return;
    FParams.PngBackground = TColor2TRGB(Background());
    LoadWith(fileName, ioPNG, ReadPNG, QStringLiteral("unrecognized PNG"), Translate::InvalidGraphic, false);
    const TBGRColor bg = FParams.PngBackground;
    SetBackground(RGB(bg.r, bg.g, bg.b));
}

void TImageIO::LoadTIFF(const QString& fileName) {
    // An index past the file's images is an error here, so that the old picture never passes as loaded.
    LoadWith(
        fileName, ioTIFF,
        [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
            int count = 0;
            ReadTIFF(s, b, count, r, p);
            if (p.TiffImageIndex < 0 || p.TiffImageIndex >= count)
                throw EInvalidGraphic(QStringLiteral("TIFF image not found"));
        },
        QStringLiteral("unrecognized TIFF"), Translate::InvalidGraphic, true);
}

void TImageIO::LoadGIF(const QString& fileName) {
    if (!FBitmap)
        return;
    LoadWith(
        fileName, ioGIF,
        [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
            int count = 0;
            ReadGIF(s, b, count, r, p);
        },
        QStringLiteral("unrecognized GIF"), Translate::Any, true);
    const TBGRColor bg = FParams.GifHasTransparency ? FParams.GifTransparentColor : FParams.GifBackground;
    SetBackground(RGB(bg.r, bg.g, bg.b));
}

void TImageIO::LoadPCX(const QString& fileName) {
    if (!FBitmap)
        return;
    FParams.FileName = fileName;
    FParams.FileType = ioPCX;
    LoadWith(
        fileName, ioPCX,
        [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) { ReadPCX(s, b, p, r, s.Size()); },
        QStringLiteral("unrecognized PCX"), Translate::Any, false);
}

void TImageIO::LoadICO(const QString& fileName) {
    LoadIcon(fileName, false);
}

void TImageIO::LoadCUR(const QString& fileName) {
    LoadIcon(fileName, true);
}

// Icons and cursors come through Qt's reader: the image nearest the requested size (the deeper one
// of equals) is scaled to that size and drawn over black, as on a new bitmap.
void TImageIO::LoadIcon(const QString& fileName, bool cursor) {
    if (!FBitmap)
        return;
    const int width = cursor ? FParams.CursorWidth : FParams.IconWidth;
    const int height = cursor ? FParams.CursorHeight : FParams.IconHeight;
    const QString failure = cursor ? QStringLiteral("unrecognized CUR") : QStringLiteral("unrecognized ICO");
    if (!ImageLimits::PixelsWithinLimit(width, height))
        throw EInvalidGraphic(failure);
    QByteArray data = ReadWholeFile(fileName);
    QImage best;
    {
        QBuffer buffer(&data);
        QImageReader reader(&buffer, cursor ? QByteArray("cur") : QByteArray("ico"));
        const int count = std::max(1, reader.imageCount());
        std::int64_t bestDistance = 0;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && !reader.jumpToImage(i))
                break;
            QImage image = reader.read();
            if (image.isNull())
                continue;
            const std::int64_t distance = std::abs(std::int64_t(image.width()) - width) +
                                          std::abs(std::int64_t(image.height()) - height);
            if (best.isNull() || distance < bestDistance ||
                (distance == bestDistance && image.depth() > best.depth())) {
                best = std::move(image);
                bestDistance = distance;
            }
        }
    }
    if (best.isNull())
        throw EInvalidGraphic(failure);
    if (best.width() != width || best.height() != height)
        best = best.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Premultiplied colours are the picture drawn over black.
    best = best.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    TBitmap result;
    result.SetPixelFormat(pf24bit);
    result.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(best.constScanLine(y));
        std::uint8_t* dst = result.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            dst[3 * x] = std::uint8_t(qBlue(src[x]));
            dst[3 * x + 1] = std::uint8_t(qGreen(src[x]));
            dst[3 * x + 2] = std::uint8_t(qRed(src[x]));
        }
    }
    *FBitmap = std::move(result);
    FParams.FileName = fileName;
    FParams.FileType = cursor ? ioCUR : ioICO;
    FParams.BitsPerSample = 8;
    FParams.SamplesPerPixel = 3;
    FParams.Width = width;
    FParams.Height = height;
    FParams.DpiX = ScreenPixelsPerInch();
    FParams.DpiY = FParams.DpiX;
    FParams.ColorMap.clear();
    Refresh();
}

void TImageIO::SaveWith(const QString& fileName, Writer writer, bool keepsFourBit) {
    if (!FBitmap)
        return;
    const TPixelFormat format = FBitmap->PixelFormat();
    if (format != pf24bit && format != pf1bit && !(format == pf4bit && keepsFourBit))
        FBitmap->SetPixelFormat(pf24bit);
    ByteWriter out;
    TProgressRec progress = Progress();
    writer(out, *FBitmap, FParams, progress);
    // The old file stays as it was unless the new one is complete. A name that is there but no
    // plain file (a device, a pipe) is refused: putting the picture in place would replace that
    // node with a file.
    if (const QFileInfo existing(fileName); existing.exists() && !existing.isFile())
        throw EWriteError(QStringLiteral("Cannot write file \"%1\". It is not a plain file").arg(fileName));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EWriteError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    const auto& bytes = out.Buffer();
    if (file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
            qint64(bytes.size()) ||
        !file.commit())
        throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}

void TImageIO::SaveBMP(const QString& fileName) {
    // A 4-bit picture goes to the BMP writer as it is, which writes it with its own table.
    SaveWith(
        fileName, [](ByteWriter& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) { WriteBMP(s, b, p, r); },
        true);
}

void TImageIO::SaveJPEG(const QString& fileName) {
    SaveWith(fileName, WriteJPEG);
}

void TImageIO::SavePNG(const QString& fileName) {
    SaveWith(fileName, WritePNG);
}

void TImageIO::SaveGIF(const QString& fileName) {
    SaveWith(fileName,
             [](ByteWriter& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) { WriteGIF(s, b, p, r); });
}

void TImageIO::SaveTIFF(const QString& fileName) {
    SaveWith(fileName, [](ByteWriter& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        WriteTIFF(s, false, b, r, p);
    });
}

void TImageIO::SavePCX(const QString& fileName) {
    SaveWith(fileName,
             [](ByteWriter& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) { WritePCX(s, b, p, r); });
}
