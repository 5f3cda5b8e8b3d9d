// TIFF files: the files of common tools against their references, what the writer produces and
// how other programs read it, several pictures in one file, and damaged or hostile files.
#include "IoTestSupport.h"
#include "ToolRun.h"
#include "imaging/TIFFilt.h"
#include "tests/support/MemoryCap.h"
#include "tests/support/TestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace iotest;

namespace {

QString Fixture(const QString& name) {
    return kdstest::SourcePath(QStringLiteral("tests/imaging/data/tiff/") + name);
}

// A binary PPM (P6), PGM (P5) or PBM (P4) file as red, green, blue bytes, rows from the top.
struct Reference {
    int width = 0, height = 0;
    QByteArray rgb;
};

Reference ReadPnm(const QString& path) {
    const QByteArray data = kdstest::ReadFile(path);
    qsizetype pos = 2;
    auto number = [&] {
        while (pos < data.size() && (std::isspace(std::uint8_t(data[pos])) || data[pos] == '#')) {
            if (data[pos] == '#')
                while (pos < data.size() && data[pos] != '\n')
                    ++pos;
            ++pos;
        }
        int v = 0;
        while (pos < data.size() && std::isdigit(std::uint8_t(data[pos])))
            v = v * 10 + (data[pos++] - '0');
        return v;
    };
    Reference r;
    const char kind = data[1];
    r.width = number();
    r.height = number();
    if (kind != '4')
        number(); // 255
    ++pos;
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.constData() + pos);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            if (kind == '6') {
                r.rgb.append(reinterpret_cast<const char*>(p), 3);
                p += 3;
            } else {
                std::uint8_t g;
                if (kind == '5')
                    g = *p++;
                else
                    g = (p[y * ((r.width + 7) / 8) + x / 8] & (0x80 >> (x % 8))) ? 0 : 255;
                r.rgb.append(char(g)).append(char(g)).append(char(g));
            }
        }
    return r;
}

// The largest difference of two pictures' samples.
int MaxDifference(const QByteArray& a, const QByteArray& b) {
    int worst = a.size() == b.size() ? 0 : 256;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::abs(int(std::uint8_t(a[i])) - int(std::uint8_t(b[i]))));
    return worst;
}

TBitmap Load(const QString& path, TIOParamsVals* params = nullptr, int index = 0) {
    TBitmap bmp;
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    io.Params().TiffImageIndex = index;
    io.LoadFromFile(path);
    if (params)
        params->Assign(io.Params());
    return bmp;
}

QString LoadError(const QString& path, int index = 0) {
    TBitmap bmp(3, 3, pf24bit);
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    io.Params().TiffImageIndex = index;
    try {
        io.LoadFromFile(path);
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(bmp.Width(), 3) << "the old picture stays";
        EXPECT_EQ(io.Params().FileType, ioUnknown);
        return e.Message();
    }
    return QStringLiteral("loaded");
}

TBitmap Read(const QByteArray& file, TIOParamsVals& params, int* count = nullptr) {
    ByteReader r(file);
    TBitmap bmp;
    TProgressRec progress;
    int n = -1;
    ReadTIFF(r, bmp, n, progress, params);
    if (count)
        *count = n;
    return bmp;
}

QByteArray Write(const TBitmap& bmp, TIOParamsVals& params) {
    ByteWriter out;
    TProgressRec progress;
    EXPECT_EQ(WriteTIFF(out, false, bmp, progress, params), 1);
    return out.ToByteArray();
}

const TReader ReadOne = [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
    int count = 0;
    ReadTIFF(s, b, count, r, p);
};

// The entries of an Intel-ordered file's first directory: tag -> type, count, value field.
struct RawEntry {
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;
};
std::vector<std::pair<std::uint16_t, RawEntry>> Entries(const QByteArray& file,
                                                        std::uint32_t* dirOffset = nullptr) {
    ByteReader r(file);
    const std::uint32_t dir = r.PeekU32LE(4);
    if (dirOffset)
        *dirOffset = dir;
    std::vector<std::pair<std::uint16_t, RawEntry>> entries;
    for (std::uint32_t i = 0; i < r.PeekU16LE(dir); ++i) {
        const std::size_t e = dir + 2 + 12 * i;
        entries.push_back(
            {r.PeekU16LE(e), RawEntry{r.PeekU16LE(e + 2), r.PeekU32LE(e + 4), r.PeekU32LE(e + 8)}});
    }
    return entries;
}
RawEntry EntryOf(const QByteArray& file, std::uint16_t tag) {
    for (const auto& [t, e] : Entries(file))
        if (t == tag)
            return e;
    return RawEntry{0, 0, 0};
}

// Builds TIFF files entry by entry for the damaged and unusual cases.
class TiffMaker {
public:
    explicit TiffMaker(bool big = false) : FBig(big) {
        FBytes = big ? QByteArray("MM\0*", 4) : QByteArray("II*\0", 4);
        FBytes += Enc32(0);
    }
    std::uint32_t Size() const { return std::uint32_t(FBytes.size()); }
    std::uint32_t Data(const QByteArray& bytes) {
        const std::uint32_t at = Size();
        FBytes += bytes;
        return at;
    }
    // An entry of the directory being made; values of more than 4 bytes go to the file's end.
    TiffMaker& Tag(std::uint16_t tag, std::uint16_t type, const std::vector<std::uint32_t>& values) {
        QByteArray v;
        for (std::uint32_t x : values)
            v += type == 3                ? Enc16(std::uint16_t(x))
                 : type == 1 || type == 2 ? QByteArray(1, char(x))
                                          : Enc32(x);
        const std::uint32_t count = std::uint32_t(type == 5 ? values.size() / 2 : values.size());
        if (v.size() <= 4) {
            v.resize(4, '\0');
            return Raw(tag, type, count, v);
        }
        return Raw(tag, type, count, Enc32(Data(v)));
    }
    TiffMaker& Text(std::uint16_t tag, const char* text) {
        std::vector<std::uint32_t> bytes(text, text + std::strlen(text) + 1);
        return Tag(tag, 2, bytes);
    }
    TiffMaker& Raw(std::uint16_t tag, std::uint16_t type, std::uint32_t count, const QByteArray& field) {
        FEntries += Enc16(tag) + Enc16(type) + Enc32(count) + field;
        ++FCount;
        return *this;
    }
    // Writes the directory; the first one is linked from the header. Returns its offset.
    std::uint32_t EndDirectory(std::uint32_t next = 0) {
        if (Size() % 2)
            FBytes += '\0';
        const std::uint32_t at = Size();
        FBytes += Enc16(std::uint16_t(FCount)) + FEntries + Enc32(next);
        if (!FLinked)
            Patch32(4, at);
        FLinked = true;
        FEntries.clear();
        FCount = 0;
        return at;
    }
    void Patch32(std::uint32_t at, std::uint32_t v) { FBytes.replace(at, 4, Enc32(v)); }
    std::uint32_t NextPlace(std::uint32_t dir) const {
        const auto n = FBig ? (std::uint8_t(FBytes[dir]) << 8) | std::uint8_t(FBytes[dir + 1])
                            : std::uint8_t(FBytes[dir]) | (std::uint8_t(FBytes[dir + 1]) << 8);
        return dir + 2 + 12 * std::uint32_t(n);
    }
    const QByteArray& Bytes() const { return FBytes; }
    QByteArray Enc16(std::uint16_t v) const {
        return FBig ? QByteArray::fromRawData(nullptr, 0) + char(v >> 8) + char(v)
                    : QByteArray::fromRawData(nullptr, 0) + char(v) + char(v >> 8);
    }
    QByteArray Enc32(std::uint32_t v) const {
        return FBig ? Enc16(std::uint16_t(v >> 16)) + Enc16(std::uint16_t(v))
                    : Enc16(std::uint16_t(v)) + Enc16(std::uint16_t(v >> 16));
    }

private:
    bool FBig;
    QByteArray FBytes, FEntries;
    int FCount = 0;
    bool FLinked = false;
};

// An uncompressed picture of one strip: the usual entries and the pixel bytes.
TiffMaker Plain(int width, int height, int bits, int samples, int photometric, const QByteArray& pixels,
                bool big = false, std::uint32_t compression = 1) {
    TiffMaker t(big);
    const std::uint32_t strip = t.Data(pixels);
    t.Tag(256, 3, {std::uint32_t(width)}).Tag(257, 3, {std::uint32_t(height)});
    t.Tag(258, 3, std::vector<std::uint32_t>(std::size_t(samples), std::uint32_t(bits)));
    t.Tag(259, 3, {compression}).Tag(262, 3, {std::uint32_t(photometric)}).Tag(273, 4, {strip});
    t.Tag(277, 3, {std::uint32_t(samples)}).Tag(279, 4, {std::uint32_t(pixels.size())});
    return t;
}

} // namespace

TEST(TiffRead, FilesOfCommonToolsMatchTheirReferences) {
    struct Case {
        const char* file;
        const char* reference;
        int tolerance;
        int bits, samples, compression, photometric, planar;
    };
    const Case cases[] = {
        {"rose-none.tif", "rose.ppm", 0, 8, 3, 0, 2, 1},
        {"rose-packbits.tif", "rose.ppm", 0, 8, 3, 8, 2, 1},
        {"rose-planar.tif", "rose.ppm", 0, 8, 3, 0, 2, 2},
        {"rose-msb.tif", "rose.ppm", 0, 8, 3, 0, 2, 1},
        {"rose-rows8.tif", "rose.ppm", 0, 8, 3, 0, 2, 1},
        // Two SHORT strip byte counts inside the entry.
        {"rose-rows23.tif", "rose.ppm", 0, 8, 3, 8, 2, 1},
        // The map holds 16-bit colours: their high bytes against ImageMagick's rounding.
        {"rose-palette.tif", "rose-palette.ppm", 1, 8, 1, 0, 3, 1},
        {"rose-palette16.tif", "rose-palette16.ppm", 1, 4, 1, 0, 3, 1},
        {"granite-grey.tif", "granite-grey.pgm", 0, 8, 1, 0, 1, 1},
        {"granite-grey16.tif", "granite-grey.pgm", 1, 16, 1, 0, 1, 1},
        {"rose-tiff2bw.tif", "rose-tiff2bw.pgm", 0, 8, 1, 0, 1, 1},
        {"granite-mono.tif", "granite-mono.pbm", 0, 1, 1, 0, 1, 1},
        {"granite-fax.tif", "granite-mono.pbm", 0, 1, 1, 2, 0, 1},
        {"granite-g4.tif", "granite-mono.pbm", 0, 1, 1, 4, 0, 1},
        {"granite-g4-black.tif", "granite-mono.pbm", 0, 1, 1, 4, 1, 1},
        {"granite-g4-lsb.tif", "granite-mono.pbm", 0, 1, 1, 4, 0, 1},
        {"granite-tiffcp-g3-2d.tif", "granite-mono.pbm", 0, 1, 1, 3, 1, 1},
        // Fill bits before the end-of-line codes of two-dimensional rows.
        {"granite-tiffcp-g3-2d-fill.tif", "granite-mono.pbm", 0, 1, 1, 3, 1, 1},
        {"granite-tiffcp-g4.tif", "granite-mono.pbm", 0, 1, 1, 4, 1, 1},
        {"granite-tiffcp-g3-lsb.tif", "granite-mono.pbm", 0, 1, 1, 2, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TIOParamsVals params;
        const TBitmap bmp = Load(Fixture(QLatin1String(c.file)), &params);
        const Reference ref = ReadPnm(Fixture(QLatin1String(c.reference)));
        ASSERT_EQ(bmp.Width(), ref.width);
        ASSERT_EQ(bmp.Height(), ref.height);
        EXPECT_EQ(bmp.PixelFormat(), c.bits == 1 ? pf1bit : pf24bit);
        EXPECT_LE(MaxDifference(Rgb(bmp), ref.rgb), c.tolerance);
        EXPECT_EQ(params.FileType, ioTIFF);
        EXPECT_EQ(params.BitsPerSample, c.bits);
        EXPECT_EQ(params.SamplesPerPixel, c.samples);
        EXPECT_EQ(params.TiffCompression, c.compression);
        EXPECT_EQ(params.TiffPhotometric, c.photometric);
        EXPECT_EQ(params.TiffPlanarConfig, c.planar);
        EXPECT_EQ(params.ColorMapCount(), c.photometric == 3 ? 1 << c.bits : 0);
    }
}

TEST(TiffRead, FourBitGreysAreTimesSixteen) {
    // ImageMagick reads the 4-bit values v as v * 17.
    const TBitmap bmp = Load(Fixture(QStringLiteral("granite-grey4.tif")));
    QByteArray expected = ReadPnm(Fixture(QStringLiteral("granite-grey4.pgm"))).rgb;
    for (char& v : expected)
        v = char(std::uint8_t(v) / 17 * 16);
    EXPECT_EQ(Rgb(bmp), expected);
}

TEST(TiffRead, UnsupportedKindsAreRefusedWithTheirTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"refused-lzw.tif", "LZW Decompressor not found : unrecognized TIFF"},
        {"refused-zip.tif", "Invalid TIFF stream : unrecognized TIFF"},
        {"refused-jpeg.tif", "Invalid TIFF stream : unrecognized TIFF"},
        {"refused-alpha.tif", "Invalid TIFF stream : unrecognized TIFF"},
        {"refused-tiles.tif", "Invalid TIFF stream : unrecognized TIFF"},
        {"refused-palette1.tif", "Invalid TIFF stream : unrecognized TIFF"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file);
        EXPECT_EQ(LoadError(Fixture(QLatin1String(file))), QLatin1String(message));
    }
}

TEST(TiffRead, SeveralPicturesInOneFile) {
    const QString multi = Fixture(QStringLiteral("multi.tif"));
    const QByteArray rose = ReadPnm(Fixture(QStringLiteral("rose.ppm"))).rgb;
    const QByteArray granite = ReadPnm(Fixture(QStringLiteral("granite.ppm"))).rgb;
    EXPECT_EQ(Rgb(Load(multi, nullptr, 0)), rose);
    EXPECT_EQ(Rgb(Load(multi, nullptr, 1)), granite);
    EXPECT_EQ(Rgb(Load(multi, nullptr, 2)), rose);
    // Past the chain the reader only counts; the loader calls it an error.
    const QByteArray file = kdstest::ReadFile(multi);
    TIOParamsVals params;
    params.TiffImageIndex = 3;
    params.Width = 5;
    TBitmap bmp(2, 2, pf24bit);
    ByteReader r(file);
    TProgressRec progress;
    int count = 0;
    ReadTIFF(r, bmp, count, progress, params);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(bmp.Width(), 2);
    EXPECT_EQ(params.Width, 5);
    EXPECT_EQ(LoadError(multi, 3), QStringLiteral("TIFF image not found : unrecognized TIFF"));
    EXPECT_EQ(LoadError(multi, -1), QStringLiteral("TIFF image not found : unrecognized TIFF"));
}

TEST(TiffRead, EntriesStripsAndSamplesOfHandMadeFiles) {
    // A big-endian 16-bit grey picture: values in the file's order, shifted by 8, or by 4 for the
    // program that writes 12-bit values; photometric 0 turns them round.
    const QByteArray greys = QByteArray::fromHex("1234 0ff0 ff00");
    for (const bool molli : {false, true})
        for (const int photometric : {0, 1}) {
            SCOPED_TRACE(molli * 2 + photometric);
            TiffMaker t = Plain(3, 1, 16, 1, photometric, greys, true);
            if (molli)
                t.Text(305, "Look@Molli v1.1 scanner");
            t.EndDirectory();
            TIOParamsVals params;
            const TBitmap bmp = Read(t.Bytes(), params);
            const int shift = molli ? 4 : 8;
            for (int x = 0; x < 3; ++x) {
                int v = (std::uint8_t(greys[2 * x]) << 8) | std::uint8_t(greys[2 * x + 1]);
                if (photometric == 0)
                    v = 65535 - v;
                EXPECT_EQ(Pixel(bmp, x, 0).g, std::min(v >> shift, 255)) << x;
            }
        }

    // Horizontal differencing per colour channel; resolution in centimetres, a zero denominator
    // counts as 0 (the screen's resolution); a three-character text inside its entry.
    {
        TiffMaker t = Plain(3, 1, 8, 3, 2, QByteArray::fromHex("0a141e 010203 ffffff"));
        t.Tag(269, 2, {'a', 'b', 'c', 0});
        t.Tag(282, 5, {300, 2}).Tag(283, 5, {7, 0}).Tag(296, 3, {3}).Tag(297, 3, {2, 5});
        t.Tag(317, 3, {2});
        t.EndDirectory();
        TIOParamsVals params;
        const TBitmap bmp = Read(t.Bytes(), params);
        EXPECT_EQ(Pixel(bmp, 0, 0), C(10, 20, 30));
        EXPECT_EQ(Pixel(bmp, 1, 0), C(11, 22, 33));
        EXPECT_EQ(Pixel(bmp, 2, 0), C(10, 21, 32));
        EXPECT_EQ(params.DpiX, 381);
        EXPECT_EQ(params.DpiY, ScreenPixelsPerInch());
        EXPECT_EQ(params.TiffDocumentName, QStringLiteral("abc"));
        EXPECT_EQ(params.TiffPageNumber, 2);
        EXPECT_EQ(params.TiffPageCount, 5);
    }

    // Strips of one row each, byte counts missing (each strip runs to the end of the file) and
    // RowsPerStrip 0 taken as the height.
    {
        TiffMaker t;
        const std::uint32_t a = t.Data(QByteArray::fromHex("10 20"));
        const std::uint32_t b = t.Data(QByteArray::fromHex("30 40"));
        t.Tag(256, 3, {2}).Tag(257, 3, {2}).Tag(258, 3, {8}).Tag(262, 3, {1}).Tag(273, 4, {a, b});
        t.Tag(278, 3, {1});
        t.EndDirectory();
        TIOParamsVals params;
        EXPECT_EQ(Rgb(Read(t.Bytes(), params)), QByteArray::fromHex("101010 202020 303030 404040"));
    }
    {
        TiffMaker t = Plain(2, 2, 8, 1, 1, QByteArray::fromHex("10203040"));
        t.Tag(278, 4, {0});
        t.EndDirectory();
        TIOParamsVals params;
        EXPECT_EQ(Rgb(Read(t.Bytes(), params)), QByteArray::fromHex("101010 202020 303030 404040"));
    }

    // A PackBits run past the row's end is cut there; its rest does not spill into the next row.
    {
        TiffMaker t;
        const std::uint32_t s = t.Data(QByteArray::fromHex("fc10 02aabbcc"));
        t.Tag(256, 3, {3}).Tag(257, 3, {2}).Tag(258, 3, {8}).Tag(259, 3, {32773}).Tag(262, 3, {1});
        t.Tag(273, 4, {s}).Tag(279, 4, {6});
        t.EndDirectory();
        TIOParamsVals params;
        EXPECT_EQ(Rgb(Read(t.Bytes(), params)),
                  QByteArray::fromHex("101010 101010 101010 aaaaaa bbbbbb cccccc"));
    }
}

TEST(TiffRead, TheLzwHookDeliversRowsAndReleasesEachStrip) {
    static int rows = 0, releases = 0;
    rows = releases = 0;
    TiffMaker t;
    const std::uint32_t a = t.Data("ab");
    const std::uint32_t b = t.Data("cd");
    t.Tag(256, 3, {4}).Tag(257, 3, {3}).Tag(258, 3, {8}).Tag(259, 3, {5}).Tag(262, 3, {1});
    t.Tag(273, 4, {a, b}).Tag(278, 3, {2});
    t.EndDirectory();
    TIOParamsVals params;
    params.TiffLzwDecoder = [](const std::uint8_t* strip, int rowBytes, int& state) -> const std::uint8_t* {
        static const std::uint8_t row[4] = {1, 2, 3, 4};
        if (!strip) {
            EXPECT_EQ(rowBytes, 0);
            ++releases;
            return nullptr;
        }
        EXPECT_EQ(rowBytes, 4);
        EXPECT_EQ(state, rows < 2 ? rows : rows - 2) << "per strip";
        ++state;
        ++rows;
        return row;
    };
    const TBitmap bmp = Read(t.Bytes(), params);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(releases, 2);
    EXPECT_EQ(Pixel(bmp, 3, 2), C(4, 4, 4));
}

namespace {
void ReadDamagedFiles() {
    const auto invalid = QStringLiteral("Invalid TIFF stream");
    auto plain = [] { return Plain(2, 1, 8, 1, 1, QByteArray::fromHex("1020")); };
    struct Case {
        const char* name;
        QByteArray file;
        QString message;
    };
    std::vector<Case> cases;
    cases.push_back({"byte order", QByteArray("IM*\0\x08\0\0\0", 8), QStringLiteral("unrecognized TIFF")});
    cases.push_back({"header cut", QByteArray("II*\0", 4), QStringLiteral("unrecognized TIFF")});
    {
        TiffMaker t = plain();
        t.EndDirectory();
        t.Patch32(4, 100000);
        cases.push_back({"first directory outside", t.Bytes(), invalid});
    }
    {
        TiffMaker t = plain();
        t.EndDirectory();
        QByteArray cut = t.Bytes();
        cut.chop(8);
        cases.push_back({"wanted directory cut", cut, invalid});
    }
    {
        TiffMaker t = Plain(65535, 65535, 8, 1, 1, QByteArray(16, '\0'));
        t.EndDirectory();
        cases.push_back({"65535 x 65535", t.Bytes(), invalid});
    }
    {
        TiffMaker t = Plain(0, 1, 8, 1, 1, QByteArray(16, '\0'));
        t.EndDirectory();
        cases.push_back({"width 0", t.Bytes(), invalid});
    }
    {
        TiffMaker t;
        t.Tag(256, 3, {1}).Tag(257, 3, {4}).Tag(258, 3, {8}).Tag(262, 3, {1}).Tag(278, 3, {1});
        t.Raw(273, 4, 0xFFFFFFFFu, t.Enc32(8)).Raw(279, 4, 0xFFFFFFFFu, t.Enc32(8));
        t.EndDirectory();
        cases.push_back({"2^32 - 1 strips", t.Bytes(), invalid});
    }
    {
        TiffMaker t = Plain(2, 2, 8, 1, 1, QByteArray::fromHex("1020"));
        t.EndDirectory();
        cases.push_back({"strip shorter than its rows", t.Bytes(), invalid});
    }
    {
        TiffMaker t = Plain(2, 2, 8, 1, 1, QByteArray::fromHex("10203040"));
        t.Tag(278, 3, {1});
        t.EndDirectory();
        cases.push_back({"fewer strips than rows need", t.Bytes(), invalid});
    }
    {
        TiffMaker t;
        t.Tag(256, 3, {2}).Tag(257, 3, {1}).Tag(258, 3, {8}).Tag(262, 3, {1}).Tag(273, 4, {5000});
        t.EndDirectory();
        cases.push_back({"strip outside the file", t.Bytes(), invalid});
    }
    {
        TiffMaker t;
        const std::uint32_t s = t.Data(QByteArray(6, '\0'));
        t.Tag(256, 3, {2}).Tag(257, 3, {1}).Tag(258, 3, {8, 8, 16}).Tag(262, 3, {2}).Tag(273, 4, {s});
        t.Tag(277, 3, {3});
        t.EndDirectory();
        cases.push_back({"unequal bits per sample", t.Bytes(), invalid});
    }
    {
        TiffMaker t = Plain(2, 1, 8, 1, 3, QByteArray(2, '\0'));
        t.Tag(320, 3, std::vector<std::uint32_t>(3 * 256 - 1, 0));
        t.EndDirectory();
        cases.push_back({"short colour map", t.Bytes(), invalid});
    }
    {
        TiffMaker t = Plain(16, 1, 1, 1, 0, QByteArray(2, '\0'), false, 4);
        t.EndDirectory();
        cases.push_back({"Group 4 strip cut", t.Bytes(), invalid});
    }
    {
        TiffMaker t = Plain(2, 1, 8, 1, 1, QByteArray(2, '\0'), false, 4);
        t.EndDirectory();
        cases.push_back({"fax coding of 8-bit greys", t.Bytes(), invalid});
    }
    {
        TiffMaker t = Plain(2, 1, 4, 1, 1, QByteArray(1, '\0'));
        t.Tag(317, 3, {2});
        t.EndDirectory();
        cases.push_back({"predictor at 4 bits", t.Bytes(), invalid});
    }
    {
        // 2^28 colour pixels (768 MiB) promised by a strip of 16 bytes.
        TiffMaker t = Plain(16384, 16384, 8, 3, 2, QByteArray(16, '\0'));
        t.EndDirectory();
        cases.push_back({"colour picture larger than its strip", t.Bytes(), invalid});
    }
    {
        // Every Group 4 row takes a bit at least: 16 bits cannot make 16384 rows.
        TiffMaker t = Plain(16384, 16384, 1, 1, 0, QByteArray(2, '\0'), false, 4);
        t.EndDirectory();
        cases.push_back({"Group 4 rows without their bits", t.Bytes(), invalid});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DamagedReadMessage(ReadOne, c.file), c.message);
    }
}
} // namespace

TEST(TiffRead, DamagedAndHostileFilesFailWithoutLargeAllocations) {
    EXPECT_TRUE(kdstest::RunUnderMemoryCap(64, ReadDamagedFiles));
}

TEST(TiffRead, TheDirectoryChainIsBounded) {
    TiffMaker t = Plain(2, 1, 8, 1, 1, QByteArray::fromHex("1020"));
    const std::uint32_t a = t.EndDirectory();
    t.Tag(256, 3, {1}).Tag(257, 3, {1}).Tag(258, 3, {8}).Tag(262, 3, {1}).Tag(273, 4, {8}).Tag(279, 4, {1});
    const std::uint32_t b = t.EndDirectory(a);
    // A -> B -> A: two pictures.
    t.Patch32(t.NextPlace(a), b);
    TIOParamsVals params;
    params.TiffImageIndex = 1;
    int count = 0;
    EXPECT_EQ(Read(t.Bytes(), params, &count).Width(), 1);
    EXPECT_EQ(count, 2);
    // A next offset outside the file ends the chain.
    t.Patch32(t.NextPlace(a), 1u << 30);
    params.TiffImageIndex = 0;
    Read(t.Bytes(), params, &count);
    EXPECT_EQ(count, 1);
}

TEST(TiffWrite, CodingAndPhotometricFollowTheParameters) {
    TBitmap colour = Colourful(37, 9);
    TBitmap mono(37, 9, pf1bit);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 37; ++x)
            if ((x * x + y * 3) % 7 < 3 || x > 30)
                SetPixel(mono, x, y, C(255, 255, 255));
    struct Case {
        int code;
        bool isMono;
        int tag;
        int t4Options; // -1: no T4Options entry
        int readBack;  // TiffCompression read back
    };
    const Case cases[] = {
        {0, true, 1, -1, 0},  {1, true, 2, -1, 1},      {2, true, 3, 0, 2},       {3, true, 3, 1, 3},
        {4, true, 4, -1, 4},  {8, true, 32773, -1, 8},  {0, false, 1, -1, 0},     {1, false, 1, -1, 0},
        {4, false, 1, -1, 0}, {5, false, 32773, -1, 8}, {7, false, 32773, -1, 8}, {8, false, 32773, -1, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            QStringLiteral("code %1 %2").arg(c.code).arg(c.isMono ? "mono" : "colour").toStdString());
        TIOParamsVals params;
        params.BitsPerSample = c.isMono ? 1 : 8;
        params.SamplesPerPixel = c.isMono ? 1 : 3;
        params.TiffCompression = std::uint8_t(c.code);
        const TBitmap& source = c.isMono ? mono : colour;
        const QByteArray file = Write(source, params);
        EXPECT_EQ(EntryOf(file, 259).value, std::uint32_t(c.tag));
        EXPECT_EQ(EntryOf(file, 262).value, c.isMono ? 1u : 2u);
        const RawEntry t4 = EntryOf(file, 292);
        EXPECT_EQ(t4.count ? int(t4.value) : -1, c.t4Options);
        TIOParamsVals read;
        const TBitmap back = Read(file, read);
        EXPECT_EQ(back.PixelFormat(), source.PixelFormat());
        EXPECT_EQ(Rgb(back), Rgb(source));
        EXPECT_EQ(read.TiffCompression, c.readBack);
    }
}

TEST(TiffWrite, LayoutAndFieldsOfTheDirectory) {
    TBitmap bmp = Colourful(5, 3); // 45 bytes of strip: the directory needs a pad byte
    TIOParamsVals params;
    params.DpiX = 300;
    params.DpiY = 150;
    params.TiffDocumentName = QStringLiteral("doc");
    params.TiffImageDescription = QStringLiteral("a longer description");
    params.TiffPageName = QStringLiteral("page one");
    params.TiffPageNumber = 3;
    params.TiffPageCount = 7;
    params.TiffXPosition = 2;
    std::vector<int> written, decoded;
    ByteWriter out;
    TProgressRec progress;
    progress.OnProgress = [&](QObject*, int per) { written.push_back(per); };
    WriteTIFF(out, false, bmp, progress, params);
    const QByteArray file = out.ToByteArray();
    EXPECT_EQ(written, (std::vector<int>{0, 33, 66})) << "before each row";
    EXPECT_EQ(file.left(4), QByteArray("II*\0", 4));
    std::uint32_t dir = 0;
    const auto entries = Entries(file, &dir);
    EXPECT_EQ(dir % 2, 0u);
    EXPECT_EQ(std::uint32_t(file.size()), dir + 2 + 12 * entries.size() + 4);
    std::vector<std::uint16_t> tags;
    for (const auto& e : entries)
        tags.push_back(e.first);
    EXPECT_EQ(tags, (std::vector<std::uint16_t>{256, 257, 258, 259, 262, 269, 270, 273, 277, 278, 279, 282,
                                                283, 285, 286, 287, 296, 297}));
    // Values of 4 bytes or less sit inside their entries.
    EXPECT_EQ(EntryOf(file, 269).value, 0x00636F64u);
    EXPECT_EQ(EntryOf(file, 297).value, 0x00070003u);
    EXPECT_EQ(EntryOf(file, 258).count, 3u);
    EXPECT_EQ(EntryOf(file, 273).value, 8u + 6 + 21);
    TIOParamsVals back;
    ByteReader r(file);
    TBitmap bmpBack;
    int count = 0;
    progress.OnProgress = [&](QObject*, int per) { decoded.push_back(per); };
    ReadTIFF(r, bmpBack, count, progress, back);
    EXPECT_EQ(decoded, (std::vector<int>{33, 66, 100})) << "after each row";
    EXPECT_EQ(Rgb(bmpBack), Rgb(bmp));
    const TIOParamsVals& read = back;
    EXPECT_EQ(read.DpiX, 300);
    EXPECT_EQ(read.DpiY, 150);
    EXPECT_EQ(read.TiffDocumentName, params.TiffDocumentName);
    EXPECT_EQ(read.TiffImageDescription, params.TiffImageDescription);
    EXPECT_EQ(read.TiffPageName, params.TiffPageName);
    EXPECT_EQ(read.TiffPageNumber, 3);
    EXPECT_EQ(read.TiffPageCount, 7);
    EXPECT_EQ(read.TiffXPosition, 2);
}

TEST(TiffWrite, LibtiffReadsEveryCodingWithoutAWarning) {
    const QString tiffcp = QStandardPaths::findExecutable(QStringLiteral("tiffcp"));
    ASSERT_FALSE(tiffcp.isEmpty()) << "tiffcp missing: install libtiff-tools (scripts/deps.sh)";
    QTemporaryDir dir;
    // A drawing of lines and blocks, with rows of one colour and runs past 2560.
    TBitmap mono(3001, 23, pf1bit);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 3001; ++x)
            if (y % 7 == 0 || (x / 9 + y) % 5 == 0 || x > 2990 || (y > 15 && x < 2700))
                SetPixel(mono, x, y, C(255, 255, 255));
    TBitmap colour = Colourful(31, 7);
    for (const bool isMono : {true, false})
        for (const int code : {0, 1, 2, 3, 4, 8}) {
            if (!isMono && code >= 1 && code <= 4)
                continue;
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(code).arg(isMono).toStdString());
            TBitmap picture = isMono ? mono : colour;
            TImageIO io;
            io.SetAttachedBitmap(&picture);
            io.Params().BitsPerSample = isMono ? 1 : 8;
            io.Params().SamplesPerPixel = isMono ? 1 : 3;
            io.Params().TiffCompression = std::uint8_t(code);
            const QString ours = dir.filePath(QStringLiteral("ours.tif"));
            const QString raw = dir.filePath(QStringLiteral("raw.tif"));
            io.SaveToFile(ours);
            QProcess p;
            p.start(tiffcp, {QStringLiteral("-c"), QStringLiteral("none"), ours, raw});
            ASSERT_TRUE(p.waitForFinished(30000));
            EXPECT_EQ(p.exitCode(), 0);
            EXPECT_EQ(p.readAllStandardError(), QByteArray());
            TIOParamsVals params;
            const TBitmap back = Load(raw, &params);
            EXPECT_EQ(params.TiffCompression, 0);
            EXPECT_EQ(Rgb(back), Rgb(picture));
        }
}

TEST(TiffWrite, AppendingLinksThePictureInAtItsPlace) {
    // Pictures told apart by their width.
    auto picture = [](int width) { return Colourful(width, 2); };
    TIOParamsVals params;
    ByteWriter file;
    TProgressRec progress;
    ASSERT_EQ(WriteTIFF(file, false, picture(1), progress, params), 1);
    auto append = [&](int width, int at) {
        params.TiffImageIndex = at;
        file.Seek(0);
        return WriteTIFF(file, true, picture(width), progress, params);
    };
    EXPECT_EQ(append(2, 0), 2);  // 2 1
    EXPECT_EQ(append(3, 1), 3);  // 2 3 1
    EXPECT_EQ(append(4, 99), 4); // 2 3 1 4
    const QByteArray bytes = file.ToByteArray();
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i) {
        TIOParamsVals read;
        read.TiffImageIndex = i;
        int count = 0;
        const TBitmap bmp = Read(bytes, read, &count);
        EXPECT_EQ(count, 4);
        EXPECT_EQ(Rgb(bmp), Rgb(picture(bmp.Width())));
        widths.push_back(bmp.Width());
    }
    EXPECT_EQ(widths, (std::vector<int>{2, 3, 1, 4}));

    // Only Intel-ordered files take more pictures.
    ByteWriter big;
    const QByteArray msb = kdstest::ReadFile(Fixture(QStringLiteral("rose-msb.tif")));
    big.WriteBytes(msb.constData(), std::size_t(msb.size()));
    big.Seek(0);
    try {
        WriteTIFF(big, true, picture(1), progress, params);
        ADD_FAILURE() << "appended to a big-endian file";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Multi image TIFF limited to Intel format"));
    }
}

TEST(TiffTool, InfoConvertIndexAndAppend) {
    using tooltest::Tool;
    QTemporaryDir dir;
    const QString multi = Fixture(QStringLiteral("multi.tif"));
    EXPECT_EQ(Tool({"info", multi, "--index", "1"}).out,
              QByteArray("width 128\nheight 128\nbits per sample 4\nsamples per pixel 1\nfile type TIFF\n"
                         "dpi 96 96\ntiff compression 0\ntiff photometric 3\ntiff planar 1\nimages 3\n"));
    const QString out = dir.filePath(QStringLiteral("out.tif"));
    ASSERT_EQ(
        Tool({"convert", Fixture(QStringLiteral("granite-g4.tif")), out, "--compression", "g3-2d"}).exitCode,
        0);
    EXPECT_TRUE(Tool({"info", out}).out.contains("tiff compression 3\ntiff photometric 1\n"));
    // The second picture of the multi-page file goes in front of the fax picture.
    ASSERT_EQ(Tool({"convert", multi, out, "--index", "1", "--append", "--at", "0"}).exitCode, 0);
    EXPECT_TRUE(Tool({"info", out}).out.contains("width 128\nheight 128\nbits per sample 8\n"));
    EXPECT_TRUE(Tool({"info", out, "--index", "1"}).out.contains("tiff compression 3\n"));
    EXPECT_TRUE(Tool({"info", out}).out.endsWith("images 2\n"));
    EXPECT_EQ(Tool({"convert", multi, out, "--compression", "lzw"}).exitCode, 1);
    EXPECT_EQ(Tool({"convert", multi, out, "--at", "1"}).exitCode, 1);
    const tooltest::Result missing = Tool({"info", multi, "--index", "3"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("TIFF image not found : unrecognized TIFF"));
}
