#pragma once
// The bilingual tool bar: hint, width, height and position per language; follows the language
// font.

#include "ui/control_m.h"

#include <QToolBar>

class MToolBar : public MBilingualControl<QToolBar> {
    Q_OBJECT
public:
    explicit MToolBar(QObject* Owner, QWidget* Parent = nullptr);
};
