#include "model/ULstFile.h"

#include "model/UunvBase.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <algorithm>
#include <bit>

namespace {
constexpr std::array<TTableInfo, lstTableCount> Directory = {{
    {0x30, lstZASize, 511, lkZ, zstA, "Z sub-table A"},
    {0x34, lstZCSize, 255, lkZ, zstC, "Z sub-table C"},
    {0x38, lstZDSize, 255, lkZ, zstD, "Z sub-table D"},
    {0x3C, lstFDSize, 63, lkFD, -1, "FD"},
    {0x40, lstFESize, 127, lkFE, -1, "FE"},
    {0x44, lstZESize, 255, lkZ, zstE, "Z sub-table E"},
    {0x48, lstFSSize, 63, lkFS, -1, "FS"},
    {0x4C, lstZFSize, 63, lkZ, zstF, "Z sub-table F"},
    {0x50, lstZGSize, 63, lkZ, zstG, "Z sub-table G"},
    {0x54, lstZHSize, 63, lkZ, zstH, "Z sub-table H"},
    {0x58, lstZBSize, 999, lkZ, zstB, "Z sub-table B"},
    {0x5C, lstNSize, 127, lkN, -1, "N"},
    {0x60, lstPSize, 127, lkP, -1, "P"},
    {0x64, lstRSize, 63, lkR, -1, "R"},
    {0x68, lstSSize, 255, lkS, -1, "S"},
    {0x6C, lstWSize, 255, lkW, -1, "W"},
    {0x70, lstZSize, 999, lkZ, -1, "Z"},
    {0x74, lstCSize, 0, lkC, -1, "C"},
}};

[[noreturn]] void Damaged(const char* Name, const QString& What) {
    throw EReadError(
        QStringLiteral("The machine file is damaged: the %1 table %2").arg(QLatin1String(Name), What));
}
} // namespace

const std::array<TTableInfo, lstTableCount>& TableDirectory() {
    return Directory;
}

const TTableInfo& MainTableInfo(int ListKind) {
    for (const TTableInfo& t : Directory)
        if (t.ListKind == ListKind && t.SubTable < 0)
            return t;
    throw ERangeError(QStringLiteral("No machine file table for list kind %1").arg(ListKind));
}

const TTableInfo& ZSubTableInfo(int SubTable) {
    for (const TTableInfo& t : Directory)
        if (t.ListKind == lkZ && t.SubTable == SubTable)
            return t;
    throw ERangeError(QStringLiteral("No Z sub-table %1").arg(SubTable));
}

void TTableHeader::Describe(const TTableInfo& Info) {
    SlotPos = Info.SlotPos;
    SizePos = Info.SlotPos + lstPairOffset;
    WriteLimit = Info.WriteLimit;
    RecordSize = std::uint16_t(Info.RecordSize);
}

std::uint32_t ReadLongSwapped(ByteReader& Stream) {
    const std::uint32_t low = Stream.ReadU16BE();
    const std::uint32_t high = Stream.ReadU16BE();
    const std::uint32_t value = (high << 16) | low;
    if (value >= 0x80000000u)
        throw EReadError(
            QStringLiteral("The machine file is damaged: a table offset of %1 is too large").arg(value));
    return value;
}

void WriteLongSwapped(ByteWriter& Stream, std::uint32_t Value) {
    Stream.WriteU16BE(std::uint16_t(Value & 0xFFFF));
    Stream.WriteU16BE(std::uint16_t(Value >> 16));
}

int CountBits8(std::uint8_t Value) {
    return std::popcount(Value);
}

int BitmapSizeOf(int TopNumber) {
    return TopNumber <= 0 ? 0 : (TopNumber + 1 + 7) / 8;
}

std::vector<std::uint16_t> DecodeBitmap(std::span<const std::uint8_t> Bitmap) {
    std::vector<std::uint16_t> numbers;
    for (std::size_t i = 0; i < Bitmap.size(); ++i) {
        const std::uint8_t b = Bitmap[i];
        if (b == 0)
            continue;
        for (int bit = 0; bit < 8; ++bit)
            if (b & (0x80 >> bit))
                numbers.push_back(std::uint16_t(i * 8 + std::size_t(bit)));
    }
    return numbers;
}

void WriteBitmap(ByteWriter& Stream, int BitmapSize, std::span<const std::uint16_t> Numbers) {
    std::vector<std::uint8_t> bits(std::size_t(BitmapSize), 0);
    for (std::uint16_t n : Numbers) {
        const std::size_t byte = n / 8;
        if (byte >= bits.size())
            throw ERangeError(QStringLiteral("Number %1 lies beyond the table's bitmap").arg(n));
        bits[byte] |= std::uint8_t(0x80 >> (n % 8));
    }
    Stream.WriteBytes(bits.data(), bits.size());
}

void ComputeTableLayout(TTableHeader& Header, int HighestNumber, int Count) {
    const std::int64_t limit = Header.WriteLimit;
    std::int64_t top = 0;
    if (limit > 0)
        top = HighestNumber <= limit ? limit : (limit + 1) * ((HighestNumber + limit - 1) / limit) - 1;
    if (top > 0xFFFF || Count < 0 || Count > 0xFFFF)
        throw ERangeError(QStringLiteral("A table of %1 records up to number %2 cannot be stored in a "
                                         "machine file")
                              .arg(Count)
                              .arg(HighestNumber));
    Header.TopNumber = std::uint16_t(top);
    Header.RecordCount = std::uint32_t(Count);
    Header.BitmapSize = std::uint16_t(BitmapSizeOf(int(top)));
    Header.Length = Header.RecordCount * Header.RecordSize + Header.BitmapSize;
}

void ReadTableHeader(ByteReader& Stream, TTableHeader& Header, int Kind, int LayoutSize, const char* Name) {
    const std::size_t size = Stream.Size();
    if (!Stream.Contains(std::size_t(Header.SlotPos), 8) || !Stream.Contains(std::size_t(Header.SizePos), 4))
        throw EReadError(QStringLiteral("The machine file is too short to hold its table directory"));
    Stream.Seek(std::size_t(Header.SlotPos));
    const std::uint32_t start = ReadLongSwapped(Stream);
    std::uint32_t end = ReadLongSwapped(Stream);
    if (Kind == lkC)
        end = std::uint32_t(std::min<std::size_t>(size, 0x7FFFFFFF));
    Stream.Seek(std::size_t(Header.SizePos));
    Header.TopNumber = Stream.ReadU16BE();
    Header.RecordSize = Stream.ReadU16BE();

    if (start > size)
        Damaged(Name,
                QStringLiteral("starts at %1, beyond the end of the file (%2 bytes)").arg(start).arg(size));
    if (end > size)
        Damaged(Name, QStringLiteral("ends at %1, beyond the end of the file (%2 bytes)").arg(end).arg(size));
    if (end < start)
        Damaged(Name, QStringLiteral("ends at %1 before it starts at %2").arg(end).arg(start));
    Header.Start = start;
    Header.Length = end - start;
    Header.BitmapSize = std::uint16_t(BitmapSizeOf(Header.TopNumber));
    if (Header.BitmapSize > Header.Length)
        Damaged(Name, QStringLiteral("of %1 bytes cannot hold its bitmap of %2 bytes")
                          .arg(Header.Length)
                          .arg(Header.BitmapSize));
    const std::uint32_t recordBytes = Header.Length - Header.BitmapSize;
    if (recordBytes > 0 && Header.RecordSize < LayoutSize)
        Damaged(Name, QStringLiteral("has records of %1 bytes; they need at least %2")
                          .arg(Header.RecordSize)
                          .arg(LayoutSize));
    Header.RecordCount = Header.RecordSize == 0 ? 0 : recordBytes / Header.RecordSize;
    Header.Numbers = DecodeBitmap(std::span<const std::uint8_t>(Stream.Data() + start, Header.BitmapSize));
}

bool RotatedModel(int Model) {
    return Model == 720 || Model == 721;
}
