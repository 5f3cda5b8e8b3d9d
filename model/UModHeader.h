#pragma once
// The header of a module library entry (name + ".mod"): 184 bytes, packed, little-endian. It tells
// the machine the entry was made for, where its picture came from in the source drawing, the Z row
// state at its start and the yarn-carrier sides at its start and end. The insertion point and the
// end of a running program are described by the same record.

#include "model/UcstmExp.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// The catalogue texts of the module library (code 11).
namespace modmsg {
constexpr int Code = 11;
constexpr int BadField = 3901;    // (file;field): a header field outside its range, or a short file
constexpr int BadPicture = 3902;  // (file;reason): a picture of the entry that does not fit its header
constexpr int Unreadable = 3903;  // (file;reason): a file of the entry that cannot be read
constexpr int OffsetLimit = 3904; // (carrier): no parking position within the setup scheme's limit
constexpr int Outside = 3905;     // (file): the entry would land outside the drawing's limits
constexpr int ListFailed = 3906;  // (file;reason): the entry's program cannot be brought in

// Deleting an entry: its files are renamed out of the library's sight first, then deleted.
constexpr int SetAsideFailed = 4960; // (entry;file;reason): a file cannot be renamed; the entry stays
constexpr int PutBackFailed = 4961;  // (entry;files): renamed files of an entry that was not deleted
constexpr int LeftStaged = 4962;     // (entry;files): renamed files of a deleted entry that stayed
} // namespace modmsg

// A file of a library entry that cannot be used: a numbered message (modmsg) naming the file and
// the field or reason.
class EModuleFile : public MException {
public:
    EModuleFile(int SubCode, const QString& File, const QString& Detail = QString());
    QString File;
    QString Detail;
};

// Carrier sides of the header: not in use, left of the width (or on the bed), parked right of it.
constexpr std::int32_t SideUnused = -1;
constexpr std::int32_t SideLeft = 1;
constexpr std::int32_t SideRight = 2;

struct ModuleHeader {
    static constexpr int Size = 184;
    static constexpr int SideCount = 16; // 2 rails x 8 carriers, rail-major

    std::int32_t Systems = 0;
    std::int32_t Model = 0;
    std::array<std::uint8_t, 5> Unread{}; // offset 8: neither read nor written (zeros in a file)
    std::int32_t FirstColumn = 1;
    std::int32_t LastColumn = 1;
    std::int32_t FirstLine = 11;
    std::int32_t LastLine = 11;
    std::array<std::uint8_t, 10> LowLines{}; // lines 1..10, non-zero when used
    std::int32_t RackingHV = 0;
    std::int32_t FrontFS = 0;
    std::int32_t RearFS = 0;
    std::uint8_t RackingKind = 0;
    std::int32_t SLineCount = 1;
    std::array<std::int32_t, SideCount> StartSides{};
    std::array<std::int32_t, SideCount> EndSides{};

    ModuleHeader() {
        StartSides.fill(SideUnused);
        EndSides.fill(SideUnused);
    }
    // Index of carrier 1..8 on rail 1..2 in StartSides and EndSides.
    static constexpr int SideIndex(int Rail, int Carrier) { return (Rail - 1) * 8 + (Carrier - 1); }
    // The first and last of the lines 1..10 the entry uses; -1 when none.
    int FirstLowLine() const;
    int LastLowLine() const;
    bool UsesLowLines() const { return FirstLowLine() > 0; }

    bool operator==(const ModuleHeader&) const = default;
};

// Reads and checks a header from the first 184 bytes (bytes after them are ignored). A shorter
// file or a field outside its range raises EModuleFile (BadField) naming FileName and the field.
ModuleHeader ReadModuleHeader(const QByteArray& Bytes, const QString& FileName);
// The 184 bytes of a header (zeros at the five unread bytes).
QByteArray WriteModuleHeader(const ModuleHeader& Header);
// The header's fields in file order as "<Name> <value>" lines (LowLines, StartSides and EndSides
// with their values separated by blanks).
QStringList ModuleHeaderLines(const ModuleHeader& Header);

// 721 counts as 720.
int ModelFamily(int Model);
// The entry fits a machine when MachineSystems is 0 or equals Systems, and both models are of the
// 720 family or neither is.
bool ModuleFitsMachine(const ModuleHeader& Header, int MachineSystems, int MachineModel);
