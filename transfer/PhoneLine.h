#pragma once
// TPhoneLine: one telephone line over a Hayes-AT modem on a serial device. It lists the line
// devices, checks and opens one, dials or answers, hangs up, and once a data call is connected
// hands out the modem port for exact reads and writes with the line's time-out. It holds no
// widget: the dialing window and the plain messages attach to it through TDialingView and the
// message sink. Events are queued on the thread of the component (the GUI thread) and delivered
// one after another, never from inside a read or write.

#include "transfer/SerialPort.h"
#include "transfer/TransferProtocol.h"

#include <QObject>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;

// The dialing window as the line sees it; one per process.
class TDialingView {
public:
    virtual ~TDialingView() = default;
    virtual void ShowDialing() = 0;
    virtual void HideDialing() = 0;
    virtual void SetModemName(const QString& Name) = 0;
};

// One line device: what the user sees and the device opened.
struct TLineDevice {
    QString Name;
    QString Path;
};

// Where the component finds its line devices.
struct TLineSource {
    bool SystemDevices = true; // /dev/serial/by-id, ttyUSB, ttyACM, the ttyS that are real UARTs
    bool UseSetting = true;    // then the setting "ModemDevices"
    QStringList Extra;         // then these paths
};

class TPhoneLine : public QObject, public IByteChannel {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TPhoneLine*)>;

    explicit TPhoneLine(QObject* Owner = nullptr, const TLineSource& Source = TLineSource());
    ~TPhoneLine() override;

    // The process-wide instance (nullptr when none).
    static TPhoneLine* Instance();
    // The process-wide dialing window, made by the program entry; the factory makes one when the
    // component finds none.
    static void SetDialingView(TDialingView* View);
    static TDialingView* DialingView();
    static void SetDialingFactory(std::function<TDialingView*()> Factory);
    // Plain messages of the component (a message box in the station, stderr in the tools).
    static void SetMessageSink(std::function<void(const QString&)> Sink);
    static void ShowPlainMessage(const QString& Text);
    // Shows an error: a numbered one by its number through the shared message box when there is
    // one, anything else by its text through the message sink; a stop shows nothing.
    static void ShowError(const std::exception& Error);

    // The longest a connected call may last (seconds), however steadily its bytes come: a
    // project of ten megabytes and more crosses a slow modem line well within it.
    static constexpr int MaxCallSeconds = 60 * 60;

    // ---- Properties
    bool WaitForCall = true;
    bool DeviceDirectAccess = false;
    QString PhoneNumber;
    QStringList DirectAccessScript;
    QString DirectAccessLogFile;
    int Timeout = 20;
    // The overall limit of a connected call in seconds; its reads and writes raise ETransferError
    // (CallTooLong) once it has passed.
    int CallLimit = MaxCallSeconds;

    int DevIdToInitialize() const { return FDevId; }
    void SetDevIdToInitialize(int Value);

    // ---- Events
    TNotifyEvent OnConnection, OnCallOffering, OnCallAnswering, OnDisconnect, OnBusy, OnOpen, OnClose,
        OnDropCall, OnUnexpectedClose, OnNewData;

    // ---- Operations
    void FillLineList(QStringList& Strings) const;
    const std::vector<TLineDevice>& Lines() const { return FLines; }
    // 0 when the line can place data calls, else the number of the first failing check.
    int VerifyUsableLine(int Device);
    void OpenLine();
    bool MakeCall();
    void DropCall();
    void CloseLine();
    qsizetype ReadBuffer(char* Buffer, qsizetype Count);
    bool WriteBuffer(const char* Buffer, qsizetype Count);
    QByteArray ReadString(qsizetype Count);
    bool WriteString(const QByteArray& Text);
    qsizetype BytesWaiting();
    void RunDirectAccessScript();

    // Exact reads and writes of the connected call for the block protocol: raise the port's texts,
    // and fail at once after a hang-up.
    void ReadExact(char* Buffer, qsizetype Count) override;
    void WriteExact(const char* Buffer, qsizetype Count) override;
    // Lets the window's messages run between blocks; a stop raises the silent abort.
    void BetweenBlocks() override;
    bool StaysQuiet(int Ms) override;

    // After the last answer of a reception: waits up to Ms milliseconds for the far end to hang up
    // (what still arrives is dropped); true when it did.
    bool WaitForHangUp(int Ms) override;

    bool Connected() const { return FConnected; }
    bool LineOpen() const { return FLineOpen; }
    bool Dialing() const { return FCall == CallPlacing; }
    // The result code that ended the last call without a connection ("BUSY", "NO ANSWER", ...).
    const QString& LastReason() const { return FLastReason; }
    // The guard time around "+++" when a line without DTR hangs up (milliseconds).
    void SetGuardTime(int Ms) { FGuardMs = Ms; }
    // The wait for each answer to "AT" while a line is checked (milliseconds; three tries).
    void SetCommandWait(int Ms) { FCommandWaitMs = Ms; }

    // Reads a result-code line: one of the codes the call engine acts on, or Ignored.
    enum TResultCode { Ignored, Ok, Ring, Connect, Busy, NoCarrier, NoDialtone, NoAnswer, Error };
    static TResultCode ParseResultLine(const QByteArray& Line);
    // The line speed of a CONNECT line in bits per second (0 when it gives none).
    static int ConnectSpeed(const QByteArray& Line);
    // Splits received bytes into lines; a line longer than 256 bytes is dropped. Bytes after the
    // last line end stay in Rest.
    static QList<QByteArray> TakeLines(QByteArray& Rest, const QByteArray& Bytes);

    static constexpr const char* InitString = "ATE0V1Q0X4&C1&D2S0=0";

private:
    enum TCall { CallNone, CallPlacing, CallAnswering, CallConnected };

    void Enumerate(const TLineSource& Source);
    void ShowDialing();
    void HideDialing();
    void Queue(const TNotifyEvent TPhoneLine::*Event);
    void Deliver();
    // Posts the delivery of the queued events unless it is posted already.
    void PostDelivery();
    // A stop asked for while a read or write held the port hangs up now; true when it did.
    bool DropIfDeferred();
    // Opens the port of the selected line for commands; raises the line error.
    void OpenPort();
    // Sends a command and waits for its final result; returns it (Ignored on time-out).
    TResultCode Command(const QByteArray& Text, int WaitMs);
    void WatchPort(bool On);
    void PortReadable();
    // The other station sent more than the port keeps: the call ends with a message.
    void Flooded();
    void HandleLine(const QByteArray& Line);
    void GetCommHandle();
    void CallEnded(const QString& Reason, bool Busy);
    void Disconnected();
    void HangUpPort();
    void GuardExpired();
    void WaitSlice();
    template <typename F>
    void Exact(F&& Body);

    std::vector<TLineDevice> FLines;
    int FDevId = -1;
    TSerialPort FPort;
    bool FLineOpen = false;
    TCall FCall = CallNone;
    bool FConnected = false;
    bool FDropping = false;
    bool FDropDeferred = false;
    int FPortBusy = 0;
    int FDelivering = 0;
    bool FDeliverPosted = false;
    bool FDisconnectPending = false;
    QString FLastReason;
    QString FScriptError;
    QByteArray FLineRest;
    QSocketNotifier* FNotifier = nullptr;
    QTimer* FGuard = nullptr;
    std::deque<const TNotifyEvent TPhoneLine::*> FEvents;
    int FGuardMs = 1000;
    int FCommandWaitMs = 2000;
};
