// Scanner acquisition over SANE's test back end: the session's states, the pictures against
// scanimage's own, the failures, the feeder, the selection and the dialogs.

#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"
#include "imaging/TwainDialogs.h"
#include "imaging/imgtwain.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <sane/sane.h>

#include <dlfcn.h>

#include <cstring>
#include <functional>

// The test back end loses a 64 KiB buffer of its own when its document feeder runs empty; that is
// its code, not ours, and nothing else is suppressed.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsane-test.so\n";
}

namespace {
// SANE's test back end, alone: its own configuration folder, the library and the back end kept
// mapped for the whole run (so their own small allocations are not reported from unloaded code).
class SaneTestBackend {
public:
    SaneTestBackend() {
        QDir().mkpath(Folder());
        Configure(2);
        qputenv("SANE_CONFIG_DIR", Folder().toLocal8Bit());
        dlopen("libsane.so.1", RTLD_NOW | RTLD_NODELETE);
        dlopen(KDS_SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);
    }
    static QString Folder() { return Temp().path() + QStringLiteral("/sane"); }
    // The back end's configuration read at the next start of a session.
    // No device at all is a configuration without back ends.
    static void Configure(int devices) {
        kdstest::WriteFile(Folder() + QStringLiteral("/dll.conf"), devices > 0 ? "test\n" : "");
        kdstest::WriteFile(Folder() + QStringLiteral("/test.conf"),
                           QStringLiteral("number_of_devices %1\nresolution 50.0\n").arg(devices).toLatin1());
    }

private:
    static QTemporaryDir& Temp() {
        static QTemporaryDir dir;
        return dir;
    }
};

using Settings = std::vector<std::pair<QString, QVariant>>;

class Twain : public ::testing::Test {
protected:
    static void SetUpTestSuite() { static SaneTestBackend backend; }
    void SetUp() override {
        SaneTestBackend::Configure(2);
        SetTwainLibraryName(QStringLiteral("libsane.so.1"));
        SetTwainDefaultSource(QString());
        SetTwainSessionSource(QString());
        SetTwainUserInterface(&script);
    }
    void TearDown() override {
        SetTwainUserInterface(nullptr);
        EXPECT_EQ(TwainState, 1);
    }

    // Acquires through the I/O component; false when no picture arrived.
    bool Acquire(const Settings& settings, TBitmap& bmp) {
        script.Settings = settings;
        io.SetAttachedBitmap(&bmp);
        const bool got = io.Acquire();
        io.SetAttachedBitmap(nullptr);
        return got;
    }
    // The error text of an acquisition that raises.
    QString AcquireError() {
        TBitmap bmp;
        try {
            Acquire({}, bmp);
        } catch (const EInvalidGraphic& e) {
            return e.Message();
        }
        return QStringLiteral("(no error)");
    }

    TTwainScript script;
    TImageIO io;
};

// scanimage's picture of the same options, as 24-bit rows (grey and line art widened).
struct Pnm {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Rgb;
};

Pnm ScanImage(const QStringList& options) {
    QProcess p;
    p.start(QStringLiteral("scanimage"),
            QStringList{QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--format=pnm")} +
                options);
    // A busy machine can be slow to start a child; the wait ends as soon as the scan does.
    EXPECT_TRUE(p.waitForFinished(180000));
    const QByteArray data = p.readAllStandardOutput();
    Pnm out;
    // Header: magic, width, height, [maxval], then one whitespace byte.
    int pos = 0;
    auto token = [&]() {
        while (pos < data.size() &&
               (std::isspace(static_cast<unsigned char>(data[pos])) || data[pos] == '#')) {
            if (data[pos] == '#')
                while (pos < data.size() && data[pos] != '\n')
                    ++pos;
            else
                ++pos;
        }
        const int start = pos;
        while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos])))
            ++pos;
        return data.mid(start, pos - start);
    };
    const QByteArray magic = token();
    out.Width = token().toInt();
    out.Height = token().toInt();
    const int maxval = magic == "P4" ? 1 : token().toInt();
    ++pos;
    const int samples = magic == "P6" ? 3 : 1;
    const int bytes = maxval > 255 ? 2 : 1;
    const auto* px = reinterpret_cast<const std::uint8_t*>(data.constData()) + pos;
    // scanimage passes a scanner's line padding through, so a line may be longer than its pixels.
    const long long packed =
        magic == "P4" ? (out.Width + 7) / 8 : static_cast<long long>(out.Width) * samples * bytes;
    const long long stride = out.Height > 0 ? std::max(packed, (data.size() - pos) / out.Height) : packed;
    EXPECT_GE(data.size() - pos, stride * out.Height) << "scanimage " << options.join(' ').toStdString();
    if (out.Height <= 0 || data.size() - pos < stride * out.Height)
        return {};
    out.Rgb.resize(std::size_t(out.Width) * std::size_t(out.Height) * 3);
    for (int y = 0; y < out.Height; ++y) {
        const std::uint8_t* line = px + stride * y;
        for (int x = 0; x < out.Width; ++x) {
            std::uint8_t v[3];
            if (magic == "P4") {
                const bool black = (line[x / 8] >> (7 - x % 8)) & 1;
                v[0] = v[1] = v[2] = black ? 0 : 255;
            } else {
                for (int c = 0; c < 3; ++c)
                    v[c] =
                        line[(std::size_t(x) * samples + (samples == 3 ? c : 0)) * bytes]; // high byte first
            }
            std::memcpy(&out.Rgb[(std::size_t(y) * out.Width + x) * 3], v, 3);
        }
    }
    return out;
}

// The bitmap's pixels as red, green, blue.
std::vector<std::uint8_t> RgbOf(TBitmap& bmp) {
    if (bmp.PixelFormat() != pf24bit)
        bmp.SetPixelFormat(pf24bit);
    std::vector<std::uint8_t> out(std::size_t(bmp.Width()) * std::size_t(bmp.Height()) * 3);
    for (int y = 0; y < bmp.Height(); ++y) {
        const std::uint8_t* row = static_cast<const std::uint8_t*>(bmp.ScanLine(y));
        for (int x = 0; x < bmp.Width(); ++x) {
            std::uint8_t* o = &out[(std::size_t(y) * bmp.Width() + x) * 3];
            o[0] = row[3 * x + 2];
            o[1] = row[3 * x + 1];
            o[2] = row[3 * x];
        }
    }
    return out;
}

} // namespace

TEST_F(Twain, DefaultsGiveTheBackEndsBlackGreyPicture) {
    TBitmap bmp;
    ASSERT_TRUE(Acquire({}, bmp));
    EXPECT_EQ(bmp.Width(), 157);
    EXPECT_EQ(bmp.Height(), 196);
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    for (std::uint8_t v : RgbOf(bmp))
        ASSERT_EQ(v, 0);
    EXPECT_EQ(io.Params().BitsPerSample, 8);
    EXPECT_EQ(io.Params().SamplesPerPixel, 1);
    EXPECT_EQ(io.Params().DpiX, 50);
    EXPECT_EQ(io.Params().DpiY, 50);
    EXPECT_EQ(io.Params().Width, 157);
}

TEST_F(Twain, PicturesEqualScanimages) {
    struct Case {
        const char* what;
        Settings settings;
        QStringList scanimage;
        int samples;
    };
    const QString pattern = QStringLiteral("Color pattern");
    const QString grid = QStringLiteral("Grid");
    const Case cases[] = {
        {"colour pattern",
         {{"mode", "Color"}, {"resolution", 100}, {"test-picture", pattern}},
         {"--mode", "Color", "--resolution", "100", "--test-picture", pattern},
         3},
        {"grey grid, depth 16",
         {{"depth", 16}, {"test-picture", grid}},
         {"--depth", "16", "--test-picture", grid},
         1},
        {"grey grid, depth 16, bytes swapped",
         {{"depth", 16}, {"test-picture", grid}, {"invert-endianess", true}},
         {"--depth", "16", "--test-picture", grid, "--invert-endianess=yes"},
         1},
        {"three passes, red green blue",
         {{"mode", "Color"}, {"three-pass", true}, {"test-picture", pattern}},
         {"--mode", "Color", "--three-pass=yes", "--test-picture", pattern},
         3},
        {"three passes, blue red green",
         {{"mode", "Color"}, {"three-pass", true}, {"three-pass-order", "BRG"}, {"test-picture", pattern}},
         {"--mode", "Color", "--three-pass=yes", "--three-pass-order", "BRG", "--test-picture", pattern},
         3},
        {"hand scanner",
         {{"hand-scanner", true}, {"test-picture", grid}},
         {"--hand-scanner=yes", "--test-picture", grid},
         1},
        {"pixels lost at the end of each line",
         {{"mode", "Color"}, {"ppl-loss", 7}, {"test-picture", pattern}},
         {"--mode", "Color", "--ppl-loss", "7", "--test-picture", pattern},
         3},
        {"short reads",
         {{"read-limit", true}, {"read-limit-size", 37}, {"test-picture", grid}},
         {"--read-limit=yes", "--read-limit-size", "37", "--test-picture", grid},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBitmap bmp;
        ASSERT_TRUE(Acquire(c.settings, bmp)) << script.RefusedSetting.toStdString();
        EXPECT_EQ(io.Params().SamplesPerPixel, c.samples);
        const Pnm reference = ScanImage(c.scanimage);
        ASSERT_EQ(bmp.Width(), reference.Width);
        ASSERT_EQ(bmp.Height(), reference.Height);
        EXPECT_TRUE(RgbOf(bmp) == reference.Rgb);
    }
}

TEST_F(Twain, LineArtKeepsOneBitWithBlackAndWhiteTheRightWayRound) {
    for (const auto& [picture, bit] : {std::pair{"Solid black", 0}, std::pair{"Solid white", 1}}) {
        SCOPED_TRACE(picture);
        TBitmap bmp;
        ASSERT_TRUE(Acquire({{"depth", 1}, {"test-picture", QString::fromLatin1(picture)}}, bmp));
        ASSERT_EQ(bmp.PixelFormat(), pf1bit);
        EXPECT_EQ(io.Params().BitsPerSample, 1);
        ASSERT_EQ(bmp.Palette().size(), 2u);
        EXPECT_EQ(bmp.Palette()[0], TBGRColor({0, 0, 0}));
        EXPECT_EQ(bmp.Palette()[1], TBGRColor({255, 255, 255}));
        const std::uint8_t full = bit ? 0xFF : 0x00;
        for (int y : {0, bmp.Height() - 1})
            for (int i = 0; i < bmp.Width() / 8; ++i)
                ASSERT_EQ(bmp.ScanLine(y)[i], full) << "row " << y << " byte " << i;
    }
}

TEST_F(Twain, CancelInTheSourceDialogBringsNoPicture) {
    script.CancelSource = true;
    TBitmap bmp(8, 8, pf24bit);
    EXPECT_FALSE(Acquire({}, bmp));
    EXPECT_EQ(bmp.Width(), 8); // the attached bitmap is left alone
    EXPECT_EQ(TwainState, 1);
}

TEST_F(Twain, SetUpFailuresRaiseTheirTextsAndCloseEverything) {
    SetTwainLibraryName(QStringLiteral("libsane-not-there.so.1"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(AcquireError(), QString::fromLatin1(TwainText::LoadManager));
        EXPECT_EQ(TwainState, 1);
    }
    SetTwainLibraryName(QStringLiteral("libsane.so.1"));
    SaneTestBackend::Configure(0);
    EXPECT_EQ(AcquireError(), QString::fromLatin1(TwainText::OpenSource));
    EXPECT_EQ(TwainState, 1);
    SaneTestBackend::Configure(2);
    SetTwainUserInterface(nullptr); // no dialog to show the source in
    EXPECT_EQ(AcquireError(), QString::fromLatin1(TwainText::EnableSource));
    EXPECT_EQ(TwainState, 1);
}

TEST_F(Twain, ALinePaddedBeyondReasonIsRefusedBeforeItIsRead) {
    void* fake = dlopen(KDS_FAKE_SANE, RTLD_NOW | RTLD_NODELETE);
    ASSERT_NE(fake, nullptr);
    const auto setParameters =
        reinterpret_cast<void (*)(const SANE_Parameters*)>(dlsym(fake, "fake_sane_set_parameters"));
    const auto largestRead = reinterpret_cast<SANE_Int (*)()>(dlsym(fake, "fake_sane_largest_read"));
    ASSERT_TRUE(setParameters != nullptr && largestRead != nullptr);
    SetTwainLibraryName(QStringLiteral(KDS_FAKE_SANE));
    // Lines of 12 white pixels at depth 1: padded to 64 bytes they load; padded to 256 MiB the
    // frame is refused before a line buffer or a read of that size.
    SANE_Parameters p{SANE_FRAME_GRAY, SANE_TRUE, 64, 12, 3, 1};
    setParameters(&p);
    TBitmap bmp;
    ASSERT_TRUE(Acquire({}, bmp));
    EXPECT_EQ(bmp.Width(), 12);
    EXPECT_EQ(bmp.Height(), 3);
    p.bytes_per_line = 1 << 28;
    setParameters(&p);
    EXPECT_FALSE(Acquire({}, bmp));
    EXPECT_EQ(largestRead(), 0);
    SetTwainLibraryName(QStringLiteral("libsane.so.1"));
}

TEST_F(Twain, FeederCollectsEveryPageThenEnds) {
    script.Settings = {{"source", "Automatic Document Feeder"}};
    TTwainHandle last = TwainAcquire(nullptr, 0, true);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(TwainAcquiredList().size(), 10u);
    EXPECT_EQ(TwainAcquiredList().back(), last);
    TwainFreeAcquired(last);
    EXPECT_TRUE(TwainAcquiredList().empty());

    // A flatbed gives one page.
    script.Settings = {};
    last = TwainAcquire(nullptr, 0, true);
    EXPECT_EQ(TwainAcquiredList().size(), 1u);
    TwainFreeAcquired(last);
}

// Scripted dialogs that note the device whose dialog they were shown.
struct OpeningRecorder : TTwainScript {
    QString opened;
    void RunSource(QObject* w, TTwainSource& s) override {
        opened = s.DeviceName();
        TTwainScript::RunSource(w, s);
    }
};

TEST_F(Twain, SelectionRemembersTheChosenSource) {
    script.SelectName = QStringLiteral("test:1");
    ASSERT_TRUE(TwainSelectSource(nullptr));
    ASSERT_EQ(script.Listed.size(), 2u);
    EXPECT_EQ(script.Listed[0].Name, QStringLiteral("test:0"));
    EXPECT_EQ(script.Listed[1].Name, QStringLiteral("test:1"));
    EXPECT_EQ(TwainDefaultSource(), QStringLiteral("test:1"));
    EXPECT_EQ(TwainState, 1);

    // The next acquisition opens it, and the selection offers it as the default.
    OpeningRecorder recorder;
    SetTwainUserInterface(&recorder);
    TBitmap bmp;
    io.SetAttachedBitmap(&bmp);
    EXPECT_TRUE(io.Acquire());
    EXPECT_EQ(recorder.opened, QStringLiteral("test:1"));
    recorder.CancelSelection = true;
    EXPECT_FALSE(io.SelectSource());
    EXPECT_EQ(recorder.OfferedDefault, QStringLiteral("test:1"));
    EXPECT_EQ(TwainDefaultSource(), QStringLiteral("test:1"));
}

TEST_F(Twain, ANamedSourceIsTheOnlyOneARememberedOneThatIsGoneFallsBack) {
    OpeningRecorder recorder;
    SetTwainUserInterface(&recorder);
    SetTwainDefaultSource(QStringLiteral("test:9"));
    TBitmap bmp;
    EXPECT_TRUE(Acquire({}, bmp));
    EXPECT_EQ(recorder.opened, QStringLiteral("test:0"));

    for (const char* name : {"test:9", "no-such-back-end"}) {
        SetTwainSessionSource(QString::fromLatin1(name));
        recorder.opened.clear();
        EXPECT_EQ(AcquireError(), QStringLiteral("no scanner named ") + QString::fromLatin1(name));
        EXPECT_EQ(recorder.opened, QString());
        EXPECT_EQ(TwainState, 1);
    }
    SetTwainSessionSource(QStringLiteral("test:1"));
    EXPECT_TRUE(Acquire({}, bmp));
    EXPECT_EQ(recorder.opened, QStringLiteral("test:1"));
}

// Runs imgtool scan in a child process; answers its exit code, standard output and error.
struct ToolRun {
    int Code = -1;
    QByteArray Out, Err;
};

ToolRun Imgtool(const QStringList& args) {
    QProcess p;
    // The scanner library's back end cancels its reader thread asynchronously when a scan stops
    // early, and is unloaded at the tool's end: neither mixes with the leak checker, so the scans
    // that stop early run here, in a child of their own, without it.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KDS_IMGTOOL), QStringList{QStringLiteral("scan")} + args);
    ToolRun run;
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "imgtool scan did not finish: " << args.join(' ').toStdString();
        return run;
    }
    run.Code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = p.readAllStandardOutput();
    run.Err = p.readAllStandardError();
    return run;
}

TEST_F(Twain, ImgtoolScansWithoutADialog) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("s.png"));
    const ToolRun run =
        Imgtool({out, QStringLiteral("--device"), QStringLiteral("test:1"), QStringLiteral("--set"),
                 QStringLiteral("mode=Color"), QStringLiteral("--set"), QStringLiteral("resolution=100")});
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QByteArray("width 314\nheight 393\nbits per sample 8\nsamples per pixel 3\n"
                                  "file type none\ndpi 100 100\n"));
    EXPECT_TRUE(QFile::exists(out));
}

TEST_F(Twain, ScansThatFailOrStopEarlyBringNoPicture) {
    struct Case {
        const char* what;
        QStringList args;
        const char* error;
    };
    const Case cases[] = {
        {"input/output error while reading",
         {"--set", "read-return-value=SANE_STATUS_IO_ERROR"},
         "The scan failed while its data was read."},
        {"the scanner cancels while reading",
         {"--set", "read-return-value=SANE_STATUS_CANCELLED"},
         "nothing was scanned"},
        {"colour at depth 1",
         {"--set", "mode=Color", "--set", "depth=1"},
         "The scanner sent a picture of a kind that cannot be read."},
        {"a resolution past what the scanner's fixed-point number holds",
         {"--set", "resolution=100000"},
         "the scanner refused the setting resolution"},
        {"a depth past what the scanner's integer holds",
         {"--set", "depth=1e12"},
         "the scanner refused the setting depth"},
        {"a device no scanner has", {"--device", "test:9"}, "no scanner named test:9"},
        {"a device of no back end", {"--device", "nosuch"}, "no scanner named nosuch"},
        {"a failing read ends the feeder's pages",
         {"--multi", "--set", "source=Automatic Document Feeder", "--set",
          "read-return-value=SANE_STATUS_IO_ERROR"},
         "The scan failed while its data was read."},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = dir.filePath(QStringLiteral("none.png"));
        const ToolRun run = Imgtool(QStringList{out} + c.args);
        EXPECT_EQ(run.Code, 1);
        EXPECT_EQ(run.Out, QByteArray());
        EXPECT_EQ(run.Err, QByteArray("imgtool: ") + c.error + "\n");
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none-1.png"))));
    }
}

// The real dialogs, offscreen: the test acts once the modal dialog is up.
class TwainDialogs : public Twain {
protected:
    void SetUp() override {
        Twain::SetUp();
        SetTwainUserInterface(&dialogs);
    }
    void WhenShown(std::function<void(QDialog*)> act) {
        QTimer::singleShot(0, [act] {
            QDialog* d = nullptr;
            for (int i = 0; i < 200 && d == nullptr; ++i) {
                d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (d == nullptr)
                    QApplication::processEvents(QEventLoop::AllEvents, 10);
            }
            ASSERT_NE(d, nullptr);
            act(d);
        });
    }
    TTwainDialogs dialogs;
};

TEST_F(TwainDialogs, SourceDialogOffersTheOptionsAndScans) {
    WhenShown([](QDialog* d) {
        auto* source = qobject_cast<TTwainSourceDialog*>(d);
        ASSERT_NE(source, nullptr);
        for (const char* name : {"mode", "depth", "resolution", "source", "tl-x", "tl-y", "br-x", "br-y"})
            EXPECT_NE(source->Control(QString::fromLatin1(name)), nullptr) << name;
        QWidget* resolution = source->Control(QStringLiteral("resolution"));
        if (auto* whole = qobject_cast<QSpinBox*>(resolution))
            whole->setValue(100);
        else if (auto* fixed = qobject_cast<QDoubleSpinBox*>(resolution))
            fixed->setValue(100.0);
        else
            ADD_FAILURE() << "no resolution control";
        QApplication::processEvents();
        source->BtnScan->click();
    });
    TBitmap bmp;
    io.SetAttachedBitmap(&bmp);
    ASSERT_TRUE(io.Acquire());
    EXPECT_EQ(bmp.Width(), 314);
    EXPECT_EQ(bmp.Height(), 393);
    EXPECT_EQ(io.Params().DpiX, 100);
}

TEST_F(TwainDialogs, ClosingTheSourceDialogBringsNoPicture) {
    WhenShown([](QDialog* d) { d->close(); });
    TBitmap bmp;
    io.SetAttachedBitmap(&bmp);
    EXPECT_FALSE(io.Acquire());
}

TEST_F(TwainDialogs, SelectionDialogPreselectsTheDefaultOrSaysThereIsNone) {
    SetTwainDefaultSource(QStringLiteral("test:1"));
    WhenShown([](QDialog* d) {
        auto* select = qobject_cast<TTwainSelectDialog*>(d);
        ASSERT_NE(select, nullptr);
        EXPECT_EQ(select->List->topLevelItemCount(), 2);
        EXPECT_EQ(select->Chosen(), QStringLiteral("test:1"));
        EXPECT_TRUE(select->NoneFound->isHidden());
        select->List->setCurrentItem(select->List->topLevelItem(0));
        select->BtnOk->click();
    });
    EXPECT_TRUE(TwainSelectSource(nullptr));
    EXPECT_EQ(TwainDefaultSource(), QStringLiteral("test:0"));

    SaneTestBackend::Configure(0);
    WhenShown([](QDialog* d) {
        auto* select = qobject_cast<TTwainSelectDialog*>(d);
        ASSERT_NE(select, nullptr);
        EXPECT_FALSE(select->NoneFound->isHidden());
        EXPECT_FALSE(select->BtnOk->isEnabled());
        select->BtnCancel->click();
    });
    EXPECT_FALSE(TwainSelectSource(nullptr));
}
