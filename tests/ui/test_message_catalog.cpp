// The message catalogue: reading its lines, finding a message, filling its argument slots and
// line breaks, and the catalogue the station ships.
#include "tests/support/TestSupport.h"
#include "ui/UmessageCatalog.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {
MMessageCatalog CatalogOf(const QString& text) {
    MMessageCatalog c;
    c.LoadFromText(text);
    return c;
}
} // namespace

TEST(MessageCatalog, LinesThatMatchAndLinesPassedOver) {
    struct Case {
        const char* Line;
        bool Usable;
        int Language, Code, SubCode;
        const char* Caption;
        const char* Text;
    };
    const Case cases[] = {
        {"1;11;101;Save;Save changes?", true, 1, 11, 101, "Save", "Save changes?"},
        {"  0 ; 5012 ; 6 ;\tCap\t; some text  ", true, 0, 5012, 6, "Cap", "some text"},
        {"1;11;101;Save", true, 1, 11, 101, "Save", ""},                      // four fields: empty text
        {"1;11;101;Save;text;ignored;too", true, 1, 11, 101, "Save", "text"}, // text ends at ";"
        {"+1;-3;0;c;t", true, 1, -3, 0, "c", "t"},
        {"1;11;101", false, 0, 0, 0, "", ""}, // too few fields
        {"1;11", false, 0, 0, 0, "", ""},
        {"", false, 0, 0, 0, "", ""},
        {"# 1;11;101;c;t", false, 0, 0, 0, "", ""}, // comments of any kind
        {"// 1;11;101;c;t", false, 0, 0, 0, "", ""},
        {"x;11;101;c;t", false, 0, 0, 0, "", ""}, // not decimal
        {"1;0x10;101;c;t", false, 0, 0, 0, "", ""},
        {"1;11;1.5;c;t", false, 0, 0, 0, "", ""},
        {"1;;101;c;t", false, 0, 0, 0, "", ""},
        {"1;99999999999;1;c;t", false, 0, 0, 0, "", ""}, // beyond 32 bits
    };
    for (const Case& c : cases) {
        MCatalogMessage m;
        ASSERT_EQ(MMessageCatalog::ParseLine(QString::fromUtf8(c.Line), m), c.Usable) << c.Line;
        if (!c.Usable)
            continue;
        EXPECT_EQ(m.Language, c.Language) << c.Line;
        EXPECT_EQ(m.Code, c.Code) << c.Line;
        EXPECT_EQ(m.SubCode, c.SubCode) << c.Line;
        EXPECT_EQ(m.Caption, QString::fromUtf8(c.Caption)) << c.Line;
        EXPECT_EQ(m.Text, QString::fromUtf8(c.Text)) << c.Line;
    }
}

TEST(MessageCatalog, LineEndsAndFirstMatchWins) {
    const MMessageCatalog c = CatalogOf(QStringLiteral("bad line\r1;1;1;a;first\n1;1;1;b;second\r\n"
                                                       "1;2;1;c;cr lf\r\r\n0;1;1;d;arabic"));
    ASSERT_EQ(c.Messages().size(), 4u);
    QString caption, text;
    ASSERT_TRUE(c.FindMessage(1, 1, 1, caption, text));
    EXPECT_EQ(text, QStringLiteral("first"));
    ASSERT_TRUE(c.FindMessage(1, 2, 1, caption, text));
    EXPECT_EQ(text, QStringLiteral("cr lf"));
    ASSERT_TRUE(c.FindMessage(0, 1, 1, caption, text));
    EXPECT_EQ(caption, QStringLiteral("d"));
    EXPECT_FALSE(c.FindMessage(0, 2, 1, caption, text));
}

TEST(MessageCatalog, ArgumentSlots) {
    struct Case {
        const char* Text;
        const char* Args;
        const char* Result;
    };
    const Case cases[] = {
        {"Save changes to % ?", "P", "Save changes toP?"}, // blanks around a slot are dropped
        {"A%B%C", "1", "A1C"},                             // an unfilled slot drops its piece
        {"A%B%C", "1;2;3", "A1B2C3"},                      // one surplus argument is appended
        {"A%B%C", "1;2;3;4", "A1B2C3"},
        {"A%B%C", "", "C"},
        {"A%B%C", " 1 ; 2 ", "A1B2C"},
        {"%B", "1", "1B"},
        {"A%", "1", "A%"}, // a text ending in "%" has no piece after it: left unchanged
        {"no slot", "x;y", "no slot"},
        {"Module P%: bad.", "12", "Module P12: bad."},
        {"S%: row (Z%) missing.", "3;7", "S3: row (Z7) missing."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MMessageCatalog::FillArguments(QString::fromUtf8(c.Text), QString::fromUtf8(c.Args)),
                  QString::fromUtf8(c.Result))
            << c.Text << " / " << c.Args;
}

TEST(MessageCatalog, ArabicTextsOnTheScreenHoldEachArgumentInAnIsolate) {
    // The bidi algorithm would otherwise move the parts of a Latin path about inside Arabic text.
    const QString lri = QChar(0x2066), fsi = QChar(0x2068), pdi = QChar(0x2069);
    const MMessageCatalog c =
        CatalogOf(QStringLiteral("0;11;3602;فتح;تعذّرت قراءة الملف (%) (%).@لم يُفتح شيء.\n"
                                 "1;11;3602;Open;The file (%) cannot be read (%)."));
    QString text, caption;
    c.LookupMessage(0, 11, 3602, QStringLiteral(" /home/ali/knit 2.LST ; no such file;extra"), text, caption,
                    true);
    EXPECT_EQ(text, QStringLiteral("تعذّرت قراءة الملف (") + lri + QStringLiteral("/home/ali/knit 2.LST") +
                        pdi + QStringLiteral(") (") + fsi + QStringLiteral("no such file") + pdi +
                        QStringLiteral(").\r\nلم يُفتح شيء.") + fsi + QStringLiteral("extra") + pdi);
    // English texts, and texts not meant for the screen (the shell's lines), stay plain.
    c.LookupMessage(1, 11, 3602, QStringLiteral("/a/b.LST;x"), text, caption, true);
    EXPECT_EQ(text, QStringLiteral("The file (/a/b.LST) cannot be read (x)."));
    c.LookupMessage(0, 11, 3602, QStringLiteral("/a/b.LST;x"), text, caption);
    EXPECT_FALSE(text.contains(lri) || text.contains(fsi) || text.contains(pdi));
    // An empty argument gets no isolate around nothing; a text without slots is left alone.
    EXPECT_EQ(MMessageCatalog::FillArguments(QStringLiteral("A%B%C"), QStringLiteral(";2"), true),
              QStringLiteral("AB") + fsi + QStringLiteral("2") + pdi + QStringLiteral("C"));
    EXPECT_EQ(MMessageCatalog::FillArguments(QStringLiteral("no slot"), QStringLiteral("x"), true),
              QStringLiteral("no slot"));
}

TEST(MessageCatalog, TheKindWrittenAgainstASlotStandsInTheIsolateWithItsNumber) {
    // An Arabic line would otherwise read "1Z:" for the entry Z1.
    const QString fsi = QChar(0x2068), pdi = QChar(0x2069);
    auto iso = [&](const char* S) { return fsi + QString::fromUtf8(S) + pdi; };
    struct Case {
        const char* Text;
        const char* Args;
        QString Result;
    };
    const Case cases[] = {
        {"Z%: الإزاحة", "1", iso("Z1") + QStringLiteral(": الإزاحة")},
        {"الوحدة FS%: القيمة", "12", QStringLiteral("الوحدة ") + iso("FS12") + QStringLiteral(": القيمة")},
        {"S%: الصف (Z%) غير موجود", "3;7",
         iso("S3") + QStringLiteral(": الصف (") + iso("Z7") + QStringLiteral(") غير موجود")},
        // Only capitals that stand as a word of their own: not the end of a word, not lower case, not
        // letters glued to the argument before them.
        {"حاملة (%) على SYSx%.", "1;2",
         QStringLiteral("حاملة (") + iso("1") + QStringLiteral(") على SYSx") + iso("2") +
             QStringLiteral(".")},
        {"كلمةAB%.", "4", QStringLiteral("كلمةAB") + iso("4") + QStringLiteral(".")},
        {"A%B%C", "1;2", iso("A1") + QStringLiteral("B") + iso("2") + QStringLiteral("C")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MMessageCatalog::FillArguments(QString::fromUtf8(c.Text), QString::fromUtf8(c.Args), true),
                  c.Result)
            << c.Text;
    // Not isolated, the text is filled as before.
    EXPECT_EQ(MMessageCatalog::FillArguments(QStringLiteral("Z%: x"), QStringLiteral("1")),
              QStringLiteral("Z1: x"));
}

TEST(MessageCatalog, LineBreaks) {
    const std::pair<const char*, const char*> cases[] = {
        {"first@second", "first\r\nsecond"},
        {"one line", "one line"},
        {"a @ b @c", "a\r\nb\r\nc"},
        {"@a", "\r\na"},
        {"a@", "a@"}, // nothing after the last "@": no second piece
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(MMessageCatalog::BreakLines(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(MessageCatalog, LookupByLanguageCodeAndSubcode) {
    const MMessageCatalog c = CatalogOf(QStringLiteral("1;11;101;Save;Save changes to % ?\n"
                                                       "1;100;1;Hundred;always one@second line\n"
                                                       "0;5011;3;cap0;arabic %"));
    QString text, caption;
    c.LookupMessage(1, 11, 101, QStringLiteral("P"), text, caption);
    EXPECT_EQ(text, QStringLiteral("Save changes toP?"));
    EXPECT_EQ(caption, QStringLiteral("Save"));

    // Present only in the other language: the missing-message text, no caption.
    caption = QStringLiteral("old");
    c.LookupMessage(0, 11, 101, QStringLiteral("P"), text, caption);
    EXPECT_EQ(text, QStringLiteral("Error Code:11  SubCode:101"));
    EXPECT_TRUE(caption.isEmpty());

    for (int sub : {0, 1, 7, -4}) {
        c.LookupMessage(1, 100, sub, QString(), text, caption);
        EXPECT_EQ(text, QStringLiteral("always one\r\nsecond line")) << sub;
    }
    c.LookupMessage(1, 5011, 3, QString(), text, caption);
    EXPECT_EQ(text, QStringLiteral("Error Code:5011  SubCode:3"));
}

TEST(MessageCatalog, FilesThatCannotBeReadGiveAnEmptyCatalogue) {
    QTemporaryDir dir;
    MMessageCatalog c;
    c.LoadFromText(QStringLiteral("1;1;1;a;b"));
    EXPECT_FALSE(c.LoadMessageFile(dir.filePath(QStringLiteral("missing.dta"))));
    EXPECT_TRUE(c.Messages().empty());
    EXPECT_FALSE(c.LoadMessageFile(dir.path())); // a folder
    EXPECT_TRUE(c.Messages().empty());
    QString text, caption;
    c.LookupMessage(1, 1, 1, QString(), text, caption);
    EXPECT_EQ(text, QStringLiteral("Error Code:1  SubCode:1"));
}

TEST(MessageCatalog, ReadsUtf8AndFallsBackToTheArabicCodePage) {
    QTemporaryDir dir;
    const QString arabic = QStringLiteral("الوحدة %: خطأ");
    const QString utf8File = dir.filePath(QStringLiteral("utf8.dta"));
    kdstest::WriteFile(utf8File, "\xEF\xBB\xBF" + QStringLiteral("0;1;2;c;").toUtf8() + arabic.toUtf8());
    MMessageCatalog c;
    ASSERT_TRUE(c.LoadMessageFile(utf8File));
    QString text, caption;
    ASSERT_TRUE(c.FindMessage(0, 1, 2, caption, text)); // the byte-order mark is not part of field 0
    EXPECT_EQ(text, arabic);

    QStringEncoder cp1256("windows-1256");
    if (!cp1256.isValid())
        GTEST_SKIP() << "no Windows-1256 codec on this system";
    const QByteArray old = cp1256(QStringLiteral("0;1;2;c;") + arabic);
    ASSERT_FALSE(cp1256.hasError());
    const QString oldFile = dir.filePath(QStringLiteral("old.dta"));
    kdstest::WriteFile(oldFile, old);
    ASSERT_TRUE(c.LoadMessageFile(oldFile));
    ASSERT_TRUE(c.FindMessage(0, 1, 2, caption, text));
    EXPECT_EQ(text, arabic);
}

// The catalogue the station ships: every numbered message of the station in both languages, each
// with as many slots as its callers pass arguments.
TEST(MessageCatalog, ShippedCatalogueHoldsEveryMessageInBothLanguages) {
    const QByteArray bytes =
        kdstest::ReadFile(kdstest::SourcePath(QStringLiteral("resources/Dta/sysmsg.dta")));
    ASSERT_FALSE(bytes.isEmpty());
    MMessageCatalog c;
    c.LoadFromBytes(bytes);

    // (code, subcode) -> number of arguments the callers pass.
    std::map<std::pair<int, int>, int> expected;
    for (int sub : {101, 103, 104, 1031, 1032, 1033, 1042, 1101})
        expected[{11, sub}] = 0;
    for (int sub : {1034, 1035, 1036, 1037, 1038, 1041})
        expected[{11, sub}] = 1;
    // New Item in a list whose largest number is in use names that number.
    expected[{11, 4401}] = 1;
    // A picture of the station that cannot be read (a toolbar glyph, the intro) names its file.
    expected[{11, 3350}] = 1;
    // The drawing board's pictures: no reader for a file's type, an exchange picture not written or
    // not read name the file; a picture size refused names its width and length.
    for (int sub = 3401; sub <= 3404; ++sub)
        expected[{11, sub}] = 1;
    // The drawing tools: a text block and a clipboard picture too large name their size.
    expected[{11, 3501}] = 1;
    expected[{11, 3502}] = 1;
    // The save question of a changed project names it.
    expected[{11, 3601}] = 1;
    // A project that cannot be opened or saved, or saved safely in its folder, names the file and
    // the reason; one that cannot be made names the reason.
    expected[{11, 3602}] = 2;
    expected[{11, 3603}] = 2;
    expected[{11, 3604}] = 1;
    expected[{11, 4901}] = 2;
    // The module library and the stripe import: a damaged header names the file and the field, a
    // picture that does not fit, a file not read and a program not brought in name the file and the
    // reason; a carrier without a parking position and an entry landing outside the drawing name
    // one thing. An entry not deleted names the entry, the file and the reason; files not put back
    // or not removed name the entry and the files.
    for (int sub : {3901, 3902, 3903, 3906})
        expected[{11, sub}] = 2;
    for (int sub : {3904, 3905})
        expected[{11, sub}] = 1;
    expected[{11, 4960}] = 3;
    expected[{11, 4961}] = 2;
    expected[{11, 4962}] = 2;
    // The export window: an empty name names nothing; the other refusals, the replace question, a
    // range never reached, a split cycle and an entry already there name one thing; From above To
    // and a file not written name two.
    expected[{11, 4101}] = 0;
    for (int sub : {4102, 4103, 4105, 4106, 4107, 4108, 4109, 4110, 4112})
        expected[{11, sub}] = 1;
    expected[{11, 4104}] = 2;
    expected[{11, 4111}] = 2;
    // The import window names the fixed or rib program it does not find.
    expected[{11, 4113}] = 1;
    // The telephone transfer's refusals and failures name their file or value; the unexpected
    // answer names nothing.
    for (int sub = 4201; sub <= 4210; ++sub)
        expected[{11, sub}] = sub == 4201 ? 0 : 1;
    // Its limits: the space announced and free, the minutes of a call, the kilobytes kept; a name
    // taken here names the name sent and the name kept.
    expected[{11, 4910}] = 2;
    expected[{11, 4911}] = 1;
    expected[{11, 4912}] = 1;
    expected[{11, 4913}] = 2;
    // Loading the default fixed programs: an empty default folder names nothing, the question its
    // count, a failed copy the file and the reason, a fixed folder not replaced the folder and the
    // reason. The program test of a project without its setup scheme names nothing.
    expected[{11, 4940}] = 0;
    expected[{11, 4941}] = 1;
    expected[{11, 4942}] = 2;
    expected[{11, 4943}] = 2;
    expected[{11, 4944}] = 0;
    // Save Project As names the project its machine ending would replace.
    expected[{11, 5001}] = 1;
    // The autosave: the copies not reopened with the folder that keeps them, a pass that cannot
    // write with the reason, and the folder another station holds.
    expected[{11, 4920}] = 2;
    expected[{11, 4921}] = 1;
    expected[{11, 4922}] = 1;
    // A module the machine file cannot hold names the module first and, but for its number twice,
    // the range last; a field with letters of its own names them, one kept per system or bed its
    // system.
    expected[{11, 5025}] = 3;
    expected[{11, 5026}] = 1;
    expected[{11, 5027}] = 3;
    for (int sub : {5028, 5029, 5035, 5037})
        expected[{11, sub}] = 4;
    for (int sub : {5021, 5030, 5031, 5032, 5033, 5034, 5036})
        expected[{11, sub}] = 5;
    for (int sub : {5022, 5023, 5024})
        expected[{11, sub}] = 6;
    // The file operations' questions, progress texts and errors.
    for (int sub = 2101; sub <= 2113; ++sub)
        expected[{11, sub}] = sub == 2108 ? 0 : 1;
    for (auto [code, sub] : {std::pair{1001, 0},
                             {1002, 1},
                             {1003, 0},
                             {1004, 0},
                             {1005, 0},
                             {1020, 0},
                             {5001, 1},
                             {5011, 1},
                             {5011, 3},
                             {5011, 4}})
        expected[{code, sub}] = 0;
    const int lastCheck[] = {6, 9, 24, 5, 10, 2, 7, 2, 6, 27}; // P N Z R S W FS FD FE C
    for (int kind = 1; kind <= 10; ++kind)
        for (int sub = 1; sub <= lastCheck[kind - 1]; ++sub)
            expected[{5011 + kind, sub}] = 1;
    // The Z row's cam pair refusal also names the system and the cams of its two beds.
    expected[{5014, 23}] = 4;
    const std::pair<int, int> findings[] = {
        {1, 1},   {2, 1},   {3, 1},   {4, 1},   {6, 1},   {7, 1},   {8, 1},   {9, 1},   {10, 0},
        {11, 0},  {12, 0},  {13, 0},  {14, 0},  {15, 1},  {16, 1},  {17, 1},  {28, 1},  {40, 1},
        {41, 2},  {42, 2},  {43, 1},  {50, 0},  {52, 1},  {53, 2},  {54, 2},  {55, 1},  {56, 1},
        {57, 1},  {58, 1},  {59, 2},  {60, 1},  {61, 2},  {80, 0},  {81, 1},  {82, 0},  {83, 0},
        {88, 1},  {101, 2}, {102, 2}, {104, 3}, {105, 2}, {106, 2}, {107, 2}, {108, 2}, {109, 2},
        {110, 2}, {111, 2}, {112, 1}, {113, 2}, {114, 3}, {115, 3}, {116, 1}};
    for (auto [id, args] : findings)
        expected[{5030, id}] = args;

    std::map<std::tuple<int, int, int>, int> seen;
    for (const MCatalogMessage& m : c.Messages()) {
        const auto where =
            QStringLiteral("%1;%2;%3").arg(m.Language).arg(m.Code).arg(m.SubCode).toStdString();
        EXPECT_TRUE(m.Language == 0 || m.Language == 1) << where;
        const std::pair<int, int> key{m.Code, m.SubCode};
        EXPECT_TRUE(expected.count(key)) << "unexpected message " << where;
        EXPECT_EQ(++seen[std::make_tuple(m.Language, m.Code, m.SubCode)], 1) << "twice: " << where;
        EXPECT_FALSE(m.Caption.isEmpty()) << where;
        EXPECT_FALSE(m.Text.isEmpty()) << where;
        EXPECT_FALSE(m.Text.endsWith(QLatin1Char('%'))) << where;
        EXPECT_LE(m.Text.count(QLatin1Char('@')), 4) << "more than five lines: " << where;
        EXPECT_EQ(m.Text.count(QLatin1Char('%')), expected[key]) << "slots of " << where;
        // The blanks beside a slot are dropped when it is filled, so a blank between a slot and a
        // letter or digit would join the argument to that word.
        for (qsizetype at = m.Text.indexOf(QLatin1Char('%')); at >= 0;
             at = m.Text.indexOf(QLatin1Char('%'), at + 1)) {
            const QString before = m.Text.left(at), after = m.Text.mid(at + 1);
            const bool joinsBefore = before.endsWith(QLatin1Char(' ')) && !before.trimmed().isEmpty() &&
                                     before.trimmed().back().isLetterOrNumber();
            const bool joinsAfter = after.startsWith(QLatin1Char(' ')) && !after.trimmed().isEmpty() &&
                                    after.trimmed().front().isLetterOrNumber();
            EXPECT_FALSE(joinsBefore || joinsAfter) << "a slot joins a word: " << where;
        }
    }
    for (const auto& [key, args] : expected)
        for (int language : {0, 1})
            EXPECT_EQ(seen[std::make_tuple(language, key.first, key.second)], 1)
                << "missing " << language << ";" << key.first << ";" << key.second;

    // Every line of the file that is not a comment or empty is a usable message line of five
    // fields: a ";" inside a text would cut it short.
    int lines = 0;
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char('#')))
            continue;
        ++lines;
        EXPECT_EQ(t.count(QLatin1Char(';')), 4) << t.toStdString();
    }
    EXPECT_EQ(lines, int(c.Messages().size()));
}
