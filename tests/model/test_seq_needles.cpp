// Needle selection by the P entries of an S line, and needle segments from the selection marks or
// from the pattern colours and cams.
#include "RunFixture.h"

#include <gtest/gtest.h>

namespace {
// One system of a 708 about to be executed: the front slot reads pattern line 1 (Front), the rear
// slot line 2 (Rear) or, with SameLine, line 1 too. Pictures are rows of palette indexes.
struct Selection {
    std::unique_ptr<MMemoryProject> Project;
    MprogramSequencer S;

    Selection(int Gauge, const QString& Front, const QString& Rear, const QString& Entries, int ZRow = 1,
              int System = 1, bool SameLine = false) {
        const int w = int(Front.size());
        const auto row = [](const QString& Digits) {
            QStringList cells;
            for (const QChar c : Digits)
                cells << QString(c);
            return cells.join(QLatin1Char(' ')) + QLatin1Char('\n');
        };
        Project = kdstest::BuildProject(QStringLiteral("machine 740 %1\nC area=1..%2 picture=%3x2\npicture\n")
                                            .arg(Gauge)
                                            .arg(w + 1)
                                            .arg(w) +
                                        row(Rear.isEmpty() ? QString(w, QLatin1Char('0')) : Rear) +
                                        row(Front) + QStringLiteral("N1 X=1+%1 D1\n").arg(w - 1) + Entries);
        S.SetProject(Project.get());
        S.Regs.SLine = 1;
        S.Regs.ZRow = ZRow;
        S.Regs.System = System;
        const std::size_t front = std::size_t(2 * (System - 1));
        S.Regs.Row.PatternLine[front] = 1;
        S.Regs.Row.PatternLine[front + 1] = SameLine ? 1 : 2;
        S.FrontBed.LoadJacquardRow(Project.get(), S.Regs.Error, 1, 1);
        S.RearBed.LoadJacquardRow(Project.get(), S.Regs.Error, SameLine ? 1 : 2, 1);
    }

    // The marked needles as ranges ("2-3,8").
    QString Marks() const {
        QStringList ranges;
        const int w = S.SelectionBed.Width();
        for (int n = 1; n <= w; ++n) {
            if (!S.SelectionBed.GetNeedle(n))
                continue;
            int m = n;
            while (m < w && S.SelectionBed.GetNeedle(m + 1))
                ++m;
            ranges << (m == n ? QString::number(n) : QStringLiteral("%1-%2").arg(n).arg(m));
            n = m;
        }
        return ranges.join(QLatin1Char(','));
    }
};
} // namespace

TEST(SequencerNeedles, SelectionByPEntries) {
    const struct {
        const char* What;
        int Gauge;
        const char* Front;
        const char* Rear;
        const char* Entries;
        int ZRow, System, Carrier;
        const char* Marks;
        const char* Log;
    } cases[] = {
        // MF: runs of the colour, gaps shorter than 4 x gauge bridged.
        {"MF gap 3", 1, "1110001110", "", "P1 yc=1 mode=4 clrL=1", 1, 1, 1, "1-9", "-"},
        {"MF gap 4", 1, "1110000111", "", "P1 yc=1 mode=4 clrL=1", 1, 1, 1, "1-3,8-10", "-"},
        {"MF even row", 1, "0110000111", "", "P1 yc=1 mode=4 clrL=1", 2, 1, 1, "2-3,8-10", "-"},
        {"MF gauge 0", 0, "1101000000", "", "P1 yc=1 mode=4 clrL=1", 1, 1, 1, "1-2,4", "-"},
        // IF: the first needle of the colour met, in the carriage direction.
        {"IF odd row", 1, "0111100000", "", "P1 yc=1 mode=7 clrL=1", 1, 1, 1, "2", "-"},
        {"IF even row", 1, "0111100000", "", "P1 yc=1 mode=7 clrL=1", 2, 1, 1, "5", "-"},
        // AF: back to the start at the first other colour, on again with the colour.
        {"AF", 1, "0112110000", "", "P1 yc=1 mode=8 clrL=1", 1, 1, 1, "2-6", "-"},
        // VB: from the start colour to the first end colour after it.
        {"VB", 1, "0111222000", "", "P1 yc=1 mode=5 clrL=1 clrR=2", 1, 1, 1, "2-5", "-"},
        {"VB without end", 1, "0111000000", "", "P1 yc=1 mode=5 clrL=1 clrR=2", 1, 1, 1, "",
         "109:1;1:1:1,111:1;1:1:1"},
        // WW: from a change between the start colours to one between the end colours.
        {"WW", 1, "0012000230", "", "P1 yc=1 mode=6 clrL=1,2 clrR=2,3", 1, 1, 1, "4-9", "-"},
        {"WW without end", 1, "0012000000", "", "P1 yc=1 mode=6 clrL=1,2 clrR=2,3", 1, 1, 1, "",
         "110:1;1:1:1,111:1;1:1:1"},
        // Each colour mode closes a run after 4 x gauge needles that do not continue it.
        {"IF two runs", 1, "01110000000011100000", "", "P1 yc=1 mode=7 clrL=1", 1, 1, 1, "2,13", "-"},
        {"AF two runs", 1, "01121100000011211000", "", "P1 yc=1 mode=8 clrL=1", 1, 1, 1, "2-6,13-17", "-"},
        {"VB two runs", 1, "01122000000011220000", "", "P1 yc=1 mode=5 clrL=1 clrR=2", 1, 1, 1, "2-4,13-15",
         "-"},
        {"WW two runs", 1, "00120023000001200230", "", "P1 yc=1 mode=6 clrL=1,2 clrR=2,3", 1, 1, 1,
         "4-8,15-19", "-"},
        // SY: a needle range for one system, on the front side; the rear side adds no stray marks.
        {"SY1", 1, "0000000000", "1111111111", "P1 yc=1 mode=0 L=5 R=3", 1, 1, 1, "3-5", "-"},
        {"SY2 in system 1", 1, "0000000000", "", "P1 yc=1 mode=1 L=3 R=5", 1, 1, 1, "", "108:1;1:3:1"},
        {"> in an even row", 1, "0000000000", "", "P1 yc=1 mode=0 dir=> L=3 R=5", 2, 1, 1, "", "108:2;1:3:2"},
        {"< in an even row", 1, "0000000000", "", "P1 yc=1 mode=0 dir=< L=3 R=5", 2, 1, 1, "3-5", "-"},
        {"another carrier", 1, "1111111111", "", "P1 yc=1 mode=4 clrL=1", 1, 1, 2, "", "108:1;2:3:1"},
        {"a mode no entry has", 1, "1111111111", "", "P1 yc=1 mode=9 clrL=1", 1, 1, 1, "", "111:1;1:1:1"},
        // The rear side joins the front marks next to it, and only those.
        {"rear joins", 1, "0001111000", "0000000011", "P1 yc=1 mode=4 clrL=1", 1, 1, 1, "4-10", "-"},
        {"rear far off", 1, "00011110000000000111", "00000000000000000111", "P1 yc=1 mode=4 clrL=1", 1, 1, 1,
         "4-7,18-20", "-"},
        {"rear from the right in even rows", 1, "0000001110", "0001100000", "P1 yc=1 mode=4 clrL=1", 2, 1, 1,
         "4-9", "-"},
    };
    for (const auto& c : cases) {
        Selection sel(c.Gauge, QString::fromLatin1(c.Front), QString::fromLatin1(c.Rear),
                      QStringLiteral("S1 Z=1 D1 N=1 P=1\n") + QString::fromLatin1(c.Entries), c.ZRow,
                      c.System);
        sel.S.SelectNeedles(c.Carrier);
        EXPECT_EQ(sel.Marks(), QString::fromLatin1(c.Marks)) << c.What;
        EXPECT_EQ(seqtrace::LogText(sel.S), QString::fromLatin1(c.Log)) << c.What;
    }
}

TEST(SequencerNeedles, PRangesAndSharedLines) {
    // A negative count names first + count .. first, walked upwards; a missing entry is passed over.
    for (const char* range : {"P=3-2", "P=1+2"}) {
        Selection sel(1, QStringLiteral("0000000000"), QString(),
                      QStringLiteral("S1 Z=1 D1 N=1 %1\nP1 yc=1 mode=0 L=2 R=2\nP3 yc=1 mode=0 L=9 R=9\n")
                          .arg(QLatin1String(range)));
        sel.S.SelectNeedles(1);
        EXPECT_EQ(sel.Marks(), QStringLiteral("2,9")) << range;
        EXPECT_EQ(sel.S.MarkCount, 4) << range; // each entry on both sides
    }
    // When the front and rear slots share their pattern line the rear side adds nothing.
    Selection same(1, QStringLiteral("0001111000"), QString(),
                   QStringLiteral("S1 Z=1 D1 N=1 P=1\nP1 yc=1 mode=4 clrL=1\n"), 1, 1, true);
    same.S.SelectNeedles(1);
    EXPECT_EQ(same.Marks(), QStringLiteral("4-7"));
    EXPECT_EQ(same.S.MarkCount, 1);
}

TEST(SequencerNeedles, SegmentsFromMarks) {
    Selection sel(1, QString(40, QLatin1Char('0')), QString(), QStringLiteral("S1 Z=1 D1 N=1\n"));
    MprogramSequencer& s = sel.S;
    const auto mark = [&](std::initializer_list<std::pair<int, int>> Ranges) {
        s.SelectionBed.Needles.Buffer().assign(40 * 3, 0);
        for (const auto& [a, b] : Ranges)
            for (int n = a; n <= b; ++n)
                s.SelectionBed.SetNeedle(n, 1);
    };
    MSegment seg;
    mark({{10, 20}, {23, 30}}); // a gap of 2 at gauge 1 is bridged
    EXPECT_EQ(s.FindSegments(2, 1, 40, seg), 1);
    EXPECT_EQ(std::pair(seg.First, seg.Last), std::pair(10, 30));
    mark({{10, 20}, {26, 30}}); // a gap of 5 is not
    EXPECT_EQ(s.FindSegments(2, 1, 40, seg), 2);
    EXPECT_EQ(std::pair(seg.First, seg.Last), std::pair(10, 20));
    EXPECT_EQ(s.FindSegments(2, 40, 1, seg), 2); // scanned downwards: the first met is 30..26
    EXPECT_EQ(std::pair(seg.First, seg.Last), std::pair(30, 26));
    EXPECT_EQ(s.FindSegments(2, 22, 28, seg), 1);
    EXPECT_EQ(std::pair(seg.First, seg.Last), std::pair(26, 28));
    // Needles off the bed are never marked; other modes find nothing and leave the segment.
    EXPECT_EQ(s.FindSegments(2, -100, 5, seg), 0);
    EXPECT_EQ(s.FindSegments(1, 1, 40, seg), 0);
    EXPECT_EQ(std::pair(seg.First, seg.Last), std::pair(26, 28));
}

TEST(SequencerNeedles, SegmentsFromColoursAndCams) {
    Selection sel(1, QStringLiteral("0011122000"), QString(), QStringLiteral("S1 Z=1 D1 N=1\n"));
    MprogramSequencer& s = sel.S;
    MUnvZ& row = s.Regs.Row;
    MSegment seg;
    const auto find = [&](int Front, int Rear, int Tying, int From, int To) {
        row.CamCode[0] = std::uint8_t(Front);
        row.CamCode[1] = std::uint8_t(Rear);
        row.Tying[0] = std::uint8_t(Tying);
        seg = MSegment();
        const int n = s.FindSegments(3, From, To, seg);
        return QStringLiteral("%1:%2-%3").arg(n).arg(seg.First).arg(seg.Last);
    };
    row.LG[0].SetBit(1, 1);
    row.KNF[0].SetBit(2, 1);
    // A fixed selection ("  RR ") knits the whole scan, whatever the colours.
    EXPECT_EQ(find(camRR, camNone, 0, 5, 10), QStringLiteral("1:5-10"));
    EXPECT_EQ(find(camA, camF, 0, 10, 1), QStringLiteral("1:10-1"));
    // Jacquard cams knit the colours of their LG and KNF sets.
    EXPECT_EQ(find(camJR, camNone, 0, 1, 10), QStringLiteral("1:3-5"));
    EXPECT_EQ(find(camJRK, camNone, 0, 1, 10), QStringLiteral("1:6-7"));
    EXPECT_EQ(find(camJRFK, camNone, 0, 1, 10), QStringLiteral("1:3-7"));
    EXPECT_EQ(find(camJRFK, camNone, 1, 1, 10), QStringLiteral("1:3-5")); // tied intarsia: as "  JR "
    EXPECT_EQ(find(camJN, camNone, 0, 1, 10), QStringLiteral("0:0-0"));
    row.LG[0].Clear();
    row.KNF[0].Clear();
    EXPECT_EQ(find(camJR, camNone, 0, 1, 10), QStringLiteral("0:0-0")); // no colour at all
}
