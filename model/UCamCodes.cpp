#include "model/UCamCodes.h"

namespace {
struct CamRow {
    const char* Name;
    std::uint8_t Byte;
    int Class;
};

constexpr CamRow CamTable[CamCodeCount] = {
    {"     ", 0x00, 0},   {"  JA ", 0x01, 105}, {"  JR ", 0x02, 106}, {"  JF ", 0x03, 106},
    {"  JU ", 0x04, 108}, {"  JN ", 0x05, 107}, {" JFK ", 0x06, 106}, {"JR+FK", 0x08, 106},
    {"JU+JN", 0x09, 109}, {"JR+JF", 0x0A, 106}, {" JRLK", 0x0B, 106}, {" JRK ", 0x0C, 106},
    {"  NA ", 0x85, 107}, {"JU+NA", 0x89, 109}, {"  A  ", 0x11, 101}, {"  RR ", 0x22, 102},
    {"  F  ", 0x23, 102}, {" JURR", 0x24, 104}, {" JNRR", 0x25, 103}, {" 1:1 ", 0x32, 102},
    {" F1:1", 0x33, 102}, {"JU1:1", 0x34, 104}, {"JN1:1", 0x35, 103}, {" 2:1 ", 0x42, 102},
    {" F2:1", 0x43, 102}, {"JU2:1", 0x44, 104}, {"JN2:1", 0x45, 103},
};

// Family and variant of the classes 101..109.
struct ClassSplit {
    int Family;
    int Variant;
};
constexpr ClassSplit Splits[9] = {{1, 0}, {1, 4}, {1, 2}, {1, 1}, {2, 0}, {2, 4}, {2, 2}, {2, 1}, {2, 3}};

bool InTable(int Index) {
    return Index >= 0 && Index < CamCodeCount;
}
} // namespace

const std::array<QString, CamCodeCount>& CamCodeNames() {
    static const std::array<QString, CamCodeCount> names = [] {
        std::array<QString, CamCodeCount> a;
        for (int i = 0; i < CamCodeCount; ++i)
            a[std::size_t(i)] = QLatin1String(CamTable[i].Name);
        return a;
    }();
    return names;
}

QString CamCodeName(int Index) {
    return CamCodeNames()[std::size_t(InTable(Index) ? Index : 0)];
}

const std::array<std::uint8_t, CamCodeCount>& CamCodeBytes() {
    static const std::array<std::uint8_t, CamCodeCount> bytes = [] {
        std::array<std::uint8_t, CamCodeCount> a{};
        for (int i = 0; i < CamCodeCount; ++i)
            a[std::size_t(i)] = CamTable[i].Byte;
        return a;
    }();
    return bytes;
}

std::uint8_t CamCodeByte(int Index) {
    return InTable(Index) ? CamTable[Index].Byte : 0;
}

int CamCodeOfByte(int Byte) {
    for (int i = 1; i < CamCodeCount; ++i)
        if (CamTable[i].Byte == Byte)
            return i;
    return 0;
}

int CamCodeClass(int Index) {
    return Index >= 1 && Index < CamCodeCount ? CamTable[Index].Class : 0;
}

void SplitCamCode(int Index, int& Variant, int& Family) {
    const int c = CamCodeClass(Index);
    if (c >= 101 && c <= 109) {
        Family = Splits[c - 101].Family;
        Variant = Splits[c - 101].Variant;
    } else {
        Family = 0;
        Variant = 0;
    }
}

int CamCodeFamily(int Index) {
    int variant = 0, family = 0;
    SplitCamCode(Index, variant, family);
    return family;
}

int CamCodeVariant(int Index) {
    int variant = 0, family = 0;
    SplitCamCode(Index, variant, family);
    return variant;
}

bool CamPairFits(int Front, int Rear) {
    const int a = CamCodeVariant(Front);
    const int b = CamCodeVariant(Rear);
    const bool aAlone = a == 0 || a == 4;
    const bool bAlone = b == 0 || b == 4;
    return aAlone == bAlone && !(a == b && (a == 1 || a == 2));
}
