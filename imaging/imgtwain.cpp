#include "imaging/imgtwain.h"

#include "imaging/Bitmap.h"
#include "imaging/ImageLimits.h"

#include <QSettings>

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <dlfcn.h>
#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

int TwainState = 1;

// Scanner back ends read in a thread of their own and ask for it to be cancelled asynchronously.
// Cancelled in the middle of the memory allocator, such a thread would leave the allocator's lock
// held and hang the station at a later allocation; so every thread of the process is cancelled at
// its cancellation points only (the back end's reader stops at its next read or write). The
// executable exports this definition so that the back ends' calls reach it.
extern "C" int pthread_setcanceltype(int /*type*/, int* oldtype) {
    using TSetCancelType = int (*)(int, int*);
    static const auto next = reinterpret_cast<TSetCancelType>(dlsym(RTLD_NEXT, "pthread_setcanceltype"));
    return next != nullptr ? next(PTHREAD_CANCEL_DEFERRED, oldtype) : 0;
}

namespace {
// ---- The scanner library, loaded at run time ----

struct TSaneEntries {
    void* Library = nullptr;
    SANE_Status (*Init)(SANE_Int*, SANE_Auth_Callback) = nullptr;
    void (*Exit)() = nullptr;
    SANE_Status (*GetDevices)(const SANE_Device***, SANE_Bool) = nullptr;
    SANE_Status (*Open)(SANE_String_Const, SANE_Handle*) = nullptr;
    void (*Close)(SANE_Handle) = nullptr;
    const SANE_Option_Descriptor* (*GetOptionDescriptor)(SANE_Handle, SANE_Int) = nullptr;
    SANE_Status (*ControlOption)(SANE_Handle, SANE_Int, SANE_Action, void*, SANE_Int*) = nullptr;
    SANE_Status (*GetParameters)(SANE_Handle, SANE_Parameters*) = nullptr;
    SANE_Status (*Start)(SANE_Handle) = nullptr;
    SANE_Status (*Read)(SANE_Handle, SANE_Byte*, SANE_Int, SANE_Int*) = nullptr;
    void (*Cancel)(SANE_Handle) = nullptr;
    // The library's text of a status; optional.
    SANE_String_Const (*StrStatus)(SANE_Status) = nullptr;
};

TSaneEntries DSMEntry;
QString LibraryName = QStringLiteral("libsane.so.1");
QString SessionSource;
// Why the source named for the session could not be opened (empty otherwise).
QString SessionSourceFailure;
TTwainUserInterface* UserInterface = nullptr;

SANE_Handle SourceIdentity = nullptr;
QString SourceName;
QObject* ParentWindow = nullptr;
int LastReturnCode = 0;
TTwainImageInfo ImageInfo;
TTwainHandle LastDIB = nullptr;
bool MultiTransfer = false;
bool FeederSource = false;
std::vector<TTwainHandle> DIBList;
std::vector<TTwainImageInfo> ImageInfoList;
// Pictures still pending after the last transfer: -1 unknown (a feeder), 0 none.
int PendingXfers = 0;

template <typename F>
bool Entry(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

// ---- The remembered default source ----

#define KDS_SOURCE_SETTINGS(name)                                                                            \
    QSettings name(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvane"),                    \
                   QStringLiteral("ScannerSource"))

// ---- The steps of the session ----

bool TwainLoadManager() {
    if (TwainState >= 2)
        return true;
    const QByteArray name = LibraryName.toLocal8Bit();
    void* library = dlopen(name.constData(), RTLD_NOW | RTLD_NODELETE);
    if (library == nullptr)
        return false;
    TSaneEntries e;
    e.Library = library;
    const bool found = Entry(library, "sane_init", e.Init) && Entry(library, "sane_exit", e.Exit) &&
                       Entry(library, "sane_get_devices", e.GetDevices) &&
                       Entry(library, "sane_open", e.Open) && Entry(library, "sane_close", e.Close) &&
                       Entry(library, "sane_get_option_descriptor", e.GetOptionDescriptor) &&
                       Entry(library, "sane_control_option", e.ControlOption) &&
                       Entry(library, "sane_get_parameters", e.GetParameters) &&
                       Entry(library, "sane_start", e.Start) && Entry(library, "sane_read", e.Read) &&
                       Entry(library, "sane_cancel", e.Cancel);
    if (!found) {
        dlclose(library);
        return false;
    }
    Entry(library, "sane_strstatus", e.StrStatus);
    DSMEntry = e;
    TwainState = 2;
    return true;
}

bool TwainOpenManager(QObject* Window) {
    ParentWindow = Window;
    if (TwainState == 2) {
        SANE_Int version = 0;
        LastReturnCode = DSMEntry.Init(&version, nullptr) == SANE_STATUS_GOOD ? TWRC_SUCCESS : TWRC_FAILURE;
        if (LastReturnCode == TWRC_SUCCESS)
            TwainState = 3;
    }
    return TwainState >= 3;
}

std::vector<TTwainDevice> ListDevices() {
    std::vector<TTwainDevice> out;
    if (TwainState < 3)
        return out;
    const SANE_Device** list = nullptr;
    if (DSMEntry.GetDevices(&list, SANE_FALSE) != SANE_STATUS_GOOD || list == nullptr)
        return out;
    for (int i = 0; list[i] != nullptr; ++i) {
        const SANE_Device* d = list[i];
        auto text = [](const char* s) { return s != nullptr ? QString::fromLocal8Bit(s) : QString(); };
        out.push_back({text(d->name), text(d->vendor), text(d->model), text(d->type)});
    }
    return out;
}

SANE_Status OpenDevice(const QString& Name) {
    SANE_Handle handle = nullptr;
    const QByteArray name = Name.toLocal8Bit();
    SANE_Status status = DSMEntry.Open(name.constData(), &handle);
    if (status == SANE_STATUS_GOOD && handle == nullptr)
        status = SANE_STATUS_INVAL;
    if (status != SANE_STATUS_GOOD)
        return status;
    SourceIdentity = handle;
    SourceName = Name;
    return SANE_STATUS_GOOD;
}

// Why a named device did not open: the library answers an invalid argument for a name that no back
// end knows; any other status is the back end's own reason.
QString OpenFailureText(const QString& Name, SANE_Status Status) {
    if (Status == SANE_STATUS_INVAL)
        return QStringLiteral("no scanner named %1").arg(Name);
    const char* reason = DSMEntry.StrStatus != nullptr ? DSMEntry.StrStatus(Status) : nullptr;
    return QStringLiteral("scanner %1: %2")
        .arg(Name, reason != nullptr ? QString::fromLocal8Bit(reason)
                                     : QStringLiteral("status %1").arg(int(Status)));
}

// Opens the source named for the session, and only that one; without it the remembered source,
// else (none remembered, or gone) the first one found.
bool TwainOpenDefaultSource() {
    if (TwainState != 3)
        return false;
    SessionSourceFailure.clear();
    bool opened = false;
    if (!SessionSource.isEmpty()) {
        const SANE_Status status = OpenDevice(SessionSource);
        opened = status == SANE_STATUS_GOOD;
        if (!opened)
            SessionSourceFailure = OpenFailureText(SessionSource, status);
    } else {
        const QString remembered = TwainDefaultSource();
        opened = !remembered.isEmpty() && OpenDevice(remembered) == SANE_STATUS_GOOD;
        if (!opened) {
            const auto devices = ListDevices();
            opened = !devices.empty() && OpenDevice(devices.front().Name) == SANE_STATUS_GOOD;
        }
    }
    LastReturnCode = opened ? TWRC_SUCCESS : TWRC_FAILURE;
    if (opened)
        TwainState = 4;
    return opened;
}

// Ends a transfer in progress or ready: the source is reset (6 or 7 -> 5).
void TwainReset() {
    if (TwainState >= 6) {
        DSMEntry.Cancel(SourceIdentity);
        PendingXfers = 0;
        TwainState = 5;
    }
}

bool TwainDisableSource() {
    TwainReset();
    if (TwainState == 5)
        TwainState = 4;
    return TwainState < 5;
}

bool TwainCloseSource() {
    LastReturnCode = 0;
    if (TwainState >= 5)
        TwainDisableSource();
    if (TwainState == 4) {
        DSMEntry.Close(SourceIdentity);
        SourceIdentity = nullptr;
        TwainState = 3;
    }
    return TwainState < 4;
}

bool TwainCloseManager(QObject* /*Window*/) {
    TwainCloseSource();
    if (TwainState == 3) {
        DSMEntry.Exit();
        TwainState = 2;
    }
    return TwainState < 3;
}

bool TwainUnloadManager() {
    if (TwainState == 2) {
        dlclose(DSMEntry.Library);
        DSMEntry = TSaneEntries();
        TwainState = 1;
    }
    return TwainState == 1;
}

void TwainShutDown() {
    TwainCloseManager(ParentWindow);
    TwainUnloadManager();
}

// ---- Reading one picture ----

int SamplesOf(SANE_Frame format) {
    return format == SANE_FRAME_RGB ? 3 : 1;
}

// The most bytes a line may carry past its pixels.
constexpr long long MaxLinePadding = 65536;

// Whether the parameters describe a frame this module can take.
bool FrameAcceptable(const SANE_Parameters& p) {
    const bool known = p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB ||
                       p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN ||
                       p.format == SANE_FRAME_BLUE;
    if (!known || (p.depth != 1 && p.depth != 8 && p.depth != 16))
        return false;
    if (p.depth == 1 && p.format != SANE_FRAME_GRAY)
        return false; // colour at depth 1
    if (p.pixels_per_line < 1 || p.lines == 0 || p.lines < -1)
        return false;
    const long long need =
        (static_cast<long long>(p.pixels_per_line) * SamplesOf(p.format) * p.depth + 7) / 8;
    // Padding is a few bytes: a line far longer than its pixels is never read into a buffer.
    if (p.bytes_per_line < need || p.bytes_per_line - need > MaxLinePadding)
        return false;
    return p.lines == -1 ? ImageLimits::PixelsWithinLimit(p.pixels_per_line, 1)
                         : ImageLimits::PixelsWithinLimit(p.pixels_per_line, p.lines);
}

// The sample value of an 8- or 16-bit sample: 16-bit samples come in the machine's byte order and
// keep their high byte.
inline std::uint8_t Sample(const std::uint8_t* row, int index, int depth) {
    if (depth == 8)
        return row[index];
    std::uint16_t v;
    std::memcpy(&v, row + 2 * index, 2);
    return std::uint8_t(v >> 8);
}

void PutU16(std::uint8_t* b, std::uint16_t v) {
    b[0] = std::uint8_t(v);
    b[1] = std::uint8_t(v >> 8);
}
void PutU32(std::uint8_t* b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[i] = std::uint8_t(v >> (8 * i));
}

// Builds the packed device-independent bitmap while the frames arrive: 1 bit (black and white
// table, bits inverted: SANE's 1 is black), 8-bit grey with a grey table, or 24-bit blue, green,
// red; three single-colour frames fill one picture's channels. With the height announced, rows go
// straight to their place (bottom-up); a picture of unknown height (a hand scanner) collects its
// rows top-down first.
class TDibBuilder {
public:
    // Takes the next frame's parameters; false when they do not continue the picture.
    bool BeginFrame(const SANE_Parameters& p) {
        FDepth = p.depth;
        const bool plane =
            p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN || p.format == SANE_FRAME_BLUE;
        if (FFrames == 0) {
            FWidth = p.pixels_per_line;
            FAnnounced = p.lines;
            FBits = p.format == SANE_FRAME_GRAY ? (p.depth == 1 ? 1 : 8) : 24;
            FThreePass = plane;
            FRowSize = std::size_t((static_cast<long long>(FWidth) * FBits + 31) / 32 * 4);
            FHeader = 40 + std::size_t(FBits == 1 ? 2 : FBits == 8 ? 256 : 0) * 4;
            if (FAnnounced > 0)
                FDib.assign(FHeader + FRowSize * std::size_t(FAnnounced), 0);
        } else if (!FThreePass || !plane || p.pixels_per_line != FWidth || p.depth != FDepthFirst ||
                   (FAnnounced > 0 ? p.lines != FAnnounced : (p.lines != -1 && p.lines != FLines))) {
            return false;
        }
        if (plane) {
            const int channel = p.format == SANE_FRAME_RED ? 0 : p.format == SANE_FRAME_GREEN ? 1 : 2;
            if (FPlanes & (1 << channel))
                return false;
            FPlanes |= 1 << channel;
            FChannel = channel;
        }
        if (FFrames == 0)
            FDepthFirst = p.depth;
        ++FFrames;
        FRow = 0;
        return FFrames <= (FThreePass ? 3 : 1);
    }

    // Converts one line of the frame (packed to what its pixels need) into the picture.
    bool PutRow(const std::uint8_t* in) {
        std::uint8_t* out = Row(FRow);
        if (out == nullptr)
            return false;
        if (FBits == 1) {
            const int bytes = (FWidth + 7) / 8;
            for (int i = 0; i < bytes; ++i)
                out[i] = std::uint8_t(~in[i]);
            if (FWidth % 8 != 0)
                out[bytes - 1] &= std::uint8_t(0xFF << (8 - FWidth % 8));
        } else if (FBits == 8) {
            if (FDepth == 8)
                std::memcpy(out, in, std::size_t(FWidth));
            else
                for (int x = 0; x < FWidth; ++x)
                    out[x] = Sample(in, x, FDepth);
        } else if (!FThreePass) {
            for (int x = 0; x < FWidth; ++x) {
                out[3 * x + 2] = Sample(in, 3 * x, FDepth);
                out[3 * x + 1] = Sample(in, 3 * x + 1, FDepth);
                out[3 * x] = Sample(in, 3 * x + 2, FDepth);
            }
        } else {
            for (int x = 0; x < FWidth; ++x)
                out[3 * x + 2 - FChannel] = Sample(in, x, FDepth);
        }
        ++FRow;
        return true;
    }

    // The frame has ended; false when it brought fewer lines than the picture has.
    bool EndFrame() {
        if (FRow == 0)
            return false;
        if (FAnnounced > 0)
            return FRow == FAnnounced;
        if (FFrames == 1)
            FLines = FRow;
        return FRow == FLines;
    }

    bool Complete() const { return !FThreePass || FPlanes == 7; }
    int Width() const { return FWidth; }
    int Height() const { return FAnnounced > 0 ? FAnnounced : FLines; }
    int Depth() const { return FDepthFirst; }
    int Samples() const { return FBits == 24 ? 3 : 1; }
    int Bits() const { return FBits; }

    TTwainHandle Finish(int xdpi, int ydpi) {
        const int height = Height();
        auto dib = std::make_unique<TTwainDIB>();
        if (FAnnounced > 0) {
            dib->Bytes = std::move(FDib);
        } else {
            dib->Bytes.assign(FHeader + FRowSize * std::size_t(height), 0);
            for (int y = 0; y < height; ++y)
                std::memcpy(dib->Bytes.data() + FHeader + FRowSize * std::size_t(height - 1 - y),
                            FRows.data() + FRowSize * std::size_t(y), FRowSize);
        }
        std::uint8_t* b = dib->Bytes.data();
        const int colours = FBits == 1 ? 2 : FBits == 8 ? 256 : 0;
        PutU32(b, 40);
        PutU32(b + 4, std::uint32_t(FWidth));
        PutU32(b + 8, std::uint32_t(height));
        PutU16(b + 12, 1);
        PutU16(b + 14, std::uint16_t(FBits));
        PutU32(b + 20, std::uint32_t(FRowSize * std::size_t(height)));
        PutU32(b + 24, std::uint32_t(std::lround(xdpi / 0.0254)));
        PutU32(b + 28, std::uint32_t(std::lround(ydpi / 0.0254)));
        PutU32(b + 32, std::uint32_t(colours));
        for (int i = 0; i < colours; ++i) {
            const std::uint8_t v = FBits == 1 ? std::uint8_t(i * 255) : std::uint8_t(i);
            b[40 + 4 * i] = b[41 + 4 * i] = b[42 + 4 * i] = v;
        }
        return dib.release();
    }

private:
    // Row y from the top, or null when the picture cannot hold it.
    std::uint8_t* Row(int y) {
        if (FAnnounced > 0)
            return y < FAnnounced ? FDib.data() + FHeader + FRowSize * std::size_t(FAnnounced - 1 - y)
                                  : nullptr;
        if (FFrames > 1)
            return y < FLines ? FRows.data() + FRowSize * std::size_t(y) : nullptr;
        if (!ImageLimits::PixelsWithinLimit(FWidth, y + 1))
            return nullptr;
        FRows.resize(FRowSize * std::size_t(y + 1));
        return FRows.data() + FRowSize * std::size_t(y);
    }

    int FDepth = 8;
    int FDepthFirst = 8;
    int FWidth = 0;
    int FAnnounced = 0;
    int FLines = 0;
    int FBits = 8;
    bool FThreePass = false;
    int FPlanes = 0;
    int FChannel = 0;
    int FFrames = 0;
    int FRow = 0;
    std::size_t FRowSize = 0;
    std::size_t FHeader = 0;
    std::vector<std::uint8_t> FDib;  // the picture, when its height is announced
    std::vector<std::uint8_t> FRows; // rows top-down, when it is not
};

// Reads one frame after sane_start into the picture. Answers TWRC_XFERDONE, TWRC_CANCEL or
// TWRC_FAILURE.
int ReadFrame(const SANE_Parameters& p, TDibBuilder& picture, TTwainSource* progressOwner) {
    const int lineBytes = p.bytes_per_line;
    const long long announced = p.lines == -1 ? -1 : static_cast<long long>(lineBytes) * p.lines;
    const long long total = announced > 0 ? announced : 0;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    int filled = 0;
    long long received = 0;
    std::vector<std::uint8_t> chunk(std::size_t(std::max(65536, lineBytes)));
    for (;;) {
        SANE_Int length = 0;
        const SANE_Status status =
            DSMEntry.Read(SourceIdentity, chunk.data(), SANE_Int(chunk.size()), &length);
        if (status == SANE_STATUS_EOF)
            break;
        if (status == SANE_STATUS_CANCELLED)
            return TWRC_CANCEL;
        if (status != SANE_STATUS_GOOD || length < 0 || length > SANE_Int(chunk.size()))
            return TWRC_FAILURE;
        received += length;
        if (announced >= 0 && received > announced)
            return TWRC_FAILURE; // data past the announced size
        int i = 0;
        while (i < length) {
            if (filled == 0 && length - i >= lineBytes) {
                // A whole line in the chunk: converted where it stands.
                if (!picture.PutRow(chunk.data() + i))
                    return TWRC_FAILURE;
                i += lineBytes;
                continue;
            }
            const int take = std::min(lineBytes - filled, length - i);
            std::memcpy(line.data() + filled, chunk.data() + i, static_cast<std::size_t>(take));
            filled += take;
            i += take;
            if (filled == lineBytes) {
                if (!picture.PutRow(line.data()))
                    return TWRC_FAILURE;
                filled = 0;
            }
        }
        if (progressOwner != nullptr && progressOwner->OnProgress &&
            !progressOwner->OnProgress(received, total))
            return TWRC_CANCEL;
    }
    if (announced >= 0 && received != announced)
        return TWRC_FAILURE; // fewer lines than announced
    return picture.EndFrame() ? TWRC_XFERDONE : TWRC_FAILURE;
}

// The whole part of a resolution option, integer or fixed-point; 0 when the source has none.
int ResolutionOption(const char* name) {
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = DSMEntry.GetOptionDescriptor(SourceIdentity, i);
        if (d == nullptr)
            return 0;
        if (d->name == nullptr || std::strcmp(d->name, name) != 0 || d->size != SANE_Int(sizeof(SANE_Word)) ||
            (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || !SANE_OPTION_IS_ACTIVE(d->cap))
            continue;
        SANE_Word value = 0;
        if (DSMEntry.ControlOption(SourceIdentity, i, SANE_ACTION_GET_VALUE, &value, nullptr) !=
            SANE_STATUS_GOOD)
            return 0;
        return d->type == SANE_TYPE_FIXED ? int(value >> SANE_FIXED_SCALE_SHIFT) : int(value);
    }
}

// The transfer of one picture (6 -> 7 when done or cancelled, else 6): the frames are read into
// the picture and the image information recorded.
int TwainTransferPicture(TTwainSource* progressOwner, TTwainHandle& handle) {
    handle = nullptr;
    TDibBuilder picture;
    for (;;) {
        const SANE_Status started = DSMEntry.Start(SourceIdentity);
        if (started == SANE_STATUS_CANCELLED)
            return TWRC_CANCEL;
        if (started != SANE_STATUS_GOOD) {
            if (progressOwner != nullptr)
                progressOwner->LastError = started == SANE_STATUS_NO_DOCS
                                               ? QStringLiteral("No more documents.")
                                               : QStringLiteral("The scanner could not start.");
            return TWRC_FAILURE;
        }
        SANE_Parameters p{};
        if (DSMEntry.GetParameters(SourceIdentity, &p) != SANE_STATUS_GOOD || !FrameAcceptable(p) ||
            !picture.BeginFrame(p)) {
            if (progressOwner != nullptr)
                progressOwner->LastError =
                    QStringLiteral("The scanner sent a picture of a kind that cannot be read.");
            return TWRC_FAILURE;
        }
        const int rc = ReadFrame(p, picture, progressOwner);
        if (rc != TWRC_XFERDONE) {
            if (rc == TWRC_FAILURE && progressOwner != nullptr)
                progressOwner->LastError = QStringLiteral("The scan failed while its data was read.");
            return rc;
        }
        if (p.last_frame)
            break;
    }
    if (!picture.Complete()) {
        if (progressOwner != nullptr)
            progressOwner->LastError = QStringLiteral("The scanner's frames do not make one picture.");
        return TWRC_FAILURE;
    }
    ImageInfo.XResolution = ResolutionOption(SANE_NAME_SCAN_X_RESOLUTION);
    if (ImageInfo.XResolution == 0)
        ImageInfo.XResolution = ResolutionOption(SANE_NAME_SCAN_RESOLUTION);
    ImageInfo.YResolution = ResolutionOption(SANE_NAME_SCAN_Y_RESOLUTION);
    if (ImageInfo.YResolution == 0)
        ImageInfo.YResolution = ResolutionOption(SANE_NAME_SCAN_RESOLUTION);
    if (ImageInfo.YResolution == 0)
        ImageInfo.YResolution = ImageInfo.XResolution;
    ImageInfo.ImageWidth = picture.Width();
    ImageInfo.ImageLength = picture.Height();
    ImageInfo.SamplesPerPixel = picture.Samples();
    ImageInfo.BitsPerPixel = picture.Bits();
    ImageInfo.PixelType = picture.Bits() == 1 ? 0 : picture.Samples() == 1 ? 1 : 2;
    handle = picture.Finish(ImageInfo.XResolution, ImageInfo.YResolution);
    return TWRC_XFERDONE;
}

// After a picture: from 7, to 6 when more are pending, else 5; from 6 (nothing was transferred)
// the source is reset to 5.
void TwainEndTransfer() {
    if (TwainState == 7) {
        if (PendingXfers != 0) {
            TwainState = 6;
        } else {
            DSMEntry.Cancel(SourceIdentity);
            TwainState = 5;
        }
    } else if (TwainState == 6) {
        TwainReset();
    }
}

void TwainNativeTransfer(TTwainSource* progressOwner) {
    TTwainHandle handle = nullptr;
    PendingXfers = 0;
    const int rc = TwainTransferPicture(progressOwner, handle);
    LastReturnCode = rc;
    if (rc == TWRC_XFERDONE) {
        TwainState = 7;
        LastDIB = handle;
    } else if (rc == TWRC_CANCEL) {
        TwainState = 7;
        LastDIB = nullptr;
    } else {
        TwainState = 6;
        LastDIB = nullptr;
    }
    TwainEndTransfer();
}

// Collects every pending picture; a transfer that fails ends the collection.
void TwainMultiTransfer(TTwainSource* progressOwner) {
    while (TwainState == 6) {
        TTwainHandle handle = nullptr;
        PendingXfers = FeederSource ? -1 : 0;
        const int rc = TwainTransferPicture(progressOwner, handle);
        LastReturnCode = rc;
        if (rc == TWRC_XFERDONE) {
            TwainState = 7;
            LastDIB = handle;
            DIBList.push_back(handle);
            ImageInfoList.push_back(ImageInfo);
        } else if (rc == TWRC_CANCEL) {
            PendingXfers = 0;
            TwainState = 7;
        } else {
            TwainReset();
            break;
        }
        TwainEndTransfer();
    }
}

void TwainProcessMessage(int Message, TTwainSource* Source) {
    if (TwainState < 5)
        return;
    if (Message == MSG_XFERREADY) {
        if (Source != nullptr)
            Source->LastError.clear();
        TwainState = 6;
        if (MultiTransfer)
            TwainMultiTransfer(Source);
        else
            TwainNativeTransfer(Source);
    } else if (Message == MSG_CLOSEDSREQ) {
        TwainDisableSource();
    }
}

// ---- The open source as its dialog sees it ----

const char* const WellKnown[] = {SANE_NAME_SCAN_MODE,         SANE_NAME_BIT_DEPTH,
                                 SANE_NAME_SCAN_RESOLUTION,   SANE_NAME_SCAN_X_RESOLUTION,
                                 SANE_NAME_SCAN_Y_RESOLUTION, SANE_NAME_SCAN_SOURCE,
                                 SANE_NAME_SCAN_TL_X,         SANE_NAME_SCAN_TL_Y,
                                 SANE_NAME_SCAN_BR_X,         SANE_NAME_SCAN_BR_Y};

QString UnitText(SANE_Unit unit) {
    switch (unit) {
    case SANE_UNIT_PIXEL:
        return QStringLiteral("pel");
    case SANE_UNIT_BIT:
        return QStringLiteral("bit");
    case SANE_UNIT_MM:
        return QStringLiteral("mm");
    case SANE_UNIT_DPI:
        return QStringLiteral("dpi");
    case SANE_UNIT_PERCENT:
        return QStringLiteral("%");
    case SANE_UNIT_MICROSECOND:
        return QStringLiteral("us");
    default:
        return QString();
    }
}

// A number as the word of an integer or 16.16 fixed-point option; false when the word cannot
// hold it (not finite, or out of its range), instead of a wrapped value the scanner would take.
bool WordOf(double value, bool fixed, SANE_Word& word) {
    const double v = std::round(fixed ? value * (1 << SANE_FIXED_SCALE_SHIFT) : value);
    if (!std::isfinite(v) || v < double(std::numeric_limits<SANE_Word>::min()) ||
        v > double(std::numeric_limits<SANE_Word>::max()))
        return false;
    word = SANE_Word(v);
    return true;
}

class TSaneSource final : public TTwainSource {
public:
    QString DeviceName() const override { return SourceName; }

    std::vector<TTwainOption> Options() override {
        std::vector<TTwainOption> out;
        for (const char* name : WellKnown) {
            const SANE_Int index = IndexOf(QString::fromLatin1(name));
            if (index <= 0)
                continue;
            const SANE_Option_Descriptor* d = DSMEntry.GetOptionDescriptor(SourceIdentity, index);
            if (d == nullptr)
                continue;
            TTwainOption o;
            o.Name = QString::fromLatin1(name);
            o.Title = d->title != nullptr ? QString::fromUtf8(d->title) : o.Name;
            o.Description = d->desc != nullptr ? QString::fromUtf8(d->desc) : QString();
            o.Type = d->type == SANE_TYPE_BOOL    ? TTwainOption::Bool
                     : d->type == SANE_TYPE_FIXED ? TTwainOption::Fixed
                     : d->type == SANE_TYPE_INT   ? TTwainOption::Int
                                                  : TTwainOption::String;
            o.Unit = UnitText(d->unit);
            o.Active = SANE_OPTION_IS_ACTIVE(d->cap);
            o.Settable = SANE_OPTION_IS_SETTABLE(d->cap);
            const auto number = [&](SANE_Word w) {
                return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w);
            };
            if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range != nullptr) {
                o.Constraint = TTwainOption::Range;
                o.Min = number(d->constraint.range->min);
                o.Max = number(d->constraint.range->max);
                o.Quant = number(d->constraint.range->quant);
            } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST &&
                       d->constraint.word_list != nullptr) {
                o.Constraint = TTwainOption::WordList;
                const SANE_Int count = std::clamp<SANE_Int>(d->constraint.word_list[0], 0, 4096);
                for (SANE_Int k = 1; k <= count; ++k)
                    o.Words.push_back(number(d->constraint.word_list[k]));
            } else if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST &&
                       d->constraint.string_list != nullptr) {
                o.Constraint = TTwainOption::StringList;
                for (int k = 0; k < 4096 && d->constraint.string_list[k] != nullptr; ++k)
                    o.Strings << QString::fromUtf8(d->constraint.string_list[k]);
            }
            out.push_back(std::move(o));
        }
        return out;
    }

    QVariant Value(const QString& Name) override {
        const SANE_Int index = IndexOf(Name);
        const SANE_Option_Descriptor* d =
            index > 0 ? DSMEntry.GetOptionDescriptor(SourceIdentity, index) : nullptr;
        if (d == nullptr || !SANE_OPTION_IS_ACTIVE(d->cap) || d->size <= 0 || d->size > 65536)
            return {};
        std::vector<char> buffer(std::size_t(d->size) + 1, 0);
        if (DSMEntry.ControlOption(SourceIdentity, index, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) !=
            SANE_STATUS_GOOD)
            return {};
        SANE_Word w;
        std::memcpy(&w, buffer.data(), std::min<std::size_t>(sizeof w, buffer.size()));
        switch (d->type) {
        case SANE_TYPE_BOOL:
            return QVariant(w != SANE_FALSE);
        case SANE_TYPE_INT:
            return QVariant(int(w));
        case SANE_TYPE_FIXED:
            return QVariant(SANE_UNFIX(w));
        case SANE_TYPE_STRING:
            return QVariant(QString::fromUtf8(buffer.data()));
        default:
            return {};
        }
    }

    bool SetValue(const QString& Name, const QVariant& Value, bool& Reload) override {
        Reload = false;
        const SANE_Int index = IndexOf(Name);
        const SANE_Option_Descriptor* d =
            index > 0 ? DSMEntry.GetOptionDescriptor(SourceIdentity, index) : nullptr;
        if (d == nullptr || !SANE_OPTION_IS_SETTABLE(d->cap) || !SANE_OPTION_IS_ACTIVE(d->cap) ||
            d->size <= 0 || d->size > 65536)
            return false;
        std::vector<char> buffer(std::size_t(std::max<SANE_Int>(d->size, SANE_Int(sizeof(SANE_Word)))), 0);
        SANE_Word w = 0;
        bool ok = true;
        switch (d->type) {
        case SANE_TYPE_BOOL:
            if (Value.typeId() == QMetaType::QString) {
                const QString t = Value.toString().toLower();
                const bool yes =
                    t == QLatin1String("yes") || t == QLatin1String("true") || t == QLatin1String("1");
                ok =
                    yes || t == QLatin1String("no") || t == QLatin1String("false") || t == QLatin1String("0");
                w = yes ? SANE_TRUE : SANE_FALSE;
            } else {
                w = Value.toBool() ? SANE_TRUE : SANE_FALSE;
            }
            break;
        case SANE_TYPE_INT:
        case SANE_TYPE_FIXED: {
            const double number = Value.toDouble(&ok);
            ok = ok && WordOf(number, d->type == SANE_TYPE_FIXED, w);
            break;
        }
        case SANE_TYPE_STRING: {
            const QByteArray text = Value.toString().toUtf8();
            if (text.size() >= d->size)
                return false;
            std::memcpy(buffer.data(), text.constData(), std::size_t(text.size()));
            break;
        }
        default:
            return false;
        }
        if (!ok)
            return false;
        if (d->type != SANE_TYPE_STRING)
            std::memcpy(buffer.data(), &w, sizeof w);
        SANE_Int info = 0;
        if (DSMEntry.ControlOption(SourceIdentity, index, SANE_ACTION_SET_VALUE, buffer.data(), &info) !=
            SANE_STATUS_GOOD)
            return false;
        Reload = (info & (SANE_INFO_RELOAD_OPTIONS | SANE_INFO_RELOAD_PARAMS | SANE_INFO_INEXACT)) != 0;
        return true;
    }

    void Scan() override {
        FeederSource = IsFeeder();
        TwainProcessMessage(MSG_XFERREADY, this);
    }
    void Close() override { TwainProcessMessage(MSG_CLOSEDSREQ, this); }
    bool Running() const override { return TwainState >= 5 && LastDIB == nullptr; }

    // Whether the options could be read at all.
    static bool Readable() {
        if (SourceIdentity == nullptr)
            return false;
        const SANE_Option_Descriptor* d = DSMEntry.GetOptionDescriptor(SourceIdentity, 0);
        if (d == nullptr)
            return false;
        SANE_Word count = 0;
        return DSMEntry.ControlOption(SourceIdentity, 0, SANE_ACTION_GET_VALUE, &count, nullptr) ==
                   SANE_STATUS_GOOD &&
               count >= 1;
    }

private:
    static SANE_Int IndexOf(const QString& Name) {
        const QByteArray name = Name.toLatin1();
        for (SANE_Int i = 1; i < 4096; ++i) {
            const SANE_Option_Descriptor* d = DSMEntry.GetOptionDescriptor(SourceIdentity, i);
            if (d == nullptr)
                return 0;
            if (d->name != nullptr && name == d->name)
                return i;
        }
        return 0;
    }

    bool IsFeeder() {
        const QString source = Value(QString::fromLatin1(SANE_NAME_SCAN_SOURCE)).toString();
        return source.contains(QStringLiteral("ADF"), Qt::CaseInsensitive) ||
               source.contains(QStringLiteral("Feeder"), Qt::CaseInsensitive);
    }
};

bool TwainEnableSource() {
    if (TwainState != 4)
        return false;
    const bool enabled = UserInterface != nullptr && TSaneSource::Readable();
    LastReturnCode = enabled ? TWRC_SUCCESS : TWRC_FAILURE;
    if (enabled)
        TwainState = 5;
    return enabled;
}

void TwainMessageLoop(TSaneSource& source) {
    if (TwainState >= 5 && LastDIB == nullptr) {
        UserInterface->RunSource(ParentWindow, source);
        // A dialog that returned without a request closed the source's interface.
        if (source.Running())
            source.Close();
    }
}

void FreeList() {
    for (TTwainHandle h : DIBList)
        delete h;
    DIBList.clear();
    ImageInfoList.clear();
}

// A new acquisition starts new lists; pictures of an earlier one stay with their caller.
void NewLists() {
    DIBList.clear();
    ImageInfoList.clear();
}
} // namespace

void SetTwainUserInterface(TTwainUserInterface* Interface) {
    UserInterface = Interface;
}

TTwainUserInterface* TwainUserInterface() {
    return UserInterface;
}

void SetTwainLibraryName(const QString& Name) {
    LibraryName = Name;
}

QString TwainLibraryName() {
    return LibraryName;
}

void SetTwainSessionSource(const QString& Name) {
    SessionSource = Name;
}

bool TTwainScript::UserSelect(QObject*, const std::function<std::vector<TTwainDevice>()>& Devices,
                              const QString& DefaultName, QString& Chosen) {
    Listed = Devices();
    OfferedDefault = DefaultName;
    if (CancelSelection)
        return false;
    Chosen = SelectName;
    return true;
}

void TTwainScript::RunSource(QObject*, TTwainSource& Source) {
    for (const auto& [name, value] : Settings) {
        bool reload = false;
        if (!Source.SetValue(name, value, reload)) {
            RefusedSetting = name;
            Source.Close();
            return;
        }
    }
    if (CancelSource) {
        Source.Close();
        return;
    }
    Source.Scan();
    ScanError = Source.LastError;
    if (Source.Running())
        Source.Close();
}

QString TwainDefaultSource() {
    KDS_SOURCE_SETTINGS(settings);
    return settings.value(QStringLiteral("DefaultSource")).toString();
}

void SetTwainDefaultSource(const QString& Name) {
    KDS_SOURCE_SETTINGS(settings);
    settings.setValue(QStringLiteral("DefaultSource"), Name);
    settings.sync();
}

bool TwainSelectSource(QObject* Window) {
    if (!TwainLoadManager()) {
        TwainUnloadManager();
        throw EInvalidGraphic(QString::fromLatin1(TwainText::LoadManager));
    }
    if (!TwainOpenManager(Window)) {
        TwainUnloadManager();
        throw EInvalidGraphic(QString::fromLatin1(TwainText::OpenManagerSelect));
    }
    bool chosen = false;
    try {
        QString name;
        chosen = UserInterface != nullptr &&
                 UserInterface->UserSelect(Window, ListDevices, TwainDefaultSource(), name) &&
                 !name.isEmpty();
        if (chosen)
            SetTwainDefaultSource(name);
    } catch (...) {
        TwainShutDown();
        throw;
    }
    LastReturnCode = chosen ? TWRC_SUCCESS : TWRC_CANCEL;
    TwainShutDown();
    return chosen;
}

TTwainHandle TwainAcquire(QObject* Window, int /*PixelType*/, bool Multi) {
    MultiTransfer = Multi;
    LastDIB = nullptr;
    NewLists();
    if (!TwainLoadManager())
        throw EInvalidGraphic(QString::fromLatin1(TwainText::LoadManager));
    if (!TwainOpenManager(Window)) {
        TwainUnloadManager();
        throw EInvalidGraphic(QString::fromLatin1(TwainText::OpenManager));
    }
    if (!TwainOpenDefaultSource()) {
        TwainShutDown();
        throw EInvalidGraphic(SessionSourceFailure.isEmpty() ? QString::fromLatin1(TwainText::OpenSource)
                                                             : SessionSourceFailure);
    }
    TSaneSource source;
    if (!TwainEnableSource()) {
        TwainShutDown();
        throw EInvalidGraphic(QString::fromLatin1(TwainText::EnableSource));
    }
    try {
        TwainMessageLoop(source);
    } catch (...) {
        TwainShutDown();
        if (DIBList.empty())
            delete LastDIB;
        FreeList();
        LastDIB = nullptr;
        throw;
    }
    TwainShutDown();
    return LastDIB;
}

void TwainFreeAcquired(TTwainHandle Handle) {
    if (DIBList.empty())
        delete Handle;
    else
        FreeList();
    if (Handle == LastDIB)
        LastDIB = nullptr;
}

const std::vector<TTwainHandle>& TwainAcquiredList() {
    return DIBList;
}

int TwainXResolution() {
    return ImageInfo.XResolution;
}

int TwainYResolution() {
    return ImageInfo.YResolution;
}
