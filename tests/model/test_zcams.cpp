#include "model/UCamCodes.h"

#include <gtest/gtest.h>

#include <set>

TEST(CamCodes, NamesAreFiveCharactersAndDistinct) {
    std::set<QString> seen;
    for (const QString& name : CamCodeNames()) {
        EXPECT_EQ(name.size(), 5) << name.toStdString();
        EXPECT_TRUE(seen.insert(name).second) << name.toStdString();
    }
    EXPECT_EQ(CamCodeName(0), QStringLiteral("     "));
    EXPECT_EQ(CamCodeName(camJRFK), QStringLiteral("JR+FK"));
    EXPECT_EQ(CamCodeName(camJN21), QStringLiteral("JN2:1"));
    for (int outside : {-1, 27, 255})
        EXPECT_EQ(CamCodeName(outside), QStringLiteral("     "));
}

TEST(CamCodes, MachineBytesTranslateBothWays) {
    const std::set<int> known(CamCodeBytes().begin(), CamCodeBytes().end());
    EXPECT_EQ(known.size(), std::size_t(CamCodeCount));
    for (int i = 0; i < CamCodeCount; ++i)
        EXPECT_EQ(CamCodeOfByte(CamCodeByte(i)), i) << i;
    EXPECT_EQ(CamCodeByte(camJRFK), 0x08);
    EXPECT_EQ(CamCodeByte(camNA), 0x85);
    EXPECT_EQ(CamCodeByte(camJUNA), 0x89);
    // Bytes no cam has, 7 among them, read as no cam.
    for (int b = 0; b < 256; ++b) {
        if (!known.count(b)) {
            EXPECT_EQ(CamCodeOfByte(b), 0) << b;
        }
    }
    EXPECT_EQ(CamCodeOfByte(7), 0);
    for (int outside : {-1, 256, 0x105})
        EXPECT_EQ(CamCodeOfByte(outside), 0) << outside;
    EXPECT_EQ(CamCodeByte(27), 0);
    EXPECT_EQ(CamCodeByte(-3), 0);
}

TEST(CamCodes, ClassesGroupTheCodesByName) {
    const struct {
        int Class;
        std::set<QString> Names;
    } groups[] = {
        {101, {"  A  "}},
        {102, {"  RR ", "  F  ", " 1:1 ", " F1:1", " 2:1 ", " F2:1"}},
        {103, {" JNRR", "JN1:1", "JN2:1"}},
        {104, {" JURR", "JU1:1", "JU2:1"}},
        {105, {"  JA "}},
        {106, {"  JR ", "  JF ", " JFK ", "JR+FK", "JR+JF", " JRLK", " JRK "}},
        {107, {"  JN ", "  NA "}},
        {108, {"  JU "}},
        {109, {"JU+JN", "JU+NA"}},
    };
    int grouped = 0;
    for (const auto& g : groups)
        for (int i = 0; i < CamCodeCount; ++i)
            if (g.Names.count(CamCodeName(i))) {
                EXPECT_EQ(CamCodeClass(i), g.Class) << CamCodeName(i).toStdString();
                ++grouped;
            }
    EXPECT_EQ(grouped, 26);
    for (int outside : {0, -1, 27, 200})
        EXPECT_EQ(CamCodeClass(outside), 0) << outside;
}

TEST(CamCodes, ClassesSplitIntoFamilyAndVariant) {
    const struct {
        int Cam, Family, Variant;
    } cases[] = {
        {camA, 1, 0},  {camRR, 1, 4}, {camJNRR, 1, 2}, {camJURR, 1, 1}, {camJA, 2, 0}, {camJR, 2, 4},
        {camJN, 2, 2}, {camJU, 2, 1}, {camJUJN, 2, 3}, {camNone, 0, 0}, {27, 0, 0},    {-1, 0, 0},
    };
    for (const auto& c : cases) {
        int variant = -1, family = -1;
        SplitCamCode(c.Cam, variant, family);
        EXPECT_EQ(family, c.Family) << c.Cam;
        EXPECT_EQ(variant, c.Variant) << c.Cam;
        EXPECT_EQ(CamCodeFamily(c.Cam), c.Family) << c.Cam;
        EXPECT_EQ(CamCodeVariant(c.Cam), c.Variant) << c.Cam;
    }
}
