#pragma once
// The machine program file (.LST): a few header words that describe the machine and eighteen tables
// of fixed-size big-endian records, one main table per module kind and eight sub-tables that Z rows
// refer to. Each table is a presence bitmap followed by the records of the present numbers.
//
// This header holds the table directory, the table description `TTableHeader`, the bitmap and layout
// helpers, the record codecs of every kind and the entry points that read and write a whole file.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class ByteReader;
class ByteWriter;
class MMachineInfo;
class MUnvBase;
class MUnvList;
class MUnvP;
class MUnvN;
class MUnvR;
class MUnvS;
class MUnvW;
class MUnvFS;
class MUnvFD;
class MUnvFE;
class MUnvC;
class MUnvZ;

// ---- Header offsets.
constexpr int lstHeaderWordPos = 0x00;
constexpr int lstModelPos = 0x0A;
constexpr int lstGaugePos = 0x0C;
constexpr int lstFirstSlotPos = 0x30;
constexpr int lstEndSlotPos = 0x78; // the slot after the last table
constexpr int lstPairOffset = 0x5E; // the TopNumber/RecordSize pair of slot s lies at s + 0x5E
constexpr int lstHeaderSize = 0xD6; // the writer starts the first table here
constexpr int lstTableCount = 18;

// Z sub-tables, in the order a Z list keeps them.
constexpr int zstA = 0, zstB = 1, zstC = 2, zstD = 3, zstE = 4, zstF = 5, zstG = 6, zstH = 7;
constexpr int ZSubTableCount = 8;

// One entry of the table directory, in slot (= file) order.
struct TTableInfo {
    int SlotPos;
    int RecordSize; // the size the writer uses and the smallest size the reader accepts
    int WriteLimit;
    int ListKind;
    int SubTable; // -1 for a main table, else zstA..zstH
    const char* Name;
};
const std::array<TTableInfo, lstTableCount>& TableDirectory();
// The directory entry of a kind's main table, or of a Z sub-table.
const TTableInfo& MainTableInfo(int ListKind);
const TTableInfo& ZSubTableInfo(int SubTable);

// The description of one table of the file.
struct TTableHeader {
    int SlotPos = 0;               // file offset of the start slot
    int SizePos = 0;               // file offset of the TopNumber/RecordSize pair
    int WriteLimit = 0;            // numbers per bitmap block when writing
    std::uint16_t TopNumber = 0;   // largest number the bitmap covers
    std::uint16_t RecordSize = 0;  // bytes per record
    std::uint32_t Start = 0;       // file offset of the table
    std::uint16_t BitmapSize = 0;  // bytes of the presence bitmap
    std::uint32_t Length = 0;      // bytes of the table
    std::uint32_t RecordCount = 0; // whole records after the bitmap

    // The present numbers, ascending, decoded once from the bitmap when the table is read (number 0
    // included when its bit is set); the numbers the writer writes, in the same form.
    std::vector<std::uint16_t> Numbers;

    // Sets SlotPos, SizePos, WriteLimit and RecordSize from a directory entry.
    void Describe(const TTableInfo& Info);
};

// ---- Stream helpers of the file's number forms.
// A table offset: two big-endian words, the low word first. Offsets of 2^31 or more are a read error.
std::uint32_t ReadLongSwapped(ByteReader& Stream);
void WriteLongSwapped(ByteWriter& Stream, std::uint32_t Value);
// The set bits of a byte.
int CountBits8(std::uint8_t Value);

// ---- Bitmaps and layouts.
// Bytes of the bitmap that covers the numbers 0..TopNumber (0 when TopNumber is 0).
int BitmapSizeOf(int TopNumber);
// The present numbers of a bitmap, ascending: number n is bit (7 - n mod 8) of byte n div 8.
std::vector<std::uint16_t> DecodeBitmap(std::span<const std::uint8_t> Bitmap);
// Writes a bitmap of BitmapSize bytes with the bits of the given numbers set.
void WriteBitmap(ByteWriter& Stream, int BitmapSize, std::span<const std::uint16_t> Numbers);
// The layout of a table about to be written: TopNumber from the highest number in blocks of
// WriteLimit + 1 numbers, RecordCount, BitmapSize and Length. Raises ERangeError when the table
// cannot be described in the file's 16-bit fields.
void ComputeTableLayout(TTableHeader& Header, int HighestNumber, int Count);

// Reads the start, length, TopNumber and RecordSize of a table and decodes its bitmap once. The C
// table runs to the end of the file. Every offset, the bitmap and the records must lie inside the file,
// and a table holding records must use records of at least LayoutSize bytes; otherwise EReadError.
void ReadTableHeader(ByteReader& Stream, TTableHeader& Header, int Kind, int LayoutSize, const char* Name);

// ---- Record codecs. The reader has cleared the module; Rotated is set for models 720 and 721, whose
// files hold the eight slots and four systems in a rotated order. A decoder raises EReadError or
// ERangeError for a value its field cannot hold; an encoder raises MException (lstmsg) for a field
// value that its bits cannot hold.
bool RotatedModel(int Model);
// The module slot of file slot j and the module system of file system j.
inline int ModuleSlot(int FileSlot, bool Rotated) {
    return Rotated ? (FileSlot + 2) % 8 : FileSlot;
}
inline int ModuleSystem(int FileSystem, bool Rotated) {
    return Rotated ? (FileSystem + 1) % 4 : FileSystem;
}

// Record sizes of the layouts.
constexpr int lstPSize = 10, lstNSize = 6, lstRSize = 18, lstSSize = 16, lstWSize = 16, lstFSSize = 32,
              lstFDSize = 32, lstFESize = 12, lstCSize = 1120, lstCMinSize = 448, lstZSize = 8;
constexpr int lstZASize = 32, lstZBSize = 16, lstZCSize = 16, lstZDSize = 16, lstZESize = 8, lstZFSize = 8,
              lstZGSize = 16, lstZHSize = 18;

void DecodeP(ByteReader& Stream, MUnvP& P);
void EncodeP(ByteWriter& Stream, const MUnvP& P);
void DecodeN(ByteReader& Stream, MUnvN& N);
void EncodeN(ByteWriter& Stream, const MUnvN& N);
void DecodeR(ByteReader& Stream, MUnvR& R, bool Rotated);
void EncodeR(ByteWriter& Stream, const MUnvR& R, bool Rotated);
void DecodeS(ByteReader& Stream, MUnvS& S);
void EncodeS(ByteWriter& Stream, const MUnvS& S);
void DecodeW(ByteReader& Stream, MUnvW& W);
void EncodeW(ByteWriter& Stream, const MUnvW& W);
void DecodeFS(ByteReader& Stream, MUnvFS& FS);
void EncodeFS(ByteWriter& Stream, const MUnvFS& FS);
void DecodeFD(ByteReader& Stream, MUnvFD& FD);
void EncodeFD(ByteWriter& Stream, const MUnvFD& FD);
void DecodeFE(ByteReader& Stream, MUnvFE& FE);
void EncodeFE(ByteWriter& Stream, const MUnvFE& FE);
// A C record of RecordSize bytes in a C table of TableLength bytes: the larger sizes add sections,
// and a section is read only when it lies wholly inside the record.
void DecodeC(ByteReader& Stream, MUnvC& C, int RecordSize, std::uint32_t TableLength);
// Writes the record of lstCSize bytes.
void EncodeC(ByteWriter& Stream, const MUnvC& C);
// A Z row: the 8-byte main record and the sub-records it refers to in the eight sub-tables. A
// sub-record number that is absent from its table leaves the fields it would carry at their
// defaults. The stream is left just after the main record.
void DecodeZ(ByteReader& Stream, MUnvZ& Z, const std::array<TTableHeader, ZSubTableCount>& SubTables,
             bool Rotated);
// One Z sub-record (zstA..zstH; zstA carries the KNF sets when Lg is false, else the LG sets). The
// first-level sub-record C carries the row's SubRecords2 numbers.
void EncodeZSub(ByteWriter& Stream, const MUnvZ& Z, int SubTable, bool Rotated, bool Lg = false);

// ---- Whole files. The lists come in the order P, N, Z, R, S, W, FS, FD, FE, C.
using MListSet = std::array<MUnvList*, 10>;

// The largest machine file: its header, then every table full, with a bitmap up to number 65535 and
// 65535 records of the directory's size. A larger file is refused without being read.
extern const std::int64_t lstMaxFileSize;

// Reads a machine program file held in Data: the machine description (a model word of 0 takes model
// and gauge from FileName) and the ten lists. On any error nothing changes: the machine description
// and the lists keep what they held, and the error (EReadError, ERangeError, EIntOverflow) passes to
// the caller. On success every list is marked modified.
void ReadMachineFile(const QByteArray& Data, const QString& FileName, MMachineInfo& Machine,
                     const MListSet& Lists);
// Reads the file at Path the same way. A folder, pipe or device and a file above lstMaxFileSize are
// refused with EReadError before anything is read.
void LoadMachineFile(const QString& Path, MMachineInfo& Machine, const MListSet& Lists);
// The numbered messages (code 11) of a module the machine file cannot hold. Every one names the
// module first ("Z7"); the value and the range the file holds come last. A field is named by the
// letters its row shows for it; a Z row's systems count from 1.
namespace lstmsg {
constexpr int Code = 11;
constexpr int Field = 5021;          // (module;field;value;low;high)
constexpr int SystemField = 5022;    // (module;field;system;value;low;high)
constexpr int FrontField = 5023;     // (module;field;system;value;low;high): the front bed's
constexpr int RearField = 5024;      // the same, the rear bed's
constexpr int Number = 5025;         // (module;low;high): the number lies outside the file's range
constexpr int NumberTwice = 5026;    // (module): the list holds the number twice
constexpr int TakeDownStep = 5027;   // (module;value;step): WA2's value does not go with its step
constexpr int MainRacking = 5028;    // (module;value;low;high): the main racking position (HV)
constexpr int CentreRacking = 5029;  // the same, the centre racking's
constexpr int FrontCam = 5030;       // (module;system;value;low;high): the front cam's code
constexpr int RearCam = 5031;        // the same, the rear cam's
constexpr int FrontTying = 5032;     // (module;system;value;low;high): the front bed's intarsia tying
constexpr int RearTying = 5033;      // the same, the rear bed's
constexpr int NetRear = 5034;        // (module;system;value;low;high)
constexpr int CleaningBlower = 5035; // (module;value;low;high)
constexpr int Mode = 5036;           // (module;field;value;low;high): the mode of WA1, WA2 or PB
constexpr int Step = 5037;           // (module;value;low;high): the lower take-down's step
} // namespace lstmsg

// The bytes of the machine program file of a machine description and its ten lists. The lists'
// table layouts and the Z rows' sub-record numbers are computed anew on the way (their contents
// stay as they are). A module with a value the file cannot hold raises MException (lstmsg) naming
// the module and the field; nothing is made then. A machine description the file cannot hold raises
// ERangeError.
QByteArray MachineFileImage(const MMachineInfo& Machine, const MListSet& Lists);
// Writes that image to Path through a temporary file in the same folder renamed over the old one;
// nothing is written when the image cannot be made. Raises EWriteError when the file cannot be
// written.
void SaveMachineFile(const QString& Path, const MMachineInfo& Machine, const MListSet& Lists);
