#include "ui/subItems.h"

#include "model/Ucommon.h"
#include "platform/Errors.h"
#include "ui/AListBox.h"
#include "ui/UComponents.h"

MItems::MItems(QWidget* Owner, int LanguageIndex) : FOwner(Owner), FLanguageIndex(LanguageIndex) {
    FItems.OnChange = [this] { ItemsChanged(); };
}

void MItems::Change_LanguageID(int i) {
    if (i == FLanguageIndex)
        return;
    FLanguageIndex = i;
    ApplyItems(false);
}

int MItems::SeparatorCount() const {
    return static_cast<int>(FItems.List().count(ItemsSeparator));
}

namespace {
// The line after the n-th separator of l (0 for n < 1); -1 when there are fewer than n separators.
int SectionStartIn(const QStringList& l, int n) {
    if (n < 1)
        return 0;
    int seen = 0;
    for (int i = 0; i < l.size(); ++i)
        if (l[i] == ItemsSeparator && ++seen == n)
            return i + 1;
    return -1;
}
} // namespace

int MItems::SectionStart(int n) const {
    return SectionStartIn(FItems.List(), n);
}

std::pair<int, int> MItems::SectionRange(int n) const {
    const QStringList& l = FItems.List();
    const int start = n < 0 ? -1 : SectionStartIn(l, n);
    if (start < 0)
        return {0, 0};
    int end = start;
    while (end < l.size() && l[end] != ItemsSeparator)
        ++end;
    return {start, end};
}

void MItems::GetSection(QStringList& Dest, int n) const {
    Dest.clear();
    const auto [start, end] = SectionRange(n);
    for (int i = start; i < end; ++i)
        Dest.append(FItems.List()[i]);
}

void MItems::DeleteSection(int n) {
    const auto [start, end] = SectionRange(n);
    if (end == start)
        return;
    QStringList l = FItems.List();
    l.erase(l.begin() + start, l.begin() + end);
    FItems.Assign(l);
}

void MItems::SetSection(const QStringList& Source, int n) {
    if (n < 0)
        return;
    // Sections are languages; a far larger index is a caller's mistake.
    if (n >= MaxLanguageEntries)
        throw ERangeError(QStringLiteral("Item section %1 out of range").arg(n));
    FItems.BeginUpdate();
    DeleteSection(n);
    QStringList l = FItems.List();
    int count = SeparatorCount();
    while (count < n) {
        l.append(ItemsSeparator);
        ++count;
    }
    // At least n separators now: section n starts after the n-th.
    const int start = SectionStartIn(l, n);
    for (int k = 0; k < Source.size(); ++k)
        l.insert(start + k, Source[k]);
    FItems.Assign(l);
    FItems.EndUpdate();
}

void MItems::ApplyItems(bool Force) {
    if (!FOwner)
        return;
    if (!Force && (FApplying || !Enable || ComponentIsReading(FOwner)))
        return;
    auto* box = dynamic_cast<TArabListBox*>(FOwner.data());
    if (!box)
        return;
    QStringList section;
    GetSection(section, FLanguageIndex);
    // The guard puts the flag back also when the list box raises.
    MSwitchGuard applying(FApplying, true);
    box->SetItemList(section);
}
