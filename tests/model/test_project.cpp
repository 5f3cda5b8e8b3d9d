// The project as the model reads it: counters resolved against the whole program, the in-memory
// project and the readable project scripts of the tests.
#include "model/UProject.h"

#include "tests/support/ProjectScript.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {
using kdstest::BuildProject;

const char* const Program = R"(
W1 levels=10,20,30,40,50,60,70,80
R1 D7
R2 W1
R3 R1
R4 W9
)";

TEST(ResolveValue, ResolvesOneLevelAndMarksWhatItReaches) {
    struct Case {
        const char* Setup; // extra lines
        MCounter Counter;
        int Expected;
        std::vector<int> MarkedW1R1R2R3;
    };
    const Case cases[] = {
        {"", {ckD, 17}, 17, {0, 0, 0, 0}},      {"", {ckD, -5}, -5, {0, 0, 0, 0}},
        {"", {ckW, 1}, 10, {1, 0, 0, 0}},       // no C entry 1: selector position 1
        {"C WE=3", {ckW, 1}, 30, {1, 0, 0, 0}}, //
        {"C WE=8", {ckW, 1}, 80, {1, 0, 0, 0}}, //
        {"C WE=3", {ckW, 9}, 0, {0, 0, 0, 0}},  // W entry missing
        {"C WE=0", {ckW, 1}, 0, {0, 0, 0, 0}},  // selector outside 1..8
        {"C WE=9", {ckW, 1}, 0, {0, 0, 0, 0}},  //
        {"C WE=2", {0, 1}, 0, {0, 0, 0, 0}},    // kinds 0 and 4
        {"C WE=2", {4, 1}, 0, {0, 0, 0, 0}},    //
        {"", {ckR, 1}, 7, {0, 1, 0, 0}},        // R with a repeat count
        {"C WE=2", {ckR, 2}, 20, {1, 0, 1, 0}}, // R naming a W: both marked
        {"C WE=9", {ckR, 2}, 0, {0, 0, 1, 0}},  //
        {"", {ckR, 3}, 0, {0, 0, 0, 1}},        // R naming an R: one level only
        {"", {ckR, 4}, 0, {0, 0, 0, 0}},        // its W entry missing
        {"", {ckR, 5}, 0, {0, 0, 0, 0}},        // R entry missing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.Setup << " kind " << int(c.Counter.Kind) << " value " << c.Counter.Value);
        auto project = BuildProject(QString::fromLatin1(Program) + QLatin1String(c.Setup));
        EXPECT_EQ(project->ResolveValue(c.Counter), c.Expected);
        MProgramLists& p = project->Program();
        EXPECT_EQ((std::vector<int>{p.W.GetW(1).UsedMark, p.R.GetR(1).UsedMark, p.R.GetR(2).UsedMark,
                                    p.R.GetR(3).UsedMark}),
                  c.MarkedW1R1R2R3);
    }
}

TEST(ItemHint, LabelsOfTheRangeAtTheSelectorPosition) {
    auto project = BuildProject("N3 X=1+4 D2\nN5 N=3+0 D1\nW7 levels=11,22,33\nC WE=2");
    MProgramLists& p = project->Program();
    const QString n3 = p.N.GetN(3).Label(4, 740), n5 = p.N.GetN(5).Label(4, 740);
    struct Case {
        int Window, First, Count;
        QString Expected;
    };
    const Case cases[] = {
        {wiN, 3, 2, n3 + QLatin1String("\n\r") + n5}, // N4 missing: skipped without a separator
        {wiN, 5, -2, n5 + QLatin1String("\n\r") + n3},
        {wiN, 4, 0, QString()},
        {wiW, 7, 0, p.W.GetW(7).Label(4, 740, 2)}, // level 2 from WE
        {wiC, 1, 0, QStringLiteral("No Hint")},
        {wiZ, 1, 0, QStringLiteral("kept")},
        {10, 1, 0, QStringLiteral("kept")},
        {-1, 1, 0, QStringLiteral("kept")},
    };
    for (const Case& c : cases) {
        QString text = QStringLiteral("kept");
        project->GetItemHint(c.Window, c.First, c.Count, text);
        EXPECT_EQ(text, c.Expected) << c.Window << " " << c.First << " " << c.Count;
    }
    EXPECT_TRUE(p.W.GetW(7).Label(4, 740, 2).contains(QLatin1String("0022")));

    // Without C entry 1 the labels show level 1 instead of failing.
    p.C.DeleteNumber(1);
    QString text;
    project->GetItemHint(wiW, 7, 0, text);
    EXPECT_EQ(text, p.W.GetW(7).Label(4, 740, 1));
}

TEST(MemoryProject, DrawingAndSetupRefresh) {
    MMemoryProject project;
    EXPECT_EQ(project.Pattern(), nullptr);
    project.NewPicture(4, 3);
    project.Picture.SetPixel(3, 2, 0x00C0FFEE);
    MPatternSource* pattern = project.Pattern();
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->ImageWidth(), 4);
    EXPECT_EQ(pattern->ImageHeight(), 3);
    ByteWriter s;
    EXPECT_EQ(pattern->ReadNeedleRow(s, 1, 4, 0), 1);
    EXPECT_EQ(s.Buffer(), (std::vector<std::uint8_t>{0xC0, 0xFF, 0xEE}));

    // A new size is seen at the next call; a size that cannot be held leaves the picture.
    project.NewPicture(7, 2);
    EXPECT_EQ(project.Pattern()->ImageWidth(), 7);
    EXPECT_THROW(project.NewPicture(100000, 100000), ERangeError);
    EXPECT_EQ(project.Pattern()->ImageHeight(), 2);
    project.RemovePicture();
    EXPECT_EQ(project.Pattern(), nullptr);

    MProject& asProject = project;
    asProject.RefreshSetupForm();
    asProject.RefreshSetupForm();
    EXPECT_EQ(project.RefreshCount, 2);
}

TEST(ProjectScript, BuildsTheProgramAsWritten) {
    auto project = BuildProject(R"(
        machine 721 5   # two numbers: model and gauge
        C W=200 WE=2 picture=50x20 L3=1,-2 FT=2,3
        S4 Z=1+1 R2 N=3-2 P=5 offset=3
        S5 cycle=1+3 D9
        N3 N=1+1 W5
        Z2 cam1=JR+FK ZT1=12 yc2=1,8 rack1=-3:U1 PA=1
        picture
        0 1 2
        3 4 5
    )");
    MProgramLists& p = project->Program();
    EXPECT_EQ(p.Machine.Model, 721);
    EXPECT_EQ(p.Machine.Gauge, 5);
    EXPECT_EQ(p.Machine.Category, 4);
    const MUnvC& c = p.C.GetC(1);
    EXPECT_EQ(c.To[0] - c.From[0], 200);
    EXPECT_EQ(c.WE, 2);
    EXPECT_EQ(c.Width, 50);
    EXPECT_EQ(c.OffsetTables[2].L[1], -2);
    EXPECT_EQ(c.CarrierStarts[2].FT, 1);
    const MUnvS& s = p.S.GetS(4);
    EXPECT_EQ(
        std::tuple(s.Type, s.First, s.Count, s.Counter, s.NFirst, s.NCount, s.PFirst, s.PCount, s.Offset),
        std::tuple(1, 1, 1, MCounter{ckR, 2}, 3, -2, 5, 0, 3));
    EXPECT_EQ(p.S.GetS(5).Type, 2);
    const MUnvN& n = p.N.GetN(3);
    EXPECT_EQ(std::tuple(n.Type, n.Start, n.Count, n.Counter), std::tuple(2, 1, 1, MCounter{ckW, 5}));
    const MUnvZ& z = p.Z.GetZ(2);
    EXPECT_EQ(z.CamCode[0], camJRFK);
    EXPECT_EQ(z.PatternLine[0], 12);
    EXPECT_TRUE(z.Carriers[1].IsSet(0) && z.Carriers[1].IsSet(7));
    EXPECT_EQ(z.Racking[0], (MZRacking{-3, 2, 0}));
    EXPECT_EQ(project->Picture.GetPixel(2, 1), project->Colors.Color(5));
    EXPECT_EQ(project->Picture.Width, 3);

    EXPECT_THROW(BuildProject("N1 X=1+2\nN2 Y=3"), std::invalid_argument);
    try {
        BuildProject("N1 X=1+2\n\nS1 Z=a+1");
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
    }
}
} // namespace
