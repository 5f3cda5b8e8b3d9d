#include "model/UprojInfo.h"
#include "platform/Bytes.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::uint8_t> Header(std::uint16_t first, std::uint16_t model, std::uint16_t gauge2) {
    std::vector<std::uint8_t> h(16, 0);
    h[0] = std::uint8_t(first >> 8);
    h[1] = std::uint8_t(first);
    h[10] = std::uint8_t(model >> 8);
    h[11] = std::uint8_t(model);
    h[12] = std::uint8_t(gauge2 >> 8);
    h[13] = std::uint8_t(gauge2);
    return h;
}
} // namespace

TEST(MMachineInfo, DefaultsAndModelTable) {
    MMachineInfo m;
    EXPECT_EQ(m.Category, 4);
    EXPECT_EQ(m.Model, 740);
    EXPECT_EQ(m.Gauge, 7);
    EXPECT_EQ(m.HeaderWord, 2);
    EXPECT_EQ(m.NeedleCount(), 630);
    const struct {
        int Model, Systems, Factor;
    } cases[] = {{706, 2, 90}, {708, 1, 44}, {710, 1, 44}, {712, 2, 90}, {720, 4, 90},
                 {721, 4, 48}, {725, 2, 48}, {728, 2, 48}, {729, 2, 48}, {740, 4, 90},
                 {745, 2, 90}, {746, 4, 90}, {748, 2, 44}, {741, 0, 0},  {0, 0, 0}};
    for (const auto& c : cases) {
        m.Model = c.Model;
        m.UpdateCategory();
        EXPECT_EQ(m.Category, c.Systems) << c.Model;
        EXPECT_EQ(m.BedFactor(), c.Factor) << c.Model;
    }
    m.Model = 721;
    m.Gauge = 5;
    EXPECT_EQ(m.NeedleCount(), 240);
    m.Gauge = 0x7FFFFFFF;
    EXPECT_THROW(m.NeedleCount(), EIntOverflow);
}

TEST(MMachineInfo, ReadsTheHeaderWordsAndFallsBackToTheFileName) {
    const struct {
        std::uint16_t Model, Gauge2;
        const char* Name;
        int WantModel, WantGauge, WantCategory;
    } cases[] = {
        {740, 14, "x.LST", 740, 7, 4},           {748, 15, "x.LST", 748, 7, 2},
        {0, 14, "KNIT_721e5.LST", 721, 5, 4},    {0, 14, "KNIT.LST", 0, 0, 0},
        {0, 14, "/p/x_740e7/KNIT.LST", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const auto bytes = Header(0x1234, c.Model, c.Gauge2);
        ByteReader r(bytes.data(), bytes.size());
        MMachineInfo m;
        m.ReadFromMachineFile(r, QString::fromUtf8(c.Name));
        EXPECT_EQ(m.HeaderWord, 0x1234) << c.Name;
        EXPECT_EQ(m.Model, c.WantModel) << c.Name;
        EXPECT_EQ(m.Gauge, c.WantGauge) << c.Name;
        EXPECT_EQ(m.Category, c.WantCategory) << c.Name;
        EXPECT_EQ(r.Position(), 14u);
    }
}

TEST(MMachineInfo, AShortFileIsAReadErrorAndChangesNothing) {
    const auto bytes = Header(1, 740, 14);
    ByteReader r(bytes.data(), 13);
    MMachineInfo m;
    m.Model = 721;
    EXPECT_THROW(m.ReadFromMachineFile(r, QStringLiteral("a_740e7.LST")), EReadError);
    EXPECT_EQ(m.Model, 721);
}

TEST(MMachineInfo, StripsAreOwnedCopies) {
    MMachineInfo five;
    EXPECT_EQ(five.NextStripId(), 1);
    for (int id : {3, 7, 1, 2, 5}) {
        MStrip s;
        s.Id = id;
        five.AddStrip(s);
    }
    EXPECT_EQ(five.NextStripId(), 8);
    EXPECT_THROW(five.GetStrip(5), EListError);
    EXPECT_THROW(five.DeleteStrip(-1), EListError);
    five.DeleteStrip(1);
    EXPECT_EQ(five.NextStripId(), 6);

    MMachineInfo two;
    two.Model = 721;
    two.Gauge = 5;
    two.UpdateCategory();
    MStrip a;
    a.Id = 1;
    a.SetName(QStringLiteral("Body"));
    two.AddStrip(a);
    a.Id = 2;
    two.AddStrip(a);
    five.Assign(two);
    EXPECT_EQ(five.StripCount(), 2);
    EXPECT_EQ(five.Model, 721);
    EXPECT_EQ(five.Category, 4);
    EXPECT_EQ(five.GetStrip(1), two.GetStrip(1));
    five.GetStrip(0).Id = 40;
    EXPECT_EQ(two.GetStrip(0).Id, 1) << "the copies are separate objects";
    five.ClearStrips();
    EXPECT_EQ(five.StripCount(), 0);
}
