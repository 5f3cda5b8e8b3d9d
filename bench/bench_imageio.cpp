// Picture files: decoding and encoding a 2048 x 2048 picture as BMP, PNG, JPEG and PCX through the
// station's codecs, side by side with a plain libpng / libjpeg decode of the same bytes and with
// ImageMagick's convert (and our imgtool, when built) on the same files.
#include "bench/BenchSupport.h"
#include "imaging/BMPFilt.h"
#include "imaging/ImageIO.h"
#include "imaging/JPEGFilt.h"
#include "imaging/PCXFilter.h"
#include "imaging/PNGFilt.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

namespace {

constexpr int Side = 2048;

struct Files {
    Files();
    QTemporaryDir dir;
    QByteArray bmp, png, jpeg;
    // PCX: three planes coded and raw, and one 8-bit plane with its palette.
    QByteArray pcx, pcxRaw, pcx8;
    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

Files& Shared() {
    static Files files;
    return files;
}

// Writes the picture once in every format, and keeps the bytes of each file.
Files::Files() {
    Files* f = this;
    {
        TBitmap bmp = bench::MakePicture(Side);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        io.Params().JpegQuality = 90;
        io.SaveToFile(f->Path("picture.bmp"));
        io.SaveToFile(f->Path("picture.png"));
        io.SaveToFile(f->Path("picture.jpg"));
        io.SaveToFile(f->Path("picture.pcx"));
        io.Params().PcxCompressed = false;
        io.SaveToFile(f->Path("raw.pcx"));
        io.Params().PcxCompressed = true;
        io.Params().SamplesPerPixel = 1;
        io.SaveToFile(f->Path("palette.pcx"));
        io.Params().SamplesPerPixel = 3;
        TBitmap tiny(1, 1, pf24bit);
        io.SetAttachedBitmap(&tiny);
        io.SaveToFile(f->Path("tiny.bmp"));
        // The same picture as PPM, the input of the encoders that run as programs.
        QFile ppm(f->Path("picture.ppm"));
        ppm.open(QIODevice::WriteOnly);
        ppm.write(QByteArray("P6\n2048 2048\n255\n"));
        QByteArray rgb(Side * 3, 0);
        for (int y = 0; y < Side; ++y) {
            const std::uint8_t* row = bmp.ScanLine(y);
            for (int x = 0; x < Side; ++x) {
                rgb[3 * x] = char(row[3 * x + 2]);
                rgb[3 * x + 1] = char(row[3 * x + 1]);
                rgb[3 * x + 2] = char(row[3 * x]);
            }
            ppm.write(rgb);
        }
        ppm.close();
        auto read = [&](const char* name) {
            QFile file(f->Path(name));
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        };
        f->bmp = read("picture.bmp");
        f->png = read("picture.png");
        f->jpeg = read("picture.jpg");
        f->pcx = read("picture.pcx");
        f->pcxRaw = read("raw.pcx");
        f->pcx8 = read("palette.pcx");
    }
}

// Decoding from bytes in memory into a picture that lives on, as the component's does.
template <typename Read>
void Decode(benchmark::State& state, const QByteArray& data, Read read) {
    TBitmap bmp;
    for (auto _ : state) {
        ByteReader stream(data);
        TIOParamsVals params;
        TProgressRec progress;
        read(stream, bmp, params, progress);
        benchmark::DoNotOptimize(bmp.Bits());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Side) * Side * 3);
}

void BM_DecodeBMP(benchmark::State& state) {
    Decode(state, Shared().bmp, [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        ReadBMP(s, b, std::int64_t(s.Size()), r, p);
    });
}
void BM_DecodePNG(benchmark::State& state) {
    Decode(state, Shared().png, ReadPNG);
}
void BM_DecodeJPEG(benchmark::State& state) {
    Decode(state, Shared().jpeg, ReadJPEG);
}
void DecodePCX(benchmark::State& state, const QByteArray& file) {
    Decode(state, file, [](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        ReadPCX(s, b, p, r, std::int64_t(s.Size()));
    });
}
void BM_DecodePCX(benchmark::State& state) {
    DecodePCX(state, Shared().pcx);
}
void BM_DecodePCXRaw(benchmark::State& state) {
    DecodePCX(state, Shared().pcxRaw);
}
void BM_DecodePCX8(benchmark::State& state) {
    DecodePCX(state, Shared().pcx8);
}

// Encoding into memory with the writer's parameters.
void EncodePCX(benchmark::State& state, bool coded, int samples) {
    const TBitmap bmp = bench::MakePicture(Side);
    TIOParamsVals params;
    params.PcxCompressed = coded;
    params.SamplesPerPixel = samples;
    for (auto _ : state) {
        ByteWriter out;
        TProgressRec progress;
        WritePCX(out, bmp, params, progress);
        benchmark::DoNotOptimize(out.Buffer().data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Side) * Side * 3);
}
void BM_EncodePCX(benchmark::State& state) {
    EncodePCX(state, true, 3);
}
void BM_EncodePCXRaw(benchmark::State& state) {
    EncodePCX(state, false, 3);
}
void BM_EncodePCX8(benchmark::State& state) {
    EncodePCX(state, true, 1);
}

// The whole load through the component: file read, decode, the picture handed over.
void Load(benchmark::State& state, const char* name) {
    const QString path = Shared().Path(name);
    TBitmap bmp;
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    for (auto _ : state) {
        io.LoadFromFile(path);
        benchmark::DoNotOptimize(bmp.Bits());
    }
}
void BM_LoadBMP(benchmark::State& state) {
    Load(state, "picture.bmp");
}
void BM_LoadPNG(benchmark::State& state) {
    Load(state, "picture.png");
}
void BM_LoadJPEG(benchmark::State& state) {
    Load(state, "picture.jpg");
}

void Save(benchmark::State& state, const char* name) {
    Files& files = Shared();
    TBitmap bmp = bench::MakePicture(Side);
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    io.Params().JpegQuality = 90;
    const QString path = files.Path(name);
    for (auto _ : state)
        io.SaveToFile(path);
}
void BM_SaveBMP(benchmark::State& state) {
    Save(state, "out.bmp");
}
void BM_SavePNG(benchmark::State& state) {
    Save(state, "out.png");
}
void BM_SaveJPEG(benchmark::State& state) {
    Save(state, "out.jpg");
}

// ---- The libraries called directly: the least any decoder over them can cost. ----

struct Mem {
    const std::uint8_t* data;
    std::size_t size, pos;
};

void DirectPngRead(png_structp png, png_bytep out, size_t length) {
    auto* m = static_cast<Mem*>(png_get_io_ptr(png));
    if (length > m->size - m->pos)
        png_error(png, "eof");
    std::memcpy(out, m->data + m->pos, length);
    m->pos += length;
}

void BM_DirectLibpng(benchmark::State& state) {
    const QByteArray& data = Shared().png;
    std::vector<std::uint8_t> pixels(std::size_t(Side) * Side * 3);
    for (auto _ : state) {
        Mem mem{reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size()), 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            png_destroy_read_struct(&png, &info, nullptr);
            state.SkipWithError("libpng failed");
            break;
        }
        png_set_read_fn(png, &mem, DirectPngRead);
        png_read_info(png, info);
        png_set_bgr(png);
        png_read_update_info(png, info);
        for (int y = 0; y < Side; ++y)
            png_read_row(png, pixels.data() + std::size_t(y) * Side * 3, nullptr);
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Side) * Side * 3);
}

void BM_DirectLibjpeg(benchmark::State& state) {
    const QByteArray& data = Shared().jpeg;
    std::vector<std::uint8_t> pixels(std::size_t(Side) * Side * 3);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                     static_cast<unsigned long>(data.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + std::size_t(cinfo.output_scanline) * Side * 3;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Side) * Side * 3);
}

// ---- Programs on the same files. ----

const QString Convert = QStringLiteral("/usr/bin/convert");

void BM_ConvertStartup(benchmark::State& state) {
    bench::RunProgram(state, Convert, Shared().Path("tiny.bmp") + QStringLiteral(" null:"));
}

void ConvertDecode(benchmark::State& state, const char* name) {
    bench::RunProgram(state, Convert, Shared().Path(name) + QStringLiteral(" null:"));
}
void BM_ConvertDecodeBMP(benchmark::State& state) {
    ConvertDecode(state, "picture.bmp");
}
void BM_ConvertDecodePNG(benchmark::State& state) {
    ConvertDecode(state, "picture.png");
}
void BM_ConvertDecodeJPEG(benchmark::State& state) {
    ConvertDecode(state, "picture.jpg");
}
void BM_ConvertDecodePCX(benchmark::State& state) {
    ConvertDecode(state, "picture.pcx");
}
void BM_ConvertDecodePCXRaw(benchmark::State& state) {
    ConvertDecode(state, "raw.pcx");
}
void BM_ConvertDecodePCX8(benchmark::State& state) {
    ConvertDecode(state, "palette.pcx");
}

// Program to program: each reads the file and writes the picture as PPM.
void ConvertToPpm(benchmark::State& state, const char* name) {
    bench::RunProgram(state, Convert, Shared().Path(name) + QLatin1Char(' ') + Shared().Path("im.ppm"));
}
void BM_ConvertToPpmBMP(benchmark::State& state) {
    ConvertToPpm(state, "picture.bmp");
}
void BM_ConvertToPpmPNG(benchmark::State& state) {
    ConvertToPpm(state, "picture.png");
}
void BM_ConvertToPpmJPEG(benchmark::State& state) {
    ConvertToPpm(state, "picture.jpg");
}
void BM_ConvertToPpmPCX(benchmark::State& state) {
    ConvertToPpm(state, "picture.pcx");
}
void BM_ConvertToPpmPCX8(benchmark::State& state) {
    ConvertToPpm(state, "palette.pcx");
}

void ConvertEncode(benchmark::State& state, const char* name, const char* options) {
    bench::RunProgram(state, Convert,
                      Shared().Path("picture.ppm") + QLatin1Char(' ') + QLatin1String(options) +
                          QLatin1Char(' ') + Shared().Path(name));
}
void BM_ConvertEncodeBMP(benchmark::State& state) {
    ConvertEncode(state, "im.bmp", "");
}
void BM_ConvertEncodePNG(benchmark::State& state) {
    ConvertEncode(state, "im.png", "-define png:compression-level=5 -define png:compression-filter=0");
}
void BM_ConvertEncodeJPEG(benchmark::State& state) {
    ConvertEncode(state, "im.jpg", "-quality 90");
}
// ImageMagick writes three coded planes; for 8 bits it first reduces the picture to 256 colours.
void BM_ConvertEncodePCX(benchmark::State& state) {
    ConvertEncode(state, "im.pcx", "");
}
void BM_ConvertEncodePCX8(benchmark::State& state) {
    ConvertEncode(state, "im8.pcx", "-colors 256 -type Palette");
}

#ifdef KDS_IMGTOOL
// Our own program on the same files, for a fair comparison with a program's start-up included.
void ImgtoolConvert(benchmark::State& state, const char* in, const char* out) {
    bench::RunProgram(state, QStringLiteral(KDS_IMGTOOL),
                      QStringLiteral("convert ") + Shared().Path(in) + QLatin1Char(' ') + Shared().Path(out));
}
// A 1 x 1 picture: the cost of starting the program, to set against the figures below.
void BM_ImgtoolStartup(benchmark::State& state) {
    bench::RunProgram(state, QStringLiteral(KDS_IMGTOOL),
                      QStringLiteral("info ") + Shared().Path("tiny.bmp") + QStringLiteral(" >/dev/null"));
}
BENCHMARK(BM_ImgtoolStartup)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole picture read and its parameters printed: the program's decode.
void ImgtoolInfo(benchmark::State& state, const char* in) {
    bench::RunProgram(state, QStringLiteral(KDS_IMGTOOL),
                      QStringLiteral("info ") + Shared().Path(in) + QStringLiteral(" >/dev/null"));
}
void BM_ImgtoolDecodeBMP(benchmark::State& state) {
    ImgtoolInfo(state, "picture.bmp");
}
void BM_ImgtoolDecodePNG(benchmark::State& state) {
    ImgtoolInfo(state, "picture.png");
}
void BM_ImgtoolDecodeJPEG(benchmark::State& state) {
    ImgtoolInfo(state, "picture.jpg");
}
BENCHMARK(BM_ImgtoolDecodeBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolDecodePNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolDecodeJPEG)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_ImgtoolToPpmBMP(benchmark::State& state) {
    ImgtoolConvert(state, "picture.bmp", "tool.ppm");
}
void BM_ImgtoolToPpmPNG(benchmark::State& state) {
    ImgtoolConvert(state, "picture.png", "tool.ppm");
}
void BM_ImgtoolToPpmJPEG(benchmark::State& state) {
    ImgtoolConvert(state, "picture.jpg", "tool.ppm");
}
BENCHMARK(BM_ImgtoolToPpmBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolToPpmPNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolToPpmJPEG)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_ImgtoolDecodePCX(benchmark::State& state) {
    ImgtoolInfo(state, "picture.pcx");
}
void BM_ImgtoolDecodePCXRaw(benchmark::State& state) {
    ImgtoolInfo(state, "raw.pcx");
}
void BM_ImgtoolDecodePCX8(benchmark::State& state) {
    ImgtoolInfo(state, "palette.pcx");
}
void BM_ImgtoolToPpmPCX(benchmark::State& state) {
    ImgtoolConvert(state, "picture.pcx", "tool.ppm");
}
void BM_ImgtoolToPpmPCX8(benchmark::State& state) {
    ImgtoolConvert(state, "palette.pcx", "tool.ppm");
}
// From the PPM: three coded planes, and one 8-bit plane with a palette learned from the picture.
void BM_ImgtoolEncodePCX(benchmark::State& state) {
    ImgtoolConvert(state, "picture.ppm", "tool.pcx");
}
void BM_ImgtoolEncodePCX8(benchmark::State& state) {
    bench::RunProgram(state, QStringLiteral(KDS_IMGTOOL),
                      QStringLiteral("convert ") + Shared().Path("picture.ppm") + QLatin1Char(' ') +
                          Shared().Path("tool8.pcx") + QStringLiteral(" --samples 1"));
}
BENCHMARK(BM_ImgtoolDecodePCX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolDecodePCXRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolDecodePCX8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolToPpmPCX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolToPpmPCX8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolEncodePCX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImgtoolEncodePCX8)->Unit(benchmark::kMillisecond)->UseRealTime();

// imgtool against ImageMagick's convert, each reading the picture and writing it as PPM as a whole
// process, run in turn: the median of 11 runs each and their ratio (below 1: imgtool is faster).
void BM_WholeProcessToPpm(benchmark::State& state, const char* name) {
    if (!QFile::exists(Convert)) {
        state.SkipWithError("program not installed");
        return;
    }
    const QString in = Shared().Path(name);
    const QByteArray tool =
        (QStringLiteral(KDS_IMGTOOL " convert ") + in + QLatin1Char(' ') + Shared().Path("tool.ppm"))
            .toLocal8Bit();
    const QByteArray magick =
        (Convert + QLatin1Char(' ') + in + QLatin1Char(' ') + Shared().Path("im.ppm")).toLocal8Bit();
    for (auto _ : state) {
        const bench::TPairedTimes t = bench::PairedMedians(tool, magick, 11);
        if (t.First < 0 || t.Second < 0) {
            state.SkipWithError("program failed");
            break;
        }
        state.counters["imgtool_ms"] = t.First;
        state.counters["convert_ms"] = t.Second;
        state.counters["ratio"] = t.First / t.Second;
    }
}
BENCHMARK_CAPTURE(BM_WholeProcessToPpm, BMP, "picture.bmp")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WholeProcessToPpm, PNG, "picture.png")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WholeProcessToPpm, JPEG, "picture.jpg")->Iterations(1)->Unit(benchmark::kMillisecond);
#endif

} // namespace

BENCHMARK(BM_DecodeBMP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePNG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJPEG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBMP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPNG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJPEG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBMP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePNG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveJPEG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertStartup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertDecodeBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertDecodePNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertDecodeJPEG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertToPpmBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertToPpmPNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertToPpmJPEG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertEncodeBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertEncodePNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertEncodeJPEG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodePCX)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePCXRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePCX8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePCX)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePCXRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePCX8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertDecodePCX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertDecodePCXRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertDecodePCX8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertToPpmPCX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertToPpmPCX8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertEncodePCX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertEncodePCX8)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
