#include "ui/ScrollBitBtn_m.h"

#include "ui/CellKeys.h"

#include <QKeyEvent>

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
