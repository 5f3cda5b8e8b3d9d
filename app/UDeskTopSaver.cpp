#include "app/UDeskTopSaver.h"

#include "app/UBusSeams.h"

#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/AppFolder.h"
#include "platform/Errors.h"
#include "platform/PlainFile.h"
#include "ui/FileUtil.h"
#include "ui/Umessage.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

// The folder inside the desktop folder that keeps the copies that could not be reopened: a normal
// exit empties only the desktop folder's own files.
const QString KeptName = QStringLiteral("Kept");
// The lock of the station that owns the desktop folder. A name starting with a dot is left alone
// when the folder is emptied.
const QString LockName = QStringLiteral(".DeskTop.lock");

// An argument of a numbered message: ";" would split it.
QString Argument(QString Text) {
    return Text.replace(QLatin1Char(';'), QLatin1Char(','));
}

// The reason a pass failed: a numbered error keeps its numbers, to be read in the language shown.
TDeskTopSaver::MReason ErrorReason(const std::exception* E) {
    if (const auto* m = dynamic_cast<const MException*>(E))
        return {m->Code, m->SubCode, m->Args, QString()};
    return {0, 0, QString(), E ? QString::fromUtf8(E->what()) : QStringLiteral("unknown error")};
}

} // namespace

TDeskTopSaver::TDeskTopSaver(MDeskTopHost& Host) : FHost(Host) {}

TDeskTopSaver::~TDeskTopSaver() = default;

QString TDeskTopSaver::ListFile() const {
    return QDir(FFolder).filePath(QStringLiteral("DeskTop.dsk"));
}

QString TDeskTopSaver::KeptFolder() const {
    return QDir(FFolder).filePath(KeptName);
}

bool TDeskTopSaver::Lock() {
    FLock = std::make_unique<QLockFile>(QDir(FFolder).filePath(LockName));
    // A station runs for days: only a lock whose station has gone is taken over, never an old one.
    FLock->setStaleLockTime(0);
    FOff = !FLock->tryLock(0) && FLock->error() == QLockFile::LockFailedError;
    // A folder where no lock can be made (read-only, missing) is no other station's: the passes
    // try it and say when they cannot write.
    if (FOff)
        SetNote(deskmsg::AnotherStation, {0, 0, QString(), FFolder});
    return !FOff;
}

void TDeskTopSaver::ResetTicks() {
    FTickCounter = 0;
    FTickLimit = 0;
}

void TDeskTopSaver::Tick() {
    if (FTickCounter > FTickLimit) {
        FTickCounter = 0;
        Save();
    }
    ++FTickCounter;
}

void TDeskTopSaver::Save() {
    if (FOff)
        return;
    // The first error of the pass, said in the status bar.
    std::optional<MReason> failure;
    const auto fail = [&failure](const std::exception* E) {
        if (!failure)
            failure = ErrorReason(E);
    };
    bool any = false;
    bool wrote = false;
    try {
        std::vector<TDeskTopPair> list;
        std::map<int, TDeskTopPair> pairs;
        for (MBusProject* p : FHost.DeskTopProjects()) {
            const int number = p->WindowNumber;
            const auto previous = FPairs.find(number);
            try {
                const QString own = p->GetProjectName();
                TDeskTopPair pair{own, own};
                if (p->NeedsAutosave()) {
                    const QString copy = QDir(FFolder).filePath(QStringLiteral("DT%1").arg(number));
                    p->SaveDeskTopCopy(copy);
                    any = true;
                    p->SetNeedsAutosave(false);
                    pair.ReopenName = copy;
                } else if (previous != FPairs.end() && p->IsModified()) {
                    // Unchanged since its copy and not saved since: the copy still holds its work.
                    pair.ReopenName = previous->second.ReopenName;
                }
                list.push_back(pair);
                pairs[number] = pair;
            } catch (const std::exception& e) {
                fail(&e);
                // A copy that failed keeps the older copy restorable.
                if (previous != FPairs.end()) {
                    list.push_back(previous->second);
                    pairs[number] = previous->second;
                }
            }
        }
        // A list that could not be written is written by the next pass, copies or none: the copies
        // already written are reopened only through it.
        if (any || FListPending) {
            // The list is replaced only once the new one is whole: a failure keeps the previous list.
            QSaveFile file(ListFile());
            if (!file.open(QIODevice::WriteOnly) || file.write(FormatDeskTopList(list)) < 0 ||
                !file.commit()) {
                const EWriteError e(
                    QStringLiteral("Cannot write %1: %2").arg(ListFile(), file.errorString()));
                fail(&e);
                FListPending = true;
            } else {
                FPairs = std::move(pairs);
                FListPending = false;
                wrote = true;
            }
        }
    } catch (const std::exception& e) {
        fail(&e);
    } catch (...) {
        fail(nullptr);
    }
    if (failure) {
        // Said once, until a pass writes again.
        if (!FFailing)
            SetNote(deskmsg::CannotWrite, *failure);
        FFailing = true;
    } else if (wrote && FFailing) {
        FFailing = false;
        SetNote(0, {});
    }
}

void TDeskTopSaver::SetNote(int SubCode, const MReason& Reason) {
    FNote = SubCode;
    FNoteArg = Reason;
    FHost.ShowDeskTopNote(NoteText());
}

QString TDeskTopSaver::NoteText() const {
    const QString arg = Argument(
        FNoteArg.Code ? CatalogueLine(FNoteArg.Code, FNoteArg.SubCode, FNoteArg.Args, "%1") : FNoteArg.Text);
    switch (FNote) {
    case deskmsg::AnotherStation:
        return CatalogueLine(11, FNote, arg,
                             "Autosave is off: another station keeps its desktop copies in (%1).");
    case deskmsg::CannotWrite:
        return CatalogueLine(
            11, FNote, arg,
            "The autosave cannot write the desktop copies (%1): the copies written before are kept.");
    default:
        return QString();
    }
}

QString TDeskTopSaver::Keep(const QString& Copy, const QString& OwnName) {
    const QDir folder(FFolder);
    const QString base = QFileInfo(Copy).completeBaseName();
    // Only a copy of this folder is moved: the list names nothing else the station may take away.
    if (base.isEmpty() || base.startsWith(QLatin1Char('.')) ||
        QFileInfo(QFileInfo(Copy).absolutePath()).canonicalFilePath() !=
            QFileInfo(FFolder).canonicalFilePath())
        return QString();
    const QStringList files = folder.entryList({base + QStringLiteral(".*")}, QDir::Files);
    if (files.isEmpty() || !folder.mkpath(KeptName))
        return QString();
    // The copy's files take the project's own name, made free with _2, _3 ...
    QString stem = BaseNameOf(OwnName).trimmed();
    if (stem.isEmpty() || stem == NoName || stem.startsWith(QLatin1Char('.')))
        stem = base;
    const QDir kept(KeptFolder());
    const auto target = [&](const QString& Stem, const QString& File) {
        return kept.filePath(Stem + File.mid(base.size()));
    };
    QString free = stem;
    for (int n = 2;; ++n) {
        if (std::none_of(files.begin(), files.end(),
                         [&](const QString& f) { return QFileInfo::exists(target(free, f)); }))
            break;
        free = QStringLiteral("%1_%2").arg(stem).arg(n);
    }
    for (qsizetype i = 0; i < files.size(); ++i)
        if (!QFile::rename(folder.filePath(files[i]), target(free, files[i]))) {
            // The copy stays whole where it is: what moved comes back.
            for (qsizetype j = i; j-- > 0;)
                QFile::rename(target(free, files[j]), folder.filePath(files[j]));
            return QString();
        }
    return QDir(FFolder).relativeFilePath(target(free, base + QStringLiteral(".LST")));
}

void TDeskTopSaver::Restore() {
    if (FOff)
        return;
    QStringList lost;
    try {
        const QString listFile = ListFile();
        if (!QFileInfo::exists(listFile))
            return;
        const auto pairs = ParseDeskTopList(ReadPlainFile(listFile, MaxDeskTopListBytes));
        for (const TDeskTopPair& pair : pairs) {
            bool opened = false;
            try {
                // A copy is named by its base: its machine file stands for it.
                QString name = pair.ReopenName;
                if (!IsPlainFile(name))
                    name = ResolvePath(QFileInfo(name).path(), BaseNameOf(name) + QStringLiteral(".LST"));
                if (IsPlainFile(name)) {
                    MBusProject* p = FHost.OpenDeskTopProject(name);
                    p->SetProjectName(pair.OwnName);
                    // Its work is not saved anywhere but in the copy: the next pass copies it again.
                    p->SetModified(true);
                    p->SetNeedsAutosave(true);
                    opened = true;
                }
            } catch (...) {
            }
            // A copy that cannot be reopened is the only place of its work: it is kept out of the
            // way of the passes and of the exit.
            if (!opened && pair.ReopenName != pair.OwnName) {
                QString kept = Keep(pair.ReopenName, pair.OwnName);
                const QFileInfo copy(pair.ReopenName);
                if (kept.isEmpty() && copy.absolutePath() == QFileInfo(FFolder).absoluteFilePath() &&
                    !QDir(FFolder)
                         .entryList({copy.completeBaseName() + QStringLiteral(".*")}, QDir::Files)
                         .isEmpty()) {
                    // Not moved: the exit leaves it where it is, listed for the next start.
                    FUnkept.push_back(pair);
                    kept = copy.fileName();
                }
                lost << (kept.isEmpty() ? pair.OwnName : QStringLiteral("%1 (%2)").arg(pair.OwnName, kept));
            }
        }
    } catch (...) {
    }
    if (!lost.isEmpty() && MessageBox)
        MessageBox->ShowCodeMessage(
            11, deskmsg::NotReopened,
            Argument(lost.join(QStringLiteral(", "))) + QLatin1Char(';') + Argument(KeptFolder()), mbOK);
}

void TDeskTopSaver::Clear() {
    if (FOff)
        return;
    try {
        // The folder's own files: the kept copies' folder and the lock stay, and so do the files
        // of a copy that could not be reopened nor moved to the kept folder. The list goes first:
        // an exit stopped half way leaves no list naming copies already gone.
        QFile::remove(ListFile());
        if (FUnkept.empty()) {
            ClearDir(QDir(FFolder).filePath(QStringLiteral("*.*")));
        } else {
            const QDir folder(FFolder);
            const auto unkept = [&](const QString& File) {
                return std::any_of(FUnkept.begin(), FUnkept.end(), [&](const TDeskTopPair& P) {
                    return File.startsWith(QFileInfo(P.ReopenName).completeBaseName() + QLatin1Char('.'));
                });
            };
            for (const QString& f : folder.entryList({QStringLiteral("*.*")}, QDir::Files))
                if (!unkept(f))
                    QFile::remove(folder.filePath(f));
            QSaveFile file(ListFile());
            if (file.open(QIODevice::WriteOnly) && file.write(FormatDeskTopList(FUnkept)) >= 0)
                file.commit();
        }
    } catch (...) {
    }
    FPairs.clear();
}
