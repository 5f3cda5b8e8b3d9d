#pragma once
// The focusable round shaded button with a multi-state caption. With Enhanced on it hands the
// navigation and clipboard keys and typed characters to its row as the cell key message; the arrow
// keys never move the focus.

#include "ui/HemiBtn2.h"
#include "ui/RowCell.h"
#include "ui/ScrollCaptionButton.h"

class MScrollHemiSphereCBtn : public MScrollCaptionButton<THemisphereCButton>, public MRowCell {
    Q_OBJECT
public:
    explicit MScrollHemiSphereCBtn(QObject* Owner, QWidget* Parent = nullptr);

    int ID() const override { return FID; }
    void SetID(int Value) override { FID = Value; }
    // Caption index 0.
    void ClearCell() override { M_CaptionList().SetIndex(0); }
    bool Enhanced = false;

protected:
    bool KeyDown(QKeyEvent* Event, int& Key) override;
    bool KeyPress(QKeyEvent* Event, int Character) override;

private:
    int FID = 0;
};
