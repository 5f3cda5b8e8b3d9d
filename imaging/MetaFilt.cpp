// The metafile path of the picture reader: a WMF or EMF drawing becomes a 24-bit picture.

#include "imaging/ImageIO.h"
#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/Metafile.h"

#include <QFileInfo>

#include <cstring>

void TImageIO::LoadMetafile(const QString& fileName) {
    if (!FBitmap)
        return;
    const ImageFileType type = QFileInfo(fileName).suffix().toLower() == QLatin1String("wmf") ? ioWMF : ioEMF;
    // A file that cannot be read is reported as such, not as an unrecognized drawing.
    const QByteArray data = ReadWholeFile(fileName);
    TBitmap picture;
    try {
        TMetafile metafile;
        metafile.LoadFromData(data);
        // The picture is the drawing's size less one pixel each way, over the background, with the
        // drawing at its own size; the size, which only the header gives, is held to the drawings' cap
        // before anything is allocated.
        const int width = metafile.Width(), height = metafile.Height();
        if (!ImageLimits::PixelsWithinLimit(std::int64_t(width) - 1, std::int64_t(height) - 1,
                                            ImageLimits::MaxDrawingPixels))
            throw EInvalidGraphic(TMetafile::UnrecognizedText());
        picture = TBitmap(width - 1, height - 1, pf24bit);
        const TBGRColor fill = TColor2TRGB(Background());
        std::vector<std::uint8_t> row(std::size_t(picture.Width()) * 3);
        for (std::size_t x = 0; x < row.size(); x += 3) {
            row[x] = fill.b;
            row[x + 1] = fill.g;
            row[x + 2] = fill.r;
        }
        for (int y = 0; y < picture.Height(); ++y)
            std::memcpy(picture.ScanLine(y), row.data(), row.size());
        metafile.Draw(picture, QRect(0, 0, width, height));
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception&) {
        // Any failure on this path, running out of memory included.
        throw EInvalidGraphic(TMetafile::UnrecognizedText());
    }
    *FBitmap = std::move(picture);
    FParams.FileName = fileName;
    FParams.FileType = type;
    FParams.BitsPerSample = 8;
    FParams.SamplesPerPixel = 3;
    FParams.Width = FBitmap->Width();
    FParams.Height = FBitmap->Height();
    FParams.DpiX = ScreenPixelsPerInch();
    FParams.DpiY = FParams.DpiX;
    FParams.ColorMap.clear();
    Refresh();
}
