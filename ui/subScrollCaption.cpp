#include "ui/subScrollCaption.h"

#include "ui/FlatBtn.h"
#include "ui/Hemibtn.h"

#include <QAbstractButton>

#include <algorithm>

MCaptionList::MCaptionList(QObject* Owner) : FOwner(Owner) {
    FCaptionList.OnChange = [this] { ApplyCaption(false); };
}

bool MCaptionList::OwnerReading() const {
    return FOwner && ComponentIsReading(FOwner);
}

void MCaptionList::SetIndex(int Value) {
    if (OwnerReading()) {
        FIndex = Value;
        return;
    }
    Value = std::min(std::max(Value, FMinIndex), FMaxIndex);
    if (Value == FIndex)
        return;
    FIndex = Value;
    ApplyCaption(false);
    DoIndexChange();
}

void MCaptionList::SetMinIndex(int Value) {
    Value = std::min(Value, FMaxIndex);
    if (Value == FMinIndex)
        return;
    FMinIndex = Value;
    if (Value > FIndex)
        SetIndex(Value);
}

void MCaptionList::SetMaxIndex(int Value) {
    Value = std::max(Value, FMinIndex);
    if (Value == FMaxIndex)
        return;
    FMaxIndex = Value;
    if (Value < FIndex)
        SetIndex(Value);
}

void MCaptionList::ScrollNext() {
    if (!Enable)
        return;
    SetIndex(FIndex < FMaxIndex ? FIndex + 1 : FMinIndex);
}

QString MCaptionList::GetCurrentCaption() const {
    return FIndex >= 0 && FIndex < FCaptionList.Count() ? FCaptionList.List()[FIndex] : QString();
}

void MCaptionList::StoreCurrentCaption(const QString& Text) {
    if (!Enable || FIndex < 0)
        return;
    FCaptionList.BeginUpdate();
    while (FCaptionList.Count() < FIndex + 1)
        FCaptionList.Add(QString());
    FCaptionList.Put(FIndex, Text);
    FCaptionList.EndUpdate();
}

void MCaptionList::ApplyCaption(bool Force) {
    if (!FOwner || !((Enable && !OwnerReading()) || Force))
        return;
    const QString text = GetCurrentCaption();
    if (auto* hemi = qobject_cast<TCustomHemisphereButton*>(FOwner))
        hemi->SetCaption(text);
    else if (auto* flat = qobject_cast<TFlatBtn*>(FOwner))
        flat->SetCaption(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(FOwner))
        button->setText(text);
}

void MCaptionList::DoIndexChange() {
    if (OnIndexChange)
        OnIndexChange(FOwner);
}
