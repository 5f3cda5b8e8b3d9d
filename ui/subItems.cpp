#include "ui/subItems.h"

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

int MItems::SectionStart(int n) const {
    if (n < 1)
        return 0;
    int seen = 0;
    const QStringList& l = FItems.List();
    for (int i = 0; i < l.size(); ++i)
        if (l[i] == ItemsSeparator && ++seen == n)
            return i + 1;
    return -1;
}

int MItems::SectionEnd(int start) const {
    const QStringList& l = FItems.List();
    int i = start;
    while (i < l.size() && l[i] != ItemsSeparator)
        ++i;
    return i;
}

void MItems::GetSection(QStringList& Dest, int n) const {
    Dest.clear();
    if (n < 0)
        return;
    const int start = SectionStart(n);
    if (start < 0)
        return;
    const int end = SectionEnd(start);
    for (int i = start; i < end; ++i)
        Dest.append(FItems.List()[i]);
}

void MItems::DeleteSection(int n) {
    if (n < 0)
        return;
    const int start = SectionStart(n);
    if (start < 0)
        return;
    const int end = SectionEnd(start);
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
    int start = 0;
    if (n > 0) {
        int seen = 0;
        start = static_cast<int>(l.size());
        for (int i = 0; i < l.size(); ++i)
            if (l[i] == ItemsSeparator && ++seen == n) {
                start = i + 1;
                break;
            }
    }
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
    const bool was = FApplying;
    FApplying = true;
    box->SetItemList(section);
    FApplying = was;
}
