#pragma once
// A set of files written all or nothing: a project's three files, a library entry, a received
// project. Every file of the set is written to a temporary file beside its target and flushed to the
// disk first; only then are they put in place one after another, each old file exchanged with its
// temporary so that its bytes stay until the whole set is in place. Where the file system cannot
// exchange two names (network shares), the old file is kept under a second name (a hard link, else
// a copy) before the new one is renamed over it. A failure on any file takes back the ones already
// put in place, so the folder holds the old files (or none) as they were; where an old file can be
// neither exchanged nor kept, the set is refused before that file is touched.

#include "platform/Errors.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QFile;

// One file of a set: where it goes, and its bytes or a file that holds them.
struct MFileWrite {
    QString Target;
    QByteArray Bytes;
    // When not empty, the bytes are already in this file (written and flushed, on the file system of
    // the target): it is moved into place instead of Bytes being written. The set owns it: when
    // WriteFileSet returns, it is gone, whether the set was put in place or not.
    QString Source = {};
};

// A set that could not be written: the file it failed at and the reason. Nothing of the set is in
// place; the old files are as they were (the reason names an old file that could not be put back,
// and where its bytes are kept). Unsafe: refused because the file's folder can neither exchange
// two names nor keep a copy of the old file, so no set can be written there without risk.
class EFileSetError : public EWriteError {
public:
    EFileSetError(const QString& File, const QString& Reason, bool Unsafe = false);
    QString File;
    QString Reason;
    bool Unsafe;
};

// Whether an error of MFileSetSteps::Exchange means only that the file system cannot exchange
// two names (so a plain rename is the way left).
bool CannotExchange(int Error);

// The steps through which a set is written and put in place. The plain steps are the system's;
// tests install ones that fail.
class MFileSetSteps {
public:
    virtual ~MFileSetSteps() = default;
    // Puts one file's bytes into an open temporary file and flushes them to the disk; raises
    // EWriteError when it cannot write them whole.
    virtual void WriteAndFlush(QFile& File, const QByteArray& Bytes);
    // Each gives 0 or the system's error number (errno). Names are in the file system's encoding.
    // Exchanges two existing names at once (EINVAL, ENOSYS or EOPNOTSUPP where the file system
    // cannot).
    virtual int Exchange(const QByteArray& From, const QByteArray& To);
    // Renames From to To, replacing what To names.
    virtual int Rename(const QByteArray& From, const QByteArray& To);
    // Makes New, which does not exist, a second name of the file Existing (a hard link).
    virtual int Link(const QByteArray& Existing, const QByteArray& New);
    // Copies the file Existing to New, which does not exist, with its permissions, flushed to the
    // disk; nothing of New stays when it fails.
    virtual int Copy(const QByteArray& Existing, const QByteArray& New);
};

// Writes the set (the plain steps when Steps is null). Raises EFileSetError naming the file and the
// reason: a target that is a folder, a link to nothing or anything else that is not a plain file, a
// folder where no file can be made, a full disk, a file that cannot be put in place, an old file
// that can be neither exchanged nor kept (Unsafe).
void WriteFileSet(const std::vector<MFileWrite>& Set, MFileSetSteps* Steps = nullptr);

// Where a file of a set really goes: the target, or the file a link to a file leads to. Raises
// EFileSetError when the target cannot be replaced by a file.
QString FileSetTarget(const QString& Target);
