#include "model/Ustrings.h"

#include <gtest/gtest.h>

TEST(SplitToStrings, TokensAreTrimmedAndEmptyOnesKept) {
    const struct {
        const char* In;
        QStringList Out;
    } cases[] = {
        {"a;b;", {"a", "b"}},
        {";a", {"", "a"}},
        {"a;;b", {"a", "", "b"}},
        {" a ; b\t;\r c ", {"a", "b", "c"}},
        {";", {""}},
    };
    for (const auto& c : cases) {
        QStringList list{QStringLiteral("old")};
        SplitToStrings(list, QString::fromUtf8(c.In), QLatin1Char(';'));
        EXPECT_EQ(list, c.Out) << c.In;
    }
    QStringList kept{QStringLiteral("x"), QStringLiteral("y")};
    SplitToStrings(kept, QString(), QLatin1Char(';'));
    EXPECT_EQ(kept, (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
}

TEST(ExtractToken, PositionsAreOneBased) {
    const QString s = QStringLiteral("ab;cd");
    int pos = 1;
    QString token = QStringLiteral("keep");
    ExtractToken(s, pos, QLatin1Char(';'), token);
    EXPECT_EQ(token, QStringLiteral("ab"));
    EXPECT_EQ(pos, 4);
    ExtractToken(s, pos, QLatin1Char(';'), token);
    EXPECT_EQ(token, QStringLiteral("cd"));
    EXPECT_EQ(pos, 6);
    ExtractToken(s, pos, QLatin1Char(';'), token);
    EXPECT_TRUE(token.isEmpty());
    EXPECT_EQ(pos, 6);
    token = QStringLiteral("keep");
    ExtractToken(QString(), pos, QLatin1Char(';'), token);
    EXPECT_EQ(token, QStringLiteral("keep"));
}

TEST(IntToStrPadded, PadsDigitsAndShowsSigns) {
    const struct {
        int Value, Digits;
        bool Plus;
        const char* Out;
    } cases[] = {
        {5, 3, false, "005"},
        {5, 3, true, "+005"},
        {-5, 3, true, "-005"},
        {123, 2, false, "123"},
        {0, 1, true, "+0"},
        {0, 4, false, "0000"},
        {-120, 4, false, "-0120"},
        {7, 0, false, "7"},
        {1000, 4, true, "+1000"},
        {INT_MIN, 3, false, "-2147483648"},
        {42, 12, false, "000000000042"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IntToStrPadded(c.Value, c.Digits, c.Plus), QString::fromUtf8(c.Out))
            << c.Value << "/" << c.Digits;
}
