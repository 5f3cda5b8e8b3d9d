#include "transfer/TransferProtocol.h"

#include "imaging/Bitmap.h"
#include "imaging/ImageIO.h"
#include "model/ULstFile.h"
#include "model/Ucommon.h"
#include "model/UprjHeader.h"
#include "model/UunvList.h"
#include "platform/Bytes.h"
#include "platform/TextCodec.h"
#include "transfer/SerialPort.h"
#include "ui/UmessageCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {
// How long the line must stay quiet after the last block before the files are kept.
constexpr int QuietAfterLastBlockMs = 150;
// How long a wrong answer waits for the line to drop before it is taken as the other station's.
constexpr int HangUpAfterWrongAnswerMs = 500;

// The English side of the catalogue's texts 11/42xx; "%" takes the argument.
QString EnglishText(int SubCode) {
    switch (SubCode) {
    case TransferText::UnexpectedAnswer:
        return QStringLiteral("Unexpected answer from the other station.");
    case TransferText::BadBlockSize:
        return QStringLiteral("The other station announced a block size outside 1 to 10000 (%).");
    case TransferText::FileTooLarge:
        return QStringLiteral("The other station announced a file larger than 64 MB (%).");
    case TransferText::BadFileName:
        return QStringLiteral("The other station announced a file name that cannot be used (%).");
    case TransferText::MixedProjects:
        return QStringLiteral("The other station announced files of different projects (%).");
    case TransferText::NoMachineFile:
        return QStringLiteral("The machine program file cannot be read or is empty (%).");
    case TransferText::SendTooLarge:
        return QStringLiteral("The file is larger than 64 MB and cannot be sent (%).");
    case TransferText::NameTooLong:
        return QStringLiteral("The file name is longer than 99 bytes and cannot be sent (%).");
    case TransferText::CannotStore:
        return QStringLiteral("The received files cannot be stored (%).");
    case TransferText::DamagedFile:
        return QStringLiteral("A received file cannot be read and nothing was kept (%).");
    case TransferText::NoSpace:
        return QStringLiteral(
            "The files the other station announced would leave less than 256 MB free on the "
            "disk of the receive folder (MB announced/free: %/%).@Nothing was kept.");
    case TransferText::CallTooLong:
        return QStringLiteral("The call passed its time limit and was ended (minutes: %).");
    case TransferText::Flooded:
        return QStringLiteral("The other station sent more than the line keeps without being asked (KB: %), "
                              "and the call was ended.");
    case TransferText::KeptAs:
        return QStringLiteral("The name of the received project is taken here (%).@It was kept under a free "
                              "name (%).@The project that was here is unchanged.");
    default:
        return QString();
    }
}

// A name shown in a message: control characters become "?".
QString Shown(const QByteArray& raw) {
    QString s = DecodeStoredText(raw);
    for (QChar& c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    return s;
}

void ExpectOk(IByteChannel& Channel) {
    char ok[2];
    Channel.ReadExact(ok, 2);
    if (ok[0] == 'O' && ok[1] == 'K')
        return;
    // A line cut in the middle of a transfer first brings the modem's "NO CARRIER": that is a broken
    // line, not an answer of the other station.
    if (Channel.WaitForHangUp(HangUpAfterWrongAnswerMs))
        throw ESerialError::BrokenDuring(true);
    throw ETransferError(TransferText::UnexpectedAnswer, QString());
}

void SendOk(IByteChannel& Channel) {
    Channel.WriteExact("OK", 2);
}

// The file in Folder whose name is Name in any letter case, the exact spelling first.
QString FindSibling(const QString& Folder, const QString& Name) {
    const QDir dir(Folder);
    if (QFileInfo(dir.filePath(Name)).isFile())
        return dir.filePath(Name);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (entry.compare(Name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return QString();
}
} // namespace

ETransferError::ETransferError(int SubCode, const QString& Arg)
    : Exception(MMessageCatalog::BreakLines(MMessageCatalog::FillArguments(EnglishText(SubCode), Arg))),
      FSubCode(SubCode), FArg(Arg) {}

QString SlotExtension(int Slot) {
    static const QString ext[3] = {QStringLiteral(".JXW"), QStringLiteral(".LST"), QStringLiteral(".BMP")};
    return Slot >= 0 && Slot < 3 ? ext[Slot] : QString();
}

std::int64_t BlockCount(std::int64_t Size, std::int32_t Block) {
    if (Size <= 0 || Block <= 0)
        return 0;
    return (Size + Block - 1) / Block;
}

QByteArray TTransferHeader::Encode() const {
    ByteWriter w;
    for (int i = 0; i < 3; ++i) {
        const QByteArray name = Names[size_t(i)].left(NameField - 1);
        w.Seek(size_t(i) * NameField);
        if (!name.isEmpty())
            w.WriteBytes(name.constData(), size_t(name.size()));
    }
    // The gap after the last name is filled with zeros.
    w.Seek(3 * NameField);
    for (const std::int32_t size : Sizes)
        w.WriteI32LE(size);
    w.WriteI32LE(Block);
    return w.ToByteArray();
}

TTransferHeader TTransferHeader::Decode(const QByteArray& Bytes) {
    TTransferHeader h;
    if (Bytes.size() < Size)
        throw EReadError(QStringLiteral("transfer header too short"));
    for (int i = 0; i < 3; ++i) {
        QByteArray field = Bytes.mid(i * NameField, NameField);
        const qsizetype zero = field.indexOf('\0');
        if (zero >= 0)
            field.truncate(zero);
        h.Names[size_t(i)] = field;
    }
    ByteReader r(Bytes);
    r.Seek(3 * NameField);
    for (std::int32_t& size : h.Sizes)
        size = r.ReadI32LE();
    h.Block = r.ReadI32LE();
    return h;
}

std::array<QString, 3> CheckHeader(const TTransferHeader& Header) {
    using namespace TransferText;
    if (Header.Block < 1 || Header.Block > TTransferHeader::MaxBlockSize)
        throw ETransferError(BadBlockSize, QString::number(Header.Block));
    std::array<QString, 3> names;
    QString base;
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
        const std::int32_t size = Header.Sizes[size_t(i)];
        if (size <= 0)
            continue;
        if (size > TTransferHeader::MaxFileSize)
            throw ETransferError(FileTooLarge, QString::number(size));
        const QByteArray& raw = Header.Names[size_t(i)];
        bool usable = raw.size() >= 1 && raw.size() < TTransferHeader::NameField && raw[0] != '.' &&
                      raw.toUpper().endsWith(SlotExtension(i).toLatin1());
        for (const char c : raw)
            if (std::uint8_t(c) < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':')
                usable = false;
        if (!usable)
            throw ETransferError(BadFileName, Shown(raw));
        names[size_t(i)] = DecodeStoredText(raw);
        shown << names[size_t(i)];
        const QString b = BaseNameOf(names[size_t(i)]);
        if (!base.isNull() && b != base)
            throw ETransferError(MixedProjects, shown.join(QStringLiteral(", ")));
        base = b;
    }
    return names;
}

// ============================================================================ Sending

TOutgoingProject ReadOutgoingProject(const QString& ChosenFile) {
    using namespace TransferText;
    TOutgoingProject p;
    const QFileInfo chosen(ChosenFile);
    const QString folder = chosen.absolutePath();
    const QString base = BaseNameOf(chosen.fileName());
    for (int i = 0; i < 3; ++i) {
        const QString name = base + SlotExtension(i);
        if (name.toUtf8().size() >= TTransferHeader::NameField)
            throw ETransferError(NameTooLong, name);
        p.Names[size_t(i)] = name;
        const QString path = i == slotLst ? chosen.absoluteFilePath() : FindSibling(folder, name);
        const QFileInfo info(path);
        if (path.isEmpty() || !info.isFile()) {
            if (i == slotLst)
                throw ETransferError(NoMachineFile, chosen.fileName());
            continue;
        }
        if (info.size() > TTransferHeader::MaxFileSize)
            throw ETransferError(SendTooLarge, info.fileName());
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            p.Data[size_t(i)] = f.read(TTransferHeader::MaxFileSize + 1);
        if (f.error() != QFileDevice::NoError) {
            if (i == slotLst)
                throw ETransferError(NoMachineFile, info.fileName());
            // A file that is there but cannot be read is never announced as missing.
            throw EFOpenError(QStringLiteral("Cannot open file %1").arg(path));
        }
        if (p.Data[size_t(i)].size() > TTransferHeader::MaxFileSize)
            throw ETransferError(SendTooLarge, info.fileName());
        if (i == slotLst && p.Data[size_t(i)].isEmpty())
            throw ETransferError(NoMachineFile, info.fileName());
    }
    return p;
}

void SendProject(IByteChannel& Channel, const TOutgoingProject& Project) {
    TTransferHeader h;
    for (int i = 0; i < 3; ++i) {
        h.Names[size_t(i)] = Project.Names[size_t(i)].toUtf8();
        h.Sizes[size_t(i)] = std::int32_t(Project.Data[size_t(i)].size());
    }
    const QByteArray header = h.Encode();
    Channel.WriteExact(header.constData(), header.size());
    ExpectOk(Channel);
    for (const QByteArray& data : Project.Data) {
        for (qsizetype at = 0; at < data.size(); at += TTransferHeader::BlockSize) {
            Channel.WriteExact(data.constData() + at,
                               std::min<qsizetype>(TTransferHeader::BlockSize, data.size() - at));
            ExpectOk(Channel);
            Channel.BetweenBlocks();
        }
    }
}

// ============================================================================ Receiving

namespace {
void ReadBackFile(int Slot, const QString& Path) {
    if (Slot == slotLst) {
        MProgramLists program;
        LoadMachineFile(Path, program.Machine, program.Lists());
    } else if (Slot == slotBmp) {
        TBitmap bitmap;
        TImageIO io;
        io.SetAttachedBitmap(&bitmap);
        io.LoadBMP(Path);
        io.SetAttachedBitmap(nullptr);
        if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
            throw EReadError(QStringLiteral("empty picture"));
    } else {
        ReadProjectData(Path);
    }
}
} // namespace

namespace {
// The bytes available to the user on the file system of Folder; -1 when it cannot be known.
qint64 SystemFreeSpace(const QString& Folder) {
    QStorageInfo info(Folder);
    info.refresh();
    return info.isValid() && info.isReady() ? info.bytesAvailable() : -1;
}

QString Megabytes(qint64 Bytes, bool Up) {
    constexpr qint64 MB = 1024 * 1024;
    return QString::number(Up ? (Bytes + MB - 1) / MB : Bytes / MB);
}

// The free names a reception may not take, case-folded: every entry of the folder.
bool ProjectNameTaken(const QStringList& FoldedEntries, const QString& Base) {
    for (int i = 0; i < 3; ++i)
        if (FoldedEntries.contains((Base + SlotExtension(i)).toCaseFolded()))
            return true;
    return false;
}
} // namespace

QString FreeProjectName(const QString& Folder, const QString& Base) {
    QStringList entries =
        QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (QString& e : entries)
        e = e.toCaseFolded();
    if (!ProjectNameTaken(entries, Base))
        return Base;
    // A folder that holds this many copies of one name takes no more.
    constexpr int MaxCopies = 9999;
    for (int n = 2; n <= MaxCopies; ++n) {
        const QString name = NumberedBaseName(Base, n);
        if (!ProjectNameTaken(entries, name))
            return name;
    }
    throw ETransferError(TransferText::CannotStore, QDir(Folder).filePath(Base));
}

TReceivedProject ReceiveProject(IByteChannel& Channel, const QString& Folder, const TReadBack& Checks,
                                const TReceivePlace& Place) {
    using namespace TransferText;
    QByteArray raw(TTransferHeader::Size, '\0');
    Channel.ReadExact(raw.data(), raw.size());
    const TTransferHeader header = TTransferHeader::Decode(raw);
    const std::array<QString, 3> names = CheckHeader(header);

    // The files announced are held twice at most for a moment (received, then put in place on the
    // same file system); what stays free afterwards must not fall below the floor.
    qint64 announced = 0;
    for (const std::int32_t size : header.Sizes)
        announced += std::max<std::int32_t>(0, size);
    const qint64 free = Place.FreeSpace ? Place.FreeSpace(Folder) : SystemFreeSpace(Folder);
    if (free < 0 || free - announced < MinFreeAfterReceive)
        throw ETransferError(NoSpace, Megabytes(announced, true) + QLatin1Char(';') +
                                          (free < 0 ? QStringLiteral("?") : Megabytes(free, false)));

    QTemporaryDir temp(QDir(Folder).filePath(QStringLiteral(".receiving-XXXXXX")));
    if (!temp.isValid())
        throw ETransferError(CannotStore, Folder);
    SendOk(Channel);

    int last = -1;
    for (int i = 0; i < 3; ++i)
        if (header.Sizes[size_t(i)] > 0)
            last = i;
    std::array<QString, 3> canonical;
    QString sentName;
    QByteArray block(header.Block, '\0');
    for (int i = 0; i < 3; ++i) {
        const std::int32_t size = header.Sizes[size_t(i)];
        if (size <= 0)
            continue;
        sentName = BaseNameOf(names[size_t(i)]);
        canonical[size_t(i)] = sentName + SlotExtension(i);
        QFile file(temp.filePath(canonical[size_t(i)]));
        if (!file.open(QIODevice::WriteOnly))
            throw ETransferError(CannotStore, file.fileName());
        for (std::int32_t done = 0; done < size;) {
            const std::int32_t n = std::min(header.Block, size - done);
            Channel.ReadExact(block.data(), n);
            if (file.write(block.constData(), n) != n)
                throw ETransferError(CannotStore, file.fileName());
            done += n;
            // The last block is acknowledged only once everything is in place.
            if (i != last || done < size) {
                SendOk(Channel);
                Channel.BetweenBlocks();
            }
        }
        if (!file.flush() || ::fsync(file.handle()) != 0)
            throw ETransferError(CannotStore, file.fileName());
        file.close();
    }
    if (last >= 0 && !Channel.StaysQuiet(QuietAfterLastBlockMs))
        throw ESerialError::BrokenDuring(true);
    for (int i = 0; i < 3; ++i) {
        if (canonical[size_t(i)].isEmpty())
            continue;
        try {
            ReadBackFile(i, temp.filePath(canonical[size_t(i)]));
        } catch (const std::exception& e) {
            throw ETransferError(DamagedFile,
                                 canonical[size_t(i)] + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        }
    }
    if (Checks.Project && !canonical[slotLst].isEmpty()) {
        try {
            Checks.Project(temp.filePath(canonical[slotLst]));
        } catch (const std::exception& e) {
            throw ETransferError(DamagedFile,
                                 canonical[slotLst] + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        }
    }

    // Into place under a name none of whose files is here (in any letter case): nothing local is
    // replaced, and a project sent without its project data file never takes a local one as its own.
    TReceivedProject result;
    result.SentName = sentName;
    if (last < 0)
        return result;
    result.KeptName = FreeProjectName(Folder, sentName);
    const QDir folder(Folder);
    std::vector<MFileWrite> set;
    for (int i = 0; i < 3; ++i) {
        if (canonical[size_t(i)].isEmpty())
            continue;
        set.push_back({folder.filePath(result.KeptName + SlotExtension(i)), QByteArray(),
                       temp.filePath(canonical[size_t(i)])});
        result.Paths[size_t(i)] = set.back().Target;
        result.Sizes[size_t(i)] = header.Sizes[size_t(i)];
    }
    try {
        WriteFileSet(set, Place.Steps);
    } catch (const EFileSetError& e) {
        throw ETransferError(CannotStore, e.File + QStringLiteral(": ") + e.Reason);
    }
    try {
        SendOk(Channel);
    } catch (const std::exception&) {
        // The files are in place; a sender that misses this answer reports its own failure.
    }
    return result;
}
