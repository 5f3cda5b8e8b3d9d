#pragma once
// The picture reader and writer of the image library: TImageIO picks the codec from the file name's
// extension and keeps the file parameters of the last picture in its TIOParamsVals record, which
// also supplies the settings for writing.

#include "imaging/Bitmap.h"
#include "imaging/ImgUtils.h"
#include "imaging/ImgViewLink.h"
#include "platform/Bytes.h"
#include "platform/Color.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct TNeuQuant;

class TImageIO;

// Kinds of picture file, as FileType reports them.
using ImageFileType = std::uint8_t;
enum : ImageFileType {
    ioUnknown = 0,
    ioTIFF = 1,
    ioGIF = 2,
    ioJPEG = 3,
    ioPCX = 4,
    ioBMP = 5,
    ioICO = 6,
    ioCUR = 7,
    ioPNG = 8,
    ioWMF = 9,
    ioEMF = 10,
};

// LZW codecs that GIF and TIFF pictures need. No implementation is part of the station: the hooks
// stay unset and those pictures fail with the codecs' own messages.
// The GIF decoder fills width x height indices (rows from the top, interlace undone) and leaves the
// stream behind the image's block terminator.
using TGifLzwDecoder = void (*)(ByteReader& stream, int height, int width, bool interlaced,
                                std::uint8_t* indices);
// The GIF encoder writes the minimum code size byte, the data sub-blocks and the block terminator.
using TGifLzwEncoder = void (*)(ByteWriter& stream, int height, int width, bool interlaced,
                                const std::uint8_t* indices, int bitsPerPixel);
// The TIFF decoder returns the next decoded row of a strip; it is called once more with a null
// strip and row length 0 after the strip's last row so that it can release what it holds.
using TTiffLzwDecoder = const std::uint8_t* (*)(const std::uint8_t* strip, int rowBytes, int& state);

extern TGifLzwDecoder DefaultGifLzwDecoder;
extern TGifLzwEncoder DefaultGifLzwEncoder;
extern TTiffLzwDecoder DefaultTiffLzwDecoder;

// The file parameters of one picture: filled by every reader, read by every writer.
class TIOParamsVals {
public:
    explicit TIOParamsVals(TImageIO* owner = nullptr);
    TIOParamsVals(const TIOParamsVals&) = delete;
    TIOParamsVals& operator=(const TIOParamsVals&) = delete;

    // Every field back to its default; the colour map is emptied.
    void ResetParams();
    // Copies every field but Owner.
    void Assign(const TIOParamsVals& source);

    int ColorMapCount() const { return int(ColorMap.size()); }

    TImageIO* Owner = nullptr;
    int BitsPerSample = 8;
    int SamplesPerPixel = 3;
    int DpiX = 0;
    int DpiY = 0;
    ImageFileType FileType = ioUnknown;
    std::uint8_t TiffCompression = 0;
    int TiffImageIndex = 0;
    std::uint8_t TiffPhotometric = 2;
    int TiffPlanarConfig = 1;
    int TiffXPosition = 0;
    int TiffYPosition = 0;
    QString TiffDocumentName;
    QString TiffImageDescription;
    QString TiffPageName;
    int TiffPageNumber = 0;
    int TiffPageCount = 0;
    TTiffLzwDecoder TiffLzwDecoder = nullptr;
    QString GifVersion = QStringLiteral("GIF89a");
    int GifImageIndex = 0;
    int GifLeft = 0;
    int GifTop = 0;
    int GifDelay = 0;
    bool GifHasTransparency = false;
    TBGRColor GifTransparentColor;
    bool GifInterlaced = false;
    int GifScreenWidth = 0;
    int GifScreenHeight = 0;
    TBGRColor GifBackground;
    int GifAspect = 0;
    TGifLzwDecoder GifLzwDecoder = nullptr;
    TGifLzwEncoder GifLzwEncoder = nullptr;
    std::uint8_t JpegGray = 0;
    int JpegQuality = 50;
    std::uint8_t JpegDctMethod = 0;
    bool JpegOptimizeCoding = false;
    int JpegSmoothing = 0;
    bool JpegProgressive = false;
    int PcxVersion = 5;
    bool PcxCompressed = true;
    // 0 another header size, 1 the 40-byte header, 2 the 12-byte core header, 3 the 64-byte header.
    std::uint8_t BmpVersion = 1;
    bool BmpCompressed = false;
    int IconWidth = 16;
    int IconHeight = 16;
    int CursorWidth = 16;
    int CursorHeight = 16;
    bool PngInterlaced = false;
    TBGRColor PngBackground;
    // 0 the None filter, 1 Sub, 2 Paeth, any other value the library's own choice.
    std::uint8_t PngFilter = 0;
    int PngCompressionLevel = 5;
    QString FileName;
    int Width = 0;
    int Height = 0;
    // The colour table of the file (palette pictures) or the one written.
    std::vector<TBGRColor> ColorMap;
};

enum TMsgLanguage { msEnglish, msItalian, msGerman, msSpanish, msFrench };
enum TIOPreviewsParamsItems : unsigned { ioppDefaultLockPreview = 1 };

// A codec's progress: the factor becomes 100 divided by the rows it will deliver, and each report
// is the truncated product of the rows done and the factor.
inline void SetProgressRows(TProgressRec& progress, long long rows) {
    progress.Factor = rows > 0 ? 100.0 / double(rows) : 0.0;
}
inline void ReportRows(TProgressRec& progress, long long done) {
    progress.Counter = int(done);
    if (progress.OnProgress)
        progress.Report(int(double(done) * progress.Factor));
}

// The palette of a palette writer for a 24-bit picture: the picture's own colours (in the order
// they first appear, the rest of the table black) when it has no more than count of them, else
// count colours learned by the colour quantiser. Either way the table has count entries.
class TWriterPalette {
public:
    TWriterPalette(const TBitmap& picture, int count);
    ~TWriterPalette();
    TWriterPalette(const TWriterPalette&) = delete;
    TWriterPalette& operator=(const TWriterPalette&) = delete;

    const std::vector<TBGRColor>& Colors() const { return FColors; }
    // True when the table holds the picture's own colours.
    bool Exact() const { return !FQuantiser; }
    int IndexOf(TBGRColor color) const;
    // The palette indices of one 24-bit row, one byte per pixel.
    void MapRow(const std::uint8_t* row, int width, std::uint8_t* indices) const;

private:
    std::vector<TBGRColor> FColors;
    // The exact colours: open addressing over 24-bit keys (an empty slot holds ~0u).
    std::vector<std::uint32_t> FKeys;
    std::vector<std::uint8_t> FIndices;
    std::unique_ptr<TNeuQuant> FQuantiser;
};

// The resolution that pictures without one of their own take: the primary screen's logical dots per
// inch when a GUI runs, else 96.
int ScreenPixelsPerInch();

// The whole contents of a picture file. A file that cannot be opened or read, a folder, pipe or
// device, and a file above ImageLimits::MaxFileBytes raise EReadError.
QByteArray ReadWholeFile(const QString& fileName);

// Reads picture files into the attached bitmap and writes it to picture files. A load decodes into
// a new bitmap and replaces the attached one only on success; a save writes a temporary file that
// replaces the old one only when it is complete. An attached view also lends its resolution. The
// background is the fill colour of metafiles; PNG and GIF loads set it.
class TImageIO : public TPictureComponent {
public:
    explicit TImageIO(QObject* owner = nullptr);
    ~TImageIO() override;

    TIOParamsVals& Params() { return FParams; }
    const TIOParamsVals& Params() const { return FParams; }
    // Copies the parameters of another component; any other object changes nothing.
    void AssignParams(const QObject* source);
    void AssignParams(const TIOParamsVals& source);

    // Chooses the reader by the lower-cased extension; an extension without a reader empties
    // FileName, sets FileType 0 and leaves the bitmap alone.
    void LoadFromFile(const QString& fileName);
    // Chooses the writer by the lower-cased extension; BMP for any other extension.
    void SaveToFile(const QString& fileName);

    void LoadBMP(const QString& fileName);
    void LoadGIF(const QString& fileName);
    void LoadTIFF(const QString& fileName);
    void LoadJPEG(const QString& fileName);
    void LoadPCX(const QString& fileName);
    void LoadPNG(const QString& fileName);
    void LoadICO(const QString& fileName);
    void LoadCUR(const QString& fileName);
    // WMF and EMF: the drawing at its own size less one pixel, over Background (FileType 9 for a
    // name ending in ".wmf", else 10).
    void LoadMetafile(const QString& fileName);

    void SaveBMP(const QString& fileName);
    void SaveGIF(const QString& fileName);
    void SaveTIFF(const QString& fileName);
    void SaveJPEG(const QString& fileName);
    void SavePCX(const QString& fileName);
    void SavePNG(const QString& fileName);

    // Scans a picture into the attached bitmap through the default scanner's dialog; false when no
    // bitmap is attached or nothing was scanned. The parameters take the picture's depth and
    // resolution.
    bool Acquire();
    // Lets the user choose the default scanner; true when one was chosen.
    bool SelectSource();

    TProgressEvent OnProgress;
    TMsgLanguage MsgLanguage = msEnglish;
    unsigned PreviewsParams = 0;
    bool StreamHeaders = true;

private:
    using Reader = void (*)(ByteReader&, TBitmap&, TIOParamsVals&, TProgressRec&);
    enum class Translate { Any, InvalidGraphic };
    void LoadWith(const QString& fileName, ImageFileType type, Reader reader, const QString& failure,
                  Translate translate, bool appendMessage);
    void LoadIcon(const QString& fileName, bool cursor);
    using Writer = void (*)(ByteWriter&, TBitmap&, TIOParamsVals&, TProgressRec&);
    // Writes the picture in 24 bits, or as it is when 1-bit, or 4-bit for a writer that keeps 4 bits.
    void SaveWith(const QString& fileName, Writer writer, bool keepsFourBit = false);
    TProgressRec Progress();
    void Refresh();

    TIOParamsVals FParams;
};
