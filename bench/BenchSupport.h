#pragma once
// What the benchmarks share: a test picture, another program run once per iteration, two programs
// timed in turn, and the main function of a benchmark that needs a Qt application.

#include "imaging/Bitmap.h"

#include <QFile>
#include <QString>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace bench {

// A Side x Side 24-bit picture with smooth areas, edges and some noise, so that the compressed
// formats work as on a real drawing, photograph or scan.
inline TBitmap MakePicture(int Side) {
    TBitmap bmp(Side, Side, pf24bit);
    std::uint32_t noise = 12345;
    for (int y = 0; y < Side; ++y) {
        std::uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < Side; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = int((noise >> 16) & 15);
            const bool stripe = ((x / 64) + (y / 64)) % 2 == 0;
            row[3 * x] = std::uint8_t((x / 8 + n) & 255);
            row[3 * x + 1] = std::uint8_t(stripe ? 200 : (y / 8) & 255);
            row[3 * x + 2] = std::uint8_t(((x + y) / 16 + n) & 255);
        }
    }
    return bmp;
}

// Runs "program arguments" through the shell once per iteration: skipped when the program is not
// there, stopped at the first run that fails.
inline void RunProgram(benchmark::State& state, const QString& program, const QString& arguments) {
    if (!QFile::exists(program)) {
        state.SkipWithError("program not installed");
        return;
    }
    const QByteArray command = (program + QLatin1Char(' ') + arguments).toLocal8Bit();
    for (auto _ : state)
        if (std::system(command.constData()) != 0) {
            state.SkipWithError("program failed");
            break;
        }
}

// The whole-process times of two commands run through the shell in turn, runs times each: the
// median of each in milliseconds, or -1 for a command that failed.
struct TPairedTimes {
    double First = 0, Second = 0;
};
inline TPairedTimes PairedMedians(const QByteArray& first, const QByteArray& second, int runs) {
    auto timed = [](const QByteArray& command) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.constData()) != 0)
            return -1.0;
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(timed(first));
        b.push_back(timed(second));
    }
    auto median = [](std::vector<double>& v) {
        if (std::find(v.begin(), v.end(), -1.0) != v.end())
            return -1.0;
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    return {median(a), median(b)};
}

// Runs the benchmarks the command line names.
inline int RunBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The same inside an application of the class App, on the offscreen platform unless
// QT_QPA_PLATFORM names another.
template <class App>
int RunBenchmarksOffscreen(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    App app(argc, argv);
    return RunBenchmarks(argc, argv);
}

} // namespace bench
