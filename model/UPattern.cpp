#include "model/UPattern.h"

#include "platform/Errors.h"

#include <algorithm>
#include <array>

namespace {
// Columns of a read: needles First and First + Offset as picture columns, those left of the picture
// moved onto column 0.
struct MColumns {
    std::int64_t A, B;
};

MColumns ColumnsOf(std::int64_t First, std::int64_t Offset) {
    return {std::max<std::int64_t>(First - 1, 0), std::max<std::int64_t>(First + Offset - 1, 0)};
}

void CheckRowLength(std::int64_t Count) {
    if (Count > NeedleRowLimit)
        throw ERangeError(QStringLiteral("A needle row of %1 needles is too long").arg(Count));
}

// Count entries of one colour.
void WriteRun(ByteWriter& Stream, TColor Colour, std::int64_t Count) {
    if (Count <= 0)
        return;
    const std::array<std::uint8_t, NeedleEntrySize> entry{std::uint8_t(Colour >> 16),
                                                          std::uint8_t(Colour >> 8), std::uint8_t(Colour)};
    if (entry == std::array<std::uint8_t, NeedleEntrySize>{}) {
        Stream.WriteZeros(std::size_t(Count) * NeedleEntrySize);
        return;
    }
    for (std::int64_t i = 0; i < Count; ++i)
        Stream.WriteBytes(entry.data(), entry.size());
}
} // namespace

std::int64_t NeedleRowCount(std::int64_t First, std::int64_t Offset) {
    const MColumns c = ColumnsOf(First, Offset);
    return (c.A > c.B ? c.A - c.B : c.B - c.A) + 1;
}

void WriteColorRun(ByteWriter& Stream, TColor Colour, int N) {
    CheckRowLength(N);
    WriteRun(Stream, Colour, N);
}

int MRasterPattern::ReadNeedleRow(ByteWriter& Stream, int Line, int First, int Offset) {
    const MColumns c = ColumnsOf(First, Offset);
    const std::int64_t n = (c.A > c.B ? c.A - c.B : c.B - c.A) + 1;
    CheckRowLength(n);
    const std::int64_t width = ImageWidth();
    const std::int64_t height = ImageHeight();
    if (Line < 1 || Line > height || (c.A >= width && c.B >= width)) {
        WriteRun(Stream, FillerColor, n);
        return int(n);
    }
    const std::uint8_t* row = FView.Row(int(height - Line));
    if (c.A <= c.B) {
        // Left to right: the picture's part of the run is one block of bytes.
        const std::int64_t last = std::min(c.B, width - 1);
        Stream.WriteBytes(row + c.A * NeedleEntrySize, std::size_t(last - c.A + 1) * NeedleEntrySize);
        WriteRun(Stream, FillerColor, c.B - width + 1);
    } else {
        // Right to left: filler for the needles right of the picture, then the cells one by one.
        WriteRun(Stream, FillerColor, c.A - width + 1);
        for (std::int64_t x = std::min(c.A, width - 1); x >= c.B; --x)
            Stream.WriteBytes(row + x * NeedleEntrySize, NeedleEntrySize);
    }
    return int(n);
}

void MRasterPattern::RepeatNeedleRow(ByteWriter& Stream, int Period, int Total) {
    // Only entries the stream holds are repeated.
    const std::int64_t held = std::int64_t(Stream.Size() / NeedleEntrySize);
    const std::int64_t period = std::min<std::int64_t>(Period, held);
    if (period < 1 || period >= Total)
        return;
    CheckRowLength(Total);
    const std::size_t block = std::size_t(period) * NeedleEntrySize;
    const std::size_t total = std::size_t(Total) * NeedleEntrySize;
    std::size_t end = block;
    Stream.Seek(end);
    // Whole periods stand in front of end, so copying up to all of them at once keeps the repeat
    // and doubles what is written at each step.
    while (end < total) {
        const std::size_t copies = std::min((total - end + block - 1) / block, end / block);
        const std::size_t bytes = copies * block;
        Stream.WriteZeros(bytes);
        std::uint8_t* data = Stream.Buffer().data();
        std::copy_n(data, bytes, data + end);
        end += bytes;
    }
}

void MRasterPattern::WriteNeedleRow(const ByteWriter& Stream, int Line, int First, int Count) {
    const std::int64_t width = ImageWidth();
    const std::int64_t height = ImageHeight();
    if (Line < 1 || Line > height || First < 1 || First > width || Count < 1)
        return;
    // Never more entries than fit in the row from First on, nor more than the stream holds.
    const std::int64_t held = std::int64_t(Stream.Size() / NeedleEntrySize);
    const std::int64_t n = std::min({std::int64_t(Count), width - First + 1, held});
    if (n <= 0)
        return;
    std::uint8_t* row = FView.Row(int(height - Line));
    std::copy_n(Stream.Buffer().data(), std::size_t(n) * NeedleEntrySize,
                row + (First - 1) * NeedleEntrySize);
}
