#include "model/UunvList.h"

#include "model/ULstFile.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UprojInfo.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>

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

MUnvBase* MUnvList::Lookup(int Number) const {
    const int i = FindIndex(Number);
    return i < 0 ? nullptr : FItems[std::size_t(i)].get();
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
    StoreRenumbered(OldNumber, Module, true);
}

void MUnvList::StoreRenumberedUnvalidated(int OldNumber, const MUnvBase& Module) {
    StoreRenumbered(OldNumber, Module, false);
}

void MUnvList::StoreRenumbered(int OldNumber, const MUnvBase& Module, bool Validated) {
    if (Module.ListKind() != WorkItem->ListKind())
        RaiseM(ValidationBaseCode, 3);
    if (Validated)
        Module.Validate();
    // The module under the old number must still be there before anything is stored or deleted.
    if (OldNumber != 0 && !Contains(OldNumber))
        RaiseMissing();
    // An unchanged number overwrites nothing but the module itself: no question.
    if (OldNumber != 0 && OldNumber == Module.Number) {
        StoreAt(FindIndex(OldNumber), Module, Validated);
        return;
    }
    if (Contains(Module.Number)) {
        const int answer =
            MessageBox ? MessageBox->ShowCodeMessage(11, 1101, QString(), mbOK | mbCancel) : mbCancel;
        if (answer != mbOK)
            RaiseM(1002, 1);
        DeleteNumber(Module.Number);
    }
    if (OldNumber == 0) {
        StoreAt(FindIndex(Module.Number), Module, Validated && ListsAutoValidate);
        return;
    }
    StoreAt(FindIndex(OldNumber), Module, Validated);
    MarkModified(); // the module moved to another number
}

void MUnvList::InsertEmpty(int Number) {
    CheckTargetNumber(Number);
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
    // Every module is validated into a scratch list first: a module that fails leaves the list as it
    // was. A number the source holds twice keeps its last module.
    std::vector<std::unique_ptr<MUnvBase>> copies;
    copies.reserve(Source.FItems.size());
    std::unordered_map<int, std::size_t> indexOfNumber;
    for (const auto& m : Source.FItems) {
        // A plain list holds modules of any kind: each copy is of its source module's kind.
        std::unique_ptr<MUnvBase> copy = Kind == 0 ? m->CreateNew() : NewItem();
        copy->AssignChecked(*m);
        const auto [at, added] = indexOfNumber.try_emplace(copy->Number, copies.size());
        if (added)
            copies.push_back(std::move(copy));
        else
            copies[at->second] = std::move(copy);
    }
    FItems.swap(copies);
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
    // Counted in 64 bits, so that a run up to the largest 32-bit number ends instead of wrapping.
    for (std::int64_t n = First; n <= top; ++n) {
        const int i = FindIndex(int(n));
        if (i < 0 || !FItems[std::size_t(i)]->Marks.Selected) {
            Last = int(n - 1);
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
    // A table that cannot be read leaves the list as it was.
    const TTableHeader header = TableHeader;
    const bool modified = Modified, autosave = NeedsAutosave;
    std::vector<std::unique_ptr<MUnvBase>> items;
    items.swap(FItems);
    try {
        LoadTable(Stream);
    } catch (...) {
        FItems.swap(items);
        TableHeader = header;
        Modified = modified;
        NeedsAutosave = autosave;
        throw;
    }
}

void MUnvList::LoadTable(ByteReader& Stream) {
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
            RaiseM(lstmsg::Code, lstmsg::Number,
                   QStringLiteral("%1;%2;%3").arg(ModuleName(Kind, n)).arg(lowest).arg(highest));
        if (i > 0 && sorted[i - 1]->Number == n)
            RaiseM(lstmsg::Code, lstmsg::NumberTwice, ModuleName(Kind, n));
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

// ==== The per-kind lists.

namespace {
template <typename T>
T& KindOf(MUnvBase& Module) {
    return dynamic_cast<T&>(Module);
}

template <typename T>
const T& KindOf(const MUnvBase& Module) {
    return dynamic_cast<const T&>(Module);
}
} // namespace

MPList::MPList() : MUnvList(lkP, std::make_unique<MUnvP>()) {}
MUnvP& MPList::GetP(int Number) const {
    return KindOf<MUnvP>(FindByNumber(Number));
}
void MPList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeP(Stream, KindOf<MUnvP>(Module));
}
void MPList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeP(Stream, KindOf<MUnvP>(Module));
}

MNList::MNList() : MUnvList(lkN, std::make_unique<MUnvN>()) {}
MUnvN& MNList::GetN(int Number) const {
    return KindOf<MUnvN>(FindByNumber(Number));
}
void MNList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeN(Stream, KindOf<MUnvN>(Module));
}
void MNList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeN(Stream, KindOf<MUnvN>(Module));
}

MRList::MRList() : MUnvList(lkR, std::make_unique<MUnvR>()) {}
MUnvR& MRList::GetR(int Number) const {
    return KindOf<MUnvR>(FindByNumber(Number));
}
void MRList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeR(Stream, KindOf<MUnvR>(Module), Rotated());
}
void MRList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeR(Stream, KindOf<MUnvR>(Module), Rotated());
}

MSList::MSList() : MUnvList(lkS, std::make_unique<MUnvS>()) {}
MUnvS& MSList::GetS(int Number) const {
    return KindOf<MUnvS>(FindByNumber(Number));
}
void MSList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeS(Stream, KindOf<MUnvS>(Module));
}
void MSList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeS(Stream, KindOf<MUnvS>(Module));
}

int MSList::LeadingRunLength() const {
    int k = 0;
    while (k < Count()) {
        const int i = FindIndex(k + 1);
        if (i < 0 || KindOf<MUnvS>(*FItems[std::size_t(i)]).First == 0)
            break;
        ++k;
    }
    return k;
}

int MSList::NextUsedAfterRun() const {
    const int k = std::max(LeadingRunLength(), 0);
    int best = 0;
    for (const auto& m : FItems)
        if (m->Number > k && KindOf<MUnvS>(*m).First != 0 && (best == 0 || m->Number < best))
            best = m->Number;
    return best;
}

MWList::MWList() : MUnvList(lkW, std::make_unique<MUnvW>()) {}
MUnvW& MWList::GetW(int Number) const {
    return KindOf<MUnvW>(FindByNumber(Number));
}
void MWList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeW(Stream, KindOf<MUnvW>(Module));
}
void MWList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeW(Stream, KindOf<MUnvW>(Module));
}

MFSList::MFSList() : MUnvList(lkFS, std::make_unique<MUnvFS>()) {}
MUnvFS& MFSList::GetFS(int Number) const {
    return KindOf<MUnvFS>(FindByNumber(Number));
}
void MFSList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeFS(Stream, KindOf<MUnvFS>(Module));
}
void MFSList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeFS(Stream, KindOf<MUnvFS>(Module));
}

MFDList::MFDList() : MUnvList(lkFD, std::make_unique<MUnvFD>()) {}
MUnvFD& MFDList::GetFD(int Number) const {
    return KindOf<MUnvFD>(FindByNumber(Number));
}
void MFDList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeFD(Stream, KindOf<MUnvFD>(Module));
}
void MFDList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeFD(Stream, KindOf<MUnvFD>(Module));
}

MFEList::MFEList() : MUnvList(lkFE, std::make_unique<MUnvFE>()) {}
MUnvFE& MFEList::GetFE(int Number) const {
    return KindOf<MUnvFE>(FindByNumber(Number));
}
void MFEList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeFE(Stream, KindOf<MUnvFE>(Module));
}
void MFEList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeFE(Stream, KindOf<MUnvFE>(Module));
}

MCList::MCList() : MUnvList(lkC, std::make_unique<MUnvC>()) {}
MUnvC& MCList::GetC(int Number) const {
    return KindOf<MUnvC>(FindByNumber(Number));
}
void MCList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeC(Stream, KindOf<MUnvC>(Module), TableHeader.RecordSize, TableHeader.Length);
}
void MCList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    EncodeC(Stream, KindOf<MUnvC>(Module));
}

// ---- Z.

MZList::MZList() : MUnvList(lkZ, std::make_unique<MUnvZ>()) {
    DisplayMode = dmZPairs;
    for (int i = 0; i < ZSubTableCount; ++i)
        SubTables[std::size_t(i)].Describe(ZSubTableInfo(i));
}

MUnvZ& MZList::GetZ(int Number) const {
    return KindOf<MUnvZ>(FindByNumber(Number));
}

const std::array<std::uint8_t, CamCodeCount>& MZList::CamBytes() const {
    return CamCodeBytes();
}

void MZList::LoadFromStream(ByteReader& Stream) {
    const std::array<TTableHeader, ZSubTableCount> old = SubTables;
    try {
        for (int sub : {zstA, zstB, zstC, zstD, zstE, zstF, zstG, zstH}) {
            const TTableInfo& info = ZSubTableInfo(sub);
            ReadTableHeader(Stream, SubTables[std::size_t(sub)], lkZ, info.RecordSize, info.Name);
        }
        MUnvList::LoadFromStream(Stream);
    } catch (...) {
        SubTables = old;
        throw;
    }
}

void MZList::ReadRecord(ByteReader& Stream, MUnvBase& Module) {
    DecodeZ(Stream, KindOf<MUnvZ>(Module), SubTables, Rotated());
}

int MZList::SeekSubRecord(ByteReader& Stream, const TTableHeader& Header, int Number) {
    // Only a number the bitmap names, with its record in the table, has a record to stand on.
    if (Number <= 0 || Number > Header.TopNumber)
        return -1;
    const auto it = std::lower_bound(Header.Numbers.begin(), Header.Numbers.end(), Number);
    const std::size_t index = std::size_t(it - Header.Numbers.begin());
    if (it == Header.Numbers.end() || *it != Number || index >= Header.RecordCount)
        return -1;
    Stream.Seek(std::size_t(Header.Start) + Header.BitmapSize + index * Header.RecordSize);
    return 0;
}

namespace {
// The bytes of one sub-record as the file holds them; equal bytes are one shared sub-record.
std::string SubRecordBytes(const MUnvZ& Z, int SubTable, bool Rotated, bool Lg = false) {
    ByteWriter w;
    EncodeZSub(w, Z, SubTable, Rotated, Lg);
    return std::string(reinterpret_cast<const char*>(w.Buffer().data()), w.Position());
}

// The numbering of one sub-table: its records in number order and the number of each record.
struct SubTableNumbering {
    std::vector<std::uint8_t>* Records = nullptr;
    std::unordered_map<std::string, int> Numbers;

    // The number of an earlier equal record, else the counter's next with the record appended.
    int Number(const std::string& Bytes, int& Counter, std::uint8_t& Own) {
        const auto [at, added] = Numbers.try_emplace(Bytes, Counter + 1);
        Own = added ? 1 : 0;
        if (added) {
            ++Counter;
            Records->insert(Records->end(), Bytes.begin(), Bytes.end());
        }
        return at->second;
    }
};

using SubTableNumberings = std::array<SubTableNumbering, ZSubTableCount>;

// Second level: cams (D), carriers (E), racking (F) and the two settings records (G, H).
void NumberSecondLevel(MUnvZ& Z, bool Rotated, SubTableNumberings& Tables, std::array<int, 8>& Counters) {
    constexpr std::array<std::pair<int, int>, 5> kinds = {{{zsr2Cams, zstD},
                                                           {zsr2Carriers, zstE},
                                                           {zsr2Racking, zstF},
                                                           {zsr2Settings1, zstG},
                                                           {zsr2Settings2, zstH}}};
    for (const auto& [k, sub] : kinds) {
        const std::size_t i = std::size_t(k);
        if (Z.SubRecords2[i] != 0)
            Z.SubRecords2[i] = Tables[std::size_t(sub)].Number(SubRecordBytes(Z, sub, Rotated), Counters[i],
                                                               Z.OwnRecord2[i]);
    }
}

// Table A holds both colour-set groups of a row under one counter. A row's KNF sets take the number
// of an equal group of an earlier row that has KNF sets (that row's KNF group first, then its LG
// group); its LG sets likewise among the earlier rows with LG sets (LG first, then KNF).
struct ColourSetNumbering {
    std::vector<std::uint8_t>* Records = nullptr;
    std::unordered_map<std::string, int> KnfRows, LgRows;
    int Count = 0;

    int Take(const std::unordered_map<std::string, int>& Rows, const std::string& Bytes, std::uint8_t& Own) {
        if (const auto at = Rows.find(Bytes); at != Rows.end()) {
            Own = 0;
            return at->second;
        }
        Own = 1;
        Records->insert(Records->end(), Bytes.begin(), Bytes.end());
        return ++Count;
    }

    void Number(MUnvZ& Z, bool Rotated) {
        const bool hasKnf = Z.SubRecords[zsrKNF] != 0, hasLg = Z.SubRecords[zsrLG] != 0;
        const std::string knf = hasKnf ? SubRecordBytes(Z, zstA, Rotated, false) : std::string();
        const std::string lg = hasLg ? SubRecordBytes(Z, zstA, Rotated, true) : std::string();
        if (hasKnf)
            Z.SubRecords[zsrKNF] = Take(KnfRows, knf, Z.OwnRecord[zsrKNF]);
        if (hasLg)
            Z.SubRecords[zsrLG] = Take(LgRows, lg, Z.OwnRecord[zsrLG]);
        // The row's groups are found by the rows after it.
        if (hasKnf) {
            KnfRows.try_emplace(knf, Z.SubRecords[zsrKNF]);
            if (hasLg)
                KnfRows.try_emplace(lg, Z.SubRecords[zsrLG]);
        }
        if (hasLg) {
            LgRows.try_emplace(lg, Z.SubRecords[zsrLG]);
            if (hasKnf)
                LgRows.try_emplace(knf, Z.SubRecords[zsrKNF]);
        }
    }
};

// First level: the second-level numbers (C), the pattern lines (B) and the colour sets (A).
void NumberFirstLevel(MUnvZ& Z, bool Rotated, SubTableNumberings& Tables, ColourSetNumbering& ColourSets,
                      std::array<int, 4>& Counters) {
    Z.SubRecords[zsrSecondLevel] = Tables[zstC].Number(SubRecordBytes(Z, zstC, Rotated),
                                                       Counters[zsrSecondLevel], Z.OwnRecord[zsrSecondLevel]);
    if (Z.SubRecords[zsrPatternLines] != 0)
        Z.SubRecords[zsrPatternLines] = Tables[zstB].Number(
            SubRecordBytes(Z, zstB, Rotated), Counters[zsrPatternLines], Z.OwnRecord[zsrPatternLines]);
    ColourSets.Number(Z, Rotated);
    if (ColourSets.Count > 0)
        Counters[zsrKNF] = Counters[zsrLG] = ColourSets.Count;
}
} // namespace

void MZList::PrepareHeader() {
    SystemCounters.fill(0);
    SlotCounters.fill(0);
    const bool rotated = Rotated();
    SubTableNumberings tables;
    for (int sub = 0; sub < ZSubTableCount; ++sub) {
        FSubRecords[std::size_t(sub)].clear();
        tables[std::size_t(sub)].Records = &FSubRecords[std::size_t(sub)];
    }
    ColourSetNumbering colourSets;
    colourSets.Records = &FSubRecords[zstA];
    // Each row's second-level records are numbered first: its record C holds their numbers.
    for (const auto& item : FItems) {
        MUnvZ& z = KindOf<MUnvZ>(*item);
        z.PrepareFileLinks();
        NumberSecondLevel(z, rotated, tables, SlotCounters);
        NumberFirstLevel(z, rotated, tables, colourSets, SystemCounters);
    }
    const std::array<std::pair<int, int>, ZSubTableCount> counts = {{{zstA, SystemCounters[zsrKNF]},
                                                                     {zstB, SystemCounters[zsrPatternLines]},
                                                                     {zstC, SystemCounters[zsrSecondLevel]},
                                                                     {zstD, SlotCounters[zsr2Cams]},
                                                                     {zstE, SlotCounters[zsr2Carriers]},
                                                                     {zstF, SlotCounters[zsr2Racking]},
                                                                     {zstG, SlotCounters[zsr2Settings1]},
                                                                     {zstH, SlotCounters[zsr2Settings2]}}};
    for (const auto& [sub, count] : counts) {
        TTableHeader& h = SubTables[std::size_t(sub)];
        h.Describe(ZSubTableInfo(sub));
        ComputeTableLayout(h, count, count);
        h.Numbers.resize(std::size_t(count));
        for (int n = 1; n <= count; ++n)
            h.Numbers[std::size_t(n - 1)] = std::uint16_t(n);
    }
    MUnvList::PrepareHeader();
}

void MZList::WriteRecord(ByteWriter& Stream, const MUnvBase& Module) {
    const MUnvZ& z = KindOf<MUnvZ>(Module);
    for (int k = 0; k < 4; ++k)
        Stream.WriteU16BE(std::uint16_t(z.SubRecords[std::size_t(k)]));
}

TTableHeader& MZList::Table(int Index) {
    if (Index >= 1 && Index <= ZSubTableCount)
        return SubTables[std::size_t(Index - 1)];
    return MUnvList::Table(Index);
}

void MZList::SaveTable(ByteWriter& Stream, int Index) {
    if (Index == 0) {
        SaveToStream(Stream);
        return;
    }
    const TTableHeader& h = Table(Index);
    Stream.Seek(h.Start);
    WriteBitmap(Stream, h.BitmapSize, h.Numbers);
    const auto& records = FSubRecords[std::size_t(Index - 1)];
    Stream.WriteBytes(records.data(), records.size());
}

// ---- Sets of lists.

std::unique_ptr<MUnvList> NewListOfKind(int Kind) {
    switch (Kind) {
    case lkP:
        return std::make_unique<MPList>();
    case lkN:
        return std::make_unique<MNList>();
    case lkZ:
        return std::make_unique<MZList>();
    case lkR:
        return std::make_unique<MRList>();
    case lkS:
        return std::make_unique<MSList>();
    case lkW:
        return std::make_unique<MWList>();
    case lkFS:
        return std::make_unique<MFSList>();
    case lkFD:
        return std::make_unique<MFDList>();
    case lkFE:
        return std::make_unique<MFEList>();
    case lkC:
        return std::make_unique<MCList>();
    default:
        return std::make_unique<MUnvList>();
    }
}

MProgramLists::MProgramLists() {
    for (MUnvList* list : Lists())
        list->MachineInfo = &Machine;
}

MListSet MProgramLists::Lists() {
    return {&P, &N, &Z, &R, &S, &W, &FS, &FD, &FE, &C};
}

MUnvList& MProgramLists::List(int Kind) {
    if (Kind < 1 || Kind > ListKindCount)
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Kind));
    return *Lists()[std::size_t(Kind - 1)];
}
