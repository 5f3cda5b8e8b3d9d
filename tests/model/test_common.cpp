#include "model/Ucommon.h"
#include "model/UcstmExp.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

TEST(FileTypes, ExtensionsAreLookedUpWithoutRegardToCase) {
    const struct {
        const char* Name;
        int Type;
    } cases[] = {
        {"a.bmp", 1},
        {"A.JPEG", 2},
        {"a.jpg", 2},
        {"a.PCX", 3},
        {"a.tif", 4},
        {"a.wmf", 5},
        {"a.emf", 6},
        {"a.gif", 7},
        {"a.png", 8},
        {"a.ico", 9},
        {"a.cur", 10},
        {"p.jxw", 11},
        {"p.LST", 12},
        {"noext", 0},
        {"a.tiff", 0},
        {"dir.bmp/file", 0},
        {"C:\\x.png\\y.lst", 12},
        {"a.b.c.Png", 8},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileTypeOfName(QString::fromUtf8(c.Name)), c.Type) << c.Name;
}

TEST(FileTypes, ChangeFileTypeCutsTheFileNameAtItsFirstDot) {
    const struct {
        const char* In;
        int Type;
        const char* Out;
    } cases[] = {
        {"/home/a.b/p_740e7.LST", 11, "/home/a.b/p_740e7.JXW"},
        {"C:\\dir.old\\name.bmp", 12, "C:\\dir.old\\name.LST"},
        {"/x/name.tar.gz", 1, "/x/name.bmp"},
        {"  plain  ", 2, "plain.jpg"},
        {"/x/name.bmp", 13, "/x/name.bmp"},
        {"/x/name.bmp", 0, "/x/name.bmp"},
        {"/x/name", 8, "/x/name.png"},
    };
    for (const auto& c : cases) {
        QString s = QString::fromUtf8(c.In);
        ChangeFileType(s, c.Type);
        EXPECT_EQ(s, QString::fromUtf8(c.Out)) << c.In << " type " << c.Type;
    }
}

TEST(FileTypes, BaseNameOfCutsOnlyTheStationsOwnExtension) {
    const struct {
        const char* Name;
        const char* Base;
    } cases[] = {
        {"knit.v2_740e7.LST", "knit.v2_740e7"},
        {"/data/a.b/knit_740e7.lst", "knit_740e7"},
        {"C:\\dir.x\\p.JxW", "p"},
        {"a.b.mod", "a.b"},
        {"rib.PT2", "rib"},
        {"pic.jpeg", "pic"},
        {"knit.v2_740e7", "knit.v2_740e7"},
        {"/data/a.b/name", "name"},
        {"archive.tar.gz", "archive.tar.gz"},
        {"trailing.", "trailing."},
        {".LST", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BaseNameOf(QString::fromUtf8(c.Name)), QString::fromUtf8(c.Base)) << c.Name;
}

TEST(FileTypes, ParseNumberSuffixReadsTheFileNameOnly) {
    const struct {
        const char* Name;
        int Model, Gauge;
    } cases[] = {
        {"knit_740E7.LST", 740, 7},
        {"p_740e12", 740, 12},
        {"p_74e7", 0, 0},
        {"a_b_720e5", 720, 5},
        {"x_720E", 0, 0},
        {"KNIT.LST", 0, 0},
        {"/data/x_740e7/knit.LST", 0, 0},
        {"/data/x_740e7/k_721e5.LST", 721, 5},
        {"C:\\x_740e7\\knit.LST", 0, 0},
    };
    for (const auto& c : cases) {
        int model = -1, gauge = -1;
        ParseNumberSuffix(QString::fromUtf8(c.Name), model, gauge);
        EXPECT_EQ(model, c.Model) << c.Name;
        EXPECT_EQ(gauge, c.Gauge) << c.Name;
    }
}

TEST(FileTypes, NumberedBaseNameGoesBeforeTheMachineEnding) {
    const struct {
        const char* Base;
        int Number;
        const char* Numbered;
    } cases[] = {
        {"abc_740e7", 2, "abc_2_740e7"},     {"abc_740E12", 3, "abc_3_740E12"},
        {"a_b_720e5", 2, "a_b_2_720e5"},     {"abc", 2, "abc_2"},
        {"abc_74e7", 2, "abc_74e7_2"},       {"abc_740e7x", 2, "abc_740e7x_2"},
        {"abc_740e123", 2, "abc_740e123_2"}, {"_740e7", 10, "_10_740e7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberedBaseName(QString::fromUtf8(c.Base), c.Number), QString::fromUtf8(c.Numbered))
            << c.Base;
}

TEST(Helpers, CutAtUnderscoreIsOddAbsValue) {
    QString d = QStringLiteral("old");
    CutAtUnderscore(QStringLiteral("KNFColor_3_x"), d);
    EXPECT_EQ(d, QStringLiteral("KNFColor"));
    CutAtUnderscore(QStringLiteral("plain"), d);
    EXPECT_EQ(d, QStringLiteral("plain"));

    EXPECT_TRUE(IsOdd(3));
    EXPECT_FALSE(IsOdd(-3));
    EXPECT_FALSE(IsOdd(0));
    EXPECT_FALSE(IsOdd(4));

    EXPECT_EQ(AbsValue(-7), 7);
    EXPECT_EQ(AbsValue(INT_MAX), INT_MAX);
    EXPECT_THROW(AbsValue(INT_MIN), EIntOverflow);
}

TEST(MException, CarriesCodeSubcodeArgsAndItsFallbackText) {
    try {
        RaiseM(5013, 4, QStringLiteral("12"));
        FAIL();
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, 5013);
        EXPECT_EQ(e.SubCode, 4);
        EXPECT_EQ(e.Detail, 0);
        EXPECT_EQ(e.Args, QStringLiteral("12"));
        EXPECT_EQ(e.Message(), QStringLiteral("error has occured code: 5013subCode:4"));
        EXPECT_STREQ(e.what(), "error has occured code: 5013subCode:4");
    }
}

TEST(MSwitchGuard, RestoresTheSwitchAlsoWhenAnErrorPasses) {
    ASSERT_TRUE(ListsAutoValidate);
    try {
        MSwitchGuard guard(ListsAutoValidate, false);
        EXPECT_FALSE(ListsAutoValidate);
        RaiseM(1, 1);
    } catch (const MException&) {
    }
    EXPECT_TRUE(ListsAutoValidate);
}

// Two findings are one when code, subcode, argument text, kind and number agree; the id does not
// count, so a Z row's validation failure 5014/3 and the run finding 5030/3 of that row stay apart.
TEST(MPTerror, EqualsByCodeSubcodeArgumentsKindAndNumber) {
    MPTerror a;
    a.SetError(3);
    EXPECT_EQ(a.Code, 5030);
    EXPECT_EQ(a.GetCode(), 3);
    a.Args = QStringLiteral("12");
    a.ListKind = 3;
    a.Number = 12;
    MPTerror b;
    b.Assign(a);
    EXPECT_TRUE(a.Equals(b));
    b.ErrorId = 99; // the id alone does not tell two findings apart
    EXPECT_TRUE(a.Equals(b));
    const auto differs = [&a](const std::function<void(MPTerror&)>& Change) {
        MPTerror c;
        c.Assign(a);
        Change(c);
        return !a.Equals(c) && !c.Equals(a);
    };
    EXPECT_TRUE(differs([](MPTerror& c) { c.Code = 5014; })); // validation 5014/3 of the same row
    EXPECT_TRUE(differs([](MPTerror& c) { c.SubCode = 4; }));
    EXPECT_TRUE(differs([](MPTerror& c) { c.Args = QStringLiteral("13"); }));
    EXPECT_TRUE(differs([](MPTerror& c) { c.ListKind = 5; }));
    EXPECT_TRUE(differs([](MPTerror& c) { c.Number = 13; }));
    b.Clear();
    EXPECT_EQ(b.Code, 0);
    EXPECT_TRUE(b.Args.isEmpty());
}

TEST(MStrip, RecordRoundTripAndText) {
    MStrip s;
    s.Id = 3;
    s.FirstS = 10;
    s.LastS = 25;
    s.SetName(QStringLiteral("Body"));
    EXPECT_EQ(s.Text(), QStringLiteral("Body S10 .. S25"));
    const auto rec = s.ToRecord();
    EXPECT_EQ(rec[0], 3);
    EXPECT_EQ(rec[4], 10);
    EXPECT_EQ(rec[12], 'B');
    EXPECT_EQ(MStrip::FromRecord(rec), s);
    // A name that fills the field has no terminating zero and is still read whole.
    MStrip full;
    full.Name.fill('x');
    EXPECT_EQ(MStrip::FromRecord(full.ToRecord()).NameText().size(), 80);
    // A name holding "%2" stays as it is.
    s.SetName(QStringLiteral("A%2"));
    EXPECT_EQ(s.Text(), QStringLiteral("A%2 S10 .. S25"));
    EXPECT_THROW(MStrip::FromRecord(std::span<const std::uint8_t>(rec.data(), 91)), EReadError);
}
