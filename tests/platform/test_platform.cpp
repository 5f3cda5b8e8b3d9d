#include "platform/AppFolder.h"
#include "platform/Color.h"
#include "platform/Errors.h"
#include "platform/PlainFile.h"
#include "platform/SysColors.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

#include <sys/stat.h>

TEST(Round, HalvesGoToEven) {
    const struct {
        double In;
        std::int64_t Out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.6, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(Round(c.In), c.Out) << c.In;
    EXPECT_THROW(Round(1e30), EIntOverflow);
    EXPECT_THROW(Round(std::nan("")), EIntOverflow);
}

TEST(CheckedArithmetic, RaisesInsteadOfWrapping) {
    EXPECT_EQ(CheckedAdd(2, 3), 5);
    EXPECT_THROW(CheckedAdd(INT_MAX, 1), EIntOverflow);
    EXPECT_THROW(CheckedSub(INT_MIN, 1), EIntOverflow);
    EXPECT_THROW(CheckedMul(65536, 65536), EIntOverflow);
    EXPECT_EQ(CheckedCast<std::uint8_t>(255), 255);
    EXPECT_THROW(CheckedCast<std::uint8_t>(256), EIntOverflow);
    EXPECT_THROW(CheckedCast<std::uint32_t>(-1), EIntOverflow);
    EXPECT_THROW(CheckRange(11, 1, 10, "x"), ERangeError);
}

TEST(Color, RedIsTheLowByte) {
    const TColor c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x563412u);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetGValue(c), 0x34);
    EXPECT_EQ(GetBValue(c), 0x56);
}

TEST(SysColors, ResolveThroughOneTableThatCountsItsChanges) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4u);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080u);
    EXPECT_EQ(ColorToRGB(clWindowFrame), 0u);
    EXPECT_EQ(ColorToRGB(0x800000FFu), 0u) << "an index outside the table";
    EXPECT_EQ(ColorToRGB(0x02123456u), 0x123456u) << "other high bytes are dropped";
    const std::uint32_t before = SysColorGeneration();
    SetSysColor(15, 0x112233);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x112233u);
    EXPECT_NE(SysColorGeneration(), before);
    SetSysColor(99, 1); // ignored
    ResetSysColors();
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4u);
}

TEST(AppFolder, ResolvesEachComponentWithoutRegardToCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("DTA/Sub")));
    QFile f(dir.path() + QStringLiteral("/DTA/Sub/SysMsg.Dta"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString base = dir.path();
    EXPECT_EQ(ResolvePath(base, QStringLiteral("Dta\\sub\\sysmsg.dta")),
              base + QStringLiteral("/DTA/Sub/SysMsg.Dta"));
    // Missing components keep their spelling, so new files can be named.
    EXPECT_EQ(ResolvePath(base, QStringLiteral("dta\\New\\x.txt")), base + QStringLiteral("/DTA/New/x.txt"));
    EXPECT_EQ(ResolvePath(base, QStringLiteral("Samples\\")), base + QStringLiteral("/Samples/"));

    SetAppFolder(base);
    EXPECT_EQ(AppFolder(), base + QStringLiteral("/"));
    EXPECT_EQ(AppFile(QStringLiteral("dta\\SUB")), base + QStringLiteral("/DTA/Sub"));
    SetAppFolder(QString());
}

TEST(TextCodec, StoredTextsRoundTrip) {
    const QString arabic = QStringLiteral("العربية");
    EXPECT_EQ(DecodeStoredText(EncodeStoredText(arabic)), arabic);
    EXPECT_EQ(DecodeStoredText(QByteArray("Body")), QStringLiteral("Body"));
    EXPECT_EQ(DecodeStoredText(QStringLiteral("é").toUtf8()), QStringLiteral("é"));
}

TEST(PlainFile, ReadsPlainFilesWithinTheirBoundAndRefusesTheRest) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("f.bin"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("abcdef");
    f.close();
    EXPECT_EQ(ReadPlainFile(file, 6), QByteArray("abcdef"));
    EXPECT_EQ(ReadPlainFileHead(file, 4), QByteArray("abcd"));
    EXPECT_EQ(ReadPlainFileHead(file, 100), QByteArray("abcdef"));
    // Above the bound: refused, also a file far larger than memory (sparse, so nothing is written).
    QFile huge(dir.filePath(QStringLiteral("huge.bin")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(1) << 36));
    huge.close();
    for (const auto& [path, bound] :
         {std::pair{file, std::int64_t(5)}, std::pair{huge.fileName(), std::int64_t(1) << 20}}) {
        try {
            ReadPlainFile(path, bound);
            ADD_FAILURE() << path.toStdString();
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Cannot read %1: the file is too large (more than %2 bytes)")
                          .arg(path)
                          .arg(bound));
        }
    }
    // A file that says it is empty but holds more, as the system's own files do, is read on to the
    // bound, and one byte over it is enough to refuse it.
    const QString status = QStringLiteral("/proc/self/status");
    EXPECT_TRUE(ReadPlainFile(status, 1 << 20).startsWith("Name:"));
    EXPECT_THROW(ReadPlainFile(status, 10), EReadError);

    // What is no plain file is refused at once: a pipe with no writer is not waited on, a device
    // that never ends is not read.
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const struct {
        QString Path;
        const char* Reason;
    } refused[] = {
        {dir.filePath(QStringLiteral("missing")), "No such file or directory"},
        {dir.path(), "it is a folder"},
        {pipe, "it is not a plain file but a pipe, device or socket"},
        {QStringLiteral("/dev/zero"), "it is not a plain file but a pipe, device or socket"},
    };
    for (const auto& c : refused)
        for (bool head : {false, true}) {
            SCOPED_TRACE(c.Path.toStdString());
            try {
                head ? ReadPlainFileHead(c.Path, 10) : ReadPlainFile(c.Path, 1 << 20);
                ADD_FAILURE();
            } catch (const EReadError& e) {
                EXPECT_EQ(e.Message(),
                          QStringLiteral("Cannot open %1: %2").arg(c.Path, QLatin1String(c.Reason)));
            }
        }
}
