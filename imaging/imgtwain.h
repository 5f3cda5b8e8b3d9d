#pragma once
// Scanner acquisition. One acquisition or selection runs at a time and walks the session's states
// one step at a time, each step undone on the way back:
//   1 scanner library not loaded, 2 loaded, 3 open, 4 source (device) open, 5 source enabled (its
//   dialog showing), 6 transfer ready, 7 transferring.
// The scanners are reached through the SANE library, loaded at run time; the source's own dialog
// and the selection dialog are installed by the widget layer (TTwainUserInterface), so this module
// stays free of widgets. A transferred picture is a packed device-independent bitmap (40-byte
// header, colour table, rows bottom-up) behind an owned handle, as CopyDIBToBitmap reads it.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <vector>

// The texts of the failures (note the space after "TWAIN:" in the selection's "open" text).
namespace TwainText {
inline constexpr const char* LoadManager = "TWAIN:Unable to load Source Manager (TWAIN_32.DLL)";
inline constexpr const char* OpenManagerSelect = "TWAIN: Unable to open Source Manager (TWAIN_32.DLL)";
inline constexpr const char* OpenManager = "TWAIN:Unable to open Source Manager (TWAIN_32.DLL)";
inline constexpr const char* OpenSource = "TWAIN:Unable to open default Data Source.";
inline constexpr const char* EnableSource = "TWAIN:Failed to enable Data Source.";
// A window argument is a QObject* here, so these cannot occur; they are kept for completeness.
inline constexpr const char* InvalidWindow = "TWAIN: window handle is invalid";
inline constexpr const char* ProxySelect = "TWAIN: Unable to create proxy window";
inline constexpr const char* ProxyAcquire = "TWAIN:Unable to create proxy window";
} // namespace TwainText

// The session's messages between the source's dialog and the acquisition loop.
inline constexpr int MSG_XFERREADY = 0x0101;
inline constexpr int MSG_CLOSEDSREQ = 0x0102;

// Return codes of a transfer.
inline constexpr int TWRC_SUCCESS = 0;
inline constexpr int TWRC_FAILURE = 1;
inline constexpr int TWRC_CANCEL = 3;
inline constexpr int TWRC_XFERDONE = 6;

// A transferred picture: a packed device-independent bitmap.
struct TTwainDIB {
    std::vector<std::uint8_t> Bytes;
};
using TTwainHandle = TTwainDIB*;

// The image information of the last transfer.
struct TTwainImageInfo {
    int XResolution = 0;
    int YResolution = 0;
    int ImageWidth = 0;
    int ImageLength = 0;
    int SamplesPerPixel = 0;
    int BitsPerPixel = 0;
    int PixelType = 0; // 0 black and white, 1 grey, 2 RGB
};

// A scanner as the selection dialog lists it.
struct TTwainDevice {
    QString Name;
    QString Vendor;
    QString Model;
    QString Type;
};

// One option of the open source, as its dialog shows it.
struct TTwainOption {
    enum Kind { Bool, Int, Fixed, String };
    enum Limits { NoLimits, Range, WordList, StringList };
    QString Name;
    QString Title;
    QString Description;
    Kind Type = Int;
    QString Unit; // "", "pel", "bit", "mm", "dpi", "%", "us"
    bool Active = true;
    bool Settable = true;
    Limits Constraint = NoLimits;
    double Min = 0;
    double Max = 0;
    double Quant = 0;
    std::vector<double> Words;
    QStringList Strings;
};

// The open source as its dialog works with it. Only the well-known options are offered: "mode",
// "depth", "resolution" (or "x-resolution" and "y-resolution"), "source" and the scan area "tl-x",
// "tl-y", "br-x", "br-y".
class TTwainSource {
public:
    virtual ~TTwainSource() = default;
    virtual QString DeviceName() const = 0;
    virtual std::vector<TTwainOption> Options() = 0;
    virtual QVariant Value(const QString& Name) = 0;
    // Sets an option; false when the source refuses the value. Reload is set when other options or
    // the picture's size may have changed with it.
    virtual bool SetValue(const QString& Name, const QVariant& Value, bool& Reload) = 0;
    // The user's Scan: the transfer runs now, reporting through OnProgress.
    virtual void Scan() = 0;
    // The user's Cancel, or the dialog closed: no picture.
    virtual void Close() = 0;
    // True while the dialog is to stay open: enabled, and no picture has arrived.
    virtual bool Running() const = 0;
    // Why the last Scan brought no picture (empty when it did, or was cancelled).
    QString LastError;
    // Called while a transfer reads: bytes done and expected (0 when unknown); false cancels.
    std::function<bool(long long Done, long long Total)> OnProgress;
};

// The dialogs of an acquisition, installed by the widget layer (or scripted by tests and tools).
class TTwainUserInterface {
public:
    virtual ~TTwainUserInterface() = default;
    // The selection: lists what Devices() finds, with DefaultName preselected; true and the chosen
    // name on OK, false on Cancel.
    virtual bool UserSelect(QObject* Window, const std::function<std::vector<TTwainDevice>()>& Devices,
                            const QString& DefaultName, QString& Chosen) = 0;
    // The source's own dialog: returns once the source no longer runs or the user closed it.
    virtual void RunSource(QObject* Window, TTwainSource& Source) = 0;
};

// The dialogs in use (none at start: then a selection answers false and enabling a source fails).
void SetTwainUserInterface(TTwainUserInterface* Interface);
TTwainUserInterface* TwainUserInterface();

// The scanner library loaded at run time ("libsane.so.1"); tests point it elsewhere.
void SetTwainLibraryName(const QString& Name);
QString TwainLibraryName();

// The remembered default source: its own settings file (organisation "Korvane", application
// "ScannerSource", key "DefaultSource").
QString TwainDefaultSource();
void SetTwainDefaultSource(const QString& Name);

// A source to open in place of the remembered one in the sessions that follow, without remembering
// it (empty: the remembered one). A named source is the only one tried: when it cannot be opened,
// the acquisition raises "no scanner named NAME" (or the back end's reason) instead of falling back
// to the first device found, as it does for a remembered source that is gone.
void SetTwainSessionSource(const QString& Name);

// Dialogs that answer by script, for tools and tests: the selection chooses SelectName (or is
// cancelled); the source's dialog sets Settings in order, then scans, or is cancelled. A scan that
// brought no picture closes the dialog.
class TTwainScript : public TTwainUserInterface {
public:
    QString SelectName;
    bool CancelSelection = false;
    std::vector<std::pair<QString, QVariant>> Settings;
    bool CancelSource = false;
    // What the dialogs were given, and the first setting the source refused.
    std::vector<TTwainDevice> Listed;
    QString OfferedDefault;
    QString RefusedSetting;
    QString ScanError;

    bool UserSelect(QObject* Window, const std::function<std::vector<TTwainDevice>()>& Devices,
                    const QString& DefaultName, QString& Chosen) override;
    void RunSource(QObject* Window, TTwainSource& Source) override;
};

// The state of the session, 1 to 7.
extern int TwainState;

// Shows the selection; true when the user chose a source, which becomes the default source.
bool TwainSelectSource(QObject* Window);
// Acquires a picture through the default source's dialog; null when nothing was transferred.
// PixelType is not used. With MultiTransfer every page of a document feeder is collected.
TTwainHandle TwainAcquire(QObject* Window, int PixelType, bool MultiTransfer);
// Frees an acquired picture, or every picture of a multi-transfer.
void TwainFreeAcquired(TTwainHandle Handle);
// The pictures of the last multi-transfer, in order (empty otherwise).
const std::vector<TTwainHandle>& TwainAcquiredList();
// The resolution of the last transfer, whole dots per inch.
int TwainXResolution();
int TwainYResolution();
