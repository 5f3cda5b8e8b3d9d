// Opening a project from three fuzzed files: the input is split into the machine program file, the
// picture and the project data file (two 32-bit little-endian lengths first, the rest the project
// data file). An opening either gives a whole project or raises the project files' error; a project
// that opened is saved and opens again with the same palette, header values and strips.

#include "app/UProjectFiles.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
const QString& Folder() {
    static const QString folder = [] {
        char name[] = "/tmp/fuzz_project.XXXXXX";
        if (!::mkdtemp(name))
            std::abort();
        return QString::fromLocal8Bit(name);
    }();
    return folder;
}

void Write(const QString& Path, const std::uint8_t* Data, std::size_t Size) {
    QFile file(Path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(Data), qint64(Size)) != qint64(Size))
        std::abort();
}

std::uint32_t Length(const std::uint8_t* Data) {
    std::uint32_t v;
    std::memcpy(&v, Data, 4);
    return v;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 8 || Size > (std::size_t(1) << 20))
        return 0;
    const std::size_t lst = std::min<std::size_t>(Length(Data), Size - 8);
    const std::size_t bmp = std::min<std::size_t>(Length(Data + 4), Size - 8 - lst);
    const std::uint8_t* p = Data + 8;
    const QString base = Folder() + QStringLiteral("/in_740e7");
    Write(base + QStringLiteral(".LST"), p, lst);
    Write(base + QStringLiteral(".BMP"), p + lst, bmp);
    Write(base + QStringLiteral(".JXW"), p + lst + bmp, Size - 8 - lst - bmp);

    std::unique_ptr<MProjectFiles> files;
    try {
        files = OpenProjectFiles(base + QStringLiteral(".LST"));
    } catch (const EProjectFile&) {
        return 0;
    }
    if (!files->Lists || files->Picture.Empty())
        std::abort();
    const QString out = Folder() + QStringLiteral("/out_740e7.JXW");
    try {
        SaveProjectFiles(out, *files);
    } catch (const MException&) {
        // A project that cannot be written, or a program the reader took that the writer cannot
        // store (a value out of the file's range: its own message, not the project's).
        return 0;
    }
    const auto again = OpenProjectFiles(out);
    if (again->Palette.Colors != files->Palette.Colors || again->Header.Values != files->Header.Values ||
        again->Lists->Machine.Strips() != files->Lists->Machine.Strips() ||
        again->Picture.Width() != files->Picture.Width() ||
        again->Picture.Height() != files->Picture.Height())
        std::abort();
    return 0;
}
