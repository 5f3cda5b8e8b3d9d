#include "ui/ScrollHemiSphereCBtn_m.h"

#include "ui/CellKeys.h"
#include "ui/ScrollCaptionButton.tpp"

#include <QKeyEvent>

template class MBilingualControl<THemisphereCButton>;
template class MScrollCaptionButton<THemisphereCButton>;

MScrollHemiSphereCBtn::MScrollHemiSphereCBtn(QObject* Owner, QWidget* Parent)
    : MScrollCaptionButton(Owner, Parent) {}

bool MScrollHemiSphereCBtn::KeyDown(QKeyEvent* Event, int& Key) {
    const TCellKey k = ClassifyKey(Event);
    bool used = IsArrowKey(k.VirtualKey); // kept from focus navigation
    if (Enhanced && ButtonForwardsKey(k)) {
        SendKeyDown(this, Tag, k);
        Key = 0;
        used = true;
    }
    return THemisphereCButton::KeyDown(Event, Key) || used;
}

bool MScrollHemiSphereCBtn::KeyPress(QKeyEvent* Event, int Character) {
    bool used = false;
    if (Enhanced) {
        SendCharacter(this, Tag, ClassifyKey(Event));
        used = true;
    }
    return THemisphereCButton::KeyPress(Event, Character) || used;
}
