#pragma once
// The bilingual cam box the Z rows create: hint, width, height and position per language; it follows
// the language index, mirroring and position-mode messages.

#include "editors/CamBox.h"
#include "ui/control_m.h"

class MCamBox : public MBilingualControl<TCamBox> {
    Q_OBJECT
public:
    explicit MCamBox(QObject* Owner, QWidget* Parent = nullptr);
};
