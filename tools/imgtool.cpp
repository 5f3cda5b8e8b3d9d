// imgtool: runs the picture operations and the picture files of the image library, for tests,
// reviews and benchmarks.
//
//   imgtool convert IN OUT [--bits N] [--samples N] [--pcx-raw]
//                   [--compression none|huffman|g3|g3-2d|g4|packbits] [--index N] [--append [--at N]]
//   imgtool convert F.wmf|F.emf OUT [--size WxH] [--background RRGGBB]
//   imgtool info IN [--index N]
//   imgtool reduce IN OUT N
//   imgtool gray IN OUT
//   imgtool bw IN OUT threshold|dither [LEVEL]
//   imgtool resample IN OUT W H FILTER   (none triangle hermite bell bspline lanczos3 mitchell)
//   imgtool rotate IN OUT DEGREES
//   imgtool count IN
//   imgtool scan OUT [--device NAME] [--set NAME=VALUE]... [--multi]
//
// Pictures are read and written by their extension through the station's reader and writer
// (BMP, PNG, JPEG, ...); binary PPM (P6) and PGM (P5) files stay readable (8- or 16-bit samples)
// and writable (8 bits) as test formats. convert writes with the parameters of the file read,
// --bits and --samples setting the writer's BitsPerSample and SamplesPerPixel, --pcx-raw writing
// PCX lines uncoded, --compression the TIFF writer's TiffCompression; --index picks the image of a
// TIFF input, and --append adds the picture to the existing Intel-ordered TIFF file OUT as its image
// number --at (at the end without it). info prints width, height, bits per sample, samples per
// pixel and file type; for PCX also the resolution, the version and the colour map's length; for
// TIFF (--index choosing the image) the resolution, the TIFF compression code, photometric and
// planar configuration and the number of images in the file. For GIF it prints what the
// reader read before it stopped (--index choosing the image), then the component's error. scan
// acquires a picture from the default scanner, or from NAME and no other, without a dialog (a NAME no
// scanner has is an error, and nothing is written): the options are set in
// order, then it scans; it prints what info prints, then "dpi X Y"; --multi collects every page of a
// document feeder into OUT-1, OUT-2, ... A WMF or EMF drawing is read through the reader (its own
// size less one pixel, at the screen's resolution, over black or the --background colour) or, with
// --size, drawn by the metafile player onto a W x H picture; for drawings the tool starts Qt's
// offscreen platform when no platform is set, so that their text renders without a display. Errors
// go to stderr, exit 1.

#include "imaging/GIFFilter.h"
#include "imaging/ImageIO.h"
#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "imaging/Metafile.h"
#include "imaging/TIFFilt.h"
#include "imaging/imgtwain.h"
#include "platform/PlainFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the next header number of a PNM file, skipping white space and comments.
int HeaderNumber(const QByteArray& data, qsizetype& pos) {
    for (;;) {
        while (pos < data.size() && std::strchr(" \t\r\n\v\f", data[pos]) && data[pos] != 0)
            ++pos;
        if (pos < data.size() && data[pos] == '#') {
            while (pos < data.size() && data[pos] != '\n' && data[pos] != '\r')
                ++pos;
            continue;
        }
        break;
    }
    std::int64_t value = 0;
    const qsizetype start = pos;
    while (pos < data.size() && data[pos] >= '0' && data[pos] <= '9') {
        value = value * 10 + (data[pos] - '0');
        if (value > 0x7FFFFFFF)
            throw ToolError("number too large in the picture header");
        ++pos;
    }
    if (pos == start)
        throw ToolError("bad picture header");
    return int(value);
}

TBitmap ReadPnm(const QString& name) {
    // Only a plain file: a pipe or device is refused at once.
    struct stat st;
    QString why;
    const TFd fd = OpenPlainFile(QFile::encodeName(name).constData(), st, &why);
    QFile file;
    if (!fd.Valid() || !file.open(fd.Get(), QIODevice::ReadOnly))
        throw ToolError("cannot read " + name.toStdString() + ": " + why.toStdString());
    // The file's pages are read in place where it can be mapped, else read whole within the bound.
    uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr;
    const QByteArray data = mapped
                                ? QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file.size())
                                : ReadWholeFile(name);
    if (data.size() < 2 || data[0] != 'P' || (data[1] != '6' && data[1] != '5'))
        throw ToolError(name.toStdString() + ": not a binary PPM (P6) or PGM (P5) file");
    const bool colour = data[1] == '6';
    qsizetype pos = 2;
    const int width = HeaderNumber(data, pos);
    const int height = HeaderNumber(data, pos);
    const int maxval = HeaderNumber(data, pos);
    if (maxval < 1 || maxval > 65535)
        throw ToolError(name.toStdString() + ": bad sample range");
    const int bytes = maxval > 255 ? 2 : 1;
    if (pos >= data.size())
        throw ToolError(name.toStdString() + ": truncated file");
    ++pos; // the single white-space character before the samples
    if (width == 0 || height == 0)
        throw ToolError(name.toStdString() + ": empty picture");
    // Bytes of one row against the bytes left per row: the whole count may not fit in 64 bits.
    const std::int64_t rowBytes = std::int64_t(width) * (colour ? 3 : 1) * bytes;
    if (rowBytes > (data.size() - pos) / height)
        throw ToolError(name.toStdString() + ": truncated file");
    TBitmap bmp(width, height, pf24bit);
    const auto* src = reinterpret_cast<const std::uint8_t*>(data.constData() + pos);
    // Samples of 1 or 2 bytes (most significant first), scaled to 0..255.
    auto sample = [&]() {
        int v = *src++;
        if (bytes == 2)
            v = (v << 8) | *src++;
        return maxval == 255 ? std::uint8_t(v) : std::uint8_t(std::min(255, (v * 255 + maxval / 2) / maxval));
    };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bmp.ScanLine(y);
        if (colour && maxval == 255) {
            // The common case: bytes red, green, blue become blue, green, red.
            for (int x = 0; x < width; ++x, src += 3) {
                row[3 * x] = src[2];
                row[3 * x + 1] = src[1];
                row[3 * x + 2] = src[0];
            }
            continue;
        }
        for (int x = 0; x < width; ++x) {
            if (colour) {
                row[3 * x + 2] = sample();
                row[3 * x + 1] = sample();
                row[3 * x] = sample();
            } else {
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = sample();
            }
        }
    }
    return bmp;
}

// Writes binary PPM (or PGM for a .pgm name) of 8 bits: the rows are turned into red, green, blue
// (or grey) bytes and written as they are made, a chunk of rows at a time, in one pass over the
// picture.
void WritePnm(const QString& name, TBitmap& bmp) {
    if (bmp.PixelFormat() != pf24bit)
        bmp.SetPixelFormat(pf24bit);
    const bool grey = name.endsWith(QStringLiteral(".pgm"), Qt::CaseInsensitive);
    const QByteArray header = QByteArray(grey ? "P5\n" : "P6\n") + QByteArray::number(bmp.Width()) + ' ' +
                              QByteArray::number(bmp.Height()) + "\n255\n";
    const int width = bmp.Width(), height = bmp.Height();
    const std::size_t rowBytes = std::size_t(width) * (grey ? 1 : 3);
    const int chunkRows = int(std::clamp<std::size_t>(
        (std::size_t(1) << 20) / std::max<std::size_t>(rowBytes, 1), 1, std::size_t(std::max(height, 1))));
    std::vector<std::uint8_t> chunk(rowBytes * std::size_t(chunkRows));
    QSaveFile file(name);
    bool written = file.open(QIODevice::WriteOnly) && file.write(header) == header.size();
    for (int y0 = 0; written && y0 < height; y0 += chunkRows) {
        const int rows = std::min(chunkRows, height - y0);
        std::uint8_t* dst = chunk.data();
        for (int y = y0; y < y0 + rows; ++y) {
            const std::uint8_t* src = bmp.ScanLine(y);
            if (grey) {
                const auto* row = reinterpret_cast<const TBGRColor*>(src);
                for (int x = 0; x < width; ++x)
                    *dst++ = std::uint8_t(GreyOf(row[x]));
            } else {
                for (int x = 0; x < width; ++x, src += 3, dst += 3) {
                    dst[0] = src[2];
                    dst[1] = src[1];
                    dst[2] = src[0];
                }
            }
        }
        const qint64 bytes = qint64(dst - chunk.data());
        written = file.write(reinterpret_cast<const char*>(chunk.data()), bytes) == bytes;
    }
    if (!written || !file.commit())
        throw ToolError("cannot write " + name.toStdString());
}

bool IsMetafile(const QString& name) {
    const QString ext = QFileInfo(name).suffix().toLower();
    return ext == QLatin1String("wmf") || ext == QLatin1String("emf");
}

bool IsPnm(const QString& name) {
    const QString ext = QFileInfo(name).suffix().toLower();
    return ext == QLatin1String("ppm") || ext == QLatin1String("pgm");
}

// Reads a picture by its extension; the component keeps the file's parameters.
TBitmap ReadPicture(const QString& name, TImageIO& io) {
    if (IsPnm(name))
        return ReadPnm(name);
    TBitmap bmp;
    io.SetAttachedBitmap(&bmp);
    io.LoadFromFile(name);
    io.SetAttachedBitmap(nullptr);
    if (io.Params().FileType == ioUnknown)
        throw ToolError(name.toStdString() + ": not a picture file the station reads");
    return bmp;
}

void WritePicture(const QString& name, TBitmap& bmp, TImageIO& io) {
    if (IsPnm(name)) {
        WritePnm(name, bmp);
        return;
    }
    io.SetAttachedBitmap(&bmp);
    io.SaveToFile(name);
    io.SetAttachedBitmap(nullptr);
}

const char* FileTypeName(ImageFileType type) {
    static const char* const names[] = {"none", "TIFF", "GIF", "JPEG", "PCX", "BMP",
                                        "ICO",  "CUR",  "PNG", "WMF",  "EMF"};
    return type < std::size(names) ? names[type] : "none";
}

int Number(const char* text, const char* what) {
    bool ok = false;
    const int v = QString::fromLocal8Bit(text).toInt(&ok);
    if (!ok)
        throw ToolError(std::string("bad ") + what + ": " + text);
    return v;
}

TResampleFilter FilterNamed(const char* name) {
    static const std::map<std::string, TResampleFilter> filters = {
        {"none", rfNone},       {"triangle", rfTriangle}, {"hermite", rfHermite},  {"bell", rfBell},
        {"bspline", rfBSpline}, {"lanczos3", rfLanczos3}, {"mitchell", rfMitchell}};
    const auto it = filters.find(name);
    if (it == filters.end())
        throw ToolError(std::string("unknown filter: ") + name);
    return it->second;
}

const char* const UsageText =
    "usage: imgtool convert IN OUT [--bits N] [--samples N] [--pcx-raw] [--compression C] [--index N]\n"
    "                      [--append [--at N]] |\n"
    "       convert F.wmf|F.emf OUT [--size WxH] [--background RRGGBB] | info IN [--index N] |\n"
    "       reduce IN OUT N | gray IN OUT | bw IN OUT threshold|dither [LEVEL] |\n"
    "       resample IN OUT W H FILTER | rotate IN OUT DEGREES | count IN |\n"
    "       scan OUT [--device NAME] [--set NAME=VALUE]... [--multi]\n"
    "       (C: none huffman g3 g3-2d g4 packbits)";

[[noreturn]] void Usage() {
    throw ToolError(UsageText);
}

std::uint8_t CompressionNamed(const std::string& name) {
    static const std::map<std::string, std::uint8_t> codes = {{"none", 0},  {"huffman", 1}, {"g3", 2},
                                                              {"g3-2d", 3}, {"g4", 4},      {"packbits", 8}};
    const auto it = codes.find(name);
    if (it == codes.end())
        throw ToolError("unknown compression: " + name);
    return it->second;
}

// Adds the picture to an existing TIFF file as its image number at.
void AppendTiff(const QString& name, const TBitmap& bmp, TIOParamsVals& params, int at) {
    const QByteArray old = ReadWholeFile(name);
    ByteWriter stream;
    stream.Buffer().assign(old.begin(), old.end());
    params.TiffImageIndex = at;
    TProgressRec progress;
    WriteTIFF(stream, true, bmp, progress, params);
    const QByteArray bytes = stream.ToByteArray();
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ToolError("cannot write " + name.toStdString());
}

// The number of images of a TIFF file: asking for an image past the chain reads nothing but the count.
int TiffImages(const QString& name) {
    const QByteArray data = ReadWholeFile(name);
    ByteReader stream(data);
    TBitmap none;
    TIOParamsVals params;
    params.TiffImageIndex = std::numeric_limits<int>::max();
    TProgressRec progress;
    int count = 0;
    ReadTIFF(stream, none, count, progress, params);
    return count;
}

// The options of drawings: a picture size and a background colour.
struct TDrawingOptions {
    int Width = 0, Height = 0;
    TColor Background = 0;
    bool Given = false;
};

// True when argv[i] is a drawing's option; its value is taken.
bool DrawingOption(int& i, int argc, char** argv, TDrawingOptions& o) {
    if (i + 1 >= argc)
        return false;
    const char* value = argv[i + 1];
    if (std::strcmp(argv[i], "--size") == 0) {
        const QStringList parts = QString::fromLocal8Bit(value).split(QLatin1Char('x'));
        bool okW = false, okH = false;
        if (parts.size() == 2) {
            o.Width = parts[0].toInt(&okW);
            o.Height = parts[1].toInt(&okH);
        }
        if (!okW || !okH || !ImageLimits::PixelsWithinLimit(o.Width, o.Height))
            throw ToolError(std::string("bad size (WxH, at most 2^28 pixels): ") + value);
    } else if (std::strcmp(argv[i], "--background") == 0) {
        bool ok = false;
        const uint rgb = QString::fromLocal8Bit(value).toUInt(&ok, 16);
        if (!ok || std::strlen(value) != 6)
            throw ToolError(std::string("bad background colour (RRGGBB): ") + value);
        o.Background = RGB(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
    } else {
        return false;
    }
    o.Given = true;
    ++i;
    return true;
}

// A drawing through the reader over the background, or with a size drawn by the player onto a
// picture of that size.
TBitmap ReadDrawing(const QString& in, TImageIO& io, const TDrawingOptions& o) {
    io.SetBackground(o.Background);
    if (o.Width == 0)
        return ReadPicture(in, io);
    TMetafile metafile;
    metafile.LoadFromFile(in);
    TBitmap bmp(o.Width, o.Height, pf24bit);
    const TBGRColor fill = TColor2TRGB(o.Background);
    for (int y = 0; y < o.Height; ++y) {
        auto* row = reinterpret_cast<TBGRColor*>(bmp.ScanLine(y));
        std::fill(row, row + o.Width, fill);
    }
    metafile.Draw(bmp, QRect(0, 0, o.Width, o.Height));
    return bmp;
}

int Convert(int argc, char** argv, TImageIO& io) {
    if (argc < 4)
        Usage();
    const QString in = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    int bits = 0, samples = 0, index = 0, at = std::numeric_limits<int>::max();
    bool raw = false, append = false, atGiven = false;
    const char* compression = nullptr;
    TDrawingOptions drawing;
    for (int i = 4; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (std::strcmp(argv[i], "--bits") == 0 && valued)
            bits = Number(argv[++i], "bits per sample");
        else if (std::strcmp(argv[i], "--samples") == 0 && valued)
            samples = Number(argv[++i], "samples per pixel");
        else if (std::strcmp(argv[i], "--pcx-raw") == 0)
            raw = true;
        else if (std::strcmp(argv[i], "--compression") == 0 && valued)
            compression = argv[++i];
        else if (std::strcmp(argv[i], "--index") == 0 && valued)
            index = Number(argv[++i], "image index");
        else if (std::strcmp(argv[i], "--append") == 0)
            append = true;
        else if (std::strcmp(argv[i], "--at") == 0 && valued)
            at = Number(argv[++i], "position"), atGiven = true;
        else if (!DrawingOption(i, argc, argv, drawing))
            Usage();
    }
    if (bits < 0 || bits > 16 || samples < 0 || samples > 4)
        throw ToolError("bits per sample run 1 to 16, samples per pixel 1 to 4");
    if (index < 0 || at < 0)
        throw ToolError("image numbers start at 0");
    if (atGiven && !append)
        throw ToolError("--at goes with --append");
    const QString outExt = QFileInfo(out).suffix().toLower();
    if (append && outExt != QLatin1String("tif") && outExt != QLatin1String("tiff"))
        throw ToolError("--append adds to TIFF files only");
    if (drawing.Given && !IsMetafile(in))
        throw ToolError("--size and --background are for WMF and EMF drawings");
    io.Params().TiffImageIndex = index;
    TBitmap bmp = IsMetafile(in) ? ReadDrawing(in, io, drawing) : ReadPicture(in, io);
    if (bits)
        io.Params().BitsPerSample = bits;
    if (samples)
        io.Params().SamplesPerPixel = samples;
    if (raw)
        io.Params().PcxCompressed = false;
    if (compression)
        io.Params().TiffCompression = CompressionNamed(compression);
    if (append)
        AppendTiff(out, bmp, io.Params(), at);
    else
        WritePicture(out, bmp, io);
    return 0;
}

void PrintColor(const char* name, TBGRColor c) {
    std::printf("%s %d %d %d\n", name, c.r, c.g, c.b);
}

// What the GIF reader read of the file before it stopped, with a record of its own.
void PrintGifStages(const QString& in, int index) {
    const QByteArray data = ReadWholeFile(in);
    ByteReader stream(data);
    TIOParamsVals p;
    p.GifImageIndex = index;
    TBitmap bmp;
    int count = 0;
    TProgressRec progress;
    TGifReadStages reached;
    try {
        ReadGIF(stream, bmp, count, progress, p, &reached);
    } catch (const EInvalidGraphic&) {
        // The component's load below raises the error with its own text.
    }
    if (reached.Header)
        std::printf("gif version %s\nscreen %d %d\n", p.GifVersion.toLatin1().constData(), p.GifScreenWidth,
                    p.GifScreenHeight);
    if (reached.Image) {
        std::printf("image %d %d %d %d\ndelay %d\ninterlaced %d\n", p.GifLeft, p.GifTop, p.Width, p.Height,
                    p.GifDelay, p.GifInterlaced ? 1 : 0);
        if (p.GifHasTransparency)
            PrintColor("transparent", p.GifTransparentColor);
        else
            std::printf("transparent none\n");
    }
    if (reached.Background)
        PrintColor("background", p.GifBackground);
    std::fflush(stdout);
}

int Info(const QString& in, int index, TImageIO& io) {
    const bool gif = !IsPnm(in) && QFileInfo(in).suffix().toLower() == QLatin1String("gif");
    if (gif)
        PrintGifStages(in, index);
    io.Params().GifImageIndex = index;
    io.Params().TiffImageIndex = index;
    const TBitmap bmp = ReadPicture(in, io);
    const TIOParamsVals& p = io.Params();
    const bool pnm = IsPnm(in);
    std::printf("width %d\nheight %d\nbits per sample %d\nsamples per pixel %d\nfile type %s\n", bmp.Width(),
                bmp.Height(), pnm ? 8 : p.BitsPerSample, pnm ? 3 : p.SamplesPerPixel,
                pnm ? "PNM" : FileTypeName(p.FileType));
    if (!pnm && p.FileType == ioPCX)
        std::printf("dpi %d %d\npcx version %d\ncolour map %d\n", p.DpiX, p.DpiY, p.PcxVersion,
                    p.ColorMapCount());
    if (!pnm && p.FileType == ioTIFF)
        std::printf("dpi %d %d\ntiff compression %d\ntiff photometric %d\ntiff planar %d\nimages %d\n",
                    p.DpiX, p.DpiY, p.TiffCompression, p.TiffPhotometric, p.TiffPlanarConfig, TiffImages(in));
    return 0;
}

// OUT-n: the page number before the extension.
QString PageName(const QString& out, int page) {
    const QFileInfo info(out);
    const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    return out.left(out.size() - suffix.size()) + QStringLiteral("-%1").arg(page) + suffix;
}

void PrintScanned(TBitmap& bmp, int bits) {
    const int samples = bits == 1 || bits == 8 ? 1 : 3;
    std::printf("width %d\nheight %d\nbits per sample %d\nsamples per pixel %d\nfile type %s\ndpi %d %d\n",
                bmp.Width(), bmp.Height(), bits == 1 ? 1 : 8, samples, FileTypeName(ioUnknown),
                TwainXResolution(), TwainYResolution());
}

int Scan(int argc, char** argv, TImageIO& io) {
    const QString out = QString::fromLocal8Bit(argv[2]);
    TTwainScript script;
    bool multi = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--multi") == 0) {
            multi = true;
        } else if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
            SetTwainSessionSource(QString::fromLocal8Bit(argv[++i]));
        } else if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
            const QString setting = QString::fromLocal8Bit(argv[++i]);
            const qsizetype eq = setting.indexOf(QLatin1Char('='));
            if (eq <= 0)
                Usage();
            script.Settings.emplace_back(setting.left(eq), QVariant(setting.mid(eq + 1)));
        } else {
            Usage();
        }
    }
    SetTwainUserInterface(&script);
    const TTwainHandle last = TwainAcquire(nullptr, 0, multi);
    if (!script.RefusedSetting.isEmpty())
        throw ToolError("the scanner refused the setting " + script.RefusedSetting.toStdString());
    if (last == nullptr)
        throw ToolError(script.ScanError.isEmpty() ? std::string("nothing was scanned")
                                                   : script.ScanError.toStdString());
    std::vector<TTwainHandle> pages = TwainAcquiredList();
    if (pages.empty())
        pages.push_back(last);
    struct Free {
        TTwainHandle h;
        ~Free() { TwainFreeAcquired(h); }
    } freeing{last};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        TBitmap bmp;
        const int bits = CopyDIBToBitmap(pages[i]->Bytes.data(), pages[i]->Bytes.size(), bmp);
        WritePicture(multi ? PageName(out, int(i) + 1) : out, bmp, io);
        PrintScanned(bmp, bits);
    }
    return 0;
}

int Run(int argc, char** argv) {
    if (argc < 3)
        Usage();
    const std::string command = argv[1];
    const QString in = QString::fromLocal8Bit(argv[2]);
    TImageIO io;
    if (command == "scan")
        return Scan(argc, argv, io);
    if (command == "convert")
        return Convert(argc, argv, io);
    if (command == "info") {
        if (argc == 5 && std::strcmp(argv[3], "--index") == 0)
            return Info(in, Number(argv[4], "image index"), io);
        if (argc != 3)
            Usage();
        return Info(in, 0, io);
    }
    if (command == "count") {
        if (argc != 3)
            Usage();
        TBitmap bmp = ReadPicture(in, io);
        TImageProc proc;
        proc.SetAttachedBitmap(&bmp);
        std::printf("%d\n", proc.CountColors());
        return 0;
    }
    if (argc < 4)
        Usage();
    const QString out = QString::fromLocal8Bit(argv[3]);
    TBitmap bmp = ReadPicture(in, io);
    if (bmp.PixelFormat() != pf24bit)
        bmp.SetPixelFormat(pf24bit);
    TImageProc proc;
    proc.AutoUndo = false;
    proc.SetAttachedBitmap(&bmp);
    if (command == "reduce" && argc == 5) {
        const int n = Number(argv[4], "colour count");
        if (n < 1)
            throw ToolError("the colour count must be at least 1");
        proc.ReduceColors(n);
    } else if (command == "gray" && argc == 4) {
        proc.ToGrayScale();
    } else if (command == "bw" && argc >= 5 && argc <= 6 && std::strcmp(argv[4], "threshold") == 0) {
        const int level = argc == 6 ? Number(argv[5], "threshold") : -1;
        if (level < -1 || level > 256)
            throw ToolError("the threshold must be -1 (the mean grey) or 0 to 256");
        proc.ConvertToBWThreshold(level);
    } else if (command == "bw" && argc == 5 && std::strcmp(argv[4], "dither") == 0) {
        proc.ConvertToBWDither();
    } else if (command == "resample" && argc == 7) {
        const int w = Number(argv[4], "width"), h = Number(argv[5], "height");
        if (w == 0 || h == 0 || (w < 0 && h < 0))
            throw ToolError("the new size needs a positive width or height (-1 keeps the proportions)");
        proc.Resample(w, h, FilterNamed(argv[6]));
    } else if (command == "rotate" && argc == 5) {
        proc.Rotate(Number(argv[4], "angle"), false);
    } else {
        Usage();
    }
    WritePicture(out, bmp, io);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s\n", UsageText);
        return 0;
    }
    // Drawings need fonts, so a GUI application: on the offscreen platform unless one is set. Its
    // note about the missing run-time folder is of no use to the tool's callers.
    bool drawing = false;
    for (int i = 1; i < argc; ++i)
        drawing = drawing || IsMetafile(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> app;
    if (drawing) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtWarningMsg || !text.startsWith(QLatin1String("QStandardPaths:")))
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "imgtool: %s\n", e.what());
        return 1;
    }
}
