#include "model/ULstFile.h"

#include "model/UCamCodes.h"
#include "model/UcstmExp.h"
#include "model/UunvBase.h"
#include "model/UunvC.h"
#include "model/UunvF.h"
#include "model/UunvKinds.h"
#include "model/UunvList.h"
#include "model/UunvZ.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"
#include "platform/PlainFile.h"

#include <QSaveFile>

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

// The header, then every table full: a bitmap up to number 65535 and 65535 records (a table's count
// is 16 bits) of the directory's size.
constexpr std::int64_t MaxFileSize() {
    std::int64_t size = lstHeaderSize;
    for (const TTableInfo& t : Directory)
        size += (0xFFFF + 8) / 8 + std::int64_t(0xFFFF) * t.RecordSize;
    return size;
}

[[noreturn]] void Damaged(const char* Name, const QString& What) {
    throw EReadError(
        QStringLiteral("The machine file is damaged: the %1 table %2").arg(QLatin1String(Name), What));
}
} // namespace

const std::int64_t lstMaxFileSize = MaxFileSize();

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
    // The C table, last, runs to the end of the file: whatever the slot after it holds is not used,
    // not even checked.
    const std::uint32_t end =
        Kind == lkC ? std::uint32_t(std::min<std::size_t>(size, 0x7FFFFFFF)) : ReadLongSwapped(Stream);
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
    // The C table runs to the end of the file: when it ends inside its first record, the file was
    // cut short. Bytes after whole records are left alone, as surplus bytes are in the other tables.
    if (Kind == lkC && recordBytes > 0 && Header.RecordCount == 0)
        Damaged(Name, QStringLiteral("ends after %1 of the %2 bytes of its record: the file is cut short")
                          .arg(recordBytes)
                          .arg(Header.RecordSize));
    Header.Numbers = DecodeBitmap(std::span<const std::uint8_t>(Stream.Data() + start, Header.BitmapSize));
}

bool RotatedModel(int Model) {
    return Model == 720 || Model == 721;
}

// ==== Record codecs.

namespace {
// ---- Reading.
int Bit(unsigned Value, int N) {
    return int((Value >> N) & 1u);
}

// A counter word: kind := bit 15 + 1 (D, W), value := bits 14..0.
void DecodeCounter(std::uint16_t Word, MCounter& Counter) {
    Counter.Kind = std::uint8_t(Bit(Word, 15) + 1);
    Counter.Value = Word & 0x7FFF;
}

// A signed count that only counts when its first number is set.
std::int32_t CountOf(std::int32_t First, std::int16_t Count) {
    return First == 0 ? 0 : Count;
}

void DecodeMask(ByteReader& Stream, MbitsMap& Set) {
    Set.SetDWord(Stream.ReadU32BE());
}

// Sign-magnitude with the sign at bit SignBit and the magnitude in the bits below it.
std::int32_t SignMagnitude(unsigned Value, int SignBit) {
    const std::int32_t magnitude = std::int32_t(Value & ((1u << SignBit) - 1));
    return Bit(Value, SignBit) ? -magnitude : magnitude;
}

// A byte whose magnitude (bits 6..0) is stored one above the value, sign at bit 7.
std::int32_t ShiftedSignMagnitude(std::uint8_t Value) {
    std::int32_t magnitude = Value & 0x7F;
    if (magnitude > 0)
        --magnitude;
    return Value & 0x80 ? -magnitude : magnitude;
}

// ---- Writing. Every value is checked against what its bits can hold.

QString ModuleName(const MUnvBase& Module) {
    return ::ModuleName(Module.ListKind(), Module.Number);
}

// A value the file cannot hold: the numbered message names the module and the field as the
// designer finds it in the module's row. A Z row's field has the letters its row shows beside it
// (or a sentence of its own where the row shows none); a field kept per system or per slot also
// names its system (from 1) and, per slot, the front (even slot) or rear bed. Other kinds name
// their fields as they are held, with the index.
[[noreturn]] void Unstorable(const MUnvBase& Module, const char* Field, int Index, std::int64_t Value,
                             std::int64_t Lo, std::int64_t Hi) {
    enum TPer { perNone, perSystem, perSlot, perRacking };
    struct TNamed {
        const char* Field;
        TPer Per;
        int SubCode;       // per slot or racking: the first of two, the front bed's or the main racking's
        const char* Label; // nullptr: the sentence names the field
    };
    static const TNamed names[] = {
        {"PatternLine", perSlot, lstmsg::FrontField, "ZT"},
        {"CamCode", perSlot, lstmsg::FrontCam, nullptr},
        {"Tying", perSlot, lstmsg::FrontTying, nullptr},
        {"Unipress", perSystem, lstmsg::SystemField, "Unipress"},
        {"NetRearFront", perSystem, lstmsg::SystemField, "v"},
        {"NetRear", perSystem, lstmsg::NetRear, nullptr},
        {"BlowerCleaning", perNone, lstmsg::CleaningBlower, nullptr},
        {"PR", perNone, lstmsg::Field, "PR"},
        {"WA1.Mode", perNone, lstmsg::Mode, "WA1"},
        {"WA1.Value", perNone, lstmsg::Field, "WA1"},
        {"WA2.Mode", perNone, lstmsg::Mode, "WA2"},
        {"WA2.Step", perNone, lstmsg::Step, nullptr},
        {"WA2.Value", perNone, lstmsg::Field, "WA2"},
        {"PB.Mode", perNone, lstmsg::Mode, "PB"},
        {"PB.Value", perNone, lstmsg::Field, "PB"},
        {"TZ", perNone, lstmsg::Field, "TZ"},
        {"Racking.Position", perRacking, lstmsg::MainRacking, nullptr},
    };
    const QString field = QLatin1String(Field);
    QStringList args{ModuleName(Module)};
    int subCode = lstmsg::Field;
    const TNamed* named = nullptr;
    if (Module.ListKind() == lkZ)
        for (const TNamed& n : names)
            if (field == QLatin1String(n.Field))
                named = &n;
    if (named) {
        subCode = named->SubCode;
        if (named->Label)
            args << QLatin1String(named->Label);
        if (named->Per == perSystem)
            args << QString::number(Index + 1);
        if (named->Per == perSlot) {
            args << QString::number(Index / 2 + 1);
            subCode += Index % 2;
        }
        if (named->Per == perRacking)
            subCode += Index == 0 ? 0 : 1;
    } else {
        args << (Index >= 0 ? field + QStringLiteral("[%1]").arg(Index) : field);
    }
    args << QString::number(Value) << QString::number(Lo) << QString::number(Hi);
    RaiseM(lstmsg::Code, subCode, args.join(QLatin1Char(';')));
}

// The value when it lies in Lo..Hi; else a clear error naming the module and field.
std::int64_t Fit(const MUnvBase& Module, const char* Field, int Index, std::int64_t Value, std::int64_t Lo,
                 std::int64_t Hi) {
    if (Value < Lo || Value > Hi)
        Unstorable(Module, Field, Index, Value, Lo, Hi);
    return Value;
}

std::uint16_t Word(const MUnvBase& M, const char* Field, int Index, std::int64_t Value) {
    return std::uint16_t(Fit(M, Field, Index, Value, 0, 0xFFFF));
}

std::uint16_t SignedWord(const MUnvBase& M, const char* Field, int Index, std::int64_t Value) {
    return std::uint16_t(std::int16_t(Fit(M, Field, Index, Value, -32768, 32767)));
}

unsigned Flag(const MUnvBase& M, const char* Field, int Index, std::int64_t Value) {
    return unsigned(Fit(M, Field, Index, Value, 0, 1));
}

// Sign-magnitude with the sign at bit SignBit.
unsigned EncodeSignMagnitude(const MUnvBase& M, const char* Field, int Index, std::int64_t Value,
                             int SignBit) {
    const std::int64_t top = (std::int64_t(1) << SignBit) - 1;
    Fit(M, Field, Index, Value, -top, top);
    return Value < 0 ? unsigned(-Value) | (1u << SignBit) : unsigned(Value);
}

// The byte form whose magnitude is stored one above the value.
std::uint8_t EncodeShiftedSignMagnitude(const MUnvBase& M, const char* Field, std::int64_t Value) {
    Fit(M, Field, -1, Value, -126, 126);
    const unsigned magnitude = Value == 0 ? 0 : unsigned(Value < 0 ? -Value : Value) + 1;
    return std::uint8_t(magnitude | (Value < 0 ? 0x80 : 0));
}

std::uint16_t EncodeCounter(const MUnvBase& M, const char* Field, int Index, const MCounter& Counter) {
    const unsigned kind = unsigned(Fit(M, Field, Index, Counter.Kind, 1, 2)) - 1;
    const unsigned value = unsigned(Fit(M, Field, Index, Counter.Value, 0, 0x7FFF));
    return std::uint16_t((kind << 15) | value);
}

// A count is written as 0 when its first number is 0, as the reader takes it.
std::uint16_t EncodeCount(const MUnvBase& M, const char* Field, int Index, std::int32_t First,
                          std::int32_t Count) {
    return SignedWord(M, Field, Index, First == 0 ? 0 : Count);
}

void EncodeMask(ByteWriter& Stream, const MbitsMap& Set) {
    Stream.WriteU32BE(Set.GetDWord());
}
} // namespace

// ---- P: direction, mode, carriers, then needles (modes 0..3) or colour sets (modes 4..).

void DecodeP(ByteReader& Stream, MUnvP& P) {
    const std::uint8_t b0 = Stream.ReadU8();
    const std::uint8_t b1 = Stream.ReadU8();
    P.Dir = std::uint8_t(2 * Bit(b0, 6) + Bit(b0, 5));
    P.Mode = std::uint8_t((b0 & 0x0F) + 4 * Bit(b0, 7));
    for (int i = 0; i < 8; ++i)
        P.Carriers[std::size_t(i)] = std::uint8_t(Bit(b1, i));
    if (P.Mode < 4) {
        const std::uint32_t l = Stream.ReadU32BE();
        const std::uint32_t r = Stream.ReadU32BE();
        if (l >= 0x80000000u || r >= 0x80000000u)
            throw ERangeError(
                QStringLiteral("The machine file is damaged: P %1 holds a needle of 2^31 or more")
                    .arg(P.Number));
        P.L = std::int32_t(l);
        P.R = std::int32_t(r);
        P.ClrsL.Clear();
        P.ClrsR.Clear();
    } else {
        DecodeMask(Stream, P.ClrsL);
        DecodeMask(Stream, P.ClrsR);
        P.L = 0;
        P.R = 0;
    }
}

void EncodeP(ByteWriter& Stream, const MUnvP& P) {
    const unsigned dir = unsigned(Fit(P, "Dir", -1, P.Dir, 0, 3));
    const unsigned mode = unsigned(Fit(P, "Mode", -1, P.Mode, 0, 19));
    // Modes up to 15 sit in the low four bits; 16..19 use bit 7 for 4 more.
    const unsigned modeBits = mode <= 15 ? mode : 0x80 | (mode - 4);
    Stream.WriteU8(std::uint8_t(((dir >> 1) << 6) | ((dir & 1) << 5) | modeBits));
    unsigned carriers = 0;
    for (int i = 0; i < 8; ++i)
        carriers |= Flag(P, "Carriers", i, P.Carriers[std::size_t(i)]) << i;
    Stream.WriteU8(std::uint8_t(carriers));
    if (mode < 4) {
        Stream.WriteU32BE(std::uint32_t(Fit(P, "L", -1, P.L, 0, 0x7FFFFFFF)));
        Stream.WriteU32BE(std::uint32_t(Fit(P, "R", -1, P.R, 0, 0x7FFFFFFF)));
    } else {
        EncodeMask(Stream, P.ClrsL);
        EncodeMask(Stream, P.ClrsR);
    }
}

// ---- N: type and start in one word, the count, the counter.

void DecodeN(ByteReader& Stream, MUnvN& N) {
    const std::uint16_t w0 = Stream.ReadU16BE();
    const std::int16_t count = Stream.ReadI16BE();
    const std::uint16_t counter = Stream.ReadU16BE();
    N.Type = std::uint8_t(Bit(w0, 15) + 1);
    N.Start = w0 & 0x7FFF;
    N.Count = CountOf(N.Start, count);
    DecodeCounter(counter, N.Counter);
}

void EncodeN(ByteWriter& Stream, const MUnvN& N) {
    const unsigned type = unsigned(Fit(N, "Type", -1, N.Type, 1, 2)) - 1;
    const unsigned start = unsigned(Fit(N, "Start", -1, N.Start, 0, 0x7FFF));
    Stream.WriteU16BE(std::uint16_t((type << 15) | start));
    Stream.WriteU16BE(EncodeCount(N, "Count", -1, N.Start, N.Count));
    Stream.WriteU16BE(EncodeCounter(N, "Counter", -1, N.Counter));
}

// ---- R: the counter and the eight bed offsets.

void DecodeR(ByteReader& Stream, MUnvR& R, bool Rotated) {
    DecodeCounter(Stream.ReadU16BE(), R.Counter);
    for (int j = 0; j < 8; ++j)
        R.Offsets[std::size_t(ModuleSlot(j, Rotated))] = Stream.ReadI16BE();
}

void EncodeR(ByteWriter& Stream, const MUnvR& R, bool Rotated) {
    Stream.WriteU16BE(EncodeCounter(R, "Counter", -1, R.Counter));
    for (int j = 0; j < 8; ++j) {
        const int slot = ModuleSlot(j, Rotated);
        Stream.WriteU16BE(SignedWord(R, "Offsets", slot, R.Offsets[std::size_t(slot)]));
    }
}

// ---- S: the Z or S range, the counter with two kind bits, the N and P ranges, the offset table.

void DecodeS(ByteReader& Stream, MUnvS& S) {
    const std::uint16_t w0 = Stream.ReadU16BE();
    const std::int16_t count = Stream.ReadI16BE();
    const std::uint16_t counter = Stream.ReadU16BE();
    const std::uint16_t nFirst = Stream.ReadU16BE();
    const std::int16_t nCount = Stream.ReadI16BE();
    const std::uint16_t pFirst = Stream.ReadU16BE();
    const std::int16_t pCount = Stream.ReadI16BE();
    const std::uint16_t offset = Stream.ReadU16BE();
    S.Type = std::uint8_t(Bit(w0, 15) + 1);
    S.First = w0 & 0x7FFF;
    S.Count = CountOf(S.First, count);
    S.Counter.Kind = std::uint8_t(1 + Bit(counter, 15) + 2 * Bit(counter, 14));
    S.Counter.Value = counter & 0x3FFF;
    S.NFirst = nFirst;
    S.NCount = CountOf(S.NFirst, nCount);
    S.PFirst = pFirst;
    S.PCount = CountOf(S.PFirst, pCount);
    if (offset > 255)
        throw ERangeError(QStringLiteral("The machine file is damaged: S %1 names offset table %2")
                              .arg(S.Number)
                              .arg(offset));
    S.Offset = std::uint8_t(offset == 0 ? 1 : offset);
}

void EncodeS(ByteWriter& Stream, const MUnvS& S) {
    const unsigned type = unsigned(Fit(S, "Type", -1, S.Type, 1, 2)) - 1;
    const unsigned first = unsigned(Fit(S, "First", -1, S.First, 0, 0x7FFF));
    Stream.WriteU16BE(std::uint16_t((type << 15) | first));
    Stream.WriteU16BE(EncodeCount(S, "Count", -1, S.First, S.Count));
    const unsigned kind = unsigned(Fit(S, "Counter", -1, S.Counter.Kind, 1, 4)) - 1;
    const unsigned value = unsigned(Fit(S, "Counter", -1, S.Counter.Value, 0, 0x3FFF));
    Stream.WriteU16BE(std::uint16_t(((kind & 1) << 15) | ((kind >> 1) << 14) | value));
    Stream.WriteU16BE(Word(S, "NFirst", -1, S.NFirst));
    Stream.WriteU16BE(EncodeCount(S, "NCount", -1, S.NFirst, S.NCount));
    Stream.WriteU16BE(Word(S, "PFirst", -1, S.PFirst));
    Stream.WriteU16BE(EncodeCount(S, "PCount", -1, S.PFirst, S.PCount));
    Stream.WriteU16BE(S.Offset);
}

// ---- W: eight levels.

void DecodeW(ByteReader& Stream, MUnvW& W) {
    for (std::int32_t& level : W.Levels)
        level = Stream.ReadU16BE();
}

void EncodeW(ByteWriter& Stream, const MUnvW& W) {
    for (int j = 0; j < 8; ++j)
        Stream.WriteU16BE(Word(W, "Levels", j, W.Levels[std::size_t(j)]));
}

// ---- FS: per bed two counter words.

void DecodeFS(ByteReader& Stream, MUnvFS& FS) {
    for (int j = 0; j < 8; ++j) {
        DecodeCounter(Stream.ReadU16BE(), FS.CountersA[std::size_t(j)]);
        DecodeCounter(Stream.ReadU16BE(), FS.CountersB[std::size_t(j)]);
    }
}

void EncodeFS(ByteWriter& Stream, const MUnvFS& FS) {
    for (int j = 0; j < 8; ++j) {
        Stream.WriteU16BE(EncodeCounter(FS, "CountersA", j, FS.CountersA[std::size_t(j)]));
        Stream.WriteU16BE(EncodeCounter(FS, "CountersB", j, FS.CountersB[std::size_t(j)]));
    }
}

// ---- FD: per bed the first FE line and the count.

void DecodeFD(ByteReader& Stream, MUnvFD& FD) {
    for (int j = 0; j < 8; ++j) {
        const std::uint16_t first = Stream.ReadU16BE();
        const std::int16_t count = Stream.ReadI16BE();
        FD.FirstFE[std::size_t(j)] = first;
        FD.CountFE[std::size_t(j)] = CountOf(first, count);
    }
}

void EncodeFD(ByteWriter& Stream, const MUnvFD& FD) {
    for (int j = 0; j < 8; ++j) {
        const std::int32_t first = FD.FirstFE[std::size_t(j)];
        Stream.WriteU16BE(Word(FD, "FirstFE", j, first));
        Stream.WriteU16BE(EncodeCount(FD, "CountFE", j, first, FD.CountFE[std::size_t(j)]));
    }
}

// ---- FE: colours, difference, start point with the vertical step, horizontal step, offset.

void DecodeFE(ByteReader& Stream, MUnvFE& FE) {
    DecodeMask(Stream, FE.Colors);
    FE.Difference = Stream.ReadI16BE();
    const std::uint16_t w6 = Stream.ReadU16BE();
    FE.StartPoint = std::uint8_t(Bit(w6, 15) + 2 * Bit(w6, 14));
    FE.VerticalStep = w6 & 0x3FFF;
    FE.HorizontalStep = Stream.ReadU16BE();
    FE.Offset = SignMagnitude(Stream.ReadU16BE(), 15);
}

void EncodeFE(ByteWriter& Stream, const MUnvFE& FE) {
    EncodeMask(Stream, FE.Colors);
    Stream.WriteU16BE(SignedWord(FE, "Difference", -1, FE.Difference));
    const unsigned start = unsigned(Fit(FE, "StartPoint", -1, FE.StartPoint, 0, 3));
    const unsigned step = unsigned(Fit(FE, "VerticalStep", -1, FE.VerticalStep, 0, 0x3FFF));
    Stream.WriteU16BE(std::uint16_t(((start & 1) << 15) | ((start >> 1) << 14) | step));
    Stream.WriteU16BE(Word(FE, "HorizontalStep", -1, FE.HorizontalStep));
    Stream.WriteU16BE(std::uint16_t(EncodeSignMagnitude(FE, "Offset", -1, FE.Offset, 15)));
}

// ---- C: settings, picture rectangle, needle areas, carrier starts, offset tables and, in the
// larger records, carrier flags, stitch differences and the rack corrections.

namespace {
void DecodeAreas(ByteReader& Stream, MUnvC& C) {
    for (int j = 0; j < NeedleAreaCount; ++j) {
        C.From[std::size_t(j)] = Stream.ReadU16BE();
        C.To[std::size_t(j)] = Stream.ReadU16BE();
    }
}

void DecodeRacks(ByteReader& Stream, std::array<MRackCorrection, RackCorrectionCount>& Table) {
    for (MRackCorrection& e : Table) {
        e.HV = Stream.ReadI8();
        e.UV = Stream.ReadU8();
        e.KORR = Stream.ReadI16BE();
        e.DEHN = Stream.ReadI16BE();
        e.GESH = Stream.ReadU16BE();
    }
}

void EncodeAreas(ByteWriter& Stream, const MUnvC& C) {
    for (int j = 0; j < NeedleAreaCount; ++j) {
        Stream.WriteU16BE(Word(C, "From", j, C.From[std::size_t(j)]));
        Stream.WriteU16BE(Word(C, "To", j, C.To[std::size_t(j)]));
    }
}

void EncodeRacks(ByteWriter& Stream, const MUnvC& C,
                 const std::array<MRackCorrection, RackCorrectionCount>& Table, const char* Name) {
    for (int j = 0; j < RackCorrectionCount; ++j) {
        const MRackCorrection& e = Table[std::size_t(j)];
        Stream.WriteU8(std::uint8_t(std::int8_t(Fit(C, Name, j, e.HV, -128, 127))));
        Stream.WriteU8(e.UV);
        Stream.WriteU16BE(SignedWord(C, Name, j, e.KORR));
        Stream.WriteU16BE(SignedWord(C, Name, j, e.DEHN));
        Stream.WriteU16BE(Word(C, Name, j, e.GESH));
    }
}

// A word read as the value plus 1.
std::uint16_t EncodePlusOne(const MUnvC& C, const char* Field, std::int32_t Value) {
    return Word(C, Field, -1, std::int64_t(Value) - 1);
}
} // namespace

void DecodeC(ByteReader& Stream, MUnvC& C, int RecordSize, std::uint32_t TableLength) {
    const std::size_t at = Stream.Position();
    Stream.Require(at, std::size_t(RecordSize));
    // Sections of the larger records are read only when they lie wholly inside the record.
    auto inside = [&](int Offset, int Size) { return Offset + Size <= RecordSize; };
    C.WE = Stream.ReadU16BE() + 1;
    C.ST = Stream.ReadU16BE();
    C.LB = Stream.ReadU16BE();
    C.WA = Stream.ReadU16BE();
    C.TZ = Stream.ReadU16BE();
    Stream.Skip(4);
    C.Time = Stream.ReadU16BE();
    C.X1 = Stream.ReadU16BE() + 1;
    C.Y1 = Stream.ReadU16BE() + 1;
    C.Width = Stream.ReadU16BE();
    C.Height = Stream.ReadU16BE();
    if (TableLength <= 864) {
        Stream.Seek(at + 32);
        DecodeAreas(Stream, C);
    }
    Stream.Seek(at + 64);
    for (MCarrierStart& start : C.CarrierStarts)
        for (int k = 7; k >= 0; --k)
            start.Positions[std::size_t(k)] = SignMagnitude(Stream.ReadU16BE() & 0x3FFF, 13);
    for (MOffsetTable& table : C.OffsetTables)
        for (int k = 0; k < 8; ++k) {
            table.L[std::size_t(k)] = Stream.ReadI16BE();
            table.R[std::size_t(k)] = Stream.ReadI16BE();
        }
    if (RecordSize > lstCMinSize) {
        if (inside(448, 16)) {
            Stream.Seek(at + 448);
            for (MCarrierStart& start : C.CarrierStarts)
                start.FF = std::uint8_t(Stream.ReadU16BE() & 0xFF);
        }
        if (inside(464, 16)) {
            Stream.Seek(at + 464);
            for (MCarrierStart& start : C.CarrierStarts)
                start.FT = std::uint8_t(Stream.ReadU16BE() & 1);
        }
        if (inside(480, 32)) {
            Stream.Seek(at + 480);
            for (int j = 0; j < 8; ++j) {
                C.StitchDiff1[std::size_t(j)] = Stream.ReadU16BE();
                C.StitchDiff2[std::size_t(j)] = Stream.ReadU16BE();
            }
        }
        if (inside(544, 128)) {
            Stream.Seek(at + 544);
            DecodeRacks(Stream, C.RackCorrection1);
        }
        if (inside(672, 128)) {
            Stream.Seek(at + 672);
            DecodeRacks(Stream, C.RackCorrection2);
        }
    }
    if (RecordSize > 864 && inside(800, 32)) {
        Stream.Seek(at + 800);
        DecodeAreas(Stream, C);
    }
}

void EncodeC(ByteWriter& Stream, const MUnvC& C) {
    const std::size_t at = Stream.Position();
    Stream.WriteU16BE(EncodePlusOne(C, "WE", C.WE));
    Stream.WriteU16BE(Word(C, "ST", -1, C.ST));
    Stream.WriteU16BE(Word(C, "LB", -1, C.LB));
    Stream.WriteU16BE(Word(C, "WA", -1, C.WA));
    Stream.WriteU16BE(Word(C, "TZ", -1, C.TZ));
    Stream.WriteZeros(4);
    Stream.WriteU16BE(Word(C, "Time", -1, C.Time));
    // X1 and Y1 are read as the word plus 1: anything below 2 is written so that it reads as 1.
    Stream.WriteU16BE(EncodePlusOne(C, "X1", std::max(C.X1, 1)));
    Stream.WriteU16BE(EncodePlusOne(C, "Y1", std::max(C.Y1, 1)));
    Stream.WriteU16BE(Word(C, "Width", -1, C.Width));
    Stream.WriteU16BE(Word(C, "Height", -1, C.Height));
    Stream.WriteZeros(8);
    // The needle areas also sit where the shorter records keep them, for readers of those.
    EncodeAreas(Stream, C);
    for (int i = 0; i < 8; ++i)
        for (int k = 7; k >= 0; --k)
            Stream.WriteU16BE(std::uint16_t(
                EncodeSignMagnitude(C, "CarrierStarts.Positions", i * 8 + k,
                                    C.CarrierStarts[std::size_t(i)].Positions[std::size_t(k)], 13)));
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 8; ++k) {
            const MOffsetTable& t = C.OffsetTables[std::size_t(i)];
            Stream.WriteU16BE(SignedWord(C, "OffsetTables.L", i * 8 + k, t.L[std::size_t(k)]));
            Stream.WriteU16BE(SignedWord(C, "OffsetTables.R", i * 8 + k, t.R[std::size_t(k)]));
        }
    for (const MCarrierStart& start : C.CarrierStarts)
        Stream.WriteU16BE(start.FF);
    for (int i = 0; i < 8; ++i)
        Stream.WriteU16BE(std::uint16_t(Flag(C, "CarrierStarts.FT", i, C.CarrierStarts[std::size_t(i)].FT)));
    for (int j = 0; j < 8; ++j) {
        Stream.WriteU16BE(Word(C, "StitchDiff1", j, C.StitchDiff1[std::size_t(j)]));
        Stream.WriteU16BE(Word(C, "StitchDiff2", j, C.StitchDiff2[std::size_t(j)]));
    }
    Stream.WriteZeros(32);
    EncodeRacks(Stream, C, C.RackCorrection1, "RackCorrection1");
    EncodeRacks(Stream, C, C.RackCorrection2, "RackCorrection2");
    EncodeAreas(Stream, C);
    Stream.WriteZeros(at + lstCSize - Stream.Position());
}

// ---- Z rows and their sub-records.

namespace {
void DecodeZMasks(ByteReader& Stream, std::array<MclrMap, ZSlots>& Sets, bool Rotated) {
    for (int j = 0; j < ZSlots; ++j)
        DecodeMask(Stream, Sets[std::size_t(ModuleSlot(j, Rotated))]);
}

void DecodeZG(ByteReader& Stream, MUnvZ& Z, bool Rotated) {
    const std::uint8_t b0 = Stream.ReadU8();
    const std::uint8_t b1 = Stream.ReadU8();
    const std::uint8_t b2 = Stream.ReadU8();
    const std::uint8_t b3 = Stream.ReadU8();
    Stream.Skip(1);
    const std::uint8_t b5 = Stream.ReadU8();
    Stream.Skip(6);
    const std::uint16_t tying = Stream.ReadU16BE();
    Stream.Skip(1);
    const std::uint8_t b15 = Stream.ReadU8();

    Z.WA2.Step = std::uint8_t(Bit(b0, 4));
    if ((b0 & 0x70) == 0)
        Z.WA2.Step = std::uint8_t(Bit(b0, 7) + 2);
    Z.WA2.Mode = std::uint8_t(Bit(b1, 7));
    Z.WA2.Value = b1 & 0x7F;
    if (Bit(b0, 5))
        Z.WA2.Value = -Z.WA2.Value;
    if (Z.WA2.Value == 0)
        Z.WA2.Step = 0;
    if (Z.WA2.Step > 1)
        Z.WA2.Value = 1;
    Z.PB.Value = ShiftedSignMagnitude(b2);
    Z.TZ = std::uint8_t(b3 > 127 ? b3 - 128 : b3);
    Z.PB.Mode = std::uint8_t(Bit(b5, 6));
    Z.BlowerCleaning = std::uint8_t(Bit(b5, 4));
    for (int j = 0; j < ZSystems; ++j)
        Z.Unipress[std::size_t(ModuleSystem(j, Rotated))] = std::uint8_t(Bit(b5, j));
    for (int j = 0; j < ZSlots; ++j) {
        const int lo = Bit(tying, 2 * j), hi = Bit(tying, 2 * j + 1);
        Z.Tying[std::size_t(ModuleSlot(j, Rotated))] = std::uint8_t(j % 2 == 0 ? hi + 2 * lo : lo + 2 * hi);
    }
    Z.ST = b15;
}

void DecodeZH(ByteReader& Stream, MUnvZ& Z, bool Rotated) {
    Z.JV = Stream.ReadU8();
    Z.FDMirror = Stream.ReadU8();
    DecodeMask(Stream, Z.FDColors);
    for (int j = 0; j < ZSystems; ++j) {
        const std::uint8_t b = Stream.ReadU8();
        const std::size_t s = std::size_t(ModuleSystem(j, Rotated));
        Z.NetRearFront[s] = std::uint8_t(Bit(b, 7));
        Z.NetRear[s] = std::uint8_t(b & 0x7F);
    }
    Z.PA = Stream.ReadU8();
    Z.PR = ShiftedSignMagnitude(Stream.ReadU8());
    const std::uint8_t b12 = Stream.ReadU8();
    const std::uint8_t b13 = Stream.ReadU8();
    Z.WA1.Mode = std::uint8_t(Bit(b13, 7));
    Z.WA1.Value = b13 & 0x7F;
    if (Bit(b12, 5))
        Z.WA1.Value = -Z.WA1.Value;
}

// A module number kept in a second-level entry; the row holds it in a byte.
std::uint8_t ModuleNumberOf(const MUnvZ& Z, int Value, const char* Field) {
    if (Value > 255)
        throw ERangeError(QStringLiteral("The machine file is damaged: Z %1 names %2 %3")
                              .arg(Z.Number)
                              .arg(QLatin1String(Field))
                              .arg(Value));
    return std::uint8_t(Value);
}
} // namespace

void DecodeZ(ByteReader& Stream, MUnvZ& Z, const std::array<TTableHeader, ZSubTableCount>& SubTables,
             bool Rotated) {
    const std::size_t after = Stream.Position() + lstZSize;
    Z.SubRecords2.fill(0);
    for (std::int32_t& n : Z.SubRecords)
        n = Stream.ReadU16BE();
    // A sub-record number that is 0, absent from its table or beyond the table's records leaves the
    // row with the defaults of the fields that sub-record would carry.
    const auto seek = [&](int SubTable, int Number) {
        return MZList::SeekSubRecord(Stream, SubTables[std::size_t(SubTable)], Number) == 0;
    };
    if (seek(zstC, Z.SubRecords[zsrSecondLevel]))
        for (std::int32_t& n : Z.SubRecords2)
            n = Stream.ReadU16BE();
    if (seek(zstB, Z.SubRecords[zsrPatternLines]))
        for (int j = 0; j < ZSlots; ++j)
            Z.PatternLine[std::size_t(ModuleSlot(j, Rotated))] = Stream.ReadU16BE();
    if (seek(zstA, Z.SubRecords[zsrKNF]))
        DecodeZMasks(Stream, Z.KNF, Rotated);
    if (seek(zstA, Z.SubRecords[zsrLG]))
        DecodeZMasks(Stream, Z.LG, Rotated);
    if (seek(zstD, Z.SubRecords2[zsr2Cams]))
        for (int j = 0; j < ZSlots; ++j)
            Z.CamCode[std::size_t(j)] = std::uint8_t(CamCodeOfByte(Stream.ReadU16BE()));
    if (seek(zstE, Z.SubRecords2[zsr2Carriers]))
        for (int j = 0; j < ZSystems; ++j) {
            MffMap& set = Z.Carriers[std::size_t(ModuleSystem(j, Rotated))];
            set.Value = Stream.ReadU8();
            set.SetByte(Stream.ReadU8());
        }
    Z.FSFront = ModuleNumberOf(Z, Z.SubRecords2[zsr2FSFront], "FS front");
    Z.FSRear = ModuleNumberOf(Z, Z.SubRecords2[zsr2FSRear], "FS rear");
    Z.FD = ModuleNumberOf(Z, Z.SubRecords2[zsr2FD], "FD");
    if (seek(zstF, Z.SubRecords2[zsr2Racking]))
        for (MZRacking& r : Z.Racking) {
            r.Position = SignMagnitude(Stream.ReadU16BE(), 15);
            r.Transfer = Stream.ReadU8();
            r.Correction = Stream.ReadU8();
        }
    if (seek(zstG, Z.SubRecords2[zsr2Settings1]))
        DecodeZG(Stream, Z, Rotated);
    if (seek(zstH, Z.SubRecords2[zsr2Settings2]))
        DecodeZH(Stream, Z, Rotated);
    Stream.Seek(after);
}

void EncodeZSub(ByteWriter& Stream, const MUnvZ& Z, int SubTable, bool Rotated, bool Lg) {
    switch (SubTable) {
    case zstC:
        for (int k = 0; k < 8; ++k)
            Stream.WriteU16BE(Word(Z, "SubRecords2", k, Z.SubRecords2[std::size_t(k)]));
        return;
    case zstB:
        for (int j = 0; j < ZSlots; ++j) {
            const int slot = ModuleSlot(j, Rotated);
            Stream.WriteU16BE(Word(Z, "PatternLine", slot, Z.PatternLine[std::size_t(slot)]));
        }
        return;
    case zstA:
        for (int j = 0; j < ZSlots; ++j)
            EncodeMask(Stream, (Lg ? Z.LG : Z.KNF)[std::size_t(ModuleSlot(j, Rotated))]);
        return;
    case zstD:
        for (int j = 0; j < ZSlots; ++j)
            Stream.WriteU16BE(
                CamCodeByte(int(Fit(Z, "CamCode", j, Z.CamCode[std::size_t(j)], 0, CamCodeCount - 1))));
        return;
    case zstE:
        for (int j = 0; j < ZSystems; ++j) {
            const MffMap& set = Z.Carriers[std::size_t(ModuleSystem(j, Rotated))];
            Stream.WriteU8(set.Value);
            Stream.WriteU8(set.Bits[0]);
        }
        return;
    case zstF:
        for (int i = 0; i < 2; ++i) {
            const MZRacking& r = Z.Racking[std::size_t(i)];
            Stream.WriteU16BE(std::uint16_t(EncodeSignMagnitude(Z, "Racking.Position", i, r.Position, 15)));
            Stream.WriteU8(r.Transfer);
            Stream.WriteU8(r.Correction);
        }
        return;
    case zstG: {
        const unsigned step = unsigned(Fit(Z, "WA2.Step", -1, Z.WA2.Step, 0, 3));
        const unsigned mode = Flag(Z, "WA2.Mode", -1, Z.WA2.Mode);
        const std::int64_t value = Fit(Z, "WA2.Value", -1, Z.WA2.Value, -127, 127);
        // The file keeps "R" with 0 as no step, and "^" and "v" always with 1.
        if ((step == 1 && value == 0) || (step >= 2 && value != 1))
            RaiseM(lstmsg::Code, lstmsg::TakeDownStep,
                   ModuleName(Z) + QStringLiteral(";%1;").arg(value) +
                       (step == 1   ? QStringLiteral("R")
                        : step == 2 ? QStringLiteral("^")
                                    : QStringLiteral("v")));
        const unsigned negative = value < 0 ? 0x20 : 0;
        unsigned b0 = 0, magnitude = unsigned(value < 0 ? -value : value);
        if (step == 0)
            b0 = 0x40 | negative; // bit 6 keeps "no step" from reading as a step
        else if (step == 1)
            b0 = 0x10 | negative;
        else
            b0 = step == 3 ? 0x80 : 0x00; // bits 4..6 clear: bit 7 chooses "^" or "v", value 1
        Stream.WriteU8(std::uint8_t(b0));
        Stream.WriteU8(std::uint8_t((mode << 7) | magnitude));
        Stream.WriteU8(EncodeShiftedSignMagnitude(Z, "PB.Value", Z.PB.Value));
        Stream.WriteU8(std::uint8_t(Fit(Z, "TZ", -1, Z.TZ, 0, 127)));
        Stream.WriteU8(0);
        unsigned b5 =
            (Flag(Z, "PB.Mode", -1, Z.PB.Mode) << 6) | (Flag(Z, "BlowerCleaning", -1, Z.BlowerCleaning) << 4);
        for (int j = 0; j < ZSystems; ++j) {
            const int s = ModuleSystem(j, Rotated);
            b5 |= Flag(Z, "Unipress", s, Z.Unipress[std::size_t(s)]) << j;
        }
        Stream.WriteU8(std::uint8_t(b5));
        Stream.WriteZeros(6);
        unsigned tying = 0;
        for (int j = 0; j < ZSlots; ++j) {
            const int slot = ModuleSlot(j, Rotated);
            const unsigned t = unsigned(Fit(Z, "Tying", slot, Z.Tying[std::size_t(slot)], 0, 3));
            const unsigned lo = j % 2 == 0 ? t >> 1 : t & 1;
            const unsigned hi = j % 2 == 0 ? t & 1 : t >> 1;
            tying |= (lo << (2 * j)) | (hi << (2 * j + 1));
        }
        Stream.WriteU16BE(std::uint16_t(tying));
        Stream.WriteU8(0);
        Stream.WriteU8(Z.ST);
        return;
    }
    case zstH: {
        Stream.WriteU8(Z.JV);
        Stream.WriteU8(Z.FDMirror);
        EncodeMask(Stream, Z.FDColors);
        for (int j = 0; j < ZSystems; ++j) {
            const std::size_t s = std::size_t(ModuleSystem(j, Rotated));
            Stream.WriteU8(std::uint8_t((Flag(Z, "NetRearFront", int(s), Z.NetRearFront[s]) << 7) |
                                        unsigned(Fit(Z, "NetRear", int(s), Z.NetRear[s], 0, 127))));
        }
        Stream.WriteU8(Z.PA);
        Stream.WriteU8(EncodeShiftedSignMagnitude(Z, "PR", Z.PR));
        const std::int64_t value = Fit(Z, "WA1.Value", -1, Z.WA1.Value, -127, 127);
        Stream.WriteU8(value < 0 ? 0x20 : 0);
        Stream.WriteU8(
            std::uint8_t((Flag(Z, "WA1.Mode", -1, Z.WA1.Mode) << 7) | unsigned(value < 0 ? -value : value)));
        Stream.WriteZeros(4);
        return;
    }
    default:
        throw ERangeError(QStringLiteral("No Z sub-table %1").arg(SubTable));
    }
}

// ==== Whole files.

namespace {
void CheckListSet(const MListSet& Lists) {
    for (int k = 1; k <= 10; ++k) {
        const MUnvList* list = Lists[std::size_t(k - 1)];
        if (!list || list->Kind != k)
            throw EInvalidOperation(
                QStringLiteral("The machine file needs the ten lists in the order P, N, Z, R, "
                               "S, W, FS, FD, FE, C"));
    }
}

// Points every list at one machine description for as long as it lives.
class MachineGuard {
public:
    MachineGuard(const MListSet& Lists, MMachineInfo* Machine) : FLists(Lists) {
        for (std::size_t i = 0; i < FLists.size(); ++i) {
            FOld[i] = FLists[i]->MachineInfo;
            FLists[i]->MachineInfo = Machine;
        }
    }
    ~MachineGuard() {
        for (std::size_t i = 0; i < FLists.size(); ++i)
            FLists[i]->MachineInfo = FOld[i];
    }
    MachineGuard(const MachineGuard&) = delete;
    MachineGuard& operator=(const MachineGuard&) = delete;

private:
    const MListSet& FLists;
    std::array<MMachineInfo*, 10> FOld{};
};

std::uint16_t HeaderWord(const char* Name, std::int64_t Value) {
    if (Value < 0 || Value > 0xFFFF)
        throw ERangeError(QStringLiteral("The machine description cannot be stored in a machine file: the %1 "
                                         "is %2, but the file holds only 0..65535")
                              .arg(QLatin1String(Name))
                              .arg(Value));
    return std::uint16_t(Value);
}
} // namespace

void ReadMachineFile(const QByteArray& Data, const QString& FileName, MMachineInfo& Machine,
                     const MListSet& Lists) {
    CheckListSet(Lists);
    ByteReader stream(Data);
    // Everything is read into fresh lists first, so that a damaged file changes nothing.
    MMachineInfo machine;
    machine.ReadFromMachineFile(stream, FileName);
    std::array<std::unique_ptr<MUnvList>, 10> fresh;
    for (int k = 1; k <= 10; ++k) {
        auto& list = fresh[std::size_t(k - 1)];
        list = NewListOfKind(k);
        list->MachineInfo = &machine;
        list->LoadFromStream(stream);
    }
    for (std::size_t i = 0; i < fresh.size(); ++i)
        Lists[i]->TakeContents(*fresh[i]);
    Machine.HeaderWord = machine.HeaderWord;
    Machine.Model = machine.Model;
    Machine.Gauge = machine.Gauge;
    Machine.Category = machine.Category;
}

void LoadMachineFile(const QString& Path, MMachineInfo& Machine, const MListSet& Lists) {
    const QByteArray data = ReadPlainFile(Path, lstMaxFileSize);
    ReadMachineFile(data, Path, Machine, Lists);
}

namespace {
// The image of the file, built in the writer's buffer.
ByteWriter BuildMachineFile(const MMachineInfo& Machine, const MListSet& Lists) {
    CheckListSet(Lists);
    // The lists lay out their tables for the machine's model and systems: they see a copy of its
    // description (the strips are not needed), the caller's stays untouched.
    MMachineInfo machine;
    machine.Model = Machine.Model;
    machine.Category = Machine.Category;
    machine.Gauge = Machine.Gauge;
    machine.HeaderWord = Machine.HeaderWord;
    MachineGuard guard(Lists, &machine);
    for (MUnvList* list : Lists)
        list->PrepareHeader();

    // The tables lie one after the other in slot order, the first right after the header.
    struct Placed {
        MUnvList* List;
        int Index;
        TTableHeader* Header;
    };
    std::vector<Placed> tables;
    for (MUnvList* list : Lists)
        for (int i = 0; i < list->TableCount(); ++i)
            tables.push_back({list, i, &list->Table(i)});
    std::sort(tables.begin(), tables.end(),
              [](const Placed& a, const Placed& b) { return a.Header->SlotPos < b.Header->SlotPos; });
    std::uint64_t end = lstHeaderSize;
    for (const Placed& t : tables) {
        t.Header->Start = std::uint32_t(end);
        end += t.Header->Length;
        if (end >= 0x80000000u)
            throw ERangeError(QStringLiteral("The program is too large for a machine file"));
    }

    // The whole file at once: the bytes nothing writes stay zero.
    ByteWriter stream;
    stream.WriteZeros(std::size_t(end));
    stream.Seek(lstHeaderWordPos);
    stream.WriteU16BE(HeaderWord("header word", Machine.HeaderWord));
    stream.Seek(lstModelPos);
    stream.WriteU16BE(HeaderWord("model", Machine.Model));
    stream.Seek(lstGaugePos);
    stream.WriteU16BE(HeaderWord("gauge", std::int64_t(Machine.Gauge) * 2));
    stream.Seek(lstEndSlotPos);
    WriteLongSwapped(stream, std::uint32_t(end));
    for (MUnvList* list : Lists)
        list->WriteHeader(stream);
    for (const Placed& t : tables) {
        stream.Seek(t.Header->Start);
        t.List->SaveTable(stream, t.Index);
        if (stream.Position() != std::size_t(t.Header->Start) + t.Header->Length)
            throw EInvalidOperation(QStringLiteral("A machine file table came out of the wrong size"));
    }
    return stream;
}
} // namespace

QByteArray MachineFileImage(const MMachineInfo& Machine, const MListSet& Lists) {
    return BuildMachineFile(Machine, Lists).ToByteArray();
}

void SaveMachineFile(const QString& Path, const MMachineInfo& Machine, const MListSet& Lists) {
    // The buffer goes to the file as it is: the image is not copied once more.
    const ByteWriter image = BuildMachineFile(Machine, Lists);
    const std::vector<std::uint8_t>& bytes = image.Buffer();
    const qint64 size = qint64(bytes.size());
    QSaveFile file(Path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.commit())
        throw EWriteError(QStringLiteral("Cannot write %1: %2").arg(Path, file.errorString()));
}
