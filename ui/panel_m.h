#pragma once
// The panel (a bevelled area with an optional caption) and its bilingual wrapper. The bilingual
// panel keeps caption, hint, width, height and position per language, follows the language font,
// and owns components of its own: controls created in code with the panel as owner get the
// language messages 0x5F4, 0x5F5, 0x5F7, 0x5F9 and 0x5FC only through it (justification and
// right-to-left messages are not passed on).

#include "ui/BiDi.h"
#include "ui/control_m.h"

#include <QFrame>

enum TPanelBevel { bvNone = 0, bvLowered = 1, bvRaised = 2 };

class TPanel : public QFrame, public MCaptionOwner {
    Q_OBJECT
public:
    explicit TPanel(QWidget* Parent = nullptr);

    QString Caption() const { return FCaption; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel Value);

    // How the caption object shows a caption.
    void SetOwnerCaption(const QString& Text) override;

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QString FCaption;
    TAlignment FAlignment = taCenter;
    TPanelBevel FBevelOuter = bvRaised;
};

class MPanel : public MBilingualControl<TPanel>, public MComponentOwner {
    Q_OBJECT
public:
    explicit MPanel(QObject* Owner, QWidget* Parent = nullptr);
    ~MPanel() override;

    // Shows the text at once and records it for the shown language.
    void SetCaption(const QString& Text);

    QObject* OwnerObject() override { return this; }
};
