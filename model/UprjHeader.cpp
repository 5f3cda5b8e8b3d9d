#include "model/UprjHeader.h"

#include "model/UColors.h"
#include "platform/Bytes.h"

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
