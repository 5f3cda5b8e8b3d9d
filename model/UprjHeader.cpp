#include "model/UprjHeader.h"

#include "model/UColors.h"
#include "model/UunvKinds.h"
#include "model/UunvList.h"
#include "platform/Bytes.h"
#include "platform/PlainFile.h"

#include <algorithm>

void MProjHeader::ApplyHeader() {
    auto* project = dynamic_cast<MProjectHeaderOwner*>(Owner);
    if (!project)
        return;
    MPalette& palette = project->HeaderPalette();
    const TColor reserved = project->ReservedColor();
    const TColor substitute = project->ReservedColorSubstitute();
    for (int i = 0; i < PaletteSize; ++i) {
        const TColor c = TColor(Values[std::size_t(i)]);
        palette.Colors[std::size_t(i)] = c == reserved ? substitute : c;
    }
}

void MProjHeader::ReadFrom(ByteReader& Stream) {
    Stream.Require(Stream.Position(), ByteSize);
    for (std::int32_t& v : Values)
        v = Stream.ReadI32LE();
}

void MProjHeader::WriteTo(ByteWriter& Stream) const {
    for (std::int32_t v : Values)
        Stream.WriteI32LE(v);
}

MProjectData ParseProjectData(std::span<const std::uint8_t> Bytes) {
    MProjectData data;
    ByteReader reader(Bytes);
    // A short file holds the values it has whole, one by one.
    while (data.ValueCount < MProjHeader::ValueCount && reader.Remaining() >= 4)
        data.Values[std::size_t(data.ValueCount++)] = reader.ReadI32LE();
    if (data.ValueCount < MProjHeader::ValueCount || reader.Remaining() < 8)
        return data;
    if (reader.ReadI32LE() != ProjectDataMarker)
        return data;
    const std::int32_t count = reader.ReadI32LE();
    if (count < 0)
        throw EReadError(QStringLiteral("the strip count %1 is negative").arg(count));
    const std::size_t whole = reader.Remaining() / std::size_t(MStrip::RecordSize);
    if (std::size_t(count) > whole)
        throw EReadError(QStringLiteral("the strip count %1 is larger than the %2 records the file holds")
                             .arg(count)
                             .arg(whole));
    data.HasStrips = true;
    data.Strips.reserve(std::size_t(count));
    for (std::int32_t i = 0; i < count; ++i)
        data.Strips.push_back(MStrip::FromRecord(reader.ReadBytes(std::size_t(MStrip::RecordSize))));
    return data;
}

MProjectData ReadProjectData(const QString& Path) {
    const QByteArray bytes = ReadPlainFile(Path, ProjectDataMaxSize);
    return ParseProjectData(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
}

void ApplyProjectPalette(const MProjectData& Data, MPalette& Palette, TColor Reserved, TColor Substitute) {
    const int held = std::min(Data.ValueCount, PaletteSize);
    for (int i = 0; i < held; ++i) {
        const TColor c = TColor(Data.Values[std::size_t(i)]);
        Palette.Colors[std::size_t(i)] = c == Reserved ? Substitute : c;
    }
}

void ApplyProjectData(const MProjectData& Data, MPalette& Palette,
                      std::array<std::int32_t, MProjHeader::ValueCount>& HeaderValues, MMachineInfo& Machine,
                      MUnvList& SList, TColor Reserved, TColor Substitute) {
    ApplyProjectPalette(Data, Palette, Reserved, Substitute);
    for (int i = PaletteSize; i < Data.ValueCount; ++i)
        HeaderValues[std::size_t(i)] = Data.Values[std::size_t(i)];
    if (!Data.HasStrips)
        return;
    Machine.ClearStrips();
    for (const MStrip& strip : Data.Strips) {
        Machine.AddStrip(strip);
        // The marking ends at the first number the S list does not hold; 64 bits, so a range that
        // ends at the largest number ends.
        for (std::int64_t n = strip.FirstS; n <= strip.LastS; ++n) {
            auto* line = dynamic_cast<MUnvS*>(SList.Lookup(int(n)));
            if (!line)
                break;
            line->StripId = strip.Id;
        }
    }
}

QByteArray ProjectDataImage(const MPalette& Palette,
                            const std::array<std::int32_t, MProjHeader::ValueCount>& HeaderValues,
                            const std::vector<MStrip>& Strips) {
    MProjHeader header;
    header.Values = HeaderValues;
    for (int i = 0; i < PaletteSize; ++i)
        header.Values[std::size_t(i)] = std::int32_t(MPalette::Admissible(Palette.Colors[std::size_t(i)]));
    ByteWriter writer;
    header.WriteTo(writer);
    writer.WriteI32LE(ProjectDataMarker);
    writer.WriteI32LE(CheckedCast<std::int32_t>(Strips.size()));
    for (const MStrip& strip : Strips) {
        const auto record = strip.ToRecord();
        writer.WriteBytes(record.data(), record.size());
    }
    return writer.ToByteArray();
}
