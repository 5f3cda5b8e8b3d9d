#pragma once
// The state list of a multi-state caption button: one caption per state and the current index,
// which runs from MinIndex to MaxIndex and wraps round on each click. The captions are the same in
// every language.

#include "ui/UComponents.h"
#include "ui/subcaption.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class MCaptionList {
public:
    // Enable on, index, minimum and maximum 0, no captions.
    explicit MCaptionList(QObject* Owner);
    MCaptionList(const MCaptionList&) = delete;
    MCaptionList& operator=(const MCaptionList&) = delete;

    QObject* Owner() const { return FOwner.data(); }
    // One caption per state; a change shows the current one again.
    MStrings& CaptionList() { return FCaptionList; }
    const MStrings& CaptionList() const { return FCaptionList; }
    void SetCaptionList(const QStringList& Value) { FCaptionList.Assign(Value); }
    // On: clicks step the index and captions given to the button are recorded.
    bool Enable = true;

    int Index() const { return FIndex; }
    // Clamped to MinIndex..MaxIndex (stored as given while the owner is being built); a change shows
    // its caption and fires OnIndexChange, an unchanged index fires nothing.
    void SetIndex(int Value);
    int MinIndex() const { return FMinIndex; }
    // At most MaxIndex; the index follows when it falls below.
    void SetMinIndex(int Value);
    int MaxIndex() const { return FMaxIndex; }
    // At least MinIndex; the index follows when it rises above.
    void SetMaxIndex(int Value);

    // The next index, or MinIndex after MaxIndex (only when enabled).
    void ScrollNext();
    // The caption of the current index; empty when the list has none for it.
    QString GetCurrentCaption() const;
    // Records Text as the caption of the current index, padding the list with empty captions.
    void StoreCurrentCaption(const QString& Text);
    // Shows the current caption on the owner (when enabled and the owner is not being built, or when
    // forced): the hemisphere and flat buttons through their caption, push, bitmap and speed buttons
    // through their text; other owners are left alone.
    void ApplyCaption(bool Force);
    void DoIndexChange();

    // Fired with the owner as sender.
    TNotifyEvent OnIndexChange;

private:
    bool OwnerReading() const;
    QPointer<QObject> FOwner;
    MStrings FCaptionList;
    int FIndex = 0;
    int FMinIndex = 0;
    int FMaxIndex = 0;
};
