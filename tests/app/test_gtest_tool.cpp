// lsttool gtest: the board the window would draw, written as a BMP, over a small machine file.

#include "app/UGtestDraw.h"
#include "model/ULstFile.h"
#include "tests/support/ProjectScript.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace kdstest;

// System 1 of two knits the whole bed of 10 needles with carrier 1, four Z rows.
constexpr char Plain[] = R"(
machine 712 5
C area=1..11 L1=-3 R1=3
picture 10x10
Z1 cam1=RR yc1=1 rack1=0:G
Z2 cam1=RR yc1=1 rack1=0:G
S1 Z=1+1 D2
)";

struct ToolFixture : ::testing::Test {
    QTemporaryDir Dir;
    QString File;
    void SetUp() override {
        const auto project = kdstest::BuildProject(QString::fromLatin1(Plain));
        File = Dir.filePath(QStringLiteral("plain.LST"));
        SaveMachineFile(File, project->Lists.Machine, project->Lists.Lists());
    }
    ToolResult Run(const QStringList& Args) { return RunTool(QStringLiteral(LSTTOOL_PATH), Args); }
};

// The picture the rules give: a white board of 3000 columns; Rows[line - 1] the colour of the
// fabric on that line (needles 1..10 from column 21), 0 for a white line.
QImage Expected(int Height, const std::vector<TColor>& Rows) {
    QImage image(3000, Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (Rows[i] == 0)
            continue;
        const TColor c = Rows[i];
        for (int x = 20; x < 30; ++x)
            image.setPixel(x, Height - 1 - int(i), qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16)));
    }
    return image;
}

TEST_F(ToolFixture, WritesTheBoardOfEachStyle) {
    const TColor yarn = DefaultGtestColors()[0];
    struct Case {
        const char* Style;
        const char* Line;
        std::vector<TColor> Rows;
    };
    const Case cases[] = {
        // Normal: each completed course on the line it was counted on; the fourth row's course is
        // completed only by a next course, which never comes.
        {"normal", "gtest finished steps=8 row=4 width=3000 height=60", {yarn, yarn, yarn}},
        // Jaquard: each row of a step with stitches on the fabric row, advanced at the next step
        // that runs a system (so the last advance is still pending).
        {"jaquard", "gtest finished steps=8 row=4 width=3000 height=60", {yarn, yarn, yarn, yarn}},
        // Transfer: plain knitting shows nothing.
        {"transfer", "gtest finished steps=8 row=4 width=3000 height=60", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Style);
        const QString out = Dir.filePath(QStringLiteral("board.bmp"));
        const ToolResult r =
            Run({QStringLiteral("gtest"), out, File, QStringLiteral("--blank"), QStringLiteral("10x10"),
                 QStringLiteral("--style"), QString::fromLatin1(c.Style)});
        EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
        EXPECT_EQ(r.Out.trimmed(), QString::fromLatin1(c.Line));
        const QImage board = QImage(out).convertToFormat(QImage::Format_RGB32);
        std::vector<TColor> drawn;
        for (int line = 1; line <= 8; ++line) {
            const QRgb p = board.pixel(20, board.height() - line);
            drawn.push_back(p == qRgb(255, 255, 255)
                                ? 0
                                : TColor(qRed(p)) | TColor(qGreen(p)) << 8 | TColor(qBlue(p)) << 16);
        }
        while (!drawn.empty() && drawn.back() == 0)
            drawn.pop_back();
        EXPECT_EQ(drawn, c.Rows);
        EXPECT_TRUE(board == Expected(60, c.Rows));
    }
}

TEST_F(ToolFixture, RefusesBedsAndReportsWhatCannotRun) {
    const QString out = Dir.filePath(QStringLiteral("none.bmp"));
    const ToolResult beds = Run({QStringLiteral("gtest"), out, File, QStringLiteral("--beds")});
    EXPECT_EQ(beds.Code, 2);
    const ToolResult missing =
        Run({QStringLiteral("gtest"), out, Dir.filePath(QStringLiteral("missing.LST"))});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_TRUE(missing.Out.isEmpty());
    const ToolResult unwritable =
        Run({QStringLiteral("gtest"), Dir.filePath(QStringLiteral("no/such/dir.bmp")), File,
             QStringLiteral("--blank"), QStringLiteral("10x10")});
    EXPECT_EQ(unwritable.Code, 1);
    EXPECT_TRUE(unwritable.Out.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
    // The step limit still writes the board drawn so far.
    const ToolResult limit = Run({QStringLiteral("gtest"), out, File, QStringLiteral("--blank"),
                                  QStringLiteral("10x10"), QStringLiteral("--steps"), QStringLiteral("2")});
    EXPECT_EQ(limit.Code, 3);
    EXPECT_TRUE(limit.Out.startsWith(QStringLiteral("gtest limit steps=2 ")));
    EXPECT_TRUE(QFile::exists(out));
}

} // namespace
