#pragma once
// The bilingual carrier memo the Z rows create: hint, width, height and position per language; it
// follows the language index, mirroring and position-mode messages (not the font, justification or
// right-to-left switch).

#include "editors/MoukikMemo.h"
#include "ui/control_m.h"

class MMoukikMemo : public MBilingualControl<TMoukikMEMO> {
    Q_OBJECT
public:
    explicit MMoukikMemo(QObject* Owner, QWidget* Parent = nullptr);
};
