#pragma once
// The block protocol of a project transfer over a connected line, without widgets. The sender
// announces the three files of a project in a 316-byte header, then sends each file in 2048-byte
// blocks; the receiver answers "OK" after the header and after every block. The receiver checks
// the header before its first "OK", receives into a temporary folder, reads every file back with
// the station's readers and only then puts the files in place and sends its last "OK". A received
// project never replaces a local one: when its name is taken it is kept under a free name.

#include "platform/Errors.h"
#include "platform/FileSet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

// The connected line as the protocol sees it: exact reads and writes that raise on a time-out, a
// hang-up or a stop.
class IByteChannel {
public:
    virtual ~IByteChannel() = default;
    virtual void ReadExact(char* Buffer, qsizetype Count) = 0;
    virtual void WriteExact(const char* Buffer, qsizetype Count) = 0;
    // Called after every block (lets the window's messages run).
    virtual void BetweenBlocks() {}
    // True when nothing arrives and the line stays up for Ms milliseconds. After the last block a
    // correct sender is silent; a modem that lost its carrier may have filled the block with its
    // own "NO CARRIER" before the line drops.
    virtual bool StaysQuiet(int Ms) {
        (void)Ms;
        return true;
    }
    // True when the line goes down within Ms milliseconds (what arrives meanwhile is dropped). A modem
    // that loses its carrier hands its own "NO CARRIER" on as if the other station had sent it.
    virtual bool WaitForHangUp(int Ms) {
        (void)Ms;
        return false;
    }
};

// A transfer refused or failed for a reason of its own (catalogue code 11, subcodes 42xx and 491x);
// the message is the English text with its arguments (separated by ";") filled in.
class ETransferError : public Exception {
public:
    ETransferError(int SubCode, const QString& Arg);
    int SubCode() const { return FSubCode; }
    const QString& Arg() const { return FArg; }

private:
    int FSubCode;
    QString FArg;
};

namespace TransferText {
constexpr int Code = 11;
constexpr int UnexpectedAnswer = 4201;
constexpr int BadBlockSize = 4202;
constexpr int FileTooLarge = 4203;
constexpr int BadFileName = 4204;
constexpr int MixedProjects = 4205;
constexpr int NoMachineFile = 4206;
constexpr int SendTooLarge = 4207;
constexpr int NameTooLong = 4208;
constexpr int CannotStore = 4209;
constexpr int DamagedFile = 4210;
constexpr int NoSpace = 4910;     // (MB announced;MB free) the files would leave too little free space
constexpr int CallTooLong = 4911; // (minutes) the call passed its overall time limit
constexpr int Flooded = 4912;     // (KB) the other station sent more than the line keeps
constexpr int KeptAs = 4913;      // (name sent;name kept) the name was taken here
} // namespace TransferText

// The files of a project in wire order.
enum TProjectSlot { slotJxw = 0, slotLst = 1, slotBmp = 2 };

struct TTransferHeader {
    static constexpr int Size = 316;
    static constexpr int NameField = 100;
    static constexpr std::int32_t BlockSize = 2048;
    static constexpr std::int32_t MaxBlockSize = 10000;
    static constexpr std::int32_t MaxFileSize = 64 * 1024 * 1024;

    // The raw name fields: the bytes up to the first zero (at most 100).
    std::array<QByteArray, 3> Names;
    std::array<std::int32_t, 3> Sizes{};
    std::int32_t Block = BlockSize;

    QByteArray Encode() const;
    static TTransferHeader Decode(const QByteArray& Bytes);
};

// The extension of a slot: ".JXW", ".LST", ".BMP".
QString SlotExtension(int Slot);
// Blocks of a file of that size (the last one may be short).
std::int64_t BlockCount(std::int64_t Size, std::int32_t Block);

// Checks a received header; raises ETransferError naming the first fault. On success gives the
// decoded names of the files sent (empty for a slot not sent).
std::array<QString, 3> CheckHeader(const TTransferHeader& Header);

// ---- Sending
struct TOutgoingProject {
    std::array<QString, 3> Names; // as announced: the base and the upper-case extension
    std::array<QByteArray, 3> Data;
};
// Reads the project of the machine program file chosen, once: its siblings of the same base in any
// letter case. Refuses an unreadable or empty machine file, a file above 64 MiB and a name over 99
// bytes; a missing project data file or picture is announced with size 0.
TOutgoingProject ReadOutgoingProject(const QString& ChosenFile);
// The header and blocks of a project; raises on any answer but "OK".
void SendProject(IByteChannel& Channel, const TOutgoingProject& Project);

// ---- Receiving
// The free space a reception leaves at least on the receive folder's file system; a call whose
// files would leave less is refused before its first "OK".
constexpr qint64 MinFreeAfterReceive = 256LL * 1024 * 1024;
// Each received file is read back with its reader (the machine program file, the picture, the
// project data file); then, when set, Project opens the whole project of the machine program file
// as the station opens a project (the project files' reader, which lies above this library) and
// raises when it refuses it.
struct TReadBack {
    std::function<void(const QString& MachineFile)> Project;
};
// Where a reception puts its files: the free space of a folder's file system in bytes (-1: unknown;
// empty: the system's answer), and the steps that put the files in place (null: the system's).
struct TReceivePlace {
    std::function<qint64(const QString& Folder)> FreeSpace;
    MFileSetSteps* Steps = nullptr;
};
struct TReceivedProject {
    std::array<QString, 3> Paths; // where each file sent now lies (empty when not sent)
    std::array<std::int32_t, 3> Sizes{};
    QString SentName; // the project's name as the other station sent it
    QString KeptName; // the name it was kept under: SentName, or a free one when that was taken
};
// A free name for a received project in Folder: Base when none of its three files exists there in
// any letter case (nor anything else under such a name), else NumberedBaseName(Base, 2, 3, ...)
// the first that is free.
QString FreeProjectName(const QString& Folder, const QString& Base);
// Receives one project into Folder. Nothing in Folder changes unless every file arrived and read
// back; then the files are put in place together, all or none, under a free name (nothing local is
// replaced) and the last "OK" is sent. A header whose files would leave less than MinFreeAfterReceive free is
// refused.
TReceivedProject ReceiveProject(IByteChannel& Channel, const QString& Folder, const TReadBack& Checks,
                                const TReceivePlace& Place = {});
