// The numbered list over a small sample kind: finding, storing, renumbering, selection, display rows.
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UunvList.h"

#include "tests/support/SampleKind.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using kdstest::MScriptedMessages;
using kdstest::MUnvOther;
using kdstest::MUnvSample;

class MSampleList : public MUnvList {
public:
    MSampleList() : MUnvList(lkR, std::make_unique<MUnvSample>()) {}
    MUnvSample& Get(int Number) const { return static_cast<MUnvSample&>(FindByNumber(Number)); }
};

std::unique_ptr<MUnvSample> Sample(int Number, int Value = 0) {
    auto m = std::make_unique<MUnvSample>();
    m->Number = Number;
    m->Value = Value;
    return m;
}

// A list holding the given numbers, each with Value = number mod 10, not marked modified.
void Fill(MSampleList& List, std::initializer_list<int> Numbers) {
    for (int n : Numbers)
        List.AddOrReplace(*Sample(n, n % 10));
    List.Modified = false;
    List.NeedsAutosave = false;
}

std::vector<int> Numbers(const MUnvList& List) {
    std::vector<int> v;
    for (int i = 0; i < List.Count(); ++i)
        v.push_back(List.ItemAt(i).Number);
    return v;
}

template <typename F>
void ExpectM(F f, int Code, int SubCode, const QString& Args = QString()) {
    try {
        f();
        ADD_FAILURE() << "no error, expected " << Code << "/" << SubCode;
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, Code);
        EXPECT_EQ(e.SubCode, SubCode);
        EXPECT_EQ(e.Args, Args);
    }
}
} // namespace

TEST(MUnvList, EmptyListAndPlainList) {
    MSampleList list;
    EXPECT_EQ(list.Kind, lkR);
    EXPECT_EQ(list.NumberLimit, 63);
    EXPECT_EQ(list.DisplayMode, dmSingle);
    EXPECT_EQ(list.MinNumber(), 0);
    EXPECT_EQ(list.MaxNumber(), 0);
    EXPECT_EQ(list.NumberSpan(), 0);
    EXPECT_EQ(list.MachineModel(), 0);
    EXPECT_EQ(list.SystemCount(), 0);
    EXPECT_EQ(list.NextItemAfter(0), nullptr);
    ExpectM([&] { list.NumberAfter(0); }, 5011, 4);
    EXPECT_NE(dynamic_cast<MUnvSample*>(list.NewItem().get()), nullptr);

    MUnvList plain;
    EXPECT_EQ(plain.Kind, 0);
    EXPECT_EQ(plain.NewItem()->ListKind(), 0);
    plain.Append(Sample(3));
    plain.Append(Sample(3));
    EXPECT_EQ(plain.Count(), 2);
}

TEST(MUnvList, FindingByNumberAndIndex) {
    MSampleList list;
    Fill(list, {7, 3, 12, 5});
    EXPECT_EQ(list.IndexOfNumber(12), 2);
    EXPECT_EQ(list.Get(5).Value, 5);
    EXPECT_TRUE(list.Contains(3));
    EXPECT_FALSE(list.Contains(4));
    EXPECT_EQ(list.MinNumber(), 3);
    EXPECT_EQ(list.MaxNumber(), 12);
    EXPECT_EQ(list.NumberSpan(), 10);
    EXPECT_EQ(list.NumberAfter(5), 7);
    EXPECT_EQ(list.NextItemAfter(7)->Number, 12);
    EXPECT_EQ(list.NextItemAfter(12), nullptr);
    ExpectM([&] { list.NumberAfter(12); }, 5011, 4);
    ExpectM([&] { list.IndexOfNumber(4); }, 5011, 4);
    ExpectM([&] { list.FindByNumber(4); }, 5011, 4);
    for (int index : {-1, 4, 5, 1000})
        ExpectM([&] { list.ItemAt(index); }, 5011, 4);
}

TEST(MUnvList, NextItemAfterLooksOnlyTenThousandAhead) {
    MUnvList plain;
    plain.Append(Sample(10005));
    EXPECT_EQ(plain.NextItemAfter(5), nullptr);
    EXPECT_EQ(plain.NextItemAfter(6)->Number, 10005);
    plain.Append(Sample(2147483647));
    EXPECT_EQ(plain.NextItemAfter(2147483640)->Number, 2147483647);
}

TEST(MUnvList, AddOrReplaceMarksOnlyRealChanges) {
    MSampleList list;
    Fill(list, {1, 2});
    list.AddOrReplace(*Sample(2, 2)); // equal: stays unmodified
    EXPECT_FALSE(list.Modified);
    EXPECT_FALSE(list.NeedsAutosave);

    auto changed = Sample(2, 8);
    changed->Marks.Selected = 1;
    list.AddOrReplace(*changed);
    EXPECT_TRUE(list.Modified);
    EXPECT_TRUE(list.NeedsAutosave);
    EXPECT_EQ(list.IndexOfNumber(2), 1); // replaced in place
    EXPECT_EQ(list.Get(2).Value, 8);
    EXPECT_TRUE(list.Get(2).Marks.Selected); // the copy includes the marks

    list.AddOrReplace(*Sample(9, 1));
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2, 9}));
}

TEST(MUnvList, AddOrReplaceValidatesOnlyWhileAutoValidateIsOn) {
    MSampleList list;
    Fill(list, {1});
    ExpectM([&] { list.AddOrReplace(*Sample(4, 12)); }, 5015, 2, QStringLiteral("4"));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.Modified); // the marks already set stay set
    ExpectM([&] { list.AddOrReplace(*Sample(1, 12)); }, 5015, 2, QStringLiteral("1"));
    EXPECT_EQ(list.Get(1).Value, 1);
    {
        MSwitchGuard off(ListsAutoValidate, false);
        list.AddOrReplace(*Sample(4, 12));
    }
    EXPECT_EQ(list.Get(4).Value, 12);
    EXPECT_TRUE(ListsAutoValidate);
}

TEST(MUnvList, StoreRenumbered) {
    struct Case {
        const char* Name;
        int OldNumber;
        int NewNumber;
        int NewValue;
        int Answer;
        bool Asks;
        int Code, SubCode; // 0: stored
        std::vector<int> After;
    };
    const std::vector<Case> cases = {
        {"new row on a free number", 0, 6, 6, mbOK, false, 0, 0, {1, 2, 3, 6}},
        {"new row on a number in use, OK", 0, 2, 7, mbOK, true, 0, 0, {1, 3, 2}},
        {"new row on a number in use, Cancel", 0, 2, 7, mbCancel, true, 1002, 1, {1, 2, 3}},
        {"new row on a number in use, closed", 0, 2, 7, mbClosed, true, 1002, 1, {1, 2, 3}},
        {"renumbered to a free number", 3, 8, 3, mbOK, false, 0, 0, {1, 2, 8}},
        {"renumbered onto a number in use, OK", 3, 1, 7, mbOK, true, 0, 0, {2, 1}},
        {"renumbered onto a number in use, Cancel", 3, 1, 7, mbCancel, true, 1002, 1, {1, 2, 3}},
        {"number unchanged: no question", 2, 2, 7, mbCancel, false, 0, 0, {1, 2, 3}},
        {"old number gone: nothing deleted", 5, 2, 7, mbOK, false, 5011, 4, {1, 2, 3}},
        {"old number gone, number unchanged: nothing stored", 5, 5, 7, mbOK, false, 5011, 4, {1, 2, 3}},
        {"invalid module", 3, 9, 12, mbOK, false, 5015, 2, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MSampleList list;
        Fill(list, {1, 2, 3});
        MScriptedMessages messages(c.Answer);
        const auto owned = Sample(c.NewNumber, c.NewValue);
        const MUnvSample& m = *owned;
        if (c.Code) {
            ExpectM([&] { list.StoreRenumbered(c.OldNumber, m); }, c.Code, c.SubCode,
                    c.Code == 5015 ? QStringLiteral("9") : QString());
        } else {
            list.StoreRenumbered(c.OldNumber, m);
            EXPECT_EQ(list.Get(c.NewNumber).Value, c.NewValue);
            EXPECT_TRUE(list.Modified);
        }
        EXPECT_EQ(Numbers(list), c.After);
        ASSERT_EQ(messages.Coded.size(), c.Asks ? 1u : 0u);
        if (c.Asks) {
            EXPECT_EQ(messages.Coded[0], (MScriptedMessages::Shown{11, 1101, QString(), mbOK | mbCancel}));
        }
    }
}

TEST(MUnvList, StoreRenumberedRefusesAnotherKindAndAsksNothingWithoutAMessageBox) {
    MSampleList list;
    Fill(list, {1, 2});
    MUnvOther other;
    other.Number = 5;
    ExpectM([&] { list.StoreRenumbered(0, other); }, 5011, 3);
    ASSERT_EQ(MessageBox, nullptr);
    ExpectM([&] { list.StoreRenumbered(0, *Sample(2, 5)); }, 1002, 1);
    EXPECT_EQ(list.Get(2).Value, 2);
}

TEST(MUnvList, ShiftNumbersAndInsertEmpty) {
    MSampleList list;
    Fill(list, {1, 4, 5, 9});
    list.ShiftNumbers(4, 0);
    EXPECT_TRUE(list.Modified);
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 4, 5, 9}));
    list.ShiftNumbers(5, 2);
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 4, 7, 11}));
    list.InsertEmpty(4);
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 5, 8, 12, 4}));
    EXPECT_EQ(list.Get(4).Value, 0);
    EXPECT_EQ(list.Get(5).Value, 4);
}

TEST(MUnvList, ShiftNumbersRefusesToPassTheLargestNumber) {
    MSampleList list;
    Fill(list, {1, 60, 62});
    ExpectM([&] { list.ShiftNumbers(60, 2); }, 5015, 1, QStringLiteral("64"));
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 60, 62}));
    EXPECT_FALSE(list.Modified);
    list.ShiftNumbers(61, 1);
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 60, 63}));
    list.Modified = false;
    ExpectM([&] { list.InsertEmpty(2); }, 5015, 1, QStringLiteral("64"));
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 60, 63}));
    EXPECT_FALSE(list.Modified);
}

TEST(MUnvList, DeletingAndClearing) {
    MSampleList list;
    Fill(list, {1, 2, 3, 4});
    list.DeleteNumber(7);
    EXPECT_FALSE(list.Modified);
    EXPECT_EQ(list.Count(), 4);
    list.DeleteNumber(2);
    EXPECT_TRUE(list.Modified);
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 3, 4}));

    ExpectM([&] { list.DeleteMarked(0); }, 1001, 0);
    list.SetSelected(1, true);
    list.SetSelected(4, true);
    list.SetSelected(99, true);
    list.DeleteMarked(0);
    EXPECT_EQ(Numbers(list), (std::vector<int>{3}));

    MUnvSample& three = list.Get(3);
    three.Marks.Selected = 1;
    three.Tag = 1;
    three.OldNumber = 30;
    list.ClearNumber(3);
    EXPECT_EQ(three.Value, 0);
    EXPECT_EQ(three.Number, 3);
    EXPECT_TRUE(three.Marks.Selected);
    EXPECT_EQ(three.Tag, 1);
    EXPECT_EQ(three.OldNumber, 30);
    EXPECT_TRUE(ClearBase);
    ExpectM([&] { list.ClearNumber(8); }, 5011, 4);

    list.AddOrReplace(*Sample(5, 5));
    list.SelectNone();
    ExpectM([&] { list.ClearSelectedContents(); }, 1004, 0);
    list.SetSelected(5, true);
    list.ClearSelectedContents();
    EXPECT_EQ(list.Get(5).Value, 0);

    list.Modified = false;
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Modified);
}

TEST(MUnvList, AssignCopiesOnlyBetweenListsOfOneKind) {
    MSampleList source;
    Fill(source, {2, 4});
    source.DisplayMode = dmZPairs;
    MSampleList target;
    Fill(target, {9});
    target.Assign(source);
    EXPECT_EQ(Numbers(target), (std::vector<int>{2, 4}));
    EXPECT_EQ(target.DisplayMode, dmZPairs);
    EXPECT_FALSE(target.Modified); // copied from the source

    MUnvList plain;
    plain.Append(Sample(1));
    target.Assign(plain);
    EXPECT_EQ(Numbers(target), (std::vector<int>{2, 4}));

    {
        MSwitchGuard off(ListsAutoValidate, false);
        source.AddOrReplace(*Sample(6, 15));
    }
    ExpectM([&] { target.Assign(source); }, 5015, 2, QStringLiteral("6"));
}

// A copy that fails on one module leaves the target's own modules, flags and settings untouched.
TEST(MUnvList, AssignThatFailsLeavesTheTargetUnchanged) {
    MSampleList source;
    Fill(source, {2, 4, 8});
    {
        MSwitchGuard off(ListsAutoValidate, false);
        source.AddOrReplace(*Sample(6, 15)); // invalid, after valid ones
    }
    source.DisplayMode = dmZPairs;
    MSampleList target;
    Fill(target, {1, 3, 5});
    target.Get(3).Value = 7;

    ExpectM([&] { target.Assign(source); }, 5015, 2, QStringLiteral("6"));
    EXPECT_EQ(Numbers(target), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(target.Get(3).Value, 7);
    EXPECT_EQ(target.DisplayMode, dmSingle);
    EXPECT_FALSE(target.Modified);

    // A number held twice (as in the clipboard's buffers) keeps its last module, at its first place.
    MUnvList plainSource;
    MUnvList plainTarget;
    plainSource.Append(Sample(3, 1));
    plainSource.Append(Sample(1, 2));
    plainSource.Append(Sample(3, 4));
    plainTarget.Assign(plainSource);
    ASSERT_EQ(Numbers(plainTarget), (std::vector<int>{3, 1}));
    EXPECT_EQ(static_cast<MUnvSample&>(plainTarget.ItemAt(0)).Value, 4);
}

TEST(MUnvList, SelectionAndSelectedRange) {
    struct Case {
        std::initializer_list<int> Present;
        std::initializer_list<int> Selected;
        int First, Last;
    };
    const Case cases[] = {
        {{1, 3, 4, 5, 8}, {3, 4, 5, 8}, 3, 5},
        {{3, 4, 6}, {3, 4, 6}, 3, 4}, // 5 missing ends the run
        {{2, 3, 4}, {3, 4}, 3, 4},    // the run reaches the largest number
        {{7}, {7}, 7, 7},
        {{2147483646, 2147483647}, {2147483646, 2147483647}, 2147483646, 2147483647},
    };
    for (const Case& c : cases) {
        MSampleList list;
        Fill(list, c.Present);
        for (int n : c.Selected)
            list.SetSelected(n, true);
        int first = 0, last = 0;
        list.GetSelectedRange(first, last);
        EXPECT_EQ(first, c.First);
        EXPECT_EQ(last, c.Last);
    }
    MSampleList list;
    int first = 0, last = 0;
    ExpectM([&] { list.GetSelectedRange(first, last); }, 1005, 0);
    Fill(list, {1, 2, 3});
    ExpectM([&] { list.GetSelectedRange(first, last); }, 1004, 0);
    list.SetSelected(2, true);
    list.InvertSelection();
    EXPECT_TRUE(list.Get(1).Marks.Selected);
    EXPECT_FALSE(list.Get(2).Marks.Selected);
    list.SelectAll();
    EXPECT_TRUE(list.Get(2).Marks.Selected);
    list.SelectNone();
    EXPECT_FALSE(list.Get(3).Marks.Selected);
}

TEST(MUnvList, SortAndDisplayRows) {
    struct Case {
        std::initializer_list<int> Numbers;
        std::vector<int> RowStarts; // index of the first module of each row
    };
    const Case cases[] = {
        {{1, 2, 3, 5, 6}, {0, 2, 3}},
        {{2, 3}, {0, 1}},
        {{1, 2, 3, 4}, {0, 2}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        MSampleList list;
        Fill(list, c.Numbers);
        list.DisplayMode = dmZPairs;
        ASSERT_EQ(list.RowCount(), int(c.RowStarts.size()));
        for (int r = 0; r < list.RowCount(); ++r) {
            EXPECT_EQ(list.IndexOfRow(r), c.RowStarts[std::size_t(r)]);
            EXPECT_EQ(list.RowOfIndex(c.RowStarts[std::size_t(r)]), r);
        }
        EXPECT_EQ(list.IndexOfRow(list.RowCount()), 0);
        EXPECT_EQ(list.RowOfIndex(list.Count()), 0);
    }
    MSampleList list;
    Fill(list, {6, 1, 5, 3, 2});
    list.SortByNumber();
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2, 3, 5, 6}));
    list.DisplayMode = dmZPairs;
    EXPECT_EQ(list.RowOfIndex(4), 2); // the position of 6
    EXPECT_EQ(list.IndexOfRow(2), 3); // the position of 5
    list.DisplayMode = dmSingle;
    EXPECT_EQ(list.RowCount(), 5);
    EXPECT_EQ(list.IndexOfRow(7), 7);
    EXPECT_EQ(list.RowOfIndex(3), 3);
}

TEST(MSList, LeadingRunAndTheNextUsedLine) {
    struct Case {
        std::initializer_list<std::pair<int, int>> Lines; // number, First
        int Run, Next;
    };
    const Case cases[] = {
        {{}, 0, 0},
        {{{1, 5}, {2, 6}, {3, 7}, {5, 0}, {6, 9}}, 3, 6}, // 4 missing ends the run; 5 is empty
        {{{1, 5}, {2, 0}, {3, 7}}, 1, 3},                 // an empty line ends the run
        {{{2, 5}, {4, 6}}, 0, 2},                         // no line 1
        {{{1, 5}, {2, 6}}, 2, 0},                         // nothing after the run
    };
    for (const Case& c : cases) {
        MSList list;
        for (const auto& [number, first] : c.Lines) {
            MUnvS s;
            s.Number = number;
            s.First = first;
            list.AddOrReplace(s);
        }
        EXPECT_EQ(list.LeadingRunLength(), c.Run);
        EXPECT_EQ(list.NextUsedAfterRun(), c.Next);
    }
}
