// Feeds arbitrary bytes to the animation reader of the dialing window. A clip is refused or read
// whole: every frame then holds its width times its height pixels, within the limits.
#include "platform/Errors.h"
#include "transfer/AviClip.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const QByteArray bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    try {
        const TAviClip clip = ReadAviClip(bytes);
        if (clip.Width < 1 || clip.Height < 1 || clip.Width > TAviClip::MaxSide ||
            clip.Height > TAviClip::MaxSide || clip.Frames.empty() ||
            int(clip.Frames.size()) > TAviClip::MaxFrames)
            std::abort();
        for (const auto& frame : clip.Frames)
            if (frame.size() != std::size_t(clip.Width) * std::size_t(clip.Height))
                std::abort();
    } catch (const EReadError&) {
    }
    return 0;
}
