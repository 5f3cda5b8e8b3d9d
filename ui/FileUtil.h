#pragma once
// File services without windows of their own: clearing folders by a mask, copying one file without
// ever leaving a half-written target, the shell-style file operations with their prompts and
// progress window, small name and attribute helpers, the registry through which a copy drives any
// progress control, and the command-line tokens.

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>

struct QMetaObject;

// ---- Names and masks.

// True when Name matches Mask without regard to case: "*" any run of characters, "?" one
// character; a mask ending in ".*" also matches a name without a dot ("*.*" matches every name).
bool MatchesMask(const QString& Name, const QString& Mask);

// Not empty and free of the six characters < > " [ ] |.
bool IsValidFileName(const QString& FileName);
// Some character of Chars occurs in S.
bool HasAnyChar(const QString& S, const QString& Chars);
// The name with "/" appended; unchanged when empty or already ending in "/" or "\".
QString WithTrailingBackslash(const QString& Dir);
// The folder part of a name ("/" or "\" separated), with its separator; empty when there is none.
QString FolderPartOf(const QString& Name);
// The name exists and is a folder.
bool IsDirectory(const QString& Name);
// Creates the folder and every missing folder above it; one that cannot be made is passed over.
void CreateDirectoryPath(const QString& Dir);
// The size of the file, -1 when it is not found.
qint64 FileSizeOf(const QString& FileName);

// File attribute flags, as the file search reports them.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faSymLink = 0x40;
// The attributes of a file (a dot name is hidden, a file without write permission read-only, every
// plain file has the archive bit); -1 when they cannot be read.
int FileAttributesOf(const QString& FileName);
// The attributes could be read and hold every bit of Mask.
bool FileHasAttributes(const QString& FileName, int Mask);
// The name of the entry on disk (found without regard to case); empty when there is none. The
// short name is the long name here.
QString LongFileNameOf(const QString& FileName);
QString ShortFileNameOf(const QString& FileName);

// ---- Clearing and copying.

// Deletes every entry that matches Mask (a path with wild cards; the folder part is resolved without
// regard to case) except folders and names beginning with "."; links are removed as links. Stops at
// the first deletion that fails. True when the search found at least one entry (the folder's own
// "." entries count) and no deletion failed. Not recursive; raises nothing.
bool ClearDir(const QString& Mask);

// Copies one file. When DestName is a folder the copy goes into it under the source's name; missing
// folders of the target are made. The copy is written to a temporary file beside the target, dated
// as the source and renamed over the target only when complete, so an error keeps the old target as
// it was; a link as target keeps the link and replaces the file it names. A read-only target fails
// with "Cannot create file %s" unless OverwriteReadOnly. Errors: EFOpenError "Cannot open file %s",
// EFCreateError "Cannot create file %s", EReadError "Stream read error", EWriteError "Stream write
// error". A progress control (see SetProgressValue) follows the bytes copied.
void CopyFile(const QString& FileName, const QString& DestName, QObject* ProgressControl = nullptr);
void CopyFileWithOptions(const QString& FileName, const QString& DestName, bool OverwriteReadOnly,
                         QObject* ProgressControl, bool ShellDialog);
// The same copy between names given as the bytes they have on disk (a name need not be UTF-8);
// Target is the file itself, never a folder to copy into.
void CopyFileBytes(const std::filesystem::path& Source, const std::filesystem::path& Target,
                   bool OverwriteReadOnly, QObject* ProgressControl = nullptr);

// ---- Progress controls.

// Registers a class of progress control with the names of its integer properties for the minimum,
// the maximum and the position (at most 63 characters each). The registry starts with QProgressBar
// and QProgressDialog ("minimum", "maximum", "value"); later registrations are searched first.
void RegisterProgressControl(const QMetaObject* Class, const QString& MinName, const QString& MaxName,
                             const QString& ValueName);
// Set the property of the control's registration when it is an integer property; false for a null
// control, an unregistered class or another kind of property.
bool SetProgressMin(QObject* Control, int Value);
bool SetProgressMax(QObject* Control, int Value);
bool SetProgressValue(QObject* Control, int Value);

// ---- Shell-style file operations.

enum TFileOperation { foCopy, foDelete, foMove, foRename };

// The flags, by the values the shell's operation gives them.
enum TFileOperFlag : unsigned {
    flMultiDest = 0x1,
    flConfirmMouse = 0x2,
    flSilent = 0x4,
    flRenameOnCollision = 0x8,
    flNoConfirmation = 0x10,
    flAllowUndo = 0x40,
    flFilesOnly = 0x80,
    flSimpleProgress = 0x100,
    flNoConfirmMkDir = 0x200,
    flNoErrorUI = 0x400,
};
using TFileOperFlags = unsigned;

// What a file operation asks the person and shows; the program's is the numbered message box and a
// modal progress window, tests install a scripted one.
class MFileOperationUI {
public:
    enum TOverwriteAnswer { oaYes, oaYesToAll, oaNo, oaCancel };
    virtual ~MFileOperationUI() = default;
    virtual TOverwriteAnswer ConfirmOverwrite(const QString& Target) = 0;
    virtual bool ConfirmMakeDir(const QString& Folder) = 0;
    virtual void ShowError(const QString& Text) = 0;
    // The progress window: Title, and the text of each step (empty with flSimpleProgress).
    virtual void BeginProgress(const QString& Title, int Steps) = 0;
    // False when the person cancelled.
    virtual bool StepProgress(int Done, const QString& Text) = 0;
    virtual void EndProgress() = 0;
};
// The one in use (the program's unless a test installed another); null puts the program's back.
MFileOperationUI* FileOperationUI();
void SetFileOperationUI(MFileOperationUI* UI);

class TShellFileOperator : public QObject {
    Q_OBJECT
public:
    explicit TShellFileOperator(QObject* AOwner = nullptr);

    TFileOperation Operation = foCopy;
    TFileOperFlags Options = flAllowUndo | flNoConfirmMkDir;
    QString ProgressTitle;
    // Lists of names separated by ";" or "|"; names may hold wild cards.
    QString Source;
    QString Destination;
    // The person cancelled the last operation.
    bool Aborted = false;
    // The text of the last failure (empty after success).
    QString LastError;

    // Runs the operation; true when everything was done.
    virtual bool Execute();
};

// Copies or moves (a rename when both names share their folder) through TShellFileOperator;
// Confirm false adds flNoConfirmation, AllowUndo false removes flAllowUndo. A failure that the
// person did not cancel raises the failure's text.
void ShellCopyOrMove(const QString& FileName, const QString& DestName, bool Confirm, bool Move,
                     bool AllowUndo);

// ---- Command-line tokens.

// The largest number of characters a token is meant to hold; longer tokens are kept whole.
constexpr int MaxCommandToken = 256;
// Reads the token at Pos (0-based) and moves Pos past it: leading blanks, control characters and
// empty "" pairs are skipped; double-quoted parts may hold blanks and lose their quotes; the token
// ends at the first character below 33 outside quotes. False when no token is left.
bool NextCommandToken(const QString& S, int& Pos, QString& Token);
int CommandTokenCount(const QString& S);
// The token with that index from 0; empty when there is none.
QString CommandToken(const QString& S, int Index);
// The first token into Program; the others into Params, separated by single blanks, each in double
// quotes when it holds a blank.
void SplitCommandLine(const QString& CommandLine, QString& Program, QString& Params);
