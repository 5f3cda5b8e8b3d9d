// Writing the machine program file: the writer is the inverse of the reader for random programs of
// every model, Z sub-records are numbered and shared as the rows' own comparison says, values the
// file cannot hold are refused before anything is written, and damaged files change nothing.
#include "model/UCamCodes.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UunvDta.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include <sys/stat.h>

namespace {
// Random programs whose values lie in the kinds' ranges and in the forms the file keeps: a count is 0
// when its first number is 0, a P mode uses either needles or colours, a lower take-down step above
// "none" has a value (1 for "^" and "v"), X1 and Y1 are at least 1.
//
// With ValidOnly, every module passes its kind's validation instead and the lower take-down is drawn
// without regard to the file: a valid module must survive a save unchanged, so a value that
// validation accepts but the file cannot keep shows as a difference. What stays in file form is what
// the kinds leave free by design: the needles or colours that a P mode does not use share their
// bytes, and X1 and Y1 (which the interpreter sets to 1) are not kept below 1.
class ProgramMaker {
public:
    explicit ProgramMaker(unsigned Seed, bool ValidOnly = false) : FRandom(Seed), FValidOnly(ValidOnly) {}

    int Int(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FRandom); }
    bool Chance(int Percent) { return Int(1, 100) <= Percent; }
    // Mostly 0, so that rows share sub-records.
    int Sparse(int Lo, int Hi) { return Chance(60) ? 0 : Int(Lo, Hi); }

    void Colours(MbitsMap& Set, int Max = 32) {
        Set.Clear();
        const int n = Int(1, 3);
        for (int i = 0; i < n; ++i)
            Set.SetBit(Int(0, Max - 1), 1);
    }
    void SparseColours(MbitsMap& Set) {
        Set.Clear();
        if (!Chance(60))
            Colours(Set, 4);
    }
    MCounter Counter(int Kinds, int DMax) {
        const int kind = Int(1, Kinds);
        const int value = kind == 1 ? Int(0, DMax) : kind == 2 ? Int(1, 255) : Int(1, 63);
        return MCounter{std::uint8_t(kind), value};
    }
    // A signed range {First, Count} within Lo..Hi, or no range.
    std::pair<int, int> Range(int Lo, int Hi) {
        if (Chance(20))
            return {0, 0};
        const int first = Int(Lo, Hi);
        return {first, Int(Lo, Hi) - first};
    }
    // Numbers 1..Limit, each present with the given chance (at least one).
    std::vector<int> Numbers(int Limit, int Percent) {
        std::vector<int> v;
        for (int n = 1; n <= Limit; ++n)
            if (Chance(Percent))
                v.push_back(n);
        if (v.empty())
            v.push_back(Int(1, Limit));
        return v;
    }

    void P(MUnvP& p) {
        p.Dir = std::uint8_t(Int(0, 2));
        p.Mode = std::uint8_t(Int(0, 8));
        for (auto& c : p.Carriers)
            c = std::uint8_t(Int(0, 1));
        if (p.Mode < 4) {
            p.L = Int(0, 2000);
            p.R = Int(0, 2000);
        } else {
            Colours(p.ClrsL);
            p.ClrsL.SetBit(Int(0, 15), 1);
            p.ClrsL.SetBit(Int(16, 31), 1);
            if (p.Mode == 5 || p.Mode == 6) {
                Colours(p.ClrsR);
                p.ClrsR.SetBit(Int(0, 15), 1);
                p.ClrsR.SetBit(Int(16, 31), 1);
            }
        }
    }
    void N(MUnvN& n) {
        n.Type = std::uint8_t(Int(1, 2));
        const auto [first, count] = Range(1, n.Type == 1 ? 2000 : 127);
        n.Start = first;
        n.Count = count;
        n.Counter = Counter(2, 9999);
    }
    void R(MUnvR& r) {
        r.Counter = Counter(2, 9999);
        for (auto& o : r.Offsets)
            o = Int(-9999, 9999);
    }
    void S(MUnvS& s) {
        s.Type = std::uint8_t(Int(1, 2));
        std::tie(s.First, s.Count) = Range(1, s.Type == 1 ? 2000 : 511);
        s.Counter = Counter(3, 9999);
        std::tie(s.NFirst, s.NCount) = Range(1, 127);
        std::tie(s.PFirst, s.PCount) = Range(1, 255);
        s.Offset = std::uint8_t(Int(1, 8));
    }
    void W(MUnvW& w) {
        for (auto& l : w.Levels)
            l = Int(0, 9999);
    }
    void FS(MUnvFS& f) {
        for (int j = 0; j < 8; ++j) {
            f.CountersA[std::size_t(j)] = Counter(2, 240);
            f.CountersB[std::size_t(j)] = Counter(2, 240);
        }
    }
    void FD(MUnvFD& f) {
        for (int j = 0; j < 8; ++j)
            std::tie(f.FirstFE[std::size_t(j)], f.CountFE[std::size_t(j)]) = Range(1, 127);
    }
    void FE(MUnvFE& f) {
        f.Difference = Int(-240, 240);
        f.VerticalStep = Int(0, std::abs(f.Difference));
        f.HorizontalStep = Int(0, 2000);
        f.StartPoint = std::uint8_t(Int(0, 2));
        f.Offset = Int(-2000, 2000);
        Colours(f.Colors);
    }
    void C(MUnvC& c) {
        c.WE = Int(1, 8);
        c.ST = Int(0, 9999);
        c.LB = Int(0, 9999);
        c.WA = Int(1, 100);
        c.TZ = Int(0, 140);
        c.Time = Int(0, 65535);
        c.X1 = Int(1, 2000);
        c.Y1 = Int(1, 2000);
        c.Width = Int(0, 2000);
        c.Height = Int(0, 2000);
        // Valid areas have one width and lie apart.
        const int width = Int(1, 200);
        int next = 1;
        for (int k = 0; k < 8; ++k) {
            c.From[std::size_t(k)] = Int(0, 1000);
            c.To[std::size_t(k)] = Int(1000, 2000);
            if (FValidOnly) {
                const bool used = Chance(60) && next + 20 + width <= 2000;
                c.From[std::size_t(k)] = used ? next + Int(0, 20) : 0;
                c.To[std::size_t(k)] = used ? c.From[std::size_t(k)] + width : 0;
                next = used ? c.To[std::size_t(k)] + 1 : next;
            }
            MCarrierStart& s = c.CarrierStarts[std::size_t(k)];
            s.FT = std::uint8_t(k == 0 || k == 7 ? 0 : Int(0, 1));
            s.FF = std::uint8_t(Int(0, 8));
            for (auto& p : s.Positions)
                p = Int(-2000, 2000);
            for (int i = 0; i < 8; ++i) {
                c.OffsetTables[std::size_t(k)].L[std::size_t(i)] = Int(-2000, 2000);
                c.OffsetTables[std::size_t(k)].R[std::size_t(i)] = Int(-2000, 2000);
            }
            c.StitchDiff1[std::size_t(k)] = Int(0, 99);
            c.StitchDiff2[std::size_t(k)] = Int(0, 99);
        }
        for (auto* table : {&c.RackCorrection1, &c.RackCorrection2})
            for (MRackCorrection& e : *table)
                e = MRackCorrection{Int(-99, 99), std::uint8_t(Int(0, 2)), Int(-999, 999), Int(-999, 999),
                                    Chance(30) ? 0 : Int(200, 4999)};
    }
    void Z(MUnvZ& z) {
        for (MffMap& f : z.Carriers) {
            f.Clear();
            f.SetByte(std::uint8_t(Sparse(1, 3)));
            f.Value = std::uint8_t(Chance(80) ? 0 : Int(0, 8)); // an offset may stand alone
        }
        for (int i = 0; i < 8; ++i) {
            SparseColours(z.LG[std::size_t(i)]);
            SparseColours(z.KNF[std::size_t(i)]);
            z.PatternLine[std::size_t(i)] = Sparse(1, 3);
            z.Tying[std::size_t(i)] = std::uint8_t(Sparse(1, 2));
            z.CamCode[std::size_t(i)] = std::uint8_t(Sparse(1, 26));
        }
        if (Chance(30)) { // equal colour sets in both groups: shared across KNF and LG
            for (int i = 0; i < 8; ++i)
                z.LG[std::size_t(i)].Assign(z.KNF[std::size_t(i)]);
        }
        z.BlowerCleaning = std::uint8_t(Sparse(1, 1));
        for (int s = 0; s < 4; ++s) {
            z.Unipress[std::size_t(s)] = std::uint8_t(Sparse(1, 1));
            const int codes[] = {0, 64, 11, 23, 63};
            z.NetRear[std::size_t(s)] = std::uint8_t(Chance(70) ? 0 : codes[Int(0, 4)]);
            z.NetRearFront[std::size_t(s)] = std::uint8_t(Sparse(1, 1));
        }
        z.PR = Sparse(-100, 100);
        z.JV = std::uint8_t(Sparse(1, 2));
        for (MZRacking& r : z.Racking)
            r = Chance(60) ? MZRacking{}
                           : MZRacking{Int(-20, 20), std::uint8_t(Int(0, 3)), std::uint8_t(Int(0, 2))};
        z.FSFront = std::uint8_t(Sparse(1, 63));
        z.FSRear = std::uint8_t(Sparse(1, 63));
        z.FD = std::uint8_t(Sparse(1, 63));
        const int mirrors[] = {0, 64, 128};
        z.FDMirror = std::uint8_t(mirrors[Int(0, 2)]);
        SparseColours(z.FDColors);
        z.WA1 = MZWA1{Sparse(-100, 100), std::uint8_t(Sparse(1, 1))};
        z.WA2.Mode = std::uint8_t(Sparse(1, 1));
        z.WA2.Step = std::uint8_t(Sparse(1, 3));
        z.WA2.Value = z.WA2.Step >= 2   ? 1
                      : z.WA2.Step == 1 ? (Chance(50) ? Int(1, 100) : Int(-100, -1))
                                        : Sparse(-100, 100);
        if (FValidOnly) // any step with any value: validation decides
            z.WA2.Value = Chance(30) ? 1 : Sparse(-100, 100);
        z.PB = MZPB{std::uint8_t(Sparse(1, 1)), Sparse(-100, 100)};
        z.TZ = std::uint8_t(Sparse(0, 100));
        z.PA = std::uint8_t(Sparse(1, 2));
        z.ST = std::uint8_t(Sparse(1, 1));
    }

    template <typename T, typename F>
    void FillList(MUnvList& List, const std::vector<int>& Numbers, F Make) {
        for (int n : Numbers) {
            T m;
            m.Number = n;
            for (int tries = 0;; ++tries) {
                Make(m);
                if (!FValidOnly || IsValid(m))
                    break;
                if (tries == 100000) {
                    ADD_FAILURE() << "no valid module of kind " << m.ListKind();
                    break;
                }
            }
            List.AddOrReplace(m);
        }
    }

    static bool IsValid(const MUnvBase& Module) {
        try {
            Module.Validate();
            return true;
        } catch (const MException&) {
            return false;
        }
    }

    // A whole program; the list order of the Z rows is shuffled.
    void Fill(MProgramLists& p, int Model, int Percent) {
        p.Machine.Model = Model;
        p.Machine.Gauge = Int(2, 15);
        p.Machine.HeaderWord = Int(0, 3);
        p.Machine.UpdateCategory();
        MSwitchGuard noChecks(ListsAutoValidate, false);
        FillList<MUnvP>(p.P, Numbers(255, Percent), [&](MUnvP& m) { P(m); });
        FillList<MUnvN>(p.N, Numbers(127, Percent), [&](MUnvN& m) { N(m); });
        std::vector<int> rows = Numbers(2000, Percent / 4);
        std::shuffle(rows.begin(), rows.end(), FRandom);
        FillList<MUnvZ>(p.Z, rows, [&](MUnvZ& m) { Z(m); });
        FillList<MUnvR>(p.R, Numbers(63, Percent), [&](MUnvR& m) { R(m); });
        FillList<MUnvS>(p.S, Numbers(511, Percent), [&](MUnvS& m) { S(m); });
        FillList<MUnvW>(p.W, Numbers(255, Percent), [&](MUnvW& m) { W(m); });
        FillList<MUnvFS>(p.FS, Numbers(63, Percent), [&](MUnvFS& m) { FS(m); });
        FillList<MUnvFD>(p.FD, Numbers(63, Percent), [&](MUnvFD& m) { FD(m); });
        FillList<MUnvFE>(p.FE, Numbers(127, Percent), [&](MUnvFE& m) { FE(m); });
        FillList<MUnvC>(p.C, {1}, [&](MUnvC& m) { C(m); });
    }

private:
    std::mt19937 FRandom;
    bool FValidOnly;
};

// Every module of every list read back equals the one written, number for number.
void ExpectSamePrograms(MProgramLists& Written, MProgramLists& Read) {
    EXPECT_EQ(Read.Machine.Model, Written.Machine.Model);
    EXPECT_EQ(Read.Machine.Gauge, Written.Machine.Gauge);
    EXPECT_EQ(Read.Machine.HeaderWord, Written.Machine.HeaderWord);
    EXPECT_EQ(Read.Machine.Category, Written.Machine.Category);
    for (int k = 1; k <= 10; ++k) {
        MUnvList& w = Written.List(k);
        MUnvList& r = Read.List(k);
        SCOPED_TRACE(KindLetters(k).toStdString());
        ASSERT_EQ(r.Count(), w.Count());
        for (int i = 0; i < w.Count(); ++i) {
            const MUnvBase& m = w.ItemAt(i);
            ASSERT_TRUE(r.Contains(m.Number)) << m.Number;
            EXPECT_TRUE(r.FindByNumber(m.Number).Equals(m))
                << m.Number << "\n"
                << m.ListingLine().toStdString() << "\n"
                << r.FindByNumber(m.Number).ListingLine().toStdString();
        }
    }
}

std::unique_ptr<MProgramLists> ReadBack(const QByteArray& Image) {
    auto back = std::make_unique<MProgramLists>();
    ReadMachineFile(Image, QString(), back->Machine, back->Lists());
    return back;
}

// The Z sub-record numbering as the rows' own comparison gives it: every row against every earlier
// row, the second level first.
struct Numbering {
    std::vector<std::array<std::int32_t, 4>> First;
    std::vector<std::array<std::int32_t, 8>> Second;
};

Numbering ReferenceNumbering(const MZList& List) {
    std::vector<std::unique_ptr<MUnvBase>> rows;
    for (int i = 0; i < List.Count(); ++i)
        rows.push_back(List.ItemAt(i).Clone());
    std::array<int, 4> first{};
    std::array<int, 8> second{};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        auto& z = static_cast<MUnvZ&>(*rows[r]);
        z.PrepareFileLinks();
        for (int k : {0, 1, 5, 6, 7}) {
            if (z.SubRecords2[std::size_t(k)] == 0)
                continue;
            bool found = false;
            for (std::size_t o = 0; o < r && !found; ++o)
                if (static_cast<MUnvZ&>(*rows[o]).SubRecords2[std::size_t(k)] != 0)
                    found = z.SameSubRecord(static_cast<MUnvZ&>(*rows[o]), false, k);
            if (!found)
                z.SubRecords2[std::size_t(k)] = ++second[std::size_t(k)];
        }
        for (int k = 0; k < 4; ++k) {
            if (z.SubRecords[std::size_t(k)] == 0)
                continue;
            bool found = false;
            for (std::size_t o = 0; o < r && !found; ++o)
                if (static_cast<MUnvZ&>(*rows[o]).SubRecords[std::size_t(k)] != 0)
                    found = z.SameSubRecord(static_cast<MUnvZ&>(*rows[o]), true, k);
            if (found)
                continue;
            if (k >= 2) {
                first[2] = first[3] = first[2] + 1;
                z.SubRecords[std::size_t(k)] = first[2];
            } else {
                z.SubRecords[std::size_t(k)] = ++first[std::size_t(k)];
            }
        }
    }
    Numbering n;
    for (const auto& row : rows) {
        n.First.push_back(static_cast<MUnvZ&>(*row).SubRecords);
        n.Second.push_back(static_cast<MUnvZ&>(*row).SubRecords2);
    }
    return n;
}
} // namespace

TEST(LstRoundTrip, RandomProgramsOfEveryModel) {
    unsigned seed = 1;
    for (const MModelInfo& model : KnownModels()) {
        SCOPED_TRACE(model.Model);
        ProgramMaker maker(seed++);
        MProgramLists program;
        maker.Fill(program, model.Model, 30);
        const QByteArray image = MachineFileImage(program.Machine, program.Lists());
        const auto back = ReadBack(image);
        ExpectSamePrograms(program, *back);
        // Written again, the file comes out byte for byte the same.
        back->Z.SortByNumber();
        program.Z.SortByNumber();
        EXPECT_EQ(MachineFileImage(back->Machine, back->Lists()),
                  MachineFileImage(program.Machine, program.Lists()));
    }
}

// Valid modules of every kind survive a save and a read unchanged.
TEST(LstRoundTrip, RandomValidModulesOfEveryModel) {
    unsigned seed = 100;
    for (const MModelInfo& model : KnownModels()) {
        SCOPED_TRACE(model.Model);
        ProgramMaker maker(seed++, true);
        MProgramLists program;
        maker.Fill(program, model.Model, 20);
        ExpectSamePrograms(program, *ReadBack(MachineFileImage(program.Machine, program.Lists())));
    }
}

TEST(LstRoundTrip, FileLayout) {
    ProgramMaker maker(77);
    MProgramLists program;
    maker.Fill(program, 740, 20);
    program.P.Clear(); // an empty list still has its whole bitmap
    const QByteArray image = MachineFileImage(program.Machine, program.Lists());
    ByteReader r(image);
    EXPECT_EQ(r.PeekU16BE(0x0A), 740);
    EXPECT_EQ(r.PeekU16BE(0x0C), program.Machine.Gauge * 2);
    // The tables follow one another in slot order, the first right after the header.
    std::uint32_t expected = lstHeaderSize;
    for (const TTableInfo& t : TableDirectory()) {
        r.Seek(std::size_t(t.SlotPos));
        const std::uint32_t start = ReadLongSwapped(r);
        EXPECT_EQ(start, expected) << t.Name;
        EXPECT_EQ(r.PeekU16BE(std::size_t(t.SlotPos + 0x5E + 2)), t.RecordSize) << t.Name;
        const std::uint32_t next = ReadLongSwapped(r);
        expected = next;
    }
    EXPECT_EQ(expected, std::uint32_t(image.size())); // the slot after C holds the end
    EXPECT_EQ(program.P.TableHeader.TopNumber, 127);
    EXPECT_EQ(program.P.TableHeader.BitmapSize, 16);
    EXPECT_EQ(program.P.TableHeader.Length, 16u);
    EXPECT_EQ(program.C.TableHeader.Length, 1120u);
    EXPECT_EQ(ReadBack(image)->P.Count(), 0);
}

TEST(LstRoundTrip, ZSubRecordsAreNumberedAndSharedAsTheRowsCompareThem) {
    for (unsigned seed : {3u, 4u, 5u}) {
        ProgramMaker maker(seed);
        MProgramLists program;
        maker.Fill(program, seed == 4 ? 721 : 740, 40);
        const Numbering reference = ReferenceNumbering(program.Z);
        program.Z.PrepareHeader();
        for (int i = 0; i < program.Z.Count(); ++i) {
            const MUnvZ& z = static_cast<const MUnvZ&>(program.Z.ItemAt(i));
            ASSERT_EQ(z.SubRecords, reference.First[std::size_t(i)]) << "row " << z.Number;
            ASSERT_EQ(z.SubRecords2, reference.Second[std::size_t(i)]) << "row " << z.Number;
        }
        // Each sub-table holds exactly the records 1 .. its counter.
        EXPECT_EQ(program.Z.SubTables[zstA].RecordCount, std::uint32_t(program.Z.SystemCounters[2]));
        EXPECT_EQ(program.Z.SystemCounters[2], program.Z.SystemCounters[3]);
        EXPECT_EQ(program.Z.SubTables[zstC].RecordCount, std::uint32_t(program.Z.SystemCounters[0]));
        EXPECT_EQ(program.Z.SubTables[zstH].RecordCount, std::uint32_t(program.Z.SlotCounters[7]));
        int shared = 0;
        for (int i = 0; i < program.Z.Count(); ++i) {
            const MUnvZ& z = static_cast<const MUnvZ&>(program.Z.ItemAt(i));
            for (int k : {0, 1, 5, 6, 7})
                shared += z.SubRecords2[std::size_t(k)] != 0 && !z.OwnRecord2[std::size_t(k)];
            for (int k = 0; k < 4; ++k)
                shared += z.SubRecords[std::size_t(k)] != 0 && !z.OwnRecord[std::size_t(k)];
        }
        EXPECT_GT(shared, 10);
    }
}

TEST(LstRoundTrip, ZSharingExample) {
    MProgramLists program;
    auto row = [&](int Number, int Line, int Colour, bool InLg) {
        MUnvZ z;
        z.Number = Number;
        z.PatternLine[0] = Line;
        (InLg ? z.LG : z.KNF)[0].SetBit(Colour, 1);
        MSwitchGuard off(ListsAutoValidate, false);
        program.Z.AddOrReplace(z);
    };
    row(1, 5, 1, false); // KNF {1}: A 1
    row(2, 5, 1, true);  // LG {1}: no earlier row has LG sets, so A 2
    row(3, 7, 1, false); // KNF {1}: row 1's KNF, A 1
    row(4, 7, 1, true);  // LG {1}: row 2's LG, A 2
    row(5, 0, 2, true);  // LG {2}: A 3, no pattern lines
    program.Z.PrepareHeader();
    auto z = [&](int n) -> const MUnvZ& { return program.Z.GetZ(n); };
    EXPECT_EQ(z(1).SubRecords, (std::array<std::int32_t, 4>{1, 1, 1, 0}));
    EXPECT_EQ(z(2).SubRecords, (std::array<std::int32_t, 4>{1, 1, 0, 2}));
    EXPECT_EQ(z(3).SubRecords, (std::array<std::int32_t, 4>{1, 2, 1, 0}));
    EXPECT_EQ(z(4).SubRecords, (std::array<std::int32_t, 4>{1, 2, 0, 2}));
    EXPECT_EQ(z(5).SubRecords, (std::array<std::int32_t, 4>{1, 0, 0, 3}));
    EXPECT_EQ(z(3).OwnRecord, (std::array<std::uint8_t, 4>{0, 1, 0, 0}));
    EXPECT_EQ(program.Z.SubTables[zstA].RecordCount, 3u);
    EXPECT_EQ(program.Z.SubTables[zstA].TopNumber, 511);
    EXPECT_EQ(program.Z.SubTables[zstB].RecordCount, 2u);
    EXPECT_EQ(program.Z.SubTables[zstC].RecordCount, 1u);
    const auto back = ReadBack(MachineFileImage(program.Machine, program.Lists()));
    ExpectSamePrograms(program, *back);
}

TEST(LstRoundTrip, EncodingsThatReadBackTheSame) {
    MProgramLists program;
    MSwitchGuard off(ListsAutoValidate, false);
    MUnvC c;
    c.Number = 1;
    c.X1 = 0;
    c.Y1 = -4;
    program.C.AddOrReplace(c);
    MUnvZ z;
    z.Number = 1;
    z.WA2.Value = 7;         // no step with a value
    z.Carriers[2].Value = 5; // an offset without carriers
    program.Z.AddOrReplace(z);
    z.Number = 2;
    z.WA2 = MZWA2{-3, 0, 1};
    program.Z.AddOrReplace(z);
    z.Number = 3;
    z.WA2 = MZWA2{1, 3, 0};
    z.PB = MZPB{1, -126};
    z.PR = 126;
    program.Z.AddOrReplace(z);
    const auto back = ReadBack(MachineFileImage(program.Machine, program.Lists()));
    EXPECT_EQ(back->C.GetC(1).X1, 1);
    EXPECT_EQ(back->C.GetC(1).Y1, 1);
    // A new setup scheme comes back as it was saved.
    MProgramLists fresh;
    fresh.C.InsertEmpty(1);
    EXPECT_TRUE(ReadBack(MachineFileImage(fresh.Machine, fresh.Lists()))->C.GetC(1).Equals(fresh.C.GetC(1)));
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(back->Z.GetZ(n).Equals(program.Z.GetZ(n))) << n;
    EXPECT_EQ(back->Z.GetZ(1).Carriers[2].Value, 5);
}

// A module with a value its machine file cannot hold is refused with its own numbered message
// before anything is written: the module as "Z7", the field by the letters its row shows (or by
// the sentence's own words), its system and bed, the value and the range the file holds.
TEST(LstRoundTrip, ValuesTheFileCannotHoldAreRefusedBeforeWriting) {
    struct Case {
        const char* Name;
        std::function<QString(MProgramLists&)> Spoil; // the module spoilt, as named
        int SubCode;                                  // 0: the machine description (ERangeError)
        QString Args;                                 // after the module
    };
    auto firstZ = [](MProgramLists& p) -> MUnvZ& { return p.Z.GetZ(p.Z.MinNumber()); };
    auto zName = [](MProgramLists& p) { return QStringLiteral("Z%1").arg(p.Z.MinNumber()); };
    auto spoilZ = [&](std::function<void(MUnvZ&)> Spoil) {
        return [=](MProgramLists& p) {
            Spoil(firstZ(p));
            return zName(p);
        };
    };
    const std::vector<Case> cases = {
        {"rack HV",
         [](MProgramLists& p) {
             p.C.GetC(1).RackCorrection2[3].HV = 200;
             return QStringLiteral("C1");
         },
         lstmsg::Field, "RackCorrection2[3];200;-128;127"},
        {"negative W level",
         [](MProgramLists& p) {
             p.W.GetW(p.W.MinNumber()).Levels[2] = -1;
             return QStringLiteral("W%1").arg(p.W.MinNumber());
         },
         lstmsg::Field, "Levels[2];-1;0;65535"},
        {"P needle",
         [](MProgramLists& p) {
             MUnvP& m = p.P.GetP(p.P.MinNumber());
             m.Mode = 1;
             m.L = -5;
             return QStringLiteral("P%1").arg(m.Number);
         },
         lstmsg::Field, "L;-5;0;2147483647"},
        {"N start",
         [](MProgramLists& p) {
             p.N.GetN(p.N.MinNumber()).Start = 40000;
             return QStringLiteral("N%1").arg(p.N.MinNumber());
         },
         lstmsg::Field, "Start;40000;0;32767"},
        {"S counter",
         [](MProgramLists& p) {
             p.S.GetS(p.S.MinNumber()).Counter = MCounter{5, 1};
             return QStringLiteral("S%1").arg(p.S.MinNumber());
         },
         lstmsg::Field, "Counter;5;1;4"},
        {"Z pattern line", spoilZ([](MUnvZ& z) { z.PatternLine[0] = 70000; }), lstmsg::FrontField,
         "ZT;1;70000;0;65535"},
        {"Z cam code", spoilZ([](MUnvZ& z) { z.CamCode[3] = 27; }), lstmsg::RearCam,
         QStringLiteral("2;27;0;%1").arg(CamCodeCount - 1)},
        {"Z tying", spoilZ([](MUnvZ& z) { z.Tying[2] = 4; }), lstmsg::FrontTying, "2;4;0;3"},
        {"Z Unipress", spoilZ([](MUnvZ& z) { z.Unipress[1] = 2; }), lstmsg::SystemField, "Unipress;2;2;0;1"},
        {"Z net rear", spoilZ([](MUnvZ& z) { z.NetRear[0] = 200; }), lstmsg::NetRear, "1;200;0;127"},
        {"Z take-down", spoilZ([](MUnvZ& z) { z.WA1.Value = 300; }), lstmsg::Field, "WA1;300;-127;127"},
        {"Z pulse mode", spoilZ([](MUnvZ& z) { z.PB.Mode = 2; }), lstmsg::Mode, "PB;2;0;1"},
        {"Z centre racking", spoilZ([](MUnvZ& z) { z.Racking[1].Position = 40000; }), lstmsg::CentreRacking,
         "40000;-32767;32767"},
        {"Z step R without a value", spoilZ([](MUnvZ& z) {
             z.WA2 = MZWA2{0, 1, 0};
         }),
         lstmsg::TakeDownStep, "0;R"},
        {"Z step v with another value", spoilZ([](MUnvZ& z) {
             z.WA2 = MZWA2{4, 3, 0};
         }),
         lstmsg::TakeDownStep, "4;v"},
        {"C second record",
         [](MProgramLists& p) {
             MUnvC c;
             c.Number = 2;
             p.C.AddOrReplace(c);
             return QStringLiteral("C2");
         },
         lstmsg::Number, "1;1"},
        {"Z number twice",
         [](MProgramLists& p) {
             const int first = p.Z.MinNumber();
             p.Z.GetZ(p.Z.MaxNumber()).Number = first;
             return QStringLiteral("Z%1").arg(first);
         },
         lstmsg::NumberTwice, QString()},
        {"gauge",
         [](MProgramLists& p) {
             p.Machine.Gauge = 40000;
             return QString();
         },
         0, "gauge"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("KNIT_740e7.LST"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ProgramMaker maker(11);
        MProgramLists program;
        maker.Fill(program, 740, 10);
        ASSERT_GE(program.Z.Count(), 2);
        kdstest::WriteFile(path, "old contents");
        QString module;
        {
            MSwitchGuard off(ListsAutoValidate, false);
            module = c.Spoil(program);
        }
        try {
            SaveMachineFile(path, program.Machine, program.Lists());
            ADD_FAILURE() << "no error";
        } catch (const MException& e) {
            EXPECT_EQ(e.Code, lstmsg::Code);
            EXPECT_EQ(e.SubCode, c.SubCode);
            EXPECT_EQ(e.Args, c.Args.isEmpty() ? module : module + QLatin1Char(';') + c.Args);
        } catch (const ERangeError& e) {
            EXPECT_EQ(c.SubCode, 0) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(c.Args)) << e.Message().toStdString();
        }
        EXPECT_EQ(kdstest::ReadFile(path), QByteArray("old contents"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("KNIT_740e7.LST")});
    }
}

TEST(LstRoundTrip, SaveAndLoadThroughFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("KNIT_721e5.LST"));
    ProgramMaker maker(21);
    MProgramLists program;
    maker.Fill(program, 721, 15);
    kdstest::WriteFile(path, "older");
    SaveMachineFile(path, program.Machine, program.Lists());
    MProgramLists back;
    LoadMachineFile(path, back.Machine, back.Lists());
    ExpectSamePrograms(program, back);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    // A pipe, a device and a file above the largest machine file are refused without being read.
    const QString pipe = dir.filePath(QStringLiteral("pipe.LST"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile huge(dir.filePath(QStringLiteral("huge.LST")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(lstMaxFileSize + 1));
    huge.close();
    for (const QString& bad :
         {dir.filePath(QStringLiteral("missing.LST")), pipe, QStringLiteral("/dev/zero"), huge.fileName()}) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_THROW(LoadMachineFile(bad, back.Machine, back.Lists()), EReadError);
        ExpectSamePrograms(program, back);
    }
    EXPECT_THROW(SaveMachineFile(dir.filePath(QStringLiteral("no/such/folder/x.LST")), program.Machine,
                                 program.Lists()),
                 EWriteError);
}

TEST(LstRoundTrip, DamagedFilesChangeNothing) {
    ProgramMaker maker(31);
    MProgramLists program;
    maker.Fill(program, 720, 10);
    const QByteArray image = MachineFileImage(program.Machine, program.Lists());

    MProgramLists target;
    ReadMachineFile(image, QString(), target.Machine, target.Lists());
    target.Machine.AddStrip(MStrip{});
    for (MUnvList* list : target.Lists())
        list->Modified = false;
    const QByteArray before = MachineFileImage(target.Machine, target.Lists());

    auto expectUnchanged = [&](const QByteArray& Bad, const char* What) {
        SCOPED_TRACE(What);
        EXPECT_THROW(ReadMachineFile(Bad, QString(), target.Machine, target.Lists()), Exception);
        EXPECT_TRUE(ListsAutoValidate);
        EXPECT_TRUE(ClearBase);
        for (MUnvList* list : target.Lists())
            EXPECT_FALSE(list->Modified);
        EXPECT_EQ(target.Machine.StripCount(), 1);
        EXPECT_EQ(MachineFileImage(target.Machine, target.Lists()), before);
    };
    // Cut short anywhere before the end of the last table that holds records, inside the C record too.
    for (qsizetype length : {qsizetype(0), qsizetype(13), qsizetype(0x40), qsizetype(0xD5), image.size() / 2,
                             image.size() - 1121, image.size() - 1119, image.size() - 1})
        expectUnchanged(image.left(length), "truncated");
    // A file that ends where its C table starts is that of a program without a C entry, and bytes
    // after the C record are left alone: both load.
    MProgramLists noC, padded;
    ReadMachineFile(image.left(image.size() - lstCSize), QString(), noC.Machine, noC.Lists());
    EXPECT_EQ(noC.C.Count(), 0);
    EXPECT_EQ(noC.Z.Count(), program.Z.Count());
    ReadMachineFile(image + QByteArray(lstCSize - 1, '\x1A'), QString(), padded.Machine, padded.Lists());
    ExpectSamePrograms(program, padded);
    auto patched = [&](int At, std::initializer_list<int> Bytes) {
        QByteArray b = image;
        for (int v : Bytes)
            b[At++] = char(v);
        return b;
    };
    expectUnchanged(patched(0x70, {0xFF, 0xFF, 0x7F, 0xFF}), "Z table beyond the file");
    expectUnchanged(patched(0x70, {0x00, 0x00, 0x80, 0x00}), "offset of 2^31");
    expectUnchanged(patched(0x6C, {0xFF, 0xFF, 0x00, 0x00}), "W table beyond the file");
    const std::uint32_t wStart = ByteReader(image).PeekU16BE(0x6C) + 2;
    expectUnchanged(patched(0x68, {int(wStart >> 8), int(wStart & 0xFF), 0, 0}),
                    "S table ends before it starts");
    expectUnchanged(patched(0xBE, {0xFF, 0xFF}), "P bitmap larger than its table");
    expectUnchanged(patched(0xC0, {0x00, 0x04}), "P records of 4 bytes");
    expectUnchanged(patched(0xD4, {0x01, 0x00}), "C record of 256 bytes");
    // An S offset word above 255.
    const std::uint32_t sStart =
        ByteReader(image).PeekU16BE(0x68) | (std::uint32_t(ByteReader(image).PeekU16BE(0x6A)) << 16);
    const std::uint32_t sEnd =
        ByteReader(image).PeekU16BE(0x6C) | (std::uint32_t(ByteReader(image).PeekU16BE(0x6E)) << 16);
    expectUnchanged(patched(int(sEnd) - 2, {0x01, 0x00}), "S offset 256");
    EXPECT_GT(sEnd, sStart);
}
