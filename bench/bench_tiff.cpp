// TIFF files: decoding and encoding a 2048 x 2048 colour picture (uncompressed, PackBits) and a
// 2048 x 2048 1-bit drawing (uncompressed, PackBits, modified Huffman, G3 one- and
// two-dimensional, G4) in process, and program to program: our imgtool against libtiff's tiffcp
// and ImageMagick's convert on the same files, with each program's start-up measured apart.
#include "bench/BenchSupport.h"
#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"
#include "imaging/TIFFilt.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

constexpr int Side = 2048;

// A line drawing: a grid, diagonals, filled shapes and lines of text-sized marks on white.
TBitmap MakeDrawing() {
    TBitmap bmp(Side, Side, pf1bit);
    for (int y = 0; y < Side; ++y)
        std::memset(bmp.ScanLine(y), 0xFF, std::size_t(bmp.BytesPerLine()));
    auto black = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < Side && y < Side)
            SetBit(bmp.ScanLine(y), x, false);
    };
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            if (x % 256 < 2 || y % 256 < 2)
                black(x, y);
            if (std::abs(x - y) < 2 || std::abs(x + y - Side) < 2)
                black(x, y);
        }
    // Filled circles and rectangles.
    for (int k = 0; k < 12; ++k) {
        const int cx = 150 + (k * 331) % 1700, cy = 180 + (k * 577) % 1600, r = 40 + (k * 37) % 120;
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                    black(x, y);
        for (int y = cy + r + 20; y < cy + r + 60; ++y)
            for (int x = cx - r; x < cx + r; ++x)
                black(x, y);
    }
    // Text: marks of about 5 x 7 pixels in cells of 8 x 12, in lines over the lower third.
    std::uint32_t seed = 99;
    for (int line = 0; line < 50; ++line) {
        const int top = 1400 + line * 12;
        for (int cell = 0; cell < 240; ++cell) {
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 28) == 0)
                continue; // a space
            const int left = 40 + cell * 8;
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 5; ++x)
                    if ((seed >> ((x + 5 * y) % 27)) & 1)
                        black(left + x, top + y);
        }
    }
    return bmp;
}

struct Coding {
    const char* name;   // file name part and imgtool's --compression
    std::uint8_t code;  // TiffCompression
    const char* tiffcp; // tiffcp's -c, or nullptr when it has none
    const char* im;     // ImageMagick's -compress, or nullptr
};
const Coding ColourCodings[] = {{"none", 0, "none", "None"}, {"packbits", 8, "packbits", "RLE"}};
const Coding DrawingCodings[] = {{"none", 0, "none", "None"},      {"packbits", 8, "packbits", "RLE"},
                                 {"huffman", 1, nullptr, nullptr}, {"g3", 2, "g3", "Fax"},
                                 {"g3-2d", 3, "g3:2d", nullptr},   {"g4", 4, "g4", "Group4"}};

// The files live in a temporary folder, or in the folder KDS_BENCH_TIFF_DIR names, where they stay
// for runs of the programs by hand.
struct Files {
    Files();
    QTemporaryDir temporary;
    QString folder = qEnvironmentVariable("KDS_BENCH_TIFF_DIR", temporary.path());
    TBitmap colour, drawing;
    std::map<std::string, QByteArray> bytes;
    QString Path(const std::string& name) const {
        return folder + QLatin1Char('/') + QString::fromStdString(name);
    }
};

QByteArray Encode(const TBitmap& bmp, bool mono, std::uint8_t code) {
    TIOParamsVals params;
    params.BitsPerSample = mono ? 1 : 8;
    params.SamplesPerPixel = mono ? 1 : 3;
    params.TiffCompression = code;
    ByteWriter out;
    TProgressRec progress;
    WriteTIFF(out, false, bmp, progress, params);
    return out.ToByteArray();
}

// The pictures in every coding, as files and in memory.
Files::Files() : colour(bench::MakePicture(Side)), drawing(MakeDrawing()) {
    auto keep = [&](const std::string& name, const QByteArray& data) {
        bytes[name] = data;
        QFile file(Path(name));
        file.open(QIODevice::WriteOnly);
        file.write(data);
    };
    for (const Coding& c : ColourCodings)
        keep(std::string("colour-") + c.name + ".tif", Encode(colour, false, c.code));
    for (const Coding& c : DrawingCodings)
        keep(std::string("drawing-") + c.name + ".tif", Encode(drawing, true, c.code));
    keep("tiny.tif", Encode(TBitmap(1, 1, pf24bit), false, 0));
}

Files& Shared() {
    static Files files;
    return files;
}

void Decode(benchmark::State& state, const std::string& name) {
    const QByteArray& data = Shared().bytes.at(name);
    TBitmap bmp;
    for (auto _ : state) {
        ByteReader stream(data);
        TIOParamsVals params;
        TProgressRec progress;
        int count = 0;
        ReadTIFF(stream, bmp, count, progress, params);
        benchmark::DoNotOptimize(bmp.Bits());
    }
    state.counters["file KiB"] = double(data.size()) / 1024;
}

void EncodeBench(benchmark::State& state, bool mono, std::uint8_t code) {
    const TBitmap& bmp = mono ? Shared().drawing : Shared().colour;
    for (auto _ : state)
        benchmark::DoNotOptimize(Encode(bmp, mono, code));
}

// ---- Programs on the same files ----

// The programs' own output is thrown away.
void Run(benchmark::State& state, const QString& program, const std::string& arguments) {
    bench::RunProgram(state, program, QString::fromStdString(arguments + " >/dev/null 2>&1"));
}

QString Tiffcp() {
    return QStandardPaths::findExecutable(QStringLiteral("tiffcp"));
}
const QString ImageMagick = QStringLiteral("/usr/bin/convert");
#ifdef KDS_IMGTOOL
const QString Imgtool = QStringLiteral(KDS_IMGTOOL);
#else
const QString Imgtool;
#endif

std::string P(const std::string& name) {
    return Shared().Path(name).toStdString();
}

void Register() {
    using benchmark::RegisterBenchmark;
    auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
    auto wall = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->UseRealTime(); };
    struct Kind {
        const char* prefix;
        bool mono;
        const Coding* codings;
        std::size_t count;
    };
    const Kind kinds[] = {{"colour", false, ColourCodings, std::size(ColourCodings)},
                          {"drawing", true, DrawingCodings, std::size(DrawingCodings)}};
    // In process.
    for (const Kind& k : kinds)
        for (std::size_t i = 0; i < k.count; ++i) {
            const Coding c = k.codings[i];
            const std::string file = std::string(k.prefix) + "-" + c.name + ".tif";
            ms(RegisterBenchmark(("Decode/" + file).c_str(),
                                 [file](benchmark::State& s) { Decode(s, file); }));
            const bool mono = k.mono;
            ms(RegisterBenchmark(("Encode/" + file).c_str(),
                                 [mono, c](benchmark::State& s) { EncodeBench(s, mono, c.code); }));
        }
    // Start-up: a 1 x 1 picture.
    wall(RegisterBenchmark("Startup/imgtool", [](benchmark::State& s) {
        Run(s, Imgtool, "convert " + P("tiny.tif") + ' ' + P("tiny-out.tif") + " --compression none");
    }));
    wall(RegisterBenchmark("Startup/tiffcp", [](benchmark::State& s) {
        Run(s, Tiffcp(), "-c none " + P("tiny.tif") + ' ' + P("tiny-out.tif"));
    }));
    wall(RegisterBenchmark("Startup/convert", [](benchmark::State& s) {
        Run(s, ImageMagick, P("tiny.tif") + " -compress None " + P("tiny-out.tif"));
    }));
    // Decode: the file read and written uncompressed. Encode: the uncompressed file read and written
    // in the coding.
    for (const Kind& k : kinds)
        for (std::size_t i = 0; i < k.count; ++i) {
            const Coding c = k.codings[i];
            const std::string in = P(std::string(k.prefix) + "-" + c.name + ".tif");
            const std::string raw = P(std::string(k.prefix) + "-none.tif");
            const std::string name = std::string(k.prefix) + "-" + c.name;
            wall(RegisterBenchmark(("ProgramDecode/imgtool/" + name).c_str(), [in](benchmark::State& s) {
                Run(s, Imgtool, "convert " + in + ' ' + P("out-imgtool.tif") + " --compression none");
            }));
            wall(RegisterBenchmark(("ProgramDecode/tiffcp/" + name).c_str(), [in](benchmark::State& s) {
                Run(s, Tiffcp(), "-c none " + in + ' ' + P("out-tiffcp.tif"));
            }));
            wall(RegisterBenchmark(("ProgramDecode/convert/" + name).c_str(), [in](benchmark::State& s) {
                Run(s, ImageMagick, in + " -compress None " + P("out-convert.tif"));
            }));
            if (c.code == 0)
                continue;
            wall(RegisterBenchmark(("ProgramEncode/imgtool/" + name).c_str(), [raw, c](benchmark::State& s) {
                Run(s, Imgtool, "convert " + raw + ' ' + P("enc-imgtool.tif") + " --compression " + c.name);
            }));
            if (c.tiffcp)
                wall(RegisterBenchmark(("ProgramEncode/tiffcp/" + name).c_str(), [raw,
                                                                                  c](benchmark::State& s) {
                    Run(s, Tiffcp(), std::string("-c ") + c.tiffcp + ' ' + raw + ' ' + P("enc-tiffcp.tif"));
                }));
            if (c.im)
                wall(RegisterBenchmark(
                    ("ProgramEncode/convert/" + name).c_str(), [raw, c](benchmark::State& s) {
                        Run(s, ImageMagick, raw + " -compress " + c.im + ' ' + P("enc-convert.tif"));
                    }));
        }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Register();
    return bench::RunBenchmarks(argc, argv);
}
