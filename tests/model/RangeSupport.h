#pragma once
// Small helpers of the range, clipboard and import tests: modules with a marker and listings compared
// line by line.

#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UunvDta.h"
#include "tests/support/ScriptedMessages.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace kdstest {
// Every module of a list in number order.
inline std::vector<const MUnvBase*> Sorted(const MUnvList& List) {
    std::vector<const MUnvBase*> v;
    for (int i = 0; i < List.Count(); ++i)
        v.push_back(&List.ItemAt(i));
    std::stable_sort(v.begin(), v.end(), [](auto* a, auto* b) { return a->Number < b->Number; });
    return v;
}

inline std::vector<int> Numbers(const MUnvList& List) {
    std::vector<int> v;
    for (const MUnvBase* m : Sorted(List))
        v.push_back(m->Number);
    return v;
}

// The listing of a list in number order, one line per module.
inline QStringList Listing(const MUnvList& List) {
    QStringList lines;
    for (const MUnvBase* m : Sorted(List))
        lines << m->ListingLine();
    return lines;
}

// An R module whose first offset is its marker; an invalid one has a counter kind no R module takes.
inline std::unique_ptr<MUnvR> RMod(int Number, int Marker, bool Valid = true) {
    auto r = std::make_unique<MUnvR>();
    r->Number = Number;
    r->Offsets[0] = Marker;
    if (!Valid)
        r->Counter.Kind = 9;
    return r;
}

// A Z row whose first pattern line is its marker.
inline std::unique_ptr<MUnvZ> ZRow(int Number, int Marker) {
    auto z = std::make_unique<MUnvZ>();
    z->Number = Number;
    z->PatternLine[0] = Marker;
    return z;
}

inline std::unique_ptr<MUnvS> SLine(int Number, int Type, int First, int Count = 0) {
    auto s = std::make_unique<MUnvS>();
    s->Number = Number;
    s->Type = std::uint8_t(Type);
    s->First = First;
    s->Count = Count;
    return s;
}

// Stores without validation, so that invalid modules can be placed, and with the tag; the list is
// then unmarked.
inline void Put(MUnvList& List, const MUnvBase& Module) {
    MSwitchGuard off(ListsAutoValidate, false);
    MSwitchGuard tags(CopyTag, true);
    List.AddOrReplace(Module);
    List.Modified = false;
    List.NeedsAutosave = false;
}

// The marker of R module Number (first offset), -1 when absent.
inline int RMarker(const MUnvList& List, int Number) {
    return List.Contains(Number) ? static_cast<const MUnvR&>(List.FindByNumber(Number)).Offsets[0] : -1;
}

inline int ZMarker(const MUnvList& List, int Number) {
    return List.Contains(Number) ? static_cast<const MUnvZ&>(List.FindByNumber(Number)).PatternLine[0] : -1;
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
} // namespace kdstest
