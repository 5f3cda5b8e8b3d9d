// The shell-style file operations: copy, move, rename and delete of lists of files and folders, with
// the overwrite and folder questions, the progress window and the desktop trash.
#include "ui/FileUtil.h"

#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "platform/Errors.h"
#include "ui/UApplication.h"
#include "ui/Umessage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// The catalogue texts of the file operations (code 11).
constexpr int msgOverwrite = 2101;
constexpr int msgMakeDir = 2102;
constexpr int msgError = 2103;
constexpr int msgCopying = 2104;
constexpr int msgMoving = 2105;
constexpr int msgDeleting = 2106;
constexpr int msgRenaming = 2107;
constexpr int msgCancel = 2108;
constexpr int msgIntoItself = 2109;
constexpr int msgNoTrash = 2110;
constexpr int msgNotFound = 2111;
constexpr int msgCannotMove = 2112;
constexpr int msgCannotDelete = 2113;

// A catalogue text in the current language; English when there is no catalogue.
QString Text(int SubCode, const QString& Arg, const char* English) {
    QString arg = Arg;
    arg.replace(QLatin1Char(';'), QLatin1Char(','));
    return CatalogueLine(11, SubCode, arg, English);
}

int Ask(int SubCode, const QString& Arg, int Buttons) {
    if (!MessageBox)
        return mbClosed;
    QString arg = Arg;
    arg.replace(QLatin1Char(';'), QLatin1Char(','));
    return MessageBox->ShowCodeMessage(11, SubCode, arg, Buttons);
}

// The program's questions and progress window.
class TProgramFileOperationUI : public MFileOperationUI {
public:
    TOverwriteAnswer ConfirmOverwrite(const QString& Target) override {
        switch (Ask(msgOverwrite, Target, mbYes | mbAll | mbNo | mbCancel)) {
        case mbYes:
            return oaYes;
        case mbAll:
            return oaYesToAll;
        case mbNo:
            return oaNo;
        default:
            return oaCancel;
        }
    }
    bool ConfirmMakeDir(const QString& Folder) override {
        return Ask(msgMakeDir, Folder, mbYes | mbNo) == mbYes;
    }
    void ShowError(const QString& Text) override {
        QString text = Text.trimmed();
        while (text.endsWith(QLatin1Char('.')))
            text.chop(1); // the catalogue text ends the sentence
        if (MessageBox)
            Ask(msgError, text, mbOK);
        else if (TApplication::PlainMessage)
            TApplication::PlainMessage(Text);
    }
    void BeginProgress(const QString& Title, int Steps) override {
        FDialog = new QProgressDialog(QString(), Text(msgCancel, QString(), "Cancel"), 0, Steps,
                                      QApplication::activeWindow());
        FDialog->setAttribute(Qt::WA_DeleteOnClose);
        FDialog->setWindowTitle(Title);
        FDialog->setWindowModality(Qt::ApplicationModal);
        FDialog->setAutoClose(false);
        FDialog->setAutoReset(false);
    }
    bool StepProgress(int Done, const QString& Label) override {
        if (!FDialog)
            return true;
        FDialog->setLabelText(Label);
        FDialog->setValue(Done);
        QApplication::processEvents();
        return FDialog && !FDialog->wasCanceled();
    }
    void EndProgress() override {
        if (FDialog)
            FDialog->close();
        FDialog = nullptr;
    }

private:
    QPointer<QProgressDialog> FDialog;
};

MFileOperationUI*& InstalledUI() {
    static MFileOperationUI* ui = nullptr;
    return ui;
}

QStringList SplitNames(const QString& List) {
    QStringList names;
    for (const QString& n : QString(List).replace(QLatin1Char('|'), QLatin1Char(';')).split(QLatin1Char(';')))
        if (!n.trimmed().isEmpty())
            names.append(QDir::fromNativeSeparators(n.trimmed()));
    return names;
}

fs::path PathOf(const QString& Name) {
    return fs::path(QFile::encodeName(Name).toStdString());
}

QString NameOf(const fs::path& P) {
    return QFile::decodeName(QByteArray::fromStdString(P.string()));
}

bool Exists(const fs::path& P) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(P, ec));
}

bool IsRealDir(const fs::path& P) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(P, ec));
}

// The system's reason for a failure, as a sentence's tail.
QString Reason(const std::error_code& Ec) {
    return QString::fromLocal8Bit(Ec.message().c_str());
}

// A folder that is not there and could not be made, with the reason when there is one.
QString CannotMake(const fs::path& Folder, const std::error_code& Ec) {
    QString text = QStringLiteral("Cannot create file %1").arg(NameOf(Folder));
    if (Ec)
        text += QStringLiteral(": ") + Reason(Ec);
    return text;
}

// Makes Folder with every missing folder above it (links to folders count as folders); the
// system's reason when it is not a folder afterwards.
std::error_code MakeFolder(const fs::path& Folder) {
    std::error_code ec;
    if (fs::is_directory(Folder, ec))
        return {};
    fs::create_directories(Folder, ec);
    if (ec)
        return ec;
    if (!fs::is_directory(Folder, ec))
        return ec ? ec : std::make_error_code(std::errc::not_a_directory);
    return {};
}

// The entries of a folder, sorted by name; false when the folder cannot be read.
bool ListFolder(const fs::path& Folder, std::vector<fs::path>& Children) {
    std::error_code ec;
    for (fs::directory_iterator it(Folder, ec), end; !ec && it != end; it.increment(ec))
        Children.push_back(it->path());
    std::sort(Children.begin(), Children.end());
    return !ec;
}

// Target lies inside Source (or is Source).
bool Inside(const fs::path& Source, const fs::path& Target) {
    std::error_code ec;
    const fs::path s = fs::weakly_canonical(Source, ec);
    const fs::path t = fs::weakly_canonical(Target, ec);
    const std::string ss = s.string(), ts = t.string();
    return ts == ss || (ts.size() > ss.size() && ts.compare(0, ss.size(), ss) == 0 && ts[ss.size()] == '/');
}

// "name (2).ext", "name (3).ext", ... the first that is free.
fs::path FreeName(const fs::path& P) {
    const std::string name = P.filename().string();
    const std::size_t dot = name.rfind('.');
    const bool ext = dot != std::string::npos && dot > 0;
    const std::string stem = ext ? name.substr(0, dot) : name, tail = ext ? name.substr(dot) : std::string();
    for (int n = 2;; ++n) {
        const fs::path candidate = P.parent_path() / (stem + " (" + std::to_string(n) + ")" + tail);
        if (!Exists(candidate))
            return candidate;
    }
}

// Moves a file or folder to the desktop trash. The trash folder is made first when missing; a
// move that did not end in a trash folder is put back and counts as failed.
bool MoveToTrash(const QString& Name) {
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    if (!QFile::moveToTrash(Name, &inTrash))
        return false;
    const QFileInfo where(inTrash);
    const QString folder = where.absoluteDir().absolutePath();
    const bool trash =
        QDir::isAbsolutePath(inTrash) && folder.endsWith(QLatin1String("/files")) &&
        (folder.contains(QLatin1String("/Trash/")) || folder.contains(QLatin1String("/.Trash")));
    if (!trash) {
        QFile::rename(inTrash, Name);
        QFile::remove(where.absoluteDir().absoluteFilePath(QStringLiteral("../info/") + where.fileName() +
                                                           QStringLiteral(".trashinfo")));
        return false;
    }
    return true;
}

class TOperationRun {
public:
    TOperationRun(TShellFileOperator& Op, MFileOperationUI& UI) : FOp(Op), FUI(UI) {}

    bool Run();

private:
    struct TItem {
        fs::path From;
        fs::path To; // empty for deletes
    };
    enum TOutcome { Done, Skipped, Failed, Cancelled };

    bool Flag(TFileOperFlag F) const { return FOp.Options & F; }
    bool Plan(std::vector<TItem>& Items);
    // The wild-card matches of Mask in Folder, sorted; Failed when the folder cannot be read.
    TOutcome Find(const QString& Folder, const QString& Mask, std::vector<fs::path>& Found);
    bool Steps(const std::vector<TItem>& Items);
    TOutcome Perform(const TItem& Item);
    TOutcome Fail(const QString& Text) {
        FOp.LastError = Text;
        if (!Flag(flNoErrorUI))
            FUI.ShowError(Text);
        return Failed;
    }
    // Asks before a target is replaced; may change the target (rename on collision).
    TOutcome Collision(const fs::path& From, fs::path& To);
    // Asked is true when the person was already asked about replacing the target.
    TOutcome CopyOne(const fs::path& From, const fs::path& To, bool Asked = false);
    TOutcome CopyTree(const fs::path& From, const fs::path& To);
    TOutcome MoveOne(const fs::path& From, fs::path To);
    TOutcome DeleteOne(const fs::path& Path);
    // Makes a missing target folder, asking first unless flNoConfirmMkDir.
    TOutcome EnsureFolder(const fs::path& Folder);
    QString StepText(const TItem& Item) const;

    TShellFileOperator& FOp;
    MFileOperationUI& FUI;
    bool FYesToAll = false;
};

TOperationRun::TOutcome TOperationRun::EnsureFolder(const fs::path& Folder) {
    std::error_code ec;
    if (Folder.empty() || fs::is_directory(Folder, ec))
        return Done;
    // A folder on the way that cannot be searched (or a name the system refuses) is not asked about.
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
        return Fail(CannotMake(Folder, ec));
    if (!Flag(flNoConfirmMkDir) && !FUI.ConfirmMakeDir(NameOf(Folder))) {
        FOp.Aborted = true;
        return Cancelled;
    }
    if (const std::error_code made = MakeFolder(Folder))
        return Fail(CannotMake(Folder, made));
    return Done;
}

TOperationRun::TOutcome TOperationRun::Find(const QString& Folder, const QString& Mask,
                                            std::vector<fs::path>& Found) {
    std::error_code ec;
    const fs::path dir = PathOf(Folder.isEmpty() ? QStringLiteral(".") : Folder);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const QString name = NameOf(it->path().filename());
        if (!MatchesMask(name, Mask))
            continue;
        if (Flag(flFilesOnly) && IsRealDir(it->path()))
            continue;
        Found.push_back(it->path());
    }
    if (ec == std::errc::no_such_file_or_directory)
        return Fail(Text(msgNotFound, Folder, "Cannot find (%1)."));
    if (ec)
        return Fail(QStringLiteral("Cannot open file %1: ").arg(NameOf(dir)) + Reason(ec));
    std::sort(Found.begin(), Found.end());
    return Done;
}

bool TOperationRun::Plan(std::vector<TItem>& Items) {
    const QStringList sources = SplitNames(FOp.Source);
    const QStringList dests = SplitNames(FOp.Destination);
    bool wildcards = false;
    std::vector<fs::path> from;
    for (const QString& s : sources) {
        const QString folder = FolderPartOf(s), mask = s.mid(folder.size());
        if (!HasAnyChar(mask, QStringLiteral("*?"))) {
            const fs::path p = PathOf(s);
            if (!Exists(p)) {
                Fail(Text(msgNotFound, s, "Cannot find (%1)."));
                return false;
            }
            from.push_back(p);
            continue;
        }
        wildcards = true;
        std::vector<fs::path> found;
        if (Find(folder, mask, found) != Done)
            return false;
        from.insert(from.end(), found.begin(), found.end());
    }
    for (std::size_t i = 0; i < from.size(); ++i) {
        TItem item{from[i], {}};
        if (FOp.Operation != foDelete) {
            if (dests.isEmpty()) {
                Fail(Text(msgNotFound, QString(), "Cannot find (%1)."));
                return false;
            }
            if (Flag(flMultiDest)) {
                const QString d = dests.value(int(i), dests.last());
                item.To = IsDirectory(d) ? PathOf(d) / from[i].filename() : PathOf(d);
            } else {
                const QString d = dests.first();
                const bool into =
                    IsDirectory(d) || wildcards || from.size() > 1 || d.endsWith(QLatin1Char('/'));
                if (into && FOp.Operation != foRename) {
                    if (EnsureFolder(PathOf(d)) != Done)
                        return false;
                    item.To = PathOf(d) / from[i].filename();
                } else {
                    item.To = PathOf(d);
                }
            }
        }
        Items.push_back(item);
    }
    return true;
}

QString TOperationRun::StepText(const TItem& Item) const {
    if (Flag(flSimpleProgress))
        return QString();
    const QString name = NameOf(Item.From);
    switch (FOp.Operation) {
    case foCopy:
        return Text(msgCopying, name, "Copying (%1)");
    case foMove:
        return Text(msgMoving, name, "Moving (%1)");
    case foDelete:
        return Text(msgDeleting, name, "Deleting (%1)");
    case foRename:
        return Text(msgRenaming, name, "Renaming (%1)");
    }
    return name;
}

TOperationRun::TOutcome TOperationRun::Collision(const fs::path& From, fs::path& To) {
    if (!Exists(To))
        return Done;
    if (Flag(flRenameOnCollision)) {
        To = FreeName(To);
        return Done;
    }
    std::error_code ec;
    if (fs::equivalent(From, To, ec))
        return Done; // onto itself: the copy leaves it as it is
    if (Flag(flNoConfirmation) || FYesToAll)
        return Done;
    switch (FUI.ConfirmOverwrite(NameOf(To))) {
    case MFileOperationUI::oaYes:
        return Done;
    case MFileOperationUI::oaYesToAll:
        FYesToAll = true;
        return Done;
    case MFileOperationUI::oaNo:
        return Skipped;
    case MFileOperationUI::oaCancel:
        break;
    }
    FOp.Aborted = true;
    return Cancelled;
}

TOperationRun::TOutcome TOperationRun::CopyOne(const fs::path& From, const fs::path& To0, bool Asked) {
    fs::path to = To0;
    if (!Asked)
        if (const TOutcome o = Collision(From, to); o != Done)
            return o;
    std::error_code ec;
    if (fs::is_symlink(From, ec)) {
        // A link is copied as a link.
        const fs::path target = fs::read_symlink(From, ec);
        const fs::path temp = to.parent_path() / ("." + to.filename().string().substr(0, 200) + ".link~");
        fs::remove(temp, ec);
        fs::create_symlink(target, temp, ec);
        if (!ec)
            fs::rename(temp, to, ec);
        if (ec) {
            fs::remove(temp, ec);
            return Fail(QStringLiteral("Cannot create file %1").arg(NameOf(to)));
        }
        return Done;
    }
    try {
        CopyFileBytes(From, to, false);
    } catch (const Exception& e) {
        return Fail(e.Message());
    }
    return Done;
}

TOperationRun::TOutcome TOperationRun::CopyTree(const fs::path& From, const fs::path& To) {
    if (Inside(From, To))
        return Fail(
            Text(msgIntoItself, NameOf(From), "A folder cannot be copied or moved into itself (%1)."));
    if (const std::error_code ec = MakeFolder(To))
        return Fail(CannotMake(To, ec));
    std::vector<fs::path> children;
    if (!ListFolder(From, children))
        return Fail(QStringLiteral("Cannot open file %1").arg(NameOf(From)));
    for (const fs::path& c : children) {
        const TOutcome o = IsRealDir(c) ? CopyTree(c, To / c.filename()) : CopyOne(c, To / c.filename());
        if (o == Failed || o == Cancelled)
            return o;
    }
    return Done;
}

TOperationRun::TOutcome TOperationRun::MoveOne(const fs::path& From, fs::path To) {
    if (IsRealDir(From) && Inside(From, To))
        return Fail(
            Text(msgIntoItself, NameOf(From), "A folder cannot be copied or moved into itself (%1)."));
    if (!IsRealDir(From) || !IsRealDir(To))
        if (const TOutcome o = Collision(From, To); o != Done)
            return o;
    std::error_code ec;
    if (fs::equivalent(From, To, ec))
        return Done;
    if (::rename(From.c_str(), To.c_str()) == 0)
        return Done;
    const int err = errno;
    const bool intoExisting = IsRealDir(From) && IsRealDir(To) && (err == ENOTEMPTY || err == EEXIST);
    if (!intoExisting && err != EXDEV)
        return Fail(Text(msgCannotMove, NameOf(From), "Cannot move (%1): ") +
                    QString::fromLocal8Bit(std::strerror(err)));
    if (IsRealDir(From)) {
        // Into a folder that is already there, or onto another file system (the folder is made
        // there): each entry is moved on its own, so an entry that is skipped or fails stays here;
        // the folder goes when it is empty.
        if (const std::error_code made = MakeFolder(To); made || !IsRealDir(To))
            return Fail(CannotMake(To, made));
        std::vector<fs::path> children;
        if (!ListFolder(From, children))
            return Fail(QStringLiteral("Cannot open file %1").arg(NameOf(From)));
        for (const fs::path& c : children) {
            const TOutcome o = MoveOne(c, To / c.filename());
            if (o == Failed || o == Cancelled)
                return o;
        }
        fs::remove(From, ec);
        return Done;
    }
    // Another file system: the copy is complete and closed before the source goes.
    if (const TOutcome o = CopyOne(From, To, true); o != Done)
        return o;
    fs::remove(From, ec);
    if (ec)
        return Fail(Text(msgCannotDelete, NameOf(From), "Cannot delete (%1): ") + Reason(ec));
    return Done;
}

TOperationRun::TOutcome TOperationRun::DeleteOne(const fs::path& Path) {
    if (Flag(flAllowUndo)) {
        if (!MoveToTrash(NameOf(Path)))
            return Fail(Text(msgNoTrash, NameOf(Path),
                             "The file (%1) cannot be moved to the trash, so it was not deleted."));
        return Done;
    }
    std::error_code ec;
    fs::remove_all(Path, ec);
    if (ec)
        return Fail(Text(msgCannotDelete, NameOf(Path), "Cannot delete (%1): ") + Reason(ec));
    return Done;
}

TOperationRun::TOutcome TOperationRun::Perform(const TItem& Item) {
    switch (FOp.Operation) {
    case foDelete:
        return DeleteOne(Item.From);
    case foCopy:
        if (const TOutcome o = EnsureFolder(Item.To.parent_path()); o != Done)
            return o;
        return IsRealDir(Item.From) ? CopyTree(Item.From, Item.To) : CopyOne(Item.From, Item.To);
    case foMove:
    case foRename:
        if (const TOutcome o = EnsureFolder(Item.To.parent_path()); o != Done)
            return o;
        return MoveOne(Item.From, Item.To);
    }
    return Failed;
}

// Runs the items one after another under the progress window; false when one failed or the person
// cancelled.
bool TOperationRun::Steps(const std::vector<TItem>& Items) {
    const bool window = !Flag(flSilent);
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (window && !FUI.StepProgress(int(i), StepText(Items[i]))) {
            FOp.Aborted = true;
            return false;
        }
        const TOutcome o = Perform(Items[i]);
        if (o != Done && o != Skipped)
            return false;
    }
    if (window)
        FUI.StepProgress(int(Items.size()), QString());
    return true;
}

bool TOperationRun::Run() {
    // The progress window closes on every way out, an error raised on the way included; such an
    // error is the operation's failure, reported as the others are.
    struct TProgressWindow {
        MFileOperationUI* UI = nullptr;
        ~TProgressWindow() {
            if (UI)
                UI->EndProgress();
        }
    } progress;
    try {
        std::vector<TItem> items;
        if (!Plan(items))
            return false;
        if (!Flag(flSilent)) {
            FUI.BeginProgress(FOp.ProgressTitle, int(items.size()));
            progress.UI = &FUI;
        }
        return Steps(items) && !FOp.Aborted;
    } catch (const EAbort&) {
        throw; // the silent abort stays silent
    } catch (const Exception& e) {
        Fail(e.Message());
    } catch (const std::exception& e) {
        Fail(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace

MFileOperationUI* FileOperationUI() {
    static TProgramFileOperationUI program;
    return InstalledUI() ? InstalledUI() : &program;
}

void SetFileOperationUI(MFileOperationUI* UI) {
    InstalledUI() = UI;
}

TShellFileOperator::TShellFileOperator(QObject* AOwner) : QObject(AOwner) {}

bool TShellFileOperator::Execute() {
    Aborted = false;
    LastError.clear();
    TOperationRun run(*this, *FileOperationUI());
    return run.Run();
}

void ShellCopyOrMove(const QString& FileName, const QString& DestName, bool Confirm, bool Move,
                     bool AllowUndo) {
    TShellFileOperator op;
    op.Source = FileName;
    op.Destination = DestName;
    if (!Move)
        op.Operation = foCopy;
    else if (FolderPartOf(FileName).compare(FolderPartOf(DestName), Qt::CaseInsensitive) == 0)
        op.Operation = foRename;
    else
        op.Operation = foMove;
    if (!AllowUndo)
        op.Options &= ~TFileOperFlags(flAllowUndo);
    if (!Confirm)
        op.Options |= flNoConfirmation;
    if (!op.Execute() && !op.Aborted)
        throw Exception(op.LastError.isEmpty() ? QStringLiteral("The file operation failed") : op.LastError);
}
