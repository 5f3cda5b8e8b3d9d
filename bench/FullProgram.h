#pragma once
// A full-size program for the benchmarks: 2000 Z rows whose sub-records are all different, 511 S
// lines (line n runs over Z rows n and n + 1) and every other kind up to its largest number.

#include "model/UunvDta.h"

inline void FillRow(MUnvZ& z, int n) {
    for (int j = 0; j < 8; ++j) {
        z.PatternLine[std::size_t(j)] = j == 0 ? n % 1000 : j == 1 ? n / 1000 : j;
        z.KNF[std::size_t(j)].SetDWord(std::uint32_t(n) << j);
        z.LG[std::size_t(j)].SetDWord(std::uint32_t(n) << (j + 8) | 1u);
        z.Tying[std::size_t(j)] = std::uint8_t(j % 3);
    }
    // Three base-27 digits of the number make the cam codes of each row different.
    z.CamCode[0] = std::uint8_t(n % 27);
    z.CamCode[1] = std::uint8_t(n / 27 % 27);
    z.CamCode[2] = std::uint8_t(n / 729);
    z.CamCode[5] = 4;
    z.Carriers[0].SetByte(std::uint8_t(n & 0xFF));
    z.Carriers[1].SetByte(std::uint8_t(n >> 8));
    z.Carriers[2].Value = 3;
    z.Racking[0] = MZRacking{n - 1000, 1, 2};
    z.FSFront = std::uint8_t(n % 63 + 1);
    z.FSRear = std::uint8_t(n % 61 + 1);
    z.FD = std::uint8_t(n % 59 + 1);
    z.TZ = std::uint8_t(n % 101);
    z.PB = MZPB{1, n / 101 - 10};
    z.WA2 = MZWA2{n % 50 + 1, 1, 0};
    z.ST = 1;
    z.PR = n % 201 - 100;
    z.WA1 = MZWA1{n / 201 - 5, 1};
    z.JV = 1;
    z.NetRear[0] = 64;
}

template <typename T, typename F>
inline void FillList(MUnvList& List, int Count, F Make) {
    for (int n = 1; n <= Count; ++n) {
        T m;
        m.Number = n;
        Make(m, n);
        List.AddOrReplace(m);
    }
}

inline void FillProgram(MProgramLists& p) {
    MSwitchGuard noChecks(ListsAutoValidate, false);
    p.Machine.Model = 740;
    p.Machine.Gauge = 7;
    FillList<MUnvP>(p.P, 255, [](MUnvP& m, int n) {
        m.Mode = std::uint8_t(n % 9);
        m.L = n;
        m.R = n + 100;
        m.ClrsL.SetBit(n % 32, 1);
    });
    FillList<MUnvN>(p.N, 127, [](MUnvN& m, int n) {
        m.Start = n;
        m.Count = 3;
    });
    FillList<MUnvZ>(p.Z, 2000, FillRow);
    FillList<MUnvR>(p.R, 63, [](MUnvR& m, int n) { m.Offsets.fill(n); });
    FillList<MUnvS>(p.S, 511, [](MUnvS& m, int n) {
        m.First = n;
        m.Count = 1;
        m.NFirst = 1;
        m.PFirst = 1;
        m.Offset = std::uint8_t(n % 8 + 1);
    });
    FillList<MUnvW>(p.W, 255, [](MUnvW& m, int n) { m.Levels.fill(n); });
    FillList<MUnvFS>(p.FS, 63, [](MUnvFS& m, int n) { m.CountersA[0].Value = n; });
    FillList<MUnvFD>(p.FD, 63, [](MUnvFD& m, int n) { m.FirstFE[0] = n; });
    FillList<MUnvFE>(p.FE, 127, [](MUnvFE& m, int n) { m.HorizontalStep = n; });
    FillList<MUnvC>(p.C, 1, [](MUnvC& m, int) { m.Width = 630; });
}
