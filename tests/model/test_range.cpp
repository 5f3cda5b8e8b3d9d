// Range operations of the lists: blocks, paste, mirror, drops, the special functions and range labels.
#include "RangeSupport.h"

#include "model/MClpBrd.h"

#include <functional>
#include <limits>

using namespace kdstest;

namespace {
constexpr int IntMax = std::numeric_limits<int>::max();

void FillR(MUnvList& List, std::initializer_list<int> Numbers) {
    for (int n : Numbers)
        Put(List, *RMod(n, 100 + n));
}

std::vector<int> RMarkers(const MUnvList& List) {
    std::vector<int> v;
    for (const MUnvBase* m : Sorted(List))
        v.push_back(static_cast<const MUnvR*>(m)->Offsets[0]);
    return v;
}

struct Program {
    MProgramLists P;
    Program() {
        P.Machine.Model = 740;
        P.Machine.Category = 4;
    }
};
} // namespace

TEST(ListBlocks, CopyAndMoveFollowTheExamples) {
    Program p;
    FillR(p.P.R, {1, 2, 3});
    p.P.R.CopyBlock(1, 2, 3); // copied from the top down: every target gets the old contents
    EXPECT_EQ(Numbers(p.P.R), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(RMarkers(p.P.R), (std::vector<int>{101, 101, 102, 103}));

    MRList up;
    FillR(up, {1, 2, 3});
    up.MoveBlock(1, 2, 3);
    EXPECT_EQ(Numbers(up), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(RMarkers(up), (std::vector<int>{101, 102, 103}));

    MRList down;
    FillR(down, {5, 6, 7, 9});
    down.MoveBlock(5, 2, 3);
    EXPECT_EQ(Numbers(down), (std::vector<int>{2, 3, 4, 9}));
    EXPECT_EQ(RMarkers(down), (std::vector<int>{105, 106, 107, 109}));

    // A gap in the block: the module after it moves instead of staying twice.
    MRList gap;
    FillR(gap, {2, 3});
    gap.MoveBlock(1, 2, 3);
    EXPECT_EQ(Numbers(gap), (std::vector<int>{3, 4}));
    EXPECT_EQ(RMarkers(gap), (std::vector<int>{102, 103}));
}

TEST(ListBlocks, CopySkipsAFailingStepAndHugeCountsStayBounded) {
    MRList list;
    FillR(list, {1, 3});
    Put(list, *RMod(2, 77, false));
    list.CopyBlock(1, 11, 3); // 2 fails validation: skipped, 1 and 3 copied
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2, 3, 11, 13}));
    {
        // Without validation the invalid 2 is copied to 63, but 3 is not stored past 63.
        MSwitchGuard off(ListsAutoValidate, false);
        list.CopyBlock(1, 62, 3);
    }
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2, 3, 11, 13, 62, 63}));

    MRList big;
    FillR(big, {1, 63});
    const QStringList before = Listing(big);
    big.CopyBlock(1, IntMax, IntMax); // no walk over two thousand million numbers, no wrap
    big.CopyBlock(IntMax, 1, IntMax);
    EXPECT_EQ(Listing(big), before);
    ExpectM([&] { big.MoveBlock(1, IntMax, IntMax); }, 5015, 1, QString::number(std::int64_t(IntMax) + 62));
    EXPECT_EQ(Listing(big), before);
}

TEST(ListBlocks, MovePastTheLargestNumberMovesNothing) {
    Program p;
    for (int n : {509, 510, 511})
        Put(p.P.S, *SLine(n, 1, n));
    const QStringList before = Listing(p.P.S);
    // Moving module by module would copy 509 over 511 and lose the old 511.
    ExpectM([&] { p.P.S.MoveBlock(509, 511, 3); }, 5016, 1, QStringLiteral("513"));
    EXPECT_EQ(Listing(p.P.S), before);
    ExpectM([&] { p.P.S.MoveBlock(509, -1, 3); }, 5011, 1);
    EXPECT_EQ(Listing(p.P.S), before);
}

TEST(ListBlocks, MoveKeepsARefusedModuleAndCarriesTags) {
    MRList list;
    for (int n : {5, 6, 7}) {
        auto r = RMod(n, 100 + n, n != 6);
        r->Tag = 1;
        Put(list, *r);
    }
    list.MoveBlock(5, 8, 3);
    // 6 is invalid: its copy is refused and it stays where it was.
    EXPECT_EQ(Numbers(list), (std::vector<int>{6, 8, 10}));
    EXPECT_EQ(RMarkers(list), (std::vector<int>{106, 105, 107}));
    EXPECT_EQ(list.FindByNumber(8).Tag, 1);
    EXPECT_FALSE(CopyTag);

    // An overlapping block: the copy of 7 (down) or 5 (up) would land on the refused 6 and lose it.
    for (const int to : {4, 6}) {
        MRList overlap;
        for (int n : {5, 6, 7})
            Put(overlap, *RMod(n, 100 + n, n != 6));
        overlap.MoveBlock(5, to, 3);
        EXPECT_EQ(Numbers(overlap), to == 4 ? (std::vector<int>{4, 6, 7}) : (std::vector<int>{5, 6, 8}));
        EXPECT_EQ(RMarkers(overlap), (std::vector<int>{105, 106, 107}));
    }
}

TEST(ListPaste, SpacingAndTheBufferKeepsTheNewNumbers) {
    Program p;
    MUnvList buffer;
    buffer.Append(RMod(12, 112));
    buffer.Append(RMod(10, 110));
    p.P.R.PasteFrom(buffer, 3);
    EXPECT_EQ(Numbers(p.P.R), (std::vector<int>{3, 5}));
    EXPECT_EQ(RMarkers(p.P.R), (std::vector<int>{110, 112}));
    EXPECT_EQ(Numbers(buffer), (std::vector<int>{3, 5}));
    p.P.R.PasteFrom(buffer, 20); // the same spacing from the new lowest number
    EXPECT_EQ(Numbers(buffer), (std::vector<int>{20, 22}));

    // A refused store: that module gets its number back, the error passes, the earlier store stays.
    MUnvList bad;
    bad.Append(RMod(1, 201));
    bad.Append(RMod(2, 202, false));
    bad.Append(RMod(3, 203));
    ExpectM([&] { p.P.R.PasteFrom(bad, 40); }, 5015, 2, QStringLiteral("41"));
    EXPECT_EQ(Numbers(bad), (std::vector<int>{2, 3, 40}));
    EXPECT_EQ(RMarker(p.P.R, 40), 201);
    EXPECT_FALSE(p.P.R.Contains(41));
    // Past the largest number: refused whatever validation says.
    MSwitchGuard off(ListsAutoValidate, false);
    ExpectM([&] { p.P.R.PasteFrom(bad, 62); }, 5015, 1, QStringLiteral("100"));
}

TEST(ListMirror, MirrorsZRowsOnly) {
    Program p;
    auto z = ZRow(4, 11);
    z->PatternLine[7] = 22;
    Put(p.P.Z, *z);
    p.P.Z.MirrorNumber(4);
    EXPECT_EQ(ZMarker(p.P.Z, 4), 0);
    EXPECT_EQ(static_cast<MUnvZ&>(p.P.Z.FindByNumber(4)).PatternLine[6], 11);
    EXPECT_TRUE(p.P.Z.Modified);
    ExpectM([&] { p.P.Z.MirrorNumber(5); }, 5011, 4);
    FillR(p.P.R, {4});
    p.P.R.MirrorNumber(4);
    p.P.R.MirrorNumber(5); // nothing in other lists
    EXPECT_FALSE(p.P.R.Modified);

    MUnvList buffer;
    buffer.Append(z->Clone());
    p.P.Z.PasteMirroredFrom(buffer, 9);
    EXPECT_EQ(static_cast<MUnvZ&>(p.P.Z.FindByNumber(9)).PatternLine[6], 11);
}

TEST(ListSpecial, DeleteGapsKeepsTheParityOfTheNextSource) {
    struct Case {
        std::vector<int> Rows;
        int In;
        std::vector<int> Targets;
    };
    for (const Case& c :
         {Case{{1, 2, 3, 4}, 7, {7, 8, 9, 10}}, Case{{1, 3, 4}, 7, {7, 8, 10}}, Case{{1, 2}, 8, {8, 10}}}) {
        Program p;
        for (int n : c.Rows)
            Put(p.P.Z, *ZRow(n, 100 + n));
        TSpecialFuncParams params;
        params.From = 1;
        params.To = 4;
        params.In = c.In;
        params.DeleteGaps = true;
        p.P.Z.CopyRange(params, nullptr);
        for (std::size_t i = 0; i < c.Rows.size(); ++i)
            EXPECT_EQ(ZMarker(p.P.Z, c.Targets[i]), 100 + c.Rows[i]) << "row " << c.Rows[i];
        EXPECT_EQ(p.P.Z.Count(), int(c.Rows.size() * 2));
    }
}

TEST(ListSpecial, CopyAndMoveWithOptions) {
    Program p;
    TMUnvClipBoard clipboard;
    for (int n : {1, 2, 3, 6})
        Put(p.P.Z, *ZRow(n, 100 + n));
    TSpecialFuncParams params;
    params.From = 1;
    params.To = 2;
    params.In = 2; // overlaps the source: the old contents are copied
    params.MoveDestination = true;
    params.ByY = 5;
    p.P.Z.MoveRange(params, &clipboard);
    // Sources 1 and 2 removed, 3 and 6 shifted up by the span 2, the clones stored at 2 and 3.
    EXPECT_EQ(Numbers(p.P.Z), (std::vector<int>{2, 3, 5, 8}));
    EXPECT_EQ(ZMarker(p.P.Z, 2), 106);
    EXPECT_EQ(ZMarker(p.P.Z, 3), 107);
    EXPECT_EQ(ZMarker(p.P.Z, 5), 103);
    EXPECT_EQ(Numbers(clipboard.Buffer2), (std::vector<int>{2, 3}));
    EXPECT_TRUE(p.P.Z.Modified);

    params = {};
    params.From = 5;
    params.To = 5;
    params.In = 11;
    params.Mirror = true;
    p.P.Z.CopyRange(params, &clipboard);
    EXPECT_EQ(static_cast<MUnvZ&>(p.P.Z.FindByNumber(11)).PatternLine[6], 103);
    EXPECT_EQ(ZMarker(p.P.Z, 5), 103);

    params = {};
    params.From = 20;
    params.To = 10; // From above To: nothing
    p.P.Z.CopyRange(params, &clipboard);
    EXPECT_EQ(clipboard.Buffer2.Count(), 0);
}

TEST(ListSpecial, CopyOrMoveIsAllOrNothing) {
    Program p;
    TMUnvClipBoard clipboard; // a refused copy leaves the results of the last one
    clipboard.Buffer2.Append(RMod(9, 109));
    for (int n : {1, 2, 3})
        Put(p.P.R, *RMod(n, 100 + n, n != 2));
    Put(p.P.R, *RMod(5, 105));
    const QStringList before = Listing(p.P.R);
    TSpecialFuncParams params;
    params.From = 1;
    params.To = 3;
    params.In = 4;
    // A move module by module would delete 1..3, store only 1 and then fail: modules lost.
    ExpectM([&] { p.P.R.MoveRange(params, &clipboard); }, 5015, 2, QStringLiteral("5"));
    EXPECT_EQ(Listing(p.P.R), before);
    EXPECT_FALSE(p.P.R.Modified);

    // The target passes the largest number: refused before anything, also without validation.
    MSwitchGuard off(ListsAutoValidate, false);
    params.In = 62;
    ExpectM([&] { p.P.R.MoveRange(params, &clipboard); }, 5015, 1, QStringLiteral("64"));
    params.In = 1;
    params.From = 5;
    params.To = 5;
    params.MoveDestination = true; // making room at 1 would push 63 past the largest number
    Put(p.P.R, *RMod(63, 163));
    const QStringList withTop = Listing(p.P.R);
    ExpectM([&] { p.P.R.CopyRange(params, &clipboard); }, 5015, 1, QStringLiteral("64"));
    EXPECT_EQ(Listing(p.P.R), withTop);
    params = {};
    params.From = 1;
    params.To = IntMax;
    params.In = IntMax;
    ExpectM([&] { p.P.R.CopyRange(params, &clipboard); }, 5015, 1, QString::number(IntMax));
    EXPECT_EQ(Listing(p.P.R), withTop);
    EXPECT_EQ(Listing(clipboard.Buffer2), QStringList{RMod(9, 109)->ListingLine()});
}

TEST(ListSpecial, AParityStepPastTheLargestNumberIsRefused) {
    Program p;
    Put(p.P.Z, *ZRow(2, 102));
    Put(p.P.Z, *ZRow(3, 103));
    const QStringList before = Listing(p.P.Z);
    TSpecialFuncParams params;
    params.From = 2;
    params.To = 3;
    params.In = 1999;
    params.DeleteGaps = true;
    // Row 2 goes to 1999; the next target steps from 2000 to 2001 to keep row 3's parity.
    ExpectM([&] { p.P.Z.MoveRange(params, nullptr); }, 5014, 1, QStringLiteral("2001"));
    EXPECT_EQ(Listing(p.P.Z), before);
}

TEST(ListSpecial, DeleteAndNewItems) {
    MScriptedMessages shown(mbCancel);
    Program p;
    FillR(p.P.R, {3, 5, 9});
    TSpecialFuncParams params;
    params.From = 3;
    params.To = 5;
    params.ClearItems = true;
    p.P.R.DeleteRange(params);
    EXPECT_EQ(Numbers(p.P.R), (std::vector<int>{3, 5, 9}));
    EXPECT_EQ(RMarkers(p.P.R), (std::vector<int>{0, 0, 109}));
    params.ClearItems = false;
    params.To = IntMax;
    p.P.R.DeleteRange(params);
    EXPECT_TRUE(Numbers(p.P.R).empty());

    FillR(p.P.R, {2, 4});
    params = {};
    params.From = 3;
    params.To = 4;
    params.MoveDestination = true;
    p.P.R.NewItemsRange(params);
    EXPECT_EQ(Numbers(p.P.R), (std::vector<int>{2, 3, 4, 6}));
    EXPECT_EQ(RMarkers(p.P.R), (std::vector<int>{102, 0, 0, 104}));
    EXPECT_TRUE(shown.Plain.isEmpty());

    // Outside the kind's numbers, or a shift past them: "Error ..." and nothing changes.
    const QStringList before = Listing(p.P.R);
    for (auto [from, to] : {std::pair{0, 2}, std::pair{60, 64}, std::pair{1, IntMax}, std::pair{5, 62}}) {
        params.From = from;
        params.To = to;
        p.P.R.NewItemsRange(params);
        EXPECT_EQ(Listing(p.P.R), before) << from << ".." << to;
    }
    EXPECT_EQ(shown.Plain, QStringList(4, QStringLiteral("Error ...")));
    params.From = 9;
    params.To = 8; // From above To: nothing, no message
    p.P.R.NewItemsRange(params);
    EXPECT_EQ(shown.Plain.size(), 4);
}

// Every operation that stores onto a target number: below 1 it fails the base check of every
// module (5011/1, no arguments), whatever the kind and whether validation is on; above the kind's
// largest number the kind's own check names the number. Either way the list stays as it was.
TEST(ListTargets, BelowOneIsTheBaseCheckOfEveryKind) {
    using Op = std::function<void(MUnvList & List, MUnvList & Source, TMUnvClipBoard & Clip, int At)>;
    const TSpecialFuncParams range{sfCopy, 1, 1};
    struct Case {
        const char* Name;
        Op Run;
        bool NegativeIsOwnNumber; // the clipboard pastes at the buffer's own numbers below 0
    };
    const Case cases[] = {
        {"moveblock", [](MUnvList& L, MUnvList&, TMUnvClipBoard&, int At) { L.MoveBlock(1, At, 1); }, false},
        {"insertempty", [](MUnvList& L, MUnvList&, TMUnvClipBoard&, int At) { L.InsertEmpty(At); }, false},
        {"paste", [](MUnvList& L, MUnvList& S, TMUnvClipBoard&, int At) { L.PasteFrom(S, At); }, false},
        {"pastemirrored",
         [](MUnvList& L, MUnvList& S, TMUnvClipBoard&, int At) { L.PasteMirroredFrom(S, At); }, false},
        {"pasteinsert", [](MUnvList& L, MUnvList&, TMUnvClipBoard& C, int At) { C.PasteInsert(L, At); },
         true},
        {"pasteover", [](MUnvList& L, MUnvList&, TMUnvClipBoard& C, int At) { C.PasteOver(L, At); }, true},
        {"dropsel", [](MUnvList& L, MUnvList& S, TMUnvClipBoard&, int At) { L.DropCopySelected(S, At); },
         false},
        {"copyrange",
         [&](MUnvList& L, MUnvList&, TMUnvClipBoard& C, int At) {
             TSpecialFuncParams p = range;
             p.In = At;
             L.CopyRange(p, &C);
         },
         false},
        {"moverange",
         [&](MUnvList& L, MUnvList&, TMUnvClipBoard& C, int At) {
             TSpecialFuncParams p = range;
             p.In = At;
             p.MoveDestination = true;
             L.MoveRange(p, &C);
         },
         false},
    };
    for (const bool validate : {true, false}) {
        MSwitchGuard checks(ListsAutoValidate, validate);
        for (int kind = 1; kind <= ListKindCount; ++kind)
            for (const Case& c : cases)
                for (const int at : {0, -7, MaxNumberOfKind(kind) + 1}) {
                    if (at < 0 && c.NegativeIsOwnNumber)
                        continue;
                    const std::unique_ptr<MUnvList> list = NewListOfKind(kind), source = NewListOfKind(kind);
                    std::unique_ptr<MUnvBase> m = list->NewItem();
                    m->Number = 1;
                    Put(*list, *m);
                    Put(*source, *m);
                    source->SelectAll();
                    TMUnvClipBoard clip;
                    clip.Buffer.Append(m->Clone());
                    const QStringList before = Listing(*list);
                    SCOPED_TRACE(testing::Message() << c.Name << " kind " << kind << " at " << at
                                                    << (validate ? "" : " unvalidated"));
                    if (at < 1)
                        ExpectM([&] { c.Run(*list, *source, clip, at); }, 5011, 1);
                    else
                        ExpectM([&] { c.Run(*list, *source, clip, at); }, ValidationCodeOfKind(kind), 1,
                                QString::number(at));
                    EXPECT_EQ(Listing(*list), before);
                    EXPECT_FALSE(list->Modified);
                }
    }
}

namespace {
// An R module that its kind's check refuses under one number: a store that fails part-way.
int RefusedNumber = 0;
class MRefusedR : public MUnvR {
public:
    std::unique_ptr<MUnvBase> CreateNew() const override { return std::make_unique<MRefusedR>(); }
    void Validate() const override {
        MUnvR::Validate();
        if (Number == RefusedNumber)
            RaiseCheck(2);
    }
};

class MRefusingList : public MUnvList {
public:
    MRefusingList() : MUnvList(lkR, std::make_unique<MRefusedR>()) {}
};
} // namespace

// The special delete and new items run on a scratch copy: a store refused part-way shows
// "Error ..." and leaves the list as it was, not half reset or shifted.
TEST(ListSpecial, DeleteAndNewItemsAreAllOrNothing) {
    MScriptedMessages shown(mbCancel);
    MRefusingList list;
    for (int n : {3, 4, 5, 9}) {
        MRefusedR r;
        r.Number = n;
        r.Offsets[0] = 100 + n;
        Put(list, r);
    }
    const QStringList before = Listing(list);
    RefusedNumber = 5;
    TSpecialFuncParams clear;
    clear.Operation = sfDelete;
    clear.From = 3;
    clear.To = 9;
    clear.ClearItems = true; // 3 and 4 reset, then 5 refused
    TSpecialFuncParams create;
    create.Operation = sfNewItems;
    create.From = 4;
    create.To = 6;
    create.MoveDestination = true; // 4.. shifted by 3, 4 made new, then 5 refused
    for (const TSpecialFuncParams& params : {clear, create}) {
        params.Operation == sfDelete ? list.DeleteRange(params) : list.NewItemsRange(params);
        EXPECT_EQ(Listing(list), before) << int(params.Operation);
        EXPECT_FALSE(list.Modified);
    }
    EXPECT_EQ(shown.Plain, QStringList(2, QStringLiteral("Error ...")));

    // Without the refusal both run through.
    RefusedNumber = 0;
    list.DeleteRange(clear);
    list.NewItemsRange(create);
    EXPECT_EQ(Numbers(list), (std::vector<int>{3, 4, 5, 6, 7, 8, 12}));
    EXPECT_EQ(RMarkers(list), (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(list.Modified);
    EXPECT_EQ(shown.Plain.size(), 2);
}

TEST(ListDrop, OneModule) {
    MScriptedMessages shown(mbCancel);
    Program from, to;
    FillR(from.P.R, {1});
    Put(from.P.R, *RMod(2, 102, false));
    Put(from.P.Z, *ZRow(1, 11));
    FillR(to.P.R, {3, 4, 63});
    to.P.R.SetSelected(3, true);
    const QStringList before = Listing(to.P.R);
    to.P.R.DropCopy(from.P.R, 2, 3); // fails validation: the list stays as it was
    to.P.R.DropCopy(from.P.R, 7, 3); // missing
    to.P.R.DropCopy(from.P.Z, 1, 3); // another kind
    to.P.R.DropCopy(from.P.R, 1, 3); // the shift would pass 63
    EXPECT_EQ(shown.Plain, QStringList(4, QStringLiteral("Error in D&D")));
    EXPECT_EQ(Listing(to.P.R), before);
    EXPECT_TRUE(to.P.R.FindByNumber(3).Marks.Selected);

    to.P.R.DeleteNumber(63);
    to.P.R.DropCopy(from.P.R, 1, 3);
    EXPECT_EQ(Numbers(to.P.R), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(RMarkers(to.P.R), (std::vector<int>{101, 103, 104}));
    EXPECT_FALSE(to.P.R.FindByNumber(4).Marks.Selected);

    // Onto its own list: the module as it was before the shift.
    to.P.R.DropCopy(to.P.R, 4, 4);
    EXPECT_EQ(RMarkers(to.P.R), (std::vector<int>{101, 103, 103, 104}));
    EXPECT_EQ(shown.Plain.size(), 4);
}

TEST(ListDrop, TheSelection) {
    Program from, to;
    FillR(from.P.R, {2, 4, 5});
    Put(from.P.R, *RMod(3, 103, false));
    FillR(to.P.R, {1, 2});
    ExpectM([&] { to.P.R.DropCopySelected(from.P.R, 2); }, 1004, 0);
    from.P.R.SetSelected(2, true);
    from.P.R.SetSelected(3, true);
    from.P.R.SetSelected(5, true);
    const QStringList before = Listing(to.P.R);
    ExpectM([&] { to.P.R.DropCopySelected(from.P.R, 2); }, 5015, 2, QStringLiteral("3"));
    EXPECT_EQ(Listing(to.P.R), before);

    from.P.R.SetSelected(3, false);
    ExpectM([&] { to.P.R.DropCopySelected(from.P.R, 61); }, 5015, 1, QStringLiteral("64"));
    EXPECT_EQ(Listing(to.P.R), before);
    to.P.R.DropCopySelected(from.P.R, 2); // spacing kept: 2 and 5 go to 2 and 5, old 2 to 6
    EXPECT_EQ(Numbers(to.P.R), (std::vector<int>{1, 2, 5, 6}));
    EXPECT_EQ(RMarkers(to.P.R), (std::vector<int>{101, 102, 105, 102}));

    // Onto its own list: the selection is taken before it is cleared.
    from.P.R.DropCopySelected(from.P.R, 1);
    EXPECT_EQ(Numbers(from.P.R), (std::vector<int>{1, 4, 6, 7, 8, 9}));
    EXPECT_EQ(RMarkers(from.P.R), (std::vector<int>{102, 105, 102, 103, 104, 105}));
}

TEST(ListLabels, RangeOrderSeparatorAndBounds) {
    Program p;
    FillR(p.P.R, {3, 5, 9});
    const QString l3 = p.P.R.FindByNumber(3).Label(4, 740, 1);
    const QString l5 = p.P.R.FindByNumber(5).Label(4, 740, 1);
    QString text;
    p.P.R.GetRangeLabels(5, -2, text, 1);
    EXPECT_EQ(text, l5 + QLatin1String("\n\r") + l3);
    p.P.R.GetRangeLabels(3, 2, text, 1);
    EXPECT_EQ(text, l3 + QLatin1String("\n\r") + l5);
    p.P.R.GetRangeLabels(4, 0, text, 1);
    EXPECT_TRUE(text.isEmpty());
    p.P.R.GetRangeLabels(5, 0, text, 1);
    EXPECT_EQ(text, l5);
    p.P.R.GetRangeLabels(IntMax, IntMax, text, 1); // no wrap into the small numbers
    EXPECT_TRUE(text.isEmpty());
    p.P.R.GetRangeLabels(-5, IntMax, text, 1);
    EXPECT_EQ(text.count(QLatin1String("\n\r")), 2);
}
