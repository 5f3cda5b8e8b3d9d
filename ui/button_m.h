#pragma once
// The bilingual push button: caption, hint, width, height and position per language; follows the
// language font.

#include "ui/control_m.h"

#include <QPushButton>

class MButton : public MBilingualControl<QPushButton> {
    Q_OBJECT
public:
    explicit MButton(QObject* Owner, QWidget* Parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& Text);
};
