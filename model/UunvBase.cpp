#include "model/UunvBase.h"

#include "model/UcstmExp.h"

#include <typeinfo>

bool CopyTag = false;
bool ClearBase = true;

namespace {
struct KindInfo {
    const char* Letters;
    int MaxNumber;
    int WindowIndex;
};

constexpr KindInfo Kinds[ListKindCount] = {
    {"P", 255, wiP}, {"N", 127, wiN},  {"Z", 2000, wiZ}, {"R", 63, wiR},    {"S", 511, wiS},
    {"W", 255, wiW}, {"FS", 63, wiFS}, {"FD", 63, wiFD}, {"FE", 127, wiFE}, {"C", 1, wiC},
};

const KindInfo* InfoOf(int ListKind) {
    return ListKind >= 1 && ListKind <= ListKindCount ? &Kinds[ListKind - 1] : nullptr;
}
} // namespace

QString KindLetters(int ListKind) {
    const KindInfo* k = InfoOf(ListKind);
    return k ? QLatin1String(k->Letters) : QString();
}

QString ModuleName(int ListKind, int Number) {
    return KindLetters(ListKind) + QString::number(Number);
}

int MaxNumberOfKind(int ListKind) {
    const KindInfo* k = InfoOf(ListKind);
    return k ? k->MaxNumber : 0;
}

int ValidationCodeOfKind(int ListKind) {
    return ValidationBaseCode + ListKind;
}

int WindowIndexOfListKind(int ListKind) {
    const KindInfo* k = InfoOf(ListKind);
    return k ? k->WindowIndex : -1;
}

int ListKindOfWindowIndex(int WindowIndex) {
    for (int kind = 1; kind <= ListKindCount; ++kind)
        if (Kinds[kind - 1].WindowIndex == WindowIndex)
            return kind;
    return 0;
}

std::unique_ptr<MUnvBase> MUnvBase::CreateNew() const {
    return std::make_unique<MUnvBase>();
}

std::unique_ptr<MUnvBase> MUnvBase::Clone() const {
    // A bare module has no kind to copy; a null module would be dropped silently by the lists.
    throw EInvalidOperation(QStringLiteral("A module without a kind cannot be cloned"));
}

void MUnvBase::AssignChecked(const MUnvBase& Source) {
    CheckSameKind(Source);
    Source.Validate();
    Assign(Source);
}

bool MUnvBase::Equals(const MUnvBase& Other) const {
    return SameKind(Other);
}

void MUnvBase::Assign(const MUnvBase& Source) {
    CheckSameKind(Source);
    Marks.Assign(Source.Marks);
    Number = Source.Number;
    OldNumber = Source.OldNumber;
    UsedMark = Source.UsedMark;
    Tag = CopyTag ? Source.Tag : 0;
}

void MUnvBase::Validate() const {
    if (Number < 1)
        RaiseM(ValidationBaseCode, 1);
}

void MUnvBase::Clear() {
    if (!ClearBase)
        return;
    Marks.Clear();
    UsedMark = 0;
    OldNumber = 0;
    Tag = 0;
}

void MUnvBase::GetListingLine(QString& Text) const {
    Text.clear();
}

void MUnvBase::AdjustToMachine(int, int) {}

void MUnvBase::GetLabel(int, int, int, QString& Text) const {
    Text.clear();
}

bool MUnvBase::SameKind(const MUnvBase& Other) const {
    return typeid(*this) == typeid(Other);
}

void MUnvBase::CheckSameKind(const MUnvBase& Source) const {
    if (!SameKind(Source))
        RaiseM(ValidationBaseCode, 3);
}

void MUnvBase::RaiseCheck(int SubCode) const {
    RaiseM(ValidationCodeOfKind(ListKind()), SubCode, QString::number(Number));
}
