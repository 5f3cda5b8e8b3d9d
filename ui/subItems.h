#pragma once
// The items of a list box in every language: the item lists of all languages one after the other in
// one string list, separated by lines of exactly "******". Section n is the run of lines after the
// n-th separator up to the next one or the end; section 0 starts at the first line.

#include "ui/subcaption.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <utility>

inline const QString ItemsSeparator = QStringLiteral("******");

class MItems {
public:
    MItems(QWidget* Owner, int LanguageIndex);
    MItems(const MItems&) = delete;
    MItems& operator=(const MItems&) = delete;

    QWidget* Owner() const { return FOwner.data(); }
    MStrings& Items() { return FItems; }
    const MStrings& Items() const { return FItems; }
    void SetItems(const QStringList& Source) { FItems.Assign(Source); }
    bool Enable = true;
    int LanguageIndex() const { return FLanguageIndex; }
    bool Applying() const { return FApplying; }
    // Marks the object as applying while the owner stores its items back.
    void SetApplying(bool Value) { FApplying = Value; }

    void Update_LanguageID(int i) { FLanguageIndex = i; }
    void Change_LanguageID(int i);

    // 0 for n < 1; the line after the n-th separator (the count when it is the last line); -1 when
    // there are fewer than n separators.
    int SectionStart(int n) const;
    int SeparatorCount() const;
    void GetSection(QStringList& Dest, int n) const;
    void DeleteSection(int n);
    void SetSection(const QStringList& Source, int n);
    // Copies the shown language's section into the owner (a right-to-left list box).
    void ApplyItems(bool Force);
    void ItemsChanged() { ApplyItems(false); }

private:
    // The lines of section n as [first, end); an empty range where there is no such section.
    std::pair<int, int> SectionRange(int n) const;
    QPointer<QWidget> FOwner;
    MStrings FItems;
    int FLanguageIndex;
    bool FApplying = false;
};
