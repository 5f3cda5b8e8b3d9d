#pragma once
// The bitmap button with a multi-state caption. A click from the mouse, the keyboard or the program
// steps the caption list before the button's clicked signal goes out. With Enhanced on it hands the
// navigation and clipboard keys and typed characters to its row as the cell key message; the arrow
// keys never move the focus.

#include "ui/BitBtn_m.h"
#include "ui/RowCell.h"
#include "ui/ScrollCaptionButton.h"

class MScrollBitBtn : public MScrollStateButton<TBitBtn>, public MRowCell {
    Q_OBJECT
public:
    explicit MScrollBitBtn(QObject* Owner, QWidget* Parent = nullptr) : MScrollStateButton(Owner, Parent) {}

    int ID() const override { return FID; }
    void SetID(int Value) override { FID = Value; }
    // Caption index 0.
    void ClearCell() override { FCaptionList.SetIndex(0); }
    bool Enhanced = false;

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int FID = 0;
};
