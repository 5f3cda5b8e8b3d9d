#include "transfer/PhoneLine.h"

#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "transfer/Tapi.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <set>

namespace {
TPhoneLine* GInstance = nullptr;
TDialingView* GDialing = nullptr;
std::function<TDialingView*()> GDialingFactory;
std::function<void(const QString&)> GMessageSink;

const QString NoLineText = QStringLiteral("PhoneLine: You must select TAPI compatible line");
const QString UnknownErrorText = QStringLiteral("Unknown error");
constexpr int MaxLine = 256;
// The dialling guard: the modem's S7 wait for a carrier (50 s) and 10 s more.
constexpr int DialGuardMs = (50 + 10) * 1000;

// A device that opens as a terminal.
bool OpensAsTerminal(const QString& Path) {
    const int fd = ::open(Path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool tty = ::isatty(fd);
    ::close(fd);
    return tty;
}

// A ttyS device behind which a UART answers.
bool IsRealUart(const QString& Path) {
    const int fd = ::open(Path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool real = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return real;
}

// The list of lines the script mode writes.
class TLogFile {
public:
    void Add(const QString& Event, const QString& Detail = QString()) {
        QString line = QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat) +
                       QStringLiteral(" - ") + Event;
        if (!Detail.isEmpty())
            line += QStringLiteral(": ") + Detail;
        FLines << line;
    }
    void SaveLog(const QString& FileName) const {
        QFile f(FileName);
        if (f.open(QIODevice::WriteOnly | QIODevice::Text))
            f.write((FLines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    }

private:
    QStringList FLines;
};
} // namespace

// ============================================================================ Process-wide parts

TPhoneLine* TPhoneLine::Instance() {
    return GInstance;
}

void TPhoneLine::SetDialingView(TDialingView* View) {
    GDialing = View;
}

TDialingView* TPhoneLine::DialingView() {
    return GDialing;
}

void TPhoneLine::SetDialingFactory(std::function<TDialingView*()> Factory) {
    GDialingFactory = std::move(Factory);
}

void TPhoneLine::SetMessageSink(std::function<void(const QString&)> Sink) {
    GMessageSink = std::move(Sink);
}

void TPhoneLine::ShowPlainMessage(const QString& Text) {
    if (GMessageSink)
        GMessageSink(Text);
    else
        std::fprintf(stderr, "%s\n", Text.toLocal8Bit().constData());
}

void TPhoneLine::ShowError(const std::exception& Error) {
    if (dynamic_cast<const EAbort*>(&Error))
        return;
    if (MessageBox) {
        if (const auto* t = dynamic_cast<const ETransferError*>(&Error)) {
            MessageBox->ShowCodeMessage(TransferText::Code, t->SubCode(), t->Arg(), mbOK);
            return;
        }
        if (const auto* m = dynamic_cast<const MException*>(&Error)) {
            MessageBox->ShowCodeMessage(m->Code, m->SubCode, m->Args, mbOK);
            return;
        }
    }
    ShowPlainMessage(QString::fromUtf8(Error.what()));
}

// ============================================================================ Life

TPhoneLine::TPhoneLine(QObject* Owner, const TLineSource& Source) : QObject(Owner) {
    if (GInstance)
        throw Exception(QStringLiteral("PhoneLine component already exists in this process."));
    Enumerate(Source);
    if (FLines.empty())
        ShowPlainMessage(QStringLiteral("There is no modem installed in your PC.\r\nConnect the modem, add "
                                        "your user to the group dialout, or name its device in the "
                                        "setting ModemDevices."));
    GInstance = this;
    FGuard = new QTimer(this);
    FGuard->setSingleShot(true);
    connect(FGuard, &QTimer::timeout, this, &TPhoneLine::GuardExpired);
    if (!GDialing && GDialingFactory)
        GDialing = GDialingFactory();
}

TPhoneLine::~TPhoneLine() {
    try {
        FDropDeferred = false;
        FPortBusy = 0;
        if (FCall != CallNone)
            HangUpPort();
        WatchPort(false);
        FPort.Close();
    } catch (...) {
    }
    if (GInstance == this)
        GInstance = nullptr;
}

void TPhoneLine::Enumerate(const TLineSource& Source) {
    std::set<QString> seen;
    auto add = [&](const QString& name, const QString& path) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty() && !seen.insert(canonical).second)
            return;
        FLines.push_back({name, path});
    };
    if (Source.SystemDevices) {
        const QDir byId(QStringLiteral("/dev/serial/by-id"));
        for (const QFileInfo& f : byId.entryInfoList(QDir::System | QDir::Files, QDir::Name))
            add(f.fileName(), f.absoluteFilePath());
        const QDir dev(QStringLiteral("/dev"));
        for (const QString& pattern : {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")})
            for (const QFileInfo& f : dev.entryInfoList({pattern}, QDir::System, QDir::Name))
                add(f.absoluteFilePath(), f.absoluteFilePath());
        for (const QFileInfo& f : dev.entryInfoList({QStringLiteral("ttyS*")}, QDir::System, QDir::Name))
            if (IsRealUart(f.absoluteFilePath()))
                add(f.absoluteFilePath(), f.absoluteFilePath());
    }
    QStringList paths;
    if (Source.UseSetting) {
        QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvane"),
                        QStringLiteral("JXW777"));
        paths = store.value(QStringLiteral("JXW777/ModemDevices")).toString().split(QLatin1Char(';'));
    }
    paths += Source.Extra;
    for (QString p : paths) {
        p = p.trimmed();
        if (!p.isEmpty())
            FLines.push_back({p, p});
    }
}

void TPhoneLine::FillLineList(QStringList& Strings) const {
    Strings.clear();
    for (const TLineDevice& line : FLines)
        Strings << (OpensAsTerminal(line.Path) ? line.Name : QStringLiteral("Line Unavailable"));
}

// ============================================================================ Dialing window, events

void TPhoneLine::ShowDialing() {
    if (GDialing)
        GDialing->ShowDialing();
}

void TPhoneLine::HideDialing() {
    if (GDialing)
        GDialing->HideDialing();
}

void TPhoneLine::Queue(const TNotifyEvent TPhoneLine::*Event) {
    FEvents.push_back(Event);
    PostDelivery();
}

void TPhoneLine::PostDelivery() {
    if (!FDeliverPosted && !FEvents.empty()) {
        FDeliverPosted = true;
        QMetaObject::invokeMethod(this, &TPhoneLine::Deliver, Qt::QueuedConnection);
    }
}

void TPhoneLine::Deliver() {
    FDeliverPosted = false;
    // Inside a handler or a read or write: the events wait until it has unwound.
    if (FDelivering > 0 || FPortBusy > 0)
        return;
    while (!FEvents.empty()) {
        const TNotifyEvent& event = this->*FEvents.front();
        FEvents.pop_front();
        if (!event)
            continue;
        ++FDelivering;
        const bool watched = FNotifier != nullptr;
        if (watched)
            FNotifier->setEnabled(false);
        try {
            event(this);
        } catch (const EAbort&) {
            // A stop: the handler ended as asked.
        } catch (const std::exception& e) {
            ShowError(e);
        } catch (...) {
            ShowPlainMessage(UnknownErrorText);
        }
        --FDelivering;
        if (FNotifier)
            FNotifier->setEnabled(true);
    }
}

// ============================================================================ Selecting and opening

void TPhoneLine::SetDevIdToInitialize(int Value) {
    if (Value != FDevId && VerifyUsableLine(Value) == 0)
        FDevId = Value;
    if (FDevId >= 0) {
        if (FDevId >= int(FLines.size()))
            TapiCheck(LineErr::BadDeviceId);
        if (GDialing)
            GDialing->SetModemName(FLines[size_t(FDevId)].Name);
    }
}

namespace {
TPhoneLine::TResultCode CommandOn(TSerialPort& Port, const QByteArray& Text, int WaitMs) {
    try {
        Port.WriteExact(Text + '\r');
    } catch (const ESerialError&) {
        return TPhoneLine::Ignored;
    }
    QByteArray rest;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < WaitMs) {
        if (!Port.WaitReadable(int(std::min<qint64>(50, WaitMs - clock.elapsed()))))
            continue;
        for (const QByteArray& line : TPhoneLine::TakeLines(rest, Port.ReadAvailable())) {
            const TPhoneLine::TResultCode code = TPhoneLine::ParseResultLine(line);
            if (code == TPhoneLine::Ok || code == TPhoneLine::Error)
                return code;
        }
        if (Port.HungUp())
            break;
    }
    return TPhoneLine::Ignored;
}
} // namespace

int TPhoneLine::VerifyUsableLine(int Device) {
    if (Device < 0 || Device >= int(FLines.size()))
        return 1;
    TSerialPort test;
    switch (test.Open(FLines[size_t(Device)].Path)) {
    case TSerialPort::CannotOpen:
        return 1;
    case TSerialPort::Locked:
        ShowPlainMessage(QStringLiteral("VerifyUsableLine: \r\nLine is already in use by a non-TAPI app "
                                        "or\r\nanother Service Provider."));
        return 5;
    case TSerialPort::Opened:
        break;
    }
    bool answered = false;
    for (int i = 0; i < 3 && !answered; ++i)
        answered = CommandOn(test, "AT", FCommandWaitMs) == Ok;
    if (!answered) {
        ShowPlainMessage(QStringLiteral("VerifyUsableLine: doesn't support LINEMEDIAMODE_DATAMODEM"));
        return 3;
    }
    if (CommandOn(test, InitString, FCommandWaitMs) != Ok) {
        ShowPlainMessage(QStringLiteral("VerifyUsableLine: \r\nLine make call feature is not available."));
        return 6;
    }
    return 0;
}

void TPhoneLine::OpenPort() {
    WatchPort(false);
    FPort.Close();
    FLineRest.clear();
    switch (FPort.Open(FLines[size_t(FDevId)].Path)) {
    case TSerialPort::CannotOpen:
        TapiCheck(LineErr::NoDevice);
        break;
    case TSerialPort::Locked:
        TapiCheck(LineErr::Allocated);
        break;
    case TSerialPort::Opened:
        break;
    }
    TResultCode reset = CommandOn(FPort, "ATZ", FCommandWaitMs);
    if (reset == Ok)
        reset = CommandOn(FPort, InitString, FCommandWaitMs);
    if (reset != Ok) {
        FPort.Close();
        TapiCheck(reset == Error ? LineErr::OperationFailed : LineErr::ResourceUnavail);
    }
    WatchPort(true);
}

void TPhoneLine::OpenLine() {
    if (FDevId < 0 || FDevId >= int(FLines.size()))
        throw Exception(NoLineText);
    OpenPort();
    FLineOpen = true;
    FDropping = false;
    FCall = CallNone;
    Queue(&TPhoneLine::OnOpen);
}

void TPhoneLine::CloseLine() {
    if (FPortBusy > 0) {
        FDropDeferred = true;
        FConnected = false;
        return;
    }
    QCoreApplication::processEvents();
    FConnected = false;
    FGuard->stop();
    WatchPort(false);
    FPort.Close();
    FCall = CallNone;
    FLineOpen = false;
    Queue(&TPhoneLine::OnClose);
}

// ============================================================================ Calls

bool TPhoneLine::MakeCall() {
    if (FDevId < 0 || FDevId >= int(FLines.size()))
        throw Exception(NoLineText);
    if (!FLineOpen)
        throw Exception(QStringLiteral("PhoneLine: You must open line at first"));
    if (FCall == CallPlacing || FCall == CallAnswering)
        return false;
    QByteArray number = DeviceDirectAccess ? QByteArray() : PhoneNumber.toLatin1();
    if (!DeviceDirectAccess) {
        // Only dial characters: nothing can end the command or add one.
        if (number.isEmpty() || PhoneNumber.size() != number.size())
            TapiCheck(LineErr::InvalAddress);
        for (char c : number)
            if (!((c >= '0' && c <= '9') || QByteArray("*#,W@!").contains(c)))
                TapiCheck(LineErr::InvalAddress);
    }
    if (!FPort.IsOpen() || FPort.HungUp())
        OpenPort();
    ShowDialing();
    FDropping = false;
    FLastReason.clear();
    if (DeviceDirectAccess) {
        FCall = CallPlacing;
        GetCommHandle();
        return true;
    }
    try {
        FPort.WriteExact("ATDT" + number + '\r');
    } catch (const ESerialError&) {
        HideDialing();
        TapiCheck(LineErr::OperationFailed);
    }
    FCall = CallPlacing;
    FGuard->start(DialGuardMs);
    return true;
}

void TPhoneLine::GuardExpired() {
    if (FCall != CallPlacing)
        return;
    HangUpPort();
    CallEnded(QStringLiteral("NO ANSWER"), false);
}

void TPhoneLine::HangUpPort() {
    WatchPort(false);
    FPort.HangUp(FGuardMs, FConnected || FCall == CallConnected);
    FLineRest.clear();
}

void TPhoneLine::DropCall() {
    FConnected = false;
    FDropping = true;
    if (FPortBusy > 0) {
        // A read or write holds the port: it stops at its next slice and hangs up then.
        FDropDeferred = true;
        return;
    }
    FGuard->stop();
    if (FCall != CallNone)
        HangUpPort();
    FCall = CallNone;
    HideDialing();
    Queue(&TPhoneLine::OnDropCall);
}

// ============================================================================ The modem's lines

TPhoneLine::TResultCode TPhoneLine::ParseResultLine(const QByteArray& Line) {
    const QByteArray l = Line.trimmed().toUpper();
    if (l == "OK")
        return Ok;
    if (l == "RING")
        return Ring;
    if (l == "CONNECT" || l.startsWith("CONNECT "))
        return Connect;
    if (l == "BUSY")
        return Busy;
    if (l == "NO CARRIER")
        return NoCarrier;
    if (l == "NO DIALTONE" || l == "NO DIAL TONE")
        return NoDialtone;
    if (l == "NO ANSWER")
        return NoAnswer;
    if (l == "ERROR")
        return Error;
    return Ignored;
}

int TPhoneLine::ConnectSpeed(const QByteArray& Line) {
    const QByteArray l = Line.trimmed().toUpper();
    if (!l.startsWith("CONNECT "))
        return 0;
    QByteArray digits;
    for (const char c : l.mid(8)) {
        if (c < '0' || c > '9')
            break;
        digits += c;
    }
    bool ok = false;
    const int bps = digits.size() <= 9 ? digits.toInt(&ok) : 0;
    return ok ? bps : 0;
}

QList<QByteArray> TPhoneLine::TakeLines(QByteArray& Rest, const QByteArray& Bytes) {
    QList<QByteArray> lines;
    for (char c : Bytes) {
        if (c == '\r' || c == '\n') {
            if (!Rest.isEmpty() && Rest.size() <= MaxLine)
                lines << Rest;
            Rest.clear();
        } else if (Rest.size() <= MaxLine) {
            // A line longer than the limit is dropped whole; its bytes are not kept.
            Rest.append(c);
        }
    }
    return lines;
}

void TPhoneLine::WatchPort(bool On) {
    delete FNotifier;
    FNotifier = nullptr;
    if (On && FPort.IsOpen()) {
        FNotifier = new QSocketNotifier(FPort.Handle(), QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, &TPhoneLine::PortReadable);
        if (FDelivering > 0)
            FNotifier->setEnabled(false);
    }
}

void TPhoneLine::PortReadable() {
    if (FPortBusy > 0)
        return;
    const QByteArray bytes = FPort.ReadDevice();
    if (FConnected) {
        // Data mode: the bytes wait for the next read.
        if (!bytes.isEmpty()) {
            if (!FPort.Keep(bytes)) {
                Flooded();
                return;
            }
            if (OnNewData)
                Queue(&TPhoneLine::OnNewData);
        }
        if (FPort.HungUp())
            Disconnected();
        return;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            if (FLineRest.size() <= MaxLine)
                FLineRest.append(c);
            continue;
        }
        if (FLineRest.isEmpty())
            continue;
        const QByteArray line = FLineRest;
        FLineRest.clear();
        if (line.size() > MaxLine)
            continue;
        HandleLine(line);
        if (FConnected) {
            // The bytes after the CONNECT line are the first data.
            qsizetype from = i + 1;
            if (from < bytes.size() && bytes[from] == '\n' && c == '\r')
                ++from;
            FPort.Unread(bytes.mid(from));
            return;
        }
        if (!FPort.IsOpen())
            return;
    }
    if (FPort.HungUp()) {
        // The device went away under an open line.
        WatchPort(false);
        FPort.Close();
        const bool calling = FCall != CallNone;
        FCall = CallNone;
        FLineOpen = false;
        FGuard->stop();
        HideDialing();
        if (calling)
            Queue(&TPhoneLine::OnDisconnect);
        Queue(&TPhoneLine::OnUnexpectedClose);
    }
}

void TPhoneLine::Flooded() {
    DropCall();
    ShowError(ETransferError(TransferText::Flooded, QString::number(TSerialPort::MaxKeptBytes / 1024)));
}

void TPhoneLine::HandleLine(const QByteArray& Line) {
    switch (ParseResultLine(Line)) {
    case Ring:
        // RING repeats: an offering counts only while no call is held or being answered.
        if (FCall != CallNone || FConnected || !FLineOpen)
            return;
        Queue(&TPhoneLine::OnCallOffering);
        if (!WaitForCall)
            return;
        ShowDialing();
        try {
            FPort.WriteExact(QByteArray("ATA\r"));
            FCall = CallAnswering;
            FDropping = false;
            Queue(&TPhoneLine::OnCallAnswering);
        } catch (const ESerialError&) {
            ShowPlainMessage(QStringLiteral("Unable to answer to call."));
            HideDialing();
        }
        return;
    case Connect:
        if (FDropping || FDevId < 0 || FConnected || (FCall != CallPlacing && FCall != CallAnswering))
            return;
        GetCommHandle();
        // Ten bits a byte on the line.
        FPort.SetLineRate(ConnectSpeed(Line) / 10);
        return;
    case Busy:
        if (FCall == CallPlacing)
            CallEnded(QStringLiteral("BUSY"), true);
        return;
    case NoCarrier:
    case NoDialtone:
    case NoAnswer:
    case Error:
        if (FCall == CallPlacing || FCall == CallAnswering)
            CallEnded(QString::fromLatin1(Line.trimmed().toUpper()), false);
        return;
    default:
        return;
    }
}

void TPhoneLine::CallEnded(const QString& Reason, bool Busy) {
    FGuard->stop();
    FLastReason = Reason;
    FCall = CallNone;
    FConnected = false;
    HideDialing();
    if (Busy)
        Queue(&TPhoneLine::OnBusy);
    Queue(&TPhoneLine::OnDisconnect);
}

void TPhoneLine::GetCommHandle() {
    FGuard->stop();
    FPort.SetDataMode();
    FPort.SetTimeout(Timeout);
    FPort.SetCallLimit(qint64(CallLimit) * 1000);
    FPort.SetWaitSlice([this] { WaitSlice(); });
    FCall = CallConnected;
    FConnected = true;
    if (DeviceDirectAccess && !DirectAccessScript.isEmpty()) {
        bool done = false;
        FScriptError.clear();
        try {
            RunDirectAccessScript();
            done = !FDropping;
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            ShowPlainMessage(FScriptError.isEmpty() ? QString::fromUtf8(e.what()) : FScriptError);
        }
        if (!done) {
            // A script that failed or was hung up on leaves no call behind.
            HideDialing();
            if (!FDropping) {
                HangUpPort();
                FConnected = false;
                FCall = CallNone;
                Queue(&TPhoneLine::OnDisconnect);
            }
            return;
        }
    }
    HideDialing();
    Queue(&TPhoneLine::OnConnection);
}

void TPhoneLine::Disconnected() {
    FConnected = false;
    FCall = CallNone;
    FGuard->stop();
    WatchPort(false);
    FPort.Close();
    HideDialing();
    Queue(&TPhoneLine::OnDisconnect);
}

// ============================================================================ The connected port

void TPhoneLine::WaitSlice() {
    QCoreApplication::processEvents();
    if (FDropDeferred)
        throw EAbort();
}

bool TPhoneLine::DropIfDeferred() {
    if (!FDropDeferred)
        return false;
    FDropDeferred = false;
    DropCall();
    return true;
}

template <typename F>
void TPhoneLine::Exact(F&& Body) {
    if (DropIfDeferred())
        throw EAbort();
    ++FPortBusy;
    FPort.SetTimeout(Timeout);
    try {
        Body();
    } catch (const ESerialError& e) {
        --FPortBusy;
        if (e.ErrorKind() == ESerialError::Broken && FCall == CallConnected)
            Disconnected();
        else
            DropIfDeferred();
        if (e.ErrorKind() == ESerialError::Overdue)
            throw ETransferError(TransferText::CallTooLong, QString::number((CallLimit + 59) / 60));
        throw;
    } catch (...) {
        --FPortBusy;
        DropIfDeferred();
        throw;
    }
    --FPortBusy;
    PostDelivery();
}

void TPhoneLine::ReadExact(char* Buffer, qsizetype Count) {
    if (!FConnected || !FPort.IsOpen() || FPort.HungUp())
        throw ESerialError::BrokenDuring(true);
    Exact([&] { FPort.ReadExact(Buffer, Count); });
}

void TPhoneLine::WriteExact(const char* Buffer, qsizetype Count) {
    if (!FConnected || !FPort.IsOpen() || FPort.HungUp())
        throw ESerialError::BrokenDuring(false);
    Exact([&] { FPort.WriteExact(Buffer, Count); });
}

bool TPhoneLine::WaitForHangUp(int Ms) {
    QElapsedTimer clock;
    clock.start();
    while (FConnected && FPort.IsOpen()) {
        if (FPort.WaitReadable(50))
            FPort.ReadAvailable();
        if (FPort.HungUp()) {
            Disconnected();
            return true;
        }
        if (clock.elapsed() >= Ms)
            return false;
        QCoreApplication::processEvents();
    }
    return !FConnected;
}

bool TPhoneLine::StaysQuiet(int Ms) {
    if (!FConnected || !FPort.IsOpen() || FPort.HungUp())
        return false;
    if (FPort.BytesWaiting() > 0)
        return false;
    // A hang-up shows as readable too.
    return !FPort.WaitReadable(Ms) && !FPort.HungUp();
}

void TPhoneLine::BetweenBlocks() {
    QCoreApplication::processEvents();
    if (FDropDeferred || FDropping) {
        FDropDeferred = false;
        throw EAbort();
    }
}

qsizetype TPhoneLine::ReadBuffer(char* Buffer, qsizetype Count) {
    if (!FConnected || !FPort.IsOpen() || FPort.HungUp())
        return 0;
    if (Count == 0)
        Count = BytesWaiting();
    if (Count < 1)
        return 0;
    memset(Buffer, 0, size_t(Count));
    ReadExact(Buffer, Count);
    return Count;
}

bool TPhoneLine::WriteBuffer(const char* Buffer, qsizetype Count) {
    if (!FConnected || !FPort.IsOpen() || FPort.HungUp())
        return false;
    WriteExact(Buffer, Count);
    return true;
}

QByteArray TPhoneLine::ReadString(qsizetype Count) {
    if (Count == 0)
        Count = BytesWaiting();
    if (Count < 1)
        return {};
    QByteArray buf(Count + 10, '\0');
    const qsizetype n = ReadBuffer(buf.data(), Count);
    buf.truncate(n);
    const qsizetype zero = buf.indexOf('\0');
    return zero < 0 ? buf : buf.left(zero);
}

bool TPhoneLine::WriteString(const QByteArray& Text) {
    if (Text.isEmpty())
        return false;
    return WriteBuffer(Text.constData(), Text.size());
}

qsizetype TPhoneLine::BytesWaiting() {
    if (!FConnected || !FPort.IsOpen())
        return 0;
    return FPort.BytesWaiting();
}

// ============================================================================ Script mode

void TPhoneLine::RunDirectAccessScript() {
    if (FDevId < 0)
        throw Exception(NoLineText);
    std::unique_ptr<TLogFile> log;
    if (!DirectAccessLogFile.isEmpty()) {
        log = std::make_unique<TLogFile>();
        log->Add(QStringLiteral("PhoneLine logfile: ") +
                 QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    }
    auto note = [&](const QString& event, const QString& detail = QString()) {
        if (log)
            log->Add(event, detail);
    };
    auto save = [&] {
        if (log)
            log->SaveLog(DirectAccessLogFile);
    };
    QByteArray response;
    int next = 0;
    bool waiting = false;
    while (!FDropping) {
        if (!waiting && next < DirectAccessScript.size()) {
            const QString line = DirectAccessScript[next];
            note(QStringLiteral("Write (send command to modem)"), line + QStringLiteral("\r\n"));
            FPort.WriteExact(line.toLatin1() + "\r\n");
            waiting = true;
        }
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1000 && !FDropping) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(20);
        }
        if (FDropping)
            break;
        response += FPort.ReadAvailable(1 << 16);
        note(QStringLiteral("Read (command in process)"), QString::fromLatin1(response));
        const QByteArray upper = response.toUpper();
        if (const qsizetype at = upper.indexOf("CONNECT"); at >= 0) {
            note(QStringLiteral("Connected! (conection esteblished)"));
            save();
            // The bytes after the CONNECT line are the first data.
            qsizetype end = response.indexOf('\n', at);
            FPort.Unread(end < 0 ? QByteArray() : response.mid(end + 1));
            return;
        }
        if (upper.contains("ERROR") || upper.contains("NO ") || upper.contains("BUSY")) {
            note(QStringLiteral("Error (modem return bad response)"));
            save();
            FScriptError = QStringLiteral("PhoneLine: Device direct access script error: \"") +
                           DirectAccessScript.value(next) + QStringLiteral("\".\r\n") +
                           QString::fromLatin1(response);
            throw Exception(FScriptError);
        }
        if (upper.contains("OK")) {
            note(QStringLiteral("Command complete (OK received)"));
            response.clear();
            waiting = false;
            ++next;
        }
    }
    note(QStringLiteral("Dropped (user hangup)"));
    save();
}
