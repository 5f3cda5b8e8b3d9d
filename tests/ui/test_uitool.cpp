// The review tool of the controls: round button pixels and command-line tokens, and its errors.
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace {
struct Result {
    int Exit;
    QByteArray Out, Err;
};
Result UiTool(const QStringList& Args) {
    QProcess p;
    p.start(QStringLiteral(KDS_UITOOL), Args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}
} // namespace

TEST(UiTool, HemisphereAndTokens) {
    Result r = UiTool({QStringLiteral("hemi"), QStringLiteral("--size"), QStringLiteral("25x25"),
                       QStringLiteral("--face"), QStringLiteral("808080"), QStringLiteral("12,12"),
                       QStringLiteral("0,0")});
    EXPECT_EQ(r.Exit, 0) << r.Err.constData();
    EXPECT_EQ(
        r.Out,
        QByteArray("12,12 out 202 202 202 in 54 54 54 mask 1\n0,0 out 255 255 255 in 255 255 255 mask 0\n"));
    r = UiTool({QStringLiteral("hemi"), QStringLiteral("--size"), QStringLiteral("25x25"),
                QStringLiteral("--face"), QStringLiteral("0000FF"), QStringLiteral("--outer"),
                QStringLiteral("none"), QStringLiteral("12,12")});
    EXPECT_EQ(r.Out, QByteArray("12,12 out 255 0 0 in 108 0 0 mask 1\n")) << "red in the low byte";

    r = UiTool({QStringLiteral("tokens"), QStringLiteral("\"/opt/Zode Zidaded/dm.exe\" /s \"two words\"")});
    EXPECT_EQ(r.Exit, 0);
    EXPECT_EQ(r.Out, QByteArray("program /opt/Zode Zidaded/dm.exe\nparams /s \"two words\"\n"
                                "token 0 /opt/Zode Zidaded/dm.exe\ntoken 1 /s\ntoken 2 two words\n"));

    for (const QStringList& bad :
         {QStringList{}, QStringList{QStringLiteral("hemi")},
          QStringList{QStringLiteral("hemi"), QStringLiteral("--size"), QStringLiteral("1x25"),
                      QStringLiteral("--face"), QStringLiteral("0"), QStringLiteral("1,1")},
          QStringList{QStringLiteral("hemi"), QStringLiteral("--size"), QStringLiteral("9x9"),
                      QStringLiteral("--face"), QStringLiteral("zz"), QStringLiteral("1,1")},
          QStringList{QStringLiteral("hemi"), QStringLiteral("--size"), QStringLiteral("9x9"),
                      QStringLiteral("--face"), QStringLiteral("0"), QStringLiteral("9,1")},
          QStringList{QStringLiteral("hemi"), QStringLiteral("--size"), QStringLiteral("9x9"),
                      QStringLiteral("--face"), QStringLiteral("0"), QStringLiteral("--bevel"),
                      QStringLiteral("0"), QStringLiteral("1,1")},
          QStringList{QStringLiteral("tokens")}, QStringList{QStringLiteral("nonsense")}}) {
        r = UiTool(bad);
        EXPECT_EQ(r.Exit, 1) << bad.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.Err.isEmpty());
        EXPECT_TRUE(r.Out.isEmpty());
    }
    r = UiTool({QStringLiteral("--help")});
    EXPECT_EQ(r.Exit, 0);
    EXPECT_TRUE(r.Out.startsWith("usage: uitool ")) << "the usage asked for goes to stdout";
}
