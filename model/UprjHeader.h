#pragma once
// The 64 32-bit values at the head of a project data file (.JXW). The first 32 are the project's
// palette colours; the others are carried without meaning here.

#include "model/UColors.h"
#include "model/Ucommon.h"
#include "platform/Color.h"

#include <QObject>

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class ByteReader;
class ByteWriter;
class MMachineInfo;
class MUnvList;

// What a header asks of the project that owns it; the project container implements it. The model
// knows no window, so the owner is reached through this interface.
class MProjectHeaderOwner {
public:
    virtual ~MProjectHeaderOwner() = default;
    // The palette the header's colours go into.
    virtual MPalette& HeaderPalette() = 0;
    // The colour no palette entry may hold, and the one that stands in for it.
    virtual TColor ReservedColor() const = 0;
    virtual TColor ReservedColorSubstitute() const = 0;
};

class MProjHeader {
public:
    static constexpr int ValueCount = 64;
    static constexpr int ByteSize = ValueCount * 4;

    explicit MProjHeader(QObject* Owner = nullptr) : Owner(Owner) {}

    QObject* Owner; // normally the project window
    std::array<std::int32_t, ValueCount> Values{};

    // When the owner is a project, puts values 0..31 into its palette, the reserved colour replaced
    // by its substitute; for any other owner nothing happens.
    void ApplyHeader();
    // The 256-byte block of the file: 64 little-endian values, value 0 first.
    void ReadFrom(ByteReader& Stream);
    void WriteTo(ByteWriter& Stream) const;
};

// ---- The project data file (.JXW): the header's 256 bytes, the marker 10, the number of strip
// records and the 92-byte records, all little-endian.
constexpr std::int32_t ProjectDataMarker = 10;
// The most strip records a project data file is read with; a larger file is refused unread.
constexpr std::int64_t ProjectDataMaxStrips = 100000;
constexpr std::int64_t ProjectDataMaxSize = MProjHeader::ByteSize + 8 + ProjectDataMaxStrips * 92;

// What a project data file holds. A file shorter than the header holds the values it has whole
// (ValueCount of them); the strips are there only after a marker of 10 and a count.
struct MProjectData {
    std::array<std::int32_t, MProjHeader::ValueCount> Values{};
    int ValueCount = 0;
    bool HasStrips = false;
    std::vector<MStrip> Strips;
};

// Reads the bytes of a project data file. A marker other than 10 (or none) ends the reading after
// the header, and so does a marker without a count. Raises EReadError when the count is negative
// or larger than the whole records that follow it.
MProjectData ParseProjectData(std::span<const std::uint8_t> Bytes);
// The same for the file at Path: raises EReadError when it cannot be read (a folder, a link to
// nothing, no permission) or is larger than ProjectDataMaxSize.
MProjectData ReadProjectData(const QString& Path);
// Puts what was read into a project: palette entries the file holds (the reserved colour as its
// substitute), header values 32..63 it holds (the others keep theirs), and, when it holds strips,
// the machine description's strip list replaced by them, each S line from a strip's first to its
// last number marked with the strip's id up to the first number the S list does not hold.
void ApplyProjectData(const MProjectData& Data, MPalette& Palette,
                      std::array<std::int32_t, MProjHeader::ValueCount>& HeaderValues, MMachineInfo& Machine,
                      MUnvList& SList, TColor Reserved = ReservedColor,
                      TColor Substitute = ReservedSubstitute);
// Only the palette entries the file holds.
void ApplyProjectPalette(const MProjectData& Data, MPalette& Palette, TColor Reserved = ReservedColor,
                         TColor Substitute = ReservedSubstitute);
// The bytes of a project data file: values 0..31 the palette's colours (the reserved colour
// written as its substitute), 32..63 from HeaderValues, the marker, the count and the records.
QByteArray ProjectDataImage(const MPalette& Palette,
                            const std::array<std::int32_t, MProjHeader::ValueCount>& HeaderValues,
                            const std::vector<MStrip>& Strips);
