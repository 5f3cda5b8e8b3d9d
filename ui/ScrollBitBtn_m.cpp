#include "ui/ScrollBitBtn_m.h"

#include "ui/CellKeys.h"
#include "ui/ScrollCaptionButton.h"

#include <QKeyEvent>

MScrollBitBtn::MScrollBitBtn(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcSelfAlignInert | mcFont), FCaptionList(this) {
    WireIndexChange(this);
}

void MScrollBitBtn::SetCaption(const QString& Text) {
    setText(Text);
    if (!Reading())
        FCaptionList.StoreCurrentCaption(Text);
}

void MScrollBitBtn::nextCheckState() {
    if (FCaptionList.Enable)
        FCaptionList.ScrollNext();
    TBitBtn::nextCheckState();
}

void MScrollBitBtn::keyPressEvent(QKeyEvent* Event) {
    const TCellKey k = ClassifyKey(Event);
    bool consumed = IsArrowKey(k.VirtualKey); // kept from focus navigation
    if (Enhanced && ButtonForwardsKey(k)) {
        SendKeyDown(this, Tag, k);
        consumed = true;
    }
    if (Enhanced && k.Character >= 0)
        SendCharacter(this, Tag, k);
    if (!consumed)
        TBitBtn::keyPressEvent(Event);
    if (consumed || (Enhanced && k.Character >= 0))
        Event->accept();
}
