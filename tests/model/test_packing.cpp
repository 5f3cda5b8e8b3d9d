// Import renumbering: imported modules move to free numbers and their references follow them.
#include "RangeSupport.h"

#include "model/UPacking.h"

#include <limits>

using namespace kdstest;

namespace {
// A packer from one program into another, every first free number the target's largest + 1.
struct Import {
    MProgramLists From, To;
    MUnvPack Pack;
    Import() {
        for (int k = 0; k < 10; ++k) {
            Pack.Sources[std::size_t(k)] = &From.List(k + 1);
            Pack.Targets[std::size_t(k)] = &To.List(k + 1);
        }
    }
    void FirstFreeAfterTargets() {
        for (int k = 0; k < 10; ++k)
            Pack.FirstFree[std::size_t(k)] = To.List(k + 1).MaxNumber() + 1;
    }
    MUnvZ& Z(int n) { return To.Z.GetZ(n); }
    MUnvS& S(int n) { return To.S.GetS(n); }
};

std::unique_ptr<MUnvFS> FSMod(int Number) {
    auto m = std::make_unique<MUnvFS>();
    m->Number = Number;
    return m;
}
} // namespace

TEST(ImportRenumbering, RowsLinesAndTheirReferencesMove) {
    Import im;
    for (int n = 1; n <= 6; ++n)
        Put(im.To.Z, *ZRow(n, n));
    Put(im.To.S, *SLine(1, 1, 1, 5));
    Put(im.To.FS, *FSMod(1));
    auto ownW = std::make_unique<MUnvW>();
    ownW->Number = 1;
    Put(im.To.W, *ownW);
    for (int n : {1, 2, 5}) {
        auto z = ZRow(n, 100 + n);
        z->FSFront = 3;
        z->FD = n == 5 ? 2 : 0;
        Put(im.From.Z, *z);
    }
    Put(im.From.FS, *FSMod(3));
    auto fd = std::make_unique<MUnvFD>();
    fd->Number = 2;
    fd->FirstFE[1] = 4;
    fd->CountFE[1] = -3; // counts are kept
    Put(im.From.FD, *fd);
    auto fe = std::make_unique<MUnvFE>();
    fe->Number = 4;
    Put(im.From.FE, *fe);
    Put(im.From.S, *SLine(1, 1, 5, -3));
    Put(im.From.S, *SLine(2, 1, 0)); // First 0: not imported
    auto cycle = SLine(3, 2, 1, 1);
    cycle->Counter = MCounter{ckW, 1};
    Put(im.From.S, *cycle);
    auto w = std::make_unique<MUnvW>();
    w->Number = 1;
    Put(im.From.W, *w);
    im.FirstFreeAfterTargets();

    EXPECT_EQ(im.Pack.RenumberModules(511), 0);
    EXPECT_EQ(Numbers(im.To.Z), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(ZMarker(im.To.Z, 7), 101);
    EXPECT_EQ(ZMarker(im.To.Z, 9), 105);
    EXPECT_EQ(im.Z(9).OldNumber, 5);
    EXPECT_EQ(im.Z(1).OldNumber, 0);
    EXPECT_EQ(im.Z(7).FSFront, 2); // FS 3 became FS 2
    EXPECT_EQ(im.Z(9).FD, 1);
    EXPECT_EQ(im.To.FD.GetFD(1).FirstFE[1], 1);
    EXPECT_EQ(im.To.FD.GetFD(1).CountFE[1], -3);
    EXPECT_EQ(Numbers(im.To.S), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(im.S(2).First, 9); // the line on Z 5 now runs from Z 9
    EXPECT_EQ(im.S(2).Count, -3);
    EXPECT_EQ(im.S(3).First, 2); // the cycle over S 1 now over S 2
    EXPECT_EQ(im.S(3).Counter.Value, 2);
    EXPECT_EQ(im.S(1).First, 1); // the project's own line is untouched
    EXPECT_EQ(im.Pack.NextFree[ListIndex(lkZ)], 10);
    EXPECT_EQ(im.Pack.NextFree[ListIndex(lkS)], 4);
    EXPECT_EQ(MUnvPack::NewNumberOf(5, im.To.Z), 9);
    EXPECT_EQ(MUnvPack::NewNumberOf(0, im.To.Z), 0);
    EXPECT_EQ(MUnvPack::NewNumberOf(4, im.To.Z), 4); // no imported row was 4
    EXPECT_FALSE(CopyTag);
    EXPECT_TRUE(im.To.Z.Modified);
    EXPECT_FALSE(im.To.P.Modified); // nothing imported, nothing changed
}

TEST(ImportRenumbering, EveryZRowKeepsItsParity) {
    struct Case {
        std::vector<int> Rows;
        int FirstFree;
        std::vector<int> Targets;
    };
    // Even gaps are numbered as consecutive numbers; an odd gap costs one number (4 stays even).
    for (const Case& c : {Case{{1, 2, 5}, 7, {7, 8, 9}}, Case{{2, 3}, 7, {8, 9}},
                          Case{{1, 2, 4}, 7, {7, 8, 10}}, Case{{1, 3, 5}, 4, {5, 7, 9}}}) {
        Import im;
        for (int n : c.Rows)
            Put(im.From.Z, *ZRow(n, 100 + n));
        im.Pack.FirstFree[ListIndex(lkZ)] = c.FirstFree;
        im.Pack.RenumberModules(511);
        for (std::size_t i = 0; i < c.Rows.size(); ++i)
            EXPECT_EQ(ZMarker(im.To.Z, c.Targets[i]), 100 + c.Rows[i]) << "row " << c.Rows[i];
        EXPECT_EQ(im.To.Z.Count(), int(c.Rows.size()));
    }
}

TEST(ImportRenumbering, LinesAboveTheLimitShiftsMapsAndOverrides) {
    Import im;
    for (int n : {1, 2, 3}) {
        auto s = SLine(n, 1, 1);
        s->PFirst = n == 3 ? 1 : 0;
        Put(im.From.S, *s);
    }
    auto z = ZRow(1, 3);
    z->PatternLine[1] = 12;
    z->PatternLine[2] = 10;
    z->Carriers[0].Value = 2;
    z->Carriers[1].SetBit(1, 1);
    Put(im.From.Z, *z);
    auto x = std::make_unique<MUnvN>();
    x->Number = 1;
    x->Type = 1;
    x->Start = 40;
    Put(im.From.N, *x);
    auto line = std::make_unique<MUnvN>();
    line->Number = 2;
    line->Type = 2;
    line->Start = 1;
    Put(im.From.N, *line);
    auto p = std::make_unique<MUnvP>();
    p->Number = 1;
    Put(im.From.P, *p);
    im.Pack.FirstFree = {5, 3, 1, 1, 10, 1, 1, 1, 1, 1};
    im.Pack.SCounter = 100;
    im.Pack.ValueOverride = 6;
    im.Pack.ColumnShift = 7;
    im.Pack.LineShift = -2;
    im.Pack.LineMap[2] = 9;
    im.Pack.RenumberModules(2);

    EXPECT_EQ(Numbers(im.To.S), (std::vector<int>{10, 11, 100}));
    EXPECT_EQ(im.Pack.SCounterEnd, 101);
    EXPECT_EQ(im.Pack.NextFree[ListIndex(lkS)], 12);
    EXPECT_EQ(im.S(100).PFirst, 5);
    for (int n : {10, 11, 100})
        EXPECT_EQ(im.S(n).Offset, 6);
    const MUnvZ& row = im.Z(1);
    EXPECT_EQ(row.PatternLine[0], 9);  // line 3 through the map
    EXPECT_EQ(row.PatternLine[1], 10); // 12 shifted by -2
    EXPECT_EQ(row.PatternLine[2], 10); // line 10 maps to itself
    EXPECT_EQ(row.Carriers[0].Value, 6);
    EXPECT_EQ(row.Carriers[1].Value, 0);
    EXPECT_EQ(im.To.N.GetN(3).Start, 47);
    EXPECT_EQ(im.To.N.GetN(4).Start, 3);
}

TEST(ImportRenumbering, AFailedImportChangesNothing) {
    Import im;
    for (int n : {1, 2})
        Put(im.To.Z, *ZRow(n, n));
    im.To.Z.FindByNumber(2).OldNumber = 17;
    Put(im.To.R, *RMod(1, 1));
    im.To.R.Modified = true;
    for (int n : {1, 2, 3})
        Put(im.From.Z, *ZRow(n, 100 + n));
    Put(im.From.R, *RMod(1, 5));
    Put(im.From.R, *RMod(2, 6, false));
    im.FirstFreeAfterTargets();
    const QStringList z = Listing(im.To.Z), r = Listing(im.To.R);
    // The Z rows are stored before the R modules are reached; the failed import takes them out again.
    ExpectM([&] { im.Pack.RenumberModules(511); }, 5015, 2, QStringLiteral("2"));
    EXPECT_EQ(Listing(im.To.Z), z);
    EXPECT_EQ(Listing(im.To.R), r);
    EXPECT_EQ(im.To.Z.FindByNumber(2).OldNumber, 17);
    EXPECT_FALSE(im.To.Z.Modified);
    EXPECT_TRUE(im.To.R.Modified);
    EXPECT_FALSE(CopyTag);

    // A number past the kind's largest is refused also without validation.
    MSwitchGuard off(ListsAutoValidate, false);
    im.From.R.DeleteNumber(2);
    im.Pack.FirstFree[ListIndex(lkR)] = 64;
    ExpectM([&] { im.Pack.RenumberModules(511); }, 5015, 1, QStringLiteral("64"));
    EXPECT_EQ(Listing(im.To.Z), z);
}

TEST(ImportRenumbering, ZRowsInProgramOrder) {
    Import im;
    for (int n = 1; n <= 5; ++n)
        Put(im.To.Z, *ZRow(n, 100 + n));
    Put(im.To.S, *SLine(1, 1, 3, 1));     // rows 3, 4
    Put(im.To.S, *SLine(2, 2, 1));        // a cycle: not a row range
    Put(im.To.S, *SLine(3, 1, 1, 1));     // rows 1, 2
    Put(im.To.S, *SLine(4, 1, 5, 32767)); // a count from a file: row 5, up to the first missing row
    im.Pack.RenumberZInProgramOrder();
    // 3 -> 1, 4 -> 2, 1 -> 3, 2 -> 4, 5 -> 5: each row keeps its parity.
    EXPECT_EQ(Numbers(im.To.Z), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ZMarker(im.To.Z, 1), 103);
    EXPECT_EQ(ZMarker(im.To.Z, 3), 101);
    EXPECT_EQ(ZMarker(im.To.Z, 5), 105);
    EXPECT_EQ(im.Z(1).OldNumber, 3);
    EXPECT_EQ(im.S(1).First, 1);
    EXPECT_EQ(im.S(1).Count, 1);
    EXPECT_EQ(im.S(2).First, 1);
    EXPECT_EQ(im.S(3).First, 3);
    EXPECT_EQ(im.S(4).First, 5);

    // Rows whose parity cannot follow one another: 2 first, then 1 and 4 in list order.
    Import odd;
    for (int n : {1, 2, 4})
        Put(odd.To.Z, *ZRow(n, 100 + n));
    Put(odd.To.S, *SLine(1, 1, 2));
    odd.Pack.RenumberZInProgramOrder();
    EXPECT_EQ(Numbers(odd.To.Z), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(ZMarker(odd.To.Z, 2), 102);
    EXPECT_EQ(ZMarker(odd.To.Z, 3), 101);
}

TEST(ImportRenumbering, ZRowsStayAsNumberedWhenTheOrderWouldChangeWhatALineKnits) {
    // Each S line keeps its count: where the program order would put other rows under a range, no
    // row moves and no line changes.
    struct Case {
        const char* What;
        std::vector<int> Rows;
        std::vector<std::array<int, 2>> Lines; // First, Count of S1, S2, ...
    };
    const std::vector<Case> cases = {
        {"a shared range out of order", {1, 2, 3, 4, 5, 6}, {{5, 1}, {1, 5}}},
        {"a range over the rows of an earlier line", {1, 2, 3, 4, 5}, {{3, 1}, {1, 32767}}},
        {"a range walked downwards", {1, 2, 3, 4, 5}, {{2, 1}, {5, -4}}},
        {"a gap that later rows would fill", {1, 2, 5, 6}, {{1, 5}}},
        {"a first row no row has", {1, 2, 4, 5}, {{4, 1}, {3, 0}}},
    };
    for (const Case& c : cases) {
        Import im;
        for (int n : c.Rows)
            Put(im.To.Z, *ZRow(n, 100 + n));
        for (std::size_t k = 0; k < c.Lines.size(); ++k)
            Put(im.To.S, *SLine(int(k) + 1, 1, c.Lines[k][0], c.Lines[k][1]));
        const QStringList z = Listing(im.To.Z), s = Listing(im.To.S);
        im.Pack.RenumberZInProgramOrder();
        EXPECT_EQ(Listing(im.To.Z), z) << c.What;
        EXPECT_EQ(Listing(im.To.S), s) << c.What;
        EXPECT_FALSE(CopyTag);
    }
}

TEST(ImportRenumbering, ZRowsInProgramOrderAllOrNothing) {
    Import im;
    for (int n = 1; n <= 4; ++n)
        Put(im.To.Z, *ZRow(n, 100 + n));
    auto bad = ZRow(2, 1200); // a pattern line the row cannot hold
    Put(im.To.Z, *bad);
    Put(im.To.S, *SLine(1, 1, 3, 1));
    const QStringList z = Listing(im.To.Z), s = Listing(im.To.S);
    ExpectM([&] { im.Pack.RenumberZInProgramOrder(); }, 5014, 2, QStringLiteral("2"));
    EXPECT_EQ(Listing(im.To.Z), z);
    EXPECT_EQ(Listing(im.To.S), s);
    EXPECT_FALSE(CopyTag);

    // 2000 rows, row 2 first: it costs number 1, and the last row would need 2001.
    Import full;
    std::vector<int> markers;
    for (int n = 1; n <= 2000; ++n) {
        Put(full.To.Z, *ZRow(n, n % 900));
        markers.push_back(n % 900);
    }
    Put(full.To.S, *SLine(1, 1, 2));
    ExpectM([&] { full.Pack.RenumberZInProgramOrder(); }, 5014, 1, QStringLiteral("2001"));
    std::vector<int> after;
    for (const MUnvBase* m : Sorted(full.To.Z))
        after.push_back(m->Number == int(after.size()) + 1 ? ZMarker(full.To.Z, m->Number) : -1);
    EXPECT_EQ(after, markers);
    EXPECT_EQ(full.S(1).First, 2);
}

TEST(ImportRenumbering, SGapAfterTheLeadingRun) {
    MSList s;
    for (int n : {1, 2, 3, 6, 7, 9})
        Put(s, *SLine(n, 1, n));
    Put(s, *SLine(8, 2, 6, 1)); // a cycle over S 6..7
    MUnvPack pack;
    pack.AdjustSGap(s, 2); // the gap is 2 already
    EXPECT_EQ(Numbers(s), (std::vector<int>{1, 2, 3, 6, 7, 8, 9}));
    pack.AdjustSGap(s, 1);
    EXPECT_EQ(Numbers(s), (std::vector<int>{1, 2, 3, 5, 6, 7, 8}));
    EXPECT_EQ(s.GetS(7).Type, 2);
    EXPECT_EQ(s.GetS(7).First, 5);
    EXPECT_EQ(s.GetS(5).First, 6);
    pack.AdjustSGap(s, 4);
    EXPECT_EQ(Numbers(s), (std::vector<int>{1, 2, 3, 8, 9, 10, 11}));
    EXPECT_EQ(s.GetS(10).First, 8);

    const QStringList before = Listing(s);
    ExpectM([&] { pack.AdjustSGap(s, 505); }, 5016, 1, QStringLiteral("512"));
    ExpectM([&] { pack.AdjustSGap(s, std::numeric_limits<int>::max()); }, 5016, 1,
            QString::number(std::int64_t(std::numeric_limits<int>::max()) + 7));
    EXPECT_THROW(pack.AdjustSGap(s, -1), ERangeError);
    EXPECT_EQ(Listing(s), before);
}
