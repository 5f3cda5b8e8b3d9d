// libFuzzer target: the metafile player. The input is loaded as a WMF or EMF and, when it loads,
// drawn into a small picture. Fonts need a GUI application: one starts on the offscreen platform
// before the first input.
#include "imaging/Metafile.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Fontconfig keeps what it learns of each new font name for the life of the process; that is not a
// leak of the player's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TMetafile metafile;
    try {
        metafile.LoadFromData(bytes);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    // A picture of at most 64 x 64 pixels, the frame mapped onto it whatever its size.
    TBitmap picture(std::max(1, std::min(64, metafile.WidthAt(96))),
                    std::max(1, std::min(64, metafile.HeightAt(96))), pf24bit);
    metafile.Draw(picture, QRect(0, 0, picture.Width(), picture.Height()));
    return 0;
}
