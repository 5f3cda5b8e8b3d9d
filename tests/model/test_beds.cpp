// Needle beds: needle values, and the pattern colours loaded from an S line's needle setup and one
// line of the drawing.
#include "model/UClrBed.h"
#include "model/UProject.h"

#include "tests/support/ProjectScript.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using kdstest::LoadProjectScript;

constexpr int PicWidth = 60, PicHeight = 4;

// Colour of picture column X (0-based) on pattern line Line; never 0, the filler.
std::uint32_t Colour(int X, int Line) {
    return (std::uint32_t(Line) << 16) | std::uint32_t(X + 1);
}

// A project with a 60 x 4 drawing of distinct colours and the given program.
std::unique_ptr<MMemoryProject> Project(const char* Script) {
    auto p = std::make_unique<MMemoryProject>();
    LoadProjectScript(*p, QString::fromLatin1(Script));
    p->NewPicture(PicWidth, PicHeight);
    for (int line = 1; line <= PicHeight; ++line)
        for (int x = 0; x < PicWidth; ++x)
            p->Picture.SetPixel(x, PicHeight - line, Colour(x, line));
    return p;
}

std::vector<std::uint32_t> Needles(const MJacquardBed& Bed) {
    std::vector<std::uint32_t> v;
    for (int n = 1; n <= Bed.Width(); ++n)
        v.push_back(Bed.GetNeedle(n));
    return v;
}

// The colours of picture columns (0 for a column outside the picture) of one line.
std::vector<std::uint32_t> Columns(std::initializer_list<std::pair<int, int>> Runs, int Line) {
    std::vector<std::uint32_t> v;
    for (auto [from, to] : Runs)
        for (int x = from; from <= to ? x <= to : x >= to; x += from <= to ? 1 : -1)
            v.push_back(x >= 0 && x < PicWidth ? Colour(x, Line) : 0);
    return v;
}

std::vector<std::uint32_t> Repeated(const std::vector<std::uint32_t>& Period, int Width) {
    std::vector<std::uint32_t> v;
    for (int i = 0; i < Width; ++i)
        v.push_back(Period[std::size_t(i) % Period.size()]);
    return v;
}

TEST(JacquardBed, NeedleValues) {
    MJacquardBed bed;
    bed.SetNeedle(5, 0xAB123456);
    EXPECT_EQ(bed.Width(), 5);
    const auto& bytes = bed.Needles.Buffer();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 12, bytes.end()),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x56}));
    EXPECT_EQ(bed.GetNeedle(5), 0x123456u);
    EXPECT_EQ(bed.GetNeedle(3), 0u); // the gap is filled with 0
    bed.SetNeedle(0, 7);
    bed.SetNeedle(-4, 7);
    EXPECT_EQ(bed.Width(), 5);
    for (int n : {0, -1, 6, 1 << 30})
        EXPECT_EQ(bed.GetNeedle(n), 0u) << n;
    EXPECT_THROW(bed.SetNeedle(BedNeedleLimit + 1, 1), ERangeError);

    bed.ExtendRange(0, 9);
    EXPECT_EQ(bed.NeedleMin + bed.NeedleMax, 0);
    bed.ExtendRange(5, 9);
    bed.ExtendRange(2, 4);
    bed.ExtendRange(-3, 20);
    EXPECT_EQ(std::pair(bed.NeedleMin, bed.NeedleMax), std::pair(2, 9));

    MJacquardBed copy;
    bed.CachedLine = 3;
    bed.CachedSLine = 4;
    bed.Parts.push_back({1, 2});
    copy.Assign(bed);
    EXPECT_EQ(Needles(copy), Needles(bed));
    EXPECT_EQ(std::pair(copy.CachedLine, copy.CachedSLine), std::pair(3, 4));
    EXPECT_TRUE(copy.Parts.empty());
    EXPECT_EQ(copy.NeedleMin, 0);
}

TEST(JacquardBed, OneXEntryRepeatsAcrossTheWorkingWidth) {
    auto p = Project("C W=200 picture=60x4\nS1 N=1\nN1 X=1+49 D1");
    MJacquardBed bed;
    MPTerror finding;
    bed.LoadJacquardRow(p.get(), finding, 2, 1);
    EXPECT_EQ(bed.Width(), 200);
    EXPECT_EQ(Needles(bed), Repeated(Columns({{0, 49}}, 2), 200));
    EXPECT_EQ(bed.Parts, (std::vector<MnParts>{{1, 49}}));
    EXPECT_EQ(std::pair(bed.NeedleMin, bed.NeedleMax), std::pair(1, 50));
    EXPECT_EQ(std::pair(bed.CachedLine, bed.CachedSLine), std::pair(2, 1));
    EXPECT_EQ(finding.GetCode(), 0);
    EXPECT_EQ(p->Program().N.GetN(1).UsedMark, 1);
}

TEST(JacquardBed, CountersRepeatEntriesAndReferenceRanges) {
    // N1 taken three times; N4 walks N2..N3 twice; N5 walks N3 down to N2 under a W counter.
    auto p = Project(R"(
        C W=30 picture=60x4 WE=2
        W1 levels=5,2
        S1 N=1+0
        S2 N=4+0
        S3 N=5+0
        N1 X=3+1 D3
        N2 X=10+2 D1
        N3 X=20-1 D1
        N4 N=2+1 D2
        N5 N=3-1 W1
    )");
    MJacquardBed bed;
    MPTerror finding;
    bed.LoadJacquardRow(p.get(), finding, 1, 1);
    EXPECT_EQ(bed.Parts, (std::vector<MnParts>{{3, 1}, {3, 1}, {3, 1}}));
    EXPECT_EQ(Needles(bed), Repeated(Columns({{2, 3}}, 1), 30));
    bed.LoadJacquardRow(p.get(), finding, 1, 2);
    EXPECT_EQ(bed.Parts, (std::vector<MnParts>{{10, 2}, {20, -1}, {10, 2}, {20, -1}}));
    EXPECT_EQ(Needles(bed), Repeated(Columns({{9, 11}, {19, 18}}, 1), 30));
    bed.LoadJacquardRow(p.get(), finding, 3, 3);
    EXPECT_EQ(bed.Parts, (std::vector<MnParts>{{20, -1}, {10, 2}, {20, -1}, {10, 2}}));
    EXPECT_EQ(Needles(bed), Repeated(Columns({{19, 18}, {9, 11}}, 3), 30));
    EXPECT_EQ(finding.GetCode(), 0);
    EXPECT_EQ(p->Program().W.GetW(1).UsedMark, 1);
    EXPECT_EQ(std::pair(bed.NeedleMin, bed.NeedleMax), std::pair(3, 20));
}

TEST(JacquardBed, Findings) {
    struct Case {
        const char* Program;
        int Finding, ListKind, Number;
        const char* Args;
        std::vector<MnParts> Parts; // kept and read
    };
    const Case cases[] = {
        // Beyond the picture width of the setup scheme: reported, still used, filler beyond.
        {"S1 N=1+1\nN1 X=1+2 D1\nN2 X=55+9 D1", 40, lkN, 2, "2", {{1, 2}, {55, 9}}},
        {"S1 N=1\nN1 X=0+3 D1", 40, lkN, 1, "1", {{0, 3}}},
        {"S1 N=1\nN1 X=5-6 D1", 40, lkN, 1, "1", {{5, -6}}},
        // A reference naming a missing entry: the parts before it are kept.
        {"S1 N=1+1\nN1 X=1+2 D1\nN2 N=5+1 D1\nN5 X=7+1 D1", 41, lkN, 2, "2;6", {{1, 2}, {7, 1}}},
        // A reference naming a reference adds nothing; the rebuild goes on.
        {"S1 N=1+1\nN1 N=3+1 D1\nN2 X=9+0 D1\nN3 X=4+0 D1\nN4 N=3+0 D1", 42, lkN, 1, "1;4", {{4, 0}, {9, 0}}},
        // The S line's range naming a missing entry.
        {"S7 N=1+2\nN1 X=1+2 D1\nN2 X=3 D1", 53, lkS, 7, "7;3", {{1, 2}, {3, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Program);
        auto p = Project((QByteArray("C W=20 picture=60x4\n") + c.Program).constData());
        const int sLine = p->Program().S.MinNumber();
        MJacquardBed bed;
        MPTerror finding;
        std::vector<int> logged;
        bed.FindingLog = [&](const MPTerror& f) { logged.push_back(f.GetCode()); };
        bed.LoadJacquardRow(p.get(), finding, 1, sLine);
        EXPECT_EQ(
            std::tuple(finding.GetCode(), finding.Code, finding.SubCode, finding.ListKind, finding.Number),
            std::tuple(c.Finding, 5030, c.Finding, c.ListKind, c.Number));
        EXPECT_EQ(finding.Args, QLatin1String(c.Args));
        EXPECT_EQ(logged.back(), c.Finding);
        EXPECT_EQ(bed.Parts, c.Parts);
        // The row is read with the parts there are.
        std::vector<std::uint32_t> period;
        for (const MnParts& part : c.Parts)
            for (std::uint32_t v :
                 Columns({{std::max(part.First - 1, 0), std::max(part.First + part.Count - 1, 0)}}, 1))
                period.push_back(v);
        EXPECT_EQ(Needles(bed), Repeated(period, 20));
    }
}

TEST(JacquardBed, NothingToReadLeavesNoNeedles) {
    struct Case {
        const char* Program;
        bool Drawing;
        bool Cached; // the caches take the line and S line
    };
    const Case cases[] = {
        {"C W=20\nS1 N=1\nN1 X=1+3 D1", false, true},         // no drawing
        {"C W=0\nS1 N=1\nN1 X=1+3 D1", true, true},           // no working width
        {"C W=20\nS1 N=1\nN1 X=1+3 D0", true, true},          // no part
        {"C W=20\nS1 N=1\nN1 X=1+3 D-4", true, true},         //
        {"S1 N=1\nN1 X=1+3 D1", true, true},                  // no C entry 1
        {"C W=20\nS2 N=1\nN1 X=1+3 D1", true, true},          // no such S line
        {"C W=20\nS1 cycle=2 N=1\nN1 X=1+3 D1", true, false}, // a cycle: nothing read or cached
        {"C W=20\nS1 N=0\nN1 X=1+3 D1", true, false},         // no N range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Program);
        auto p = Project(c.Program);
        if (!c.Drawing)
            p->RemovePicture();
        MJacquardBed bed;
        bed.SetNeedle(3, 9);
        MPTerror finding;
        bed.LoadJacquardRow(p.get(), finding, 2, 1);
        EXPECT_EQ(bed.Width(), c.Cached ? 0 : 3);
        EXPECT_EQ(bed.CachedLine, c.Cached ? 2 : 0);
    }
    // No line, no project: nothing at all.
    auto p = Project("C W=20\nS1 N=1\nN1 X=1+3 D1");
    MJacquardBed bed;
    MPTerror finding;
    bed.LoadJacquardRow(p.get(), finding, 0, 1);
    bed.LoadJacquardRow(nullptr, finding, 1, 1);
    EXPECT_EQ(bed.CachedSLine, 0);
}

// Counts the needle rows read from the drawing.
class MCountingProject : public MMemoryProject {
public:
    class MCounting : public MPatternSource {
    public:
        MPatternSource* Inner = nullptr;
        int Reads = 0;
        int ImageWidth() const override { return Inner->ImageWidth(); }
        int ImageHeight() const override { return Inner->ImageHeight(); }
        int ReadNeedleRow(ByteWriter& Stream, int Line, int First, int Offset) override {
            ++Reads;
            return Inner->ReadNeedleRow(Stream, Line, First, Offset);
        }
        void RepeatNeedleRow(ByteWriter& Stream, int Period, int Total) override {
            Inner->RepeatNeedleRow(Stream, Period, Total);
        }
    } Counting;
    MPatternSource* Pattern() override {
        Counting.Inner = MMemoryProject::Pattern();
        return &Counting;
    }
};

TEST(JacquardBed, TheCacheHoldsOnlyTheSameLineOfTheSameSLine) {
    MCountingProject p;
    LoadProjectScript(p, "C W=10\nS1 N=1\nS2 N=2\nN1 X=1+4 D1\nN2 X=11+4 D1");
    p.NewPicture(20, 3);
    for (int x = 0; x < 20; ++x)
        p.Picture.SetPixel(x, 1, Colour(x, 2));
    MJacquardBed bed;
    MPTerror finding;
    bed.LoadJacquardRow(&p, finding, 2, 1);
    EXPECT_EQ(p.Counting.Reads, 1);
    bed.LoadJacquardRow(&p, finding, 2, 1);
    EXPECT_EQ(p.Counting.Reads, 1);
    // The same line of another S line is built from that S line's own needle setup.
    bed.LoadJacquardRow(&p, finding, 2, 2);
    EXPECT_EQ(p.Counting.Reads, 2);
    EXPECT_EQ(bed.Parts, (std::vector<MnParts>{{11, 4}}));
    EXPECT_EQ(Needles(bed), Repeated(Columns({{10, 14}}, 2), 10));
    // Another line of the same S line keeps the parts and reads again.
    bed.Parts.push_back({1, 0});
    bed.LoadJacquardRow(&p, finding, 1, 2);
    EXPECT_GT(p.Counting.Reads, 2);
    EXPECT_EQ(bed.Parts.size(), 2u);
}

// The needle setup walked out in full, every counter taken literally: the parts, the last finding
// and the extent, and the first Width needles read from them.
struct MFullExpansion {
    std::vector<MnParts> Parts;
    MPTerror Finding;
    std::int32_t Min = 0, Max = 0;
    std::vector<std::uint32_t> Needles;
};

MFullExpansion ExpandInFull(MMemoryProject& P, int Line, int SLine) {
    MFullExpansion r;
    MProgramLists& prog = P.Program();
    const MUnvS& s = prog.S.GetS(SLine);
    const int width = prog.C.GetC(1).Width;
    auto fail = [&](int id, QString args, int kind, int number) {
        r.Finding.SetError(id);
        r.Finding.Args = args;
        r.Finding.ListKind = kind;
        r.Finding.Number = number;
    };
    auto take = [&](MUnvN& m, int n) {
        m.UsedMark = 1;
        for (int k = 0, times = P.ResolveValue(m.Counter); k < times; ++k) {
            if (m.Type == 2) {
                fail(42, QStringLiteral("%1;%2").arg(n).arg(m.Number), lkN, n);
                continue;
            }
            const int a = std::min(m.Start, m.Start + m.Count), b = std::max(m.Start, m.Start + m.Count);
            if (a > 0) {
                r.Min = r.Min == 0 ? a : std::min(r.Min, a);
                r.Max = std::max(r.Max, b);
            }
            if (m.Start < 1 || m.Start + m.Count < 1 || m.Start > width || m.Start + m.Count > width)
                fail(40, QString::number(m.Number), lkN, m.Number);
            r.Parts.push_back({m.Start, m.Count});
        }
    };
    [&] {
        for (int n = s.NFirst, step = s.NCount < 0 ? -1 : 1;; n += step) {
            if (!prog.N.Contains(n))
                return fail(53, QStringLiteral("%1;%2").arg(SLine).arg(n), lkS, SLine);
            MUnvN& e = prog.N.GetN(n);
            if (e.Type == 2) {
                e.UsedMark = 1;
                for (int k = 0, times = P.ResolveValue(e.Counter); k < times; ++k)
                    for (int m = e.Start, st = e.Count < 0 ? -1 : 1;; m += st) {
                        if (!prog.N.Contains(m))
                            return fail(41, QStringLiteral("%1;%2").arg(n).arg(m), lkN, n);
                        take(prog.N.GetN(m), n);
                        if (m == e.Start + e.Count)
                            break;
                    }
            } else {
                take(e, n);
            }
            if (n == s.NFirst + s.NCount)
                return;
        }
    }();
    const int w = prog.C.GetC(1).To[0] - prog.C.GetC(1).From[0];
    ByteWriter stream;
    int have = 0;
    for (const MnParts& part : r.Parts)
        if (have < w)
            have += P.Pattern()->ReadNeedleRow(stream, Line, part.First, part.Count);
    if (have > 0)
        P.Pattern()->RepeatNeedleRow(stream, have, w);
    for (int i = 0; have > 0 && i < w; ++i) {
        const std::uint8_t* b = stream.Buffer().data() + 3 * i;
        r.Needles.push_back((std::uint32_t(b[0]) << 16) | (std::uint32_t(b[1]) << 8) | b[2]);
    }
    return r;
}

std::vector<int> UsedMarks(MProgramLists& P) {
    std::vector<int> v;
    for (MUnvList* list :
         {static_cast<MUnvList*>(&P.N), static_cast<MUnvList*>(&P.W), static_cast<MUnvList*>(&P.R)})
        for (int i = 0; i < list->Count(); ++i)
            v.push_back(list->ItemAt(i).UsedMark);
    return v;
}

// Counters of 9999 on references and on their members: the loader takes what fills the width and
// gives the needles, finding, marks and extent of the full walk, which small counters show.
TEST(JacquardBed, BoundedExpansionMatchesTheFullWalk) {
    const char* const program = R"(
        C W=45 picture=60x4 WE=1
        W1 levels=%1
        R1 W1
        S1 N=1+4
        N1 X=2+2 D2           # taken twice
        N2 N=6+3 %2           # a reference over four members
        N3 X=58+5 D0          # never taken: no finding, no extent
        N4 N=4+0 D1           # names a reference: 42
        N5 X=40-3 R1
        N6 X=7+1 %3
        N7 N=9+0 D1           # finding 42 inside the reference
        N8 X=0+1 D1           # finding 40 inside the reference
        N9 X=30+0 D1
    )";
    struct Case {
        const char* W1;
        const char* N2;
        const char* N6;
    };
    for (const Case& c : {Case{"2", "D2", "D3"}, Case{"1", "D1", "D1"}, Case{"0", "D3", "D0"}}) {
        SCOPED_TRACE(c.N2);
        const QString text =
            QString::fromLatin1(program).arg(QLatin1String(c.W1), QLatin1String(c.N2), QLatin1String(c.N6));
        auto loaded = Project(text.toLatin1().constData());
        auto full = Project(text.toLatin1().constData());
        MJacquardBed bed;
        MPTerror finding;
        bed.LoadJacquardRow(loaded.get(), finding, 3, 1);
        const MFullExpansion expected = ExpandInFull(*full, 3, 1);
        ASSERT_EQ(expected.Needles.size(), 45u);
        EXPECT_EQ(expected.Finding.GetCode(), 42);
        EXPECT_EQ(Needles(bed), expected.Needles);
        EXPECT_TRUE(finding.Equals(expected.Finding))
            << finding.GetCode() << " " << finding.Args.toStdString();
        EXPECT_EQ(std::pair(bed.NeedleMin, bed.NeedleMax), std::pair(expected.Min, expected.Max));
        EXPECT_EQ(UsedMarks(loaded->Program()), UsedMarks(full->Program()));
        EXPECT_LE(bed.Parts.size(), expected.Parts.size());
    }
    // The same program with every counter at 9999 fills the width as the small counters that
    // already reach it do.
    const QString huge = QString::fromLatin1(program).arg(QLatin1String("9999"), QLatin1String("D9999"),
                                                          QLatin1String("D9999"));
    const QString small =
        QString::fromLatin1(program).arg(QLatin1String("6"), QLatin1String("D6"), QLatin1String("D20"));
    auto loaded = Project(huge.toLatin1().constData());
    auto full = Project(small.toLatin1().constData());
    MJacquardBed bed;
    MPTerror finding;
    bed.LoadJacquardRow(loaded.get(), finding, 3, 1);
    const MFullExpansion expected = ExpandInFull(*full, 3, 1);
    EXPECT_EQ(Needles(bed), expected.Needles);
    EXPECT_TRUE(finding.Equals(expected.Finding));
    EXPECT_EQ(std::pair(bed.NeedleMin, bed.NeedleMax), std::pair(expected.Min, expected.Max));
    EXPECT_EQ(UsedMarks(loaded->Program()), UsedMarks(full->Program()));
    EXPECT_LE(bed.Parts.size(), 45u);
}

// Input no validation has seen: the loader answers with its findings in bounded time and memory.
TEST(JacquardBed, UnvalidatedProgramsStayBounded) {
    struct Case {
        const char* Program;
        int Width;   // needles held
        int Finding; // the last one
    };
    const Case cases[] = {
        {"C area=1..65536 picture=60x4\nS1 N=1\nN1 X=1+59 D2147483647", 65535, 0},
        {"C area=0..70000 picture=60x4\nS1 N=1\nN1 X=1+0 D9999", 65535, 0},
        {"C area=1..2147483647 picture=60x4\nS1 N=1\nN1 X=1+0 D1", 65535, 0},
        {"C area=500..1 picture=60x4\nS1 N=1\nN1 X=1+0 D1", 0, 0},
        {"C W=100 picture=60x4\nS1 N=1\nN1 N=1+0 D2147483647", 0, 42},             // names itself
        {"C W=100 picture=60x4\nS1 N=1+1\nN1 N=2+0 D9999\nN2 N=1+0 D9999", 0, 42}, // each other
        {"C W=100 picture=60x4\nS1 N=1\nN1 N=2+2147483600 D9999\nN2 X=1+1 D9999", 100, 41},
        {"C W=100 picture=60x4\nS1 N=1+2147483646\nN1 X=2147483647+2147483647 D9999", 100, 53},
        {"C W=100 picture=60x4\nS1 N=1\nN1 X=-2147483647-2147483647 D9999", 100, 40},
        {"C W=100 picture=60x4\nS1 N=1\nN1 X=2000000000-2147483647 D3", 100, 40},
        {"C W=100 picture=60x4\nS1 N=-5+10\nN1 X=1+0 D1", 0, 0},
        {"C W=100 picture=60x4 WE=-7\nW1 levels=9999\nS1 N=1\nN1 X=3+0 W1", 0, 0},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.Program);
        SCOPED_TRACE(text.toStdString());
        auto p = Project(text.toLatin1().constData());
        MJacquardBed bed;
        MPTerror finding;
        bed.LoadJacquardRow(p.get(), finding, 1, 1);
        EXPECT_EQ(bed.Width(), c.Width);
        EXPECT_EQ(finding.GetCode(), c.Finding);
        EXPECT_LE(bed.Parts.size(), std::size_t(std::max(c.Width, 1)));
    }
}
} // namespace
