#pragma once
// The short animation of the dialing window: a RIFF AVI file with one video stream of uncompressed
// (8 or 24 bits) or RLE8 frames, the kinds a plain animation control plays. Everything in the file
// is checked against its size; a damaged clip is refused, never half played.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

struct TAviClip {
    static constexpr int MaxSide = 1024;
    static constexpr int MaxFrames = 1000;
    static constexpr std::int64_t MaxPixels = 16 * 1024 * 1024; // over all frames

    int Width = 0;
    int Height = 0;
    // Microseconds per frame as the file gives it (0 when it gives none).
    int FrameTime = 0;
    // Each frame top-down, 0xAARRGGBB with alpha 255.
    std::vector<std::vector<std::uint32_t>> Frames;
};

// Reads a clip; raises EReadError naming what is wrong.
TAviClip ReadAviClip(const QByteArray& Bytes);
// The same for a file (one of at most 16 MiB).
TAviClip LoadAviClip(const QString& Path);
