// The project data file reader: any bytes are read or refused with a read error, what is read
// applies to a project without harm, and writing it and reading it again gives the same values and
// strips.

#include "model/UprjHeader.h"
#include "model/UunvList.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size > std::size_t(ProjectDataMaxSize))
        return 0;
    MProjectData data;
    try {
        data = ParseProjectData(std::span<const std::uint8_t>(Data, Size));
    } catch (const EReadError&) {
        return 0;
    }
    if (data.ValueCount < 0 || data.ValueCount > MProjHeader::ValueCount ||
        std::size_t(data.ValueCount) * 4 > Size)
        std::abort();
    // S lines 1..40, so that strip ranges mark some of them.
    MProgramLists lists;
    for (int n = 1; n <= 40; ++n) {
        MUnvS s;
        s.Number = n;
        lists.S.Append(s.Clone());
    }
    MPalette palette;
    std::array<std::int32_t, MProjHeader::ValueCount> values{};
    ApplyProjectData(data, palette, values, lists.Machine, lists.S);
    for (TColor c : palette.Colors)
        if (c == ReservedColor)
            std::abort();

    const QByteArray image = ProjectDataImage(palette, values, lists.Machine.Strips());
    const MProjectData again = ParseProjectData(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(image.constData()), std::size_t(image.size())));
    if (again.ValueCount != MProjHeader::ValueCount || !again.HasStrips ||
        again.Strips != lists.Machine.Strips())
        std::abort();
    for (int i = 0; i < MProjHeader::ValueCount; ++i)
        if (again.Values[std::size_t(i)] !=
            (i < PaletteSize ? std::int32_t(palette.Colors[std::size_t(i)]) : values[std::size_t(i)]))
            std::abort();
    return 0;
}
