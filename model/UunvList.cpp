#include "model/UunvList.h"

#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UprojInfo.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <algorithm>
#include <limits>

namespace {
constexpr int MissingCode = ValidationBaseCode; // 5011/4: no module with that number
constexpr int MissingSubCode = 4;

[[noreturn]] void RaiseMissing() {
    RaiseM(MissingCode, MissingSubCode);
}
} // namespace

int CompareNumbers(const MUnvBase& A, const MUnvBase& B) {
    return A.Number < B.Number ? -1 : A.Number > B.Number ? 1 : 0;
}

MUnvList::MUnvList() : WorkItem(std::make_unique<MUnvBase>()) {}

MUnvList::MUnvList(int ListKind, std::unique_ptr<MUnvBase> Prototype)
    : WorkItem(std::move(Prototype)), Kind(ListKind), NumberLimit(MaxNumberOfKind(ListKind)) {
    TableHeader.Describe(MainTableInfo(ListKind));
}

MUnvList::~MUnvList() = default;

int MUnvList::MachineModel() const {
    return MachineInfo ? MachineInfo->Model : 0;
}

int MUnvList::SystemCount() const {
    return MachineInfo ? MachineInfo->Category : 0;
}

bool MUnvList::Rotated() const {
    return RotatedModel(MachineModel());
}

std::unique_ptr<MUnvBase> MUnvList::NewItem() const {
    return WorkItem->CreateNew();
}

void MUnvList::Append(std::unique_ptr<MUnvBase> Module) {
    if (Module)
        FItems.push_back(std::move(Module));
}

// ---- Finding.

int MUnvList::FindIndex(int Number) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Number == Number)
            return int(i);
    return -1;
}

int MUnvList::IndexOfNumber(int Number) const {
    const int i = FindIndex(Number);
    if (i < 0)
        RaiseMissing();
    return i;
}

MUnvBase& MUnvList::FindByNumber(int Number) const {
    return *FItems[std::size_t(IndexOfNumber(Number))];
}

MUnvBase& MUnvList::ItemAt(int Index) const {
    if (Index < 0 || Index >= Count())
        RaiseMissing();
    return *FItems[std::size_t(Index)];
}

bool MUnvList::Contains(int Number) const {
    return FindIndex(Number) >= 0;
}

int MUnvList::MinNumber() const {
    if (FItems.empty())
        return 0;
    int n = FItems.front()->Number;
    for (const auto& m : FItems)
        n = std::min(n, m->Number);
    return n;
}

int MUnvList::MaxNumber() const {
    if (FItems.empty())
        return 0;
    int n = FItems.front()->Number;
    for (const auto& m : FItems)
        n = std::max(n, m->Number);
    return n;
}

int MUnvList::NumberSpan() const {
    if (FItems.empty())
        return 0;
    return CheckedAdd(CheckedSub(MaxNumber(), MinNumber()), 1);
}

MUnvBase* MUnvList::NextItemAfter(int Number) const {
    const std::int64_t bound = std::int64_t(Number) + 10000;
    MUnvBase* best = nullptr;
    for (const auto& m : FItems)
        if (m->Number > Number && m->Number < bound && (!best || m->Number < best->Number))
            best = m.get();
    return best;
}

int MUnvList::NumberAfter(int Number) const {
    const MUnvBase* best = nullptr;
    for (const auto& m : FItems)
        if (m->Number > Number && (!best || m->Number < best->Number))
            best = m.get();
    if (!best)
        RaiseMissing();
    return best->Number;
}

// ---- Storing.

void MUnvList::StoreAt(int Index, const MUnvBase& Module, bool Validated) {
    if (Index >= 0) {
        MUnvBase& stored = *FItems[std::size_t(Index)];
        if (!stored.Equals(Module))
            MarkModified();
        if (Validated)
            stored.AssignChecked(Module);
        else
            stored.Assign(Module);
        return;
    }
    MarkModified();
    std::unique_ptr<MUnvBase> m = NewItem();
    if (Validated)
        m->AssignChecked(Module);
    else
        m->Assign(Module);
    FItems.push_back(std::move(m));
}

void MUnvList::AddOrReplace(const MUnvBase& Module) {
    StoreAt(FindIndex(Module.Number), Module, ListsAutoValidate);
}

void MUnvList::StoreRenumbered(int OldNumber, const MUnvBase& Module) {
    if (Module.ListKind() != WorkItem->ListKind())
        RaiseM(ValidationBaseCode, 3);
    Module.Validate();
    // An unchanged number overwrites nothing but the module itself: no question.
    if (OldNumber != 0 && OldNumber == Module.Number) {
        StoreAt(FindIndex(OldNumber), Module, true);
        return;
    }
    // The module under the old number must still be there before anything is deleted.
    if (OldNumber != 0 && !Contains(OldNumber))
        RaiseMissing();
    if (Contains(Module.Number)) {
        const int answer =
            MessageBox ? MessageBox->ShowCodeMessage(11, 1101, QString(), mbOK | mbCancel) : mbCancel;
        if (answer != mbOK)
            RaiseM(1002, 1);
        DeleteNumber(Module.Number);
    }
    if (OldNumber == 0) {
        AddOrReplace(Module);
        return;
    }
    MUnvBase& stored = FindByNumber(OldNumber);
    const bool changed = !stored.Equals(Module);
    stored.AssignChecked(Module);
    if (changed || OldNumber != Module.Number)
        MarkModified();
}

void MUnvList::InsertEmpty(int Number) {
    ShiftNumbers(Number, 1);
    std::unique_ptr<MUnvBase> m = NewItem();
    m->Number = Number;
    AddOrReplace(*m);
}

void MUnvList::ShiftNumbers(int FromNumber, int Delta) {
    // Nothing changes unless every shifted number stays within the kind's numbers.
    if (Delta >= 1) {
        std::int64_t top = 0;
        for (const auto& m : FItems)
            if (m->Number >= FromNumber)
                top = std::max<std::int64_t>(top, std::int64_t(m->Number) + Delta);
        if (NumberLimit > 0 && top > NumberLimit)
            RaiseM(ValidationCodeOfKind(Kind), 1, QString::number(top));
        if (top > std::numeric_limits<std::int32_t>::max())
            RaiseOverflow();
    }
    MarkModified();
    if (Delta < 1)
        return;
    for (const auto& m : FItems)
        if (m->Number >= FromNumber)
            m->Number += Delta;
}

void MUnvList::DeleteNumber(int Number) {
    const int i = FindIndex(Number);
    if (i < 0)
        return;
    FItems.erase(FItems.begin() + i);
    MarkModified();
}

void MUnvList::DeleteMarked(int MarkIndex) {
    bool any = false;
    for (int i = Count() - 1; i >= 0; --i)
        if (FItems[std::size_t(i)]->Marks.GetMark(MarkIndex)) {
            any = true;
            FItems.erase(FItems.begin() + i);
            MarkModified();
        }
    if (!any)
        RaiseM(1001, 0);
}

void MUnvList::Clear() {
    FItems.clear();
    MarkModified();
}

namespace {
// Resets the kind fields of a module in place; number, marks, old number and tag stay.
void ClearContents(MUnvBase& Module) {
    MSwitchGuard keepBase(ClearBase, false);
    Module.Clear();
}
} // namespace

void MUnvList::ClearNumber(int Number) {
    ClearContents(FindByNumber(Number));
    MarkModified();
}

void MUnvList::ClearSelectedContents() {
    bool any = false;
    for (const auto& m : FItems)
        if (m->Marks.Selected) {
            any = true;
            ClearContents(*m);
            MarkModified();
        }
    if (!any)
        RaiseM(1004, 0);
}

void MUnvList::Assign(const MUnvList& Source) {
    if (&Source == this || Source.Kind != Kind)
        return;
    Clear();
    std::unique_ptr<MUnvBase> scratch = NewItem();
    for (const auto& m : Source.FItems) {
        scratch->AssignChecked(*m);
        AddOrReplace(*scratch);
    }
    Modified = Source.Modified;
    NeedsAutosave = Source.NeedsAutosave;
    TableHeader = Source.TableHeader;
    DisplayMode = Source.DisplayMode;
    NumberLimit = Source.NumberLimit;
    MachineInfo = Source.MachineInfo;
}

void MUnvList::SortByNumber() {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const auto& a, const auto& b) { return CompareNumbers(*a, *b) < 0; });
}

// ---- Selection.

void MUnvList::SetSelected(int Number, bool Value) {
    const int i = FindIndex(Number);
    if (i >= 0)
        FItems[std::size_t(i)]->Marks.Selected = Value ? 1 : 0;
}

void MUnvList::SelectAll() {
    for (const auto& m : FItems)
        m->Marks.Selected = 1;
}

void MUnvList::SelectNone() {
    for (const auto& m : FItems)
        m->Marks.Selected = 0;
}

void MUnvList::InvertSelection() {
    for (const auto& m : FItems)
        m->Marks.Selected = m->Marks.Selected ? 0 : 1;
}

void MUnvList::GetSelectedRange(int& First, int& Last) const {
    if (FItems.empty())
        RaiseM(1005, 0);
    const MUnvBase* first = nullptr;
    for (const auto& m : FItems)
        if (m->Marks.Selected && (!first || m->Number < first->Number))
            first = m.get();
    if (!first)
        RaiseM(1004, 0);
    First = first->Number;
    const int top = MaxNumber();
    Last = top;
    for (int n = First; n <= top; ++n) {
        const int i = FindIndex(n);
        if (i < 0 || !FItems[std::size_t(i)]->Marks.Selected) {
            Last = n - 1;
            break;
        }
    }
}

// ---- Display rows.

namespace {
// Walks the rows of a Z-paired list: calls Visit(row, first index, modules in the row) until it
// answers false.
template <typename F>
void WalkPairs(const std::vector<std::unique_ptr<MUnvBase>>& Items, F Visit) {
    std::size_t i = 0;
    int row = 0;
    while (i < Items.size()) {
        const int n = Items[i]->Number;
        const bool pair =
            IsOdd(n) && i + 1 < Items.size() && std::int64_t(Items[i + 1]->Number) == std::int64_t(n) + 1;
        const std::size_t width = pair ? 2 : 1;
        if (!Visit(row, i, width))
            return;
        i += width;
        ++row;
    }
}
} // namespace

int MUnvList::RowCount() const {
    if (DisplayMode != dmZPairs)
        return Count();
    int rows = 0;
    WalkPairs(FItems, [&](int, std::size_t, std::size_t) {
        ++rows;
        return true;
    });
    return rows;
}

int MUnvList::IndexOfRow(int Row) const {
    if (DisplayMode != dmZPairs)
        return Row;
    int index = 0;
    WalkPairs(FItems, [&](int row, std::size_t first, std::size_t) {
        if (row == Row) {
            index = int(first);
            return false;
        }
        return true;
    });
    return index;
}

int MUnvList::RowOfIndex(int Index) const {
    if (DisplayMode != dmZPairs)
        return Index;
    int result = 0;
    WalkPairs(FItems, [&](int row, std::size_t first, std::size_t width) {
        if (Index >= 0 && std::size_t(Index) >= first && std::size_t(Index) < first + width) {
            result = row;
            return false;
        }
        return true;
    });
    return result;
}

// ---- The machine program file.

void MUnvList::LoadFromStream(ByteReader& Stream) {
    const TTableInfo& info = MainTableInfo(Kind);
    ReadTableHeader(Stream, TableHeader, Kind, info.RecordSize == lstCSize ? lstCMinSize : info.RecordSize,
                    info.Name);
    Clear();
    MSwitchGuard noValidation(ListsAutoValidate, false);
    MSwitchGuard fullClear(ClearBase, true);
    const TTableHeader& h = TableHeader;
    std::size_t pos = Kind == lkC
                          ? std::size_t(h.Start) + h.BitmapSize
                          : std::size_t(h.Start) + h.Length - std::size_t(h.RecordSize) * h.RecordCount;
    // Records past the bitmap's numbers have number 0 and are skipped, so only as many records as
    // the bitmap names are visited (every C record is number 1).
    const std::size_t records =
        Kind == lkC ? h.RecordCount : std::min<std::size_t>(h.RecordCount, h.Numbers.size());
    for (std::size_t i = 0; i < records; ++i, pos += h.RecordSize) {
        const int number = Kind == lkC ? 1 : h.Numbers[i];
        if (number == 0)
            continue;
        WorkItem->Clear();
        WorkItem->Number = number;
        Stream.Seek(pos);
        ReadRecord(Stream, *WorkItem);
        // The bitmap's numbers ascend, so a number above the last one stored is new.
        if (!FItems.empty() && FItems.back()->Number >= number) {
            AddOrReplace(*WorkItem);
        } else {
            std::unique_ptr<MUnvBase> m = NewItem();
            m->Assign(*WorkItem);
            FItems.push_back(std::move(m));
        }
    }
}

void MUnvList::ReadRecord(ByteReader&, MUnvBase&) {}

int MUnvList::NumberOfRecord(int Index) const {
    if (Index < 0 || std::size_t(Index) >= TableHeader.Numbers.size())
        return 0;
    return TableHeader.Numbers[std::size_t(Index)];
}

int MUnvList::RecordIndexOfNumber(const TTableHeader& Header, int Number) {
    if (Number > Header.TopNumber)
        return -1;
    const auto below = std::lower_bound(Header.Numbers.begin(), Header.Numbers.end(), Number);
    return int(below - Header.Numbers.begin());
}

std::vector<const MUnvBase*> MUnvList::SortedForWriting() const {
    std::vector<const MUnvBase*> sorted;
    sorted.reserve(FItems.size());
    for (const auto& m : FItems)
        sorted.push_back(m.get());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const MUnvBase* a, const MUnvBase* b) { return a->Number < b->Number; });
    // C has one record, always number 1; other numbers must fit the bitmap's 16-bit TopNumber.
    const int lowest = 1;
    const int highest = Kind == lkC ? 1 : 0xFFFF;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const int n = sorted[i]->Number;
        if (n < lowest || n > highest)
            throw ERangeError(QStringLiteral("%1 %2 cannot be stored in a machine file: its number must lie "
                                             "in %3..%4")
                                  .arg(KindLetters(Kind))
                                  .arg(n)
                                  .arg(lowest)
                                  .arg(highest));
        if (i > 0 && sorted[i - 1]->Number == n)
            throw ERangeError(QStringLiteral("%1 %2 cannot be stored in a machine file: the list holds the "
                                             "number twice")
                                  .arg(KindLetters(Kind))
                                  .arg(n));
    }
    return sorted;
}

void MUnvList::PrepareHeader() {
    const std::vector<const MUnvBase*> sorted = SortedForWriting();
    TableHeader.Describe(MainTableInfo(Kind));
    const int highest = Kind == lkC || sorted.empty() ? 0 : sorted.back()->Number;
    ComputeTableLayout(TableHeader, highest, int(sorted.size()));
    TableHeader.Numbers.clear();
    if (Kind != lkC)
        for (const MUnvBase* m : sorted)
            TableHeader.Numbers.push_back(std::uint16_t(m->Number));
}

void MUnvList::WriteHeader(ByteWriter& Stream) {
    for (int i = 0; i < TableCount(); ++i) {
        const TTableHeader& h = Table(i);
        Stream.Seek(std::size_t(h.SlotPos));
        WriteLongSwapped(Stream, h.Start);
        Stream.Seek(std::size_t(h.SizePos));
        Stream.WriteU16BE(h.TopNumber);
        Stream.WriteU16BE(h.RecordSize);
    }
}

void MUnvList::SaveToStream(ByteWriter& Stream) {
    const TTableHeader& h = TableHeader;
    Stream.Seek(h.Start);
    WriteBitmap(Stream, h.BitmapSize, h.Numbers);
    for (const MUnvBase* m : SortedForWriting()) {
        const std::size_t at = Stream.Position();
        WriteRecord(Stream, *m);
        if (Stream.Position() - at != h.RecordSize)
            throw EInvalidOperation(
                QStringLiteral("A %1 record came out of the wrong size").arg(KindLetters(Kind)));
    }
}

void MUnvList::WriteRecord(ByteWriter&, const MUnvBase&) {}

TTableHeader& MUnvList::Table(int Index) {
    if (Index != 0)
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return TableHeader;
}

void MUnvList::SaveTable(ByteWriter& Stream, int Index) {
    Table(Index);
    SaveToStream(Stream);
}

void MUnvList::TakeContents(MUnvList& Source) {
    if (Source.Kind != Kind)
        throw EInvalidOperation(QStringLiteral("Lists of different kinds cannot exchange their modules"));
    FItems.swap(Source.FItems);
    for (int i = 0; i < TableCount() && i < Source.TableCount(); ++i)
        Table(i) = Source.Table(i);
    MarkModified();
}
