#include "ui/ScrollSpdbtn_m.h"

#include "ui/ScrollCaptionButton.h"

MScrollSpeedButton::MScrollSpeedButton(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcSelfAlignInert | mcFont), FCaptionList(this) {
    WireIndexChange(this);
}

void MScrollSpeedButton::SetCaption(const QString& Text) {
    setText(Text);
    if (!Reading())
        FCaptionList.StoreCurrentCaption(Text);
}

void MScrollSpeedButton::nextCheckState() {
    if (FCaptionList.Enable)
        FCaptionList.ScrollNext();
    TSpeedButton::nextCheckState();
}
