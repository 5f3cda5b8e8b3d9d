// The module clipboard: copy, cut, the four pastes and the second buffer.
#include "RangeSupport.h"

#include "model/MClpBrd.h"

using namespace kdstest;

namespace {
void FillR(MUnvList& List, std::initializer_list<int> Numbers) {
    for (int n : Numbers)
        Put(List, *RMod(n, 100 + n));
}
} // namespace

TEST(ModuleClipboard, CopyThenInsertMakesRoom) {
    TMUnvClipBoard clip;
    EXPECT_EQ(clip.Kind, 0);
    MRList from, to;
    FillR(from, {3, 4, 5});
    from.SetSelected(3, true);
    from.SetSelected(5, true);
    clip.SetKind(wiR);
    clip.Copy(from, 4); // the selection wins over the module under the cursor
    EXPECT_EQ(clip.Kind, wiR);
    EXPECT_EQ(Numbers(clip.Buffer), (std::vector<int>{3, 5}));
    FillR(to, {10, 11});
    clip.PasteInsert(to, 10);
    EXPECT_EQ(Numbers(to), (std::vector<int>{10, 12, 13, 14}));
    EXPECT_EQ(RMarker(to, 10), 103);
    EXPECT_EQ(RMarker(to, 12), 105);
    EXPECT_EQ(RMarker(to, 13), 110);
    EXPECT_EQ(RMarker(to, 14), 111);

    // At below 0: the buffer's own lowest number, over what is there.
    clip.PasteOver(to, -1);
    EXPECT_EQ(Numbers(to), (std::vector<int>{10, 12, 13, 14}));

    // An empty buffer changes nothing, not even the numbers.
    clip.Clear();
    const QStringList before = Listing(to);
    clip.PasteInsert(to, 1);
    clip.PasteOver(to, 1);
    EXPECT_EQ(Listing(to), before);
}

TEST(ModuleClipboard, FallbackToTheModuleUnderTheCursor) {
    TMUnvClipBoard clip;
    MRList list;
    FillR(list, {1, 2, 3});
    clip.Copy(list, 2);
    EXPECT_EQ(Numbers(clip.Buffer), (std::vector<int>{2}));
    clip.Copy(list, 7); // missing: an empty buffer, no error
    EXPECT_EQ(clip.Buffer.Count(), 0);

    clip.Cut(list, 0); // nothing selected, no number: nothing copied, nothing removed
    EXPECT_EQ(clip.Buffer.Count(), 0);
    EXPECT_EQ(list.Count(), 3);
    clip.Cut(list, 3);
    EXPECT_EQ(Numbers(clip.Buffer), (std::vector<int>{3}));
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2}));
    list.SetSelected(1, true);
    clip.Cut(list, 2);
    EXPECT_EQ(Numbers(clip.Buffer), (std::vector<int>{1}));
    EXPECT_EQ(Numbers(list), (std::vector<int>{2}));
}

TEST(ModuleClipboard, InsertPastTheLargestNumberChangesNothing) {
    TMUnvClipBoard clip;
    MRList from, to;
    FillR(from, {1, 2});
    clip.Copy(from, -1);
    EXPECT_EQ(clip.Buffer.Count(), 0);
    from.SelectAll();
    clip.Copy(from, -1);
    FillR(to, {30, 62});
    const QStringList before = Listing(to);
    // Making room would push 62 to 64, above the largest R number: nothing shifts, nothing is stored.
    ExpectM([&] { clip.PasteInsert(to, 30); }, 5015, 1, QStringLiteral("64"));
    EXPECT_EQ(Listing(to), before);
}

TEST(ModuleClipboard, PasteOverStopsAtTheFirstErrorAndRaisesIt) {
    TMUnvClipBoard clip;
    clip.Buffer.Append(RMod(1, 101));
    clip.Buffer.Append(RMod(2, 102, false));
    clip.Buffer.Append(RMod(3, 103));
    MRList to;
    FillR(to, {20, 21, 22});
    // The paste stops at the invalid module and raises, rather than reporting a half paste as done.
    ExpectM([&] { clip.PasteOver(to, 20); }, 5015, 2, QStringLiteral("21"));
    EXPECT_EQ(RMarker(to, 20), 101);
    EXPECT_EQ(RMarker(to, 21), 121); // the invalid module did not replace it
    EXPECT_EQ(RMarker(to, 22), 122); // and nothing after it was pasted
    EXPECT_EQ(Numbers(clip.Buffer), (std::vector<int>{2, 3, 20}));

    // The second buffer: the main buffer untouched.
    MRList list;
    FillR(list, {5, 6});
    list.SetSelected(6, true);
    clip.CopyToBuffer2(list, 5, false);
    EXPECT_EQ(Numbers(clip.Buffer2), (std::vector<int>{5}));
    clip.CopyToBuffer2(list, 5, true);
    EXPECT_EQ(Numbers(clip.Buffer2), (std::vector<int>{6}));
    clip.CopyToBuffer2(list, 0, false);
    EXPECT_EQ(clip.Buffer2.Count(), 0);
    EXPECT_EQ(clip.Buffer.Count(), 3);
    clip.CopyToBuffer2(list, 5, true);
    clip.PasteOverFromBuffer2(list, 5);
    EXPECT_EQ(RMarker(list, 5), 106);
}

TEST(ModuleClipboard, MirroredPastesOfZRows) {
    MProgramLists p;
    p.Machine.Category = 2;
    TMUnvClipBoard clip;
    Put(p.Z, *ZRow(1, 11));
    Put(p.Z, *ZRow(2, 12));
    p.Z.SelectAll();
    clip.Copy(p.Z, -1);
    clip.PasteInsertMirrored(p.Z, 1); // 1 and 2 move to 3 and 4
    EXPECT_EQ(Numbers(p.Z), (std::vector<int>{1, 2, 3, 4}));
    for (int n : {1, 2})
        EXPECT_EQ(static_cast<MUnvZ&>(p.Z.FindByNumber(n)).PatternLine[2], 10 + n);
    EXPECT_EQ(ZMarker(p.Z, 3), 11);
    clip.PasteOverMirrored(p.Z, 3);
    EXPECT_EQ(ZMarker(p.Z, 3), 0);
    clip.CopyToBuffer2(p.Z, 4, false);
    clip.PasteOverMirroredFromBuffer2(p.Z, 4); // mirrored back
    EXPECT_EQ(ZMarker(p.Z, 4), 12);
}
