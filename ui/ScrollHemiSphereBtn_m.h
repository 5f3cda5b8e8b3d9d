#pragma once
// The round shaded button with a multi-state caption: a release anywhere on the button steps the
// caption list; its OnClick (a release on the face) then sees the new index.

#include "ui/Hemibtn.h"
#include "ui/ScrollCaptionButton.h"

class MScrollHemiSphereBtn : public MScrollCaptionButton<THemisphereButton> {
    Q_OBJECT
public:
    explicit MScrollHemiSphereBtn(QObject* Owner, QWidget* Parent = nullptr);
};
