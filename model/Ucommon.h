#pragma once
// Program-wide settings and paths, the file type numbers, the name parsers, the finding record of
// the program test and the named S-line range.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

// ---- Buttons of the numbered message box, as bits; the answer is the bit of the button pressed.
constexpr int mbOK = 1;
constexpr int mbYes = 2;
constexpr int mbNo = 4;
constexpr int mbRetry = 8;
constexpr int mbCancel = 16;
constexpr int mbIgnore = 32;
constexpr int mbAll = 64;
constexpr int mbHelp = 128;
constexpr int mbClose = 256;
constexpr int mbAbort = 512;
// The answer when the box is closed without a button; callers treat it as Cancel.
constexpr int mbClosed = -1;

// The way the model reaches the numbered message box without knowing any window: the user interface
// installs one; tests install a scripted one.
class MMessageService {
public:
    virtual ~MMessageService() = default;
    // Shows message (Code, SubCode) with its arguments and the given buttons; returns the bit of
    // the button pressed, or mbClosed.
    virtual int ShowCodeMessage(int Code, int SubCode, const QString& Args, int Buttons) = 0;
    // Shows a plain text that has no number in the catalogue ("Error in D&D") with the OK button.
    // A service without plain boxes drops it.
    virtual void ShowPlainMessage(const QString& Text) { Q_UNUSED(Text); }
};

// ---- Program-wide settings.
extern bool ListsAutoValidate; // validate a module before a list stores it
extern bool ListBoxShowHint;   // the field-help hint window shows its hints
extern int MachineIndex;
extern int GaugeIndex;
extern int PTLimit1, PTLimit2, PTLimit3, PTLimit4;
// The shared message box; empty until the main window creates it.
extern MMessageService* MessageBox;
// Shows a plain text through the shared message box; dropped while there is none.
void ShowPlainText(const QString& Text);

// The application folder (ending in "/") and the samples folder under it.
QString AppPath();
QString SamplesPath();

// Sets a program-wide switch for the life of the guard and restores the old value when the guard
// ends, also when an error passes.
class MSwitchGuard {
public:
    MSwitchGuard(bool& target, bool value) : FTarget(target), FOld(target) { target = value; }
    ~MSwitchGuard() { FTarget = FOld; }
    MSwitchGuard(const MSwitchGuard&) = delete;
    MSwitchGuard& operator=(const MSwitchGuard&) = delete;

private:
    bool& FTarget;
    bool FOld;
};

// ---- File type numbers: 1 .bmp, 2 .jpg/.jpeg, 3 .pcx, 4 .tif, 5 .wmf, 6 .emf, 7 .gif, 8 .png,
// 9 .ico, 10 .cur, 11 .JXW, 12 .LST, 0 any other.
constexpr int ftNone = 0, ftBmp = 1, ftJpg = 2, ftPcx = 3, ftTif = 4, ftWmf = 5, ftEmf = 6, ftGif = 7,
              ftPng = 8, ftIco = 9, ftCur = 10, ftJxw = 11, ftLst = 12;

// The type number of a name's extension (of its last path element, case-insensitive).
int FileTypeOfName(const QString& Name);
// The extension that ChangeFileType gives a type ("" for types outside 1..12).
QString ExtensionOfFileType(int FileType);
// Replaces the extension: the file-name part is cut at its first ".", the rest trimmed and the
// type's extension appended. A dot in a folder name never counts. Types outside 1..12 leave the
// name unchanged.
void ChangeFileType(QString& FileName, int FileType);
// The base name of a file: its file-name part only (no folder), without the last extension when that
// is one of the station's own (a type of FileTypeOfName, or the library's ".mod" and ".pt2"; any
// letter case), else the whole file-name part. "knit.v2_740e7.LST" gives "knit.v2_740e7".
QString BaseNameOf(const QString& Name);
// Model and gauge from a name ending in _<3 digits>e<1 or 2 digits> (last path element only);
// both 0 when the name has no such suffix.
void ParseNumberSuffix(const QString& Name, int& Model, int& Gauge);
// A project base name with a copy number: "_<Number>" goes before the machine ending
// "_<3 digits>e<1 or 2 digits>" when the base ends in one ("abc_740e7", 2 gives "abc_2_740e7"), else
// after the base ("abc", 2 gives "abc_2").
QString NumberedBaseName(const QString& Base, int Number);
// Source without everything from its first "_".
void CutAtUnderscore(const QString& Source, QString& Dest);
// True only for positive odd numbers.
bool IsOdd(int Value);
// The absolute value; the smallest 32-bit value raises an overflow error.
int AbsValue(int Value);

// ---- One finding of the program test or of the interpreter.
// The catalogue code of the findings of the program test and of the interpreter.
constexpr int PTErrorCode = 5030;

class MPTerror {
public:
    std::int32_t ErrorId = 0;
    std::int32_t Code = 0;
    std::int32_t SubCode = 0;
    std::int32_t ListKind = 0;
    std::int32_t Number = 0;
    QString Args;

    void SetError(int N) {
        ErrorId = N;
        Code = PTErrorCode;
        SubCode = N;
    }
    int GetCode() const { return ErrorId; }
    void Assign(const MPTerror& Other) { *this = Other; }
    void Clear() { *this = MPTerror(); }
    // The same code, subcode, argument text, list kind and number: a run finding of a row is not
    // taken for the row's validation failure of the same subcode.
    bool Equals(const MPTerror& Other) const;
};

// ---- A named range of S lines, as the project data file stores it (92 bytes, little-endian).
class MStrip {
public:
    static constexpr int RecordSize = 92;
    static constexpr int NameSize = 80;

    std::int32_t Id = 0;
    std::int32_t FirstS = 0;
    std::int32_t LastS = 0;
    std::array<char, NameSize> Name{}; // the stored bytes; the name ends at the first zero

    static MStrip FromRecord(std::span<const std::uint8_t> record);
    std::array<std::uint8_t, RecordSize> ToRecord() const;

    QString NameText() const;
    void SetName(const QString& text);
    // "<Name> S<FirstS> .. S<LastS>"
    void Text(QString& S) const;
    QString Text() const;

    bool operator==(const MStrip&) const = default;
};
