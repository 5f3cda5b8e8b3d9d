#pragma once
// The bitmap button with a multi-state caption. A click from the mouse, the keyboard or the program
// steps the caption list before the button's clicked signal goes out. With Enhanced on it hands the
// navigation and clipboard keys and typed characters to its row as the cell key message; the arrow
// keys never move the focus.

#include "ui/BitBtn_m.h"
#include "ui/RowCell.h"
#include "ui/control_m.h"
#include "ui/subScrollCaption.h"

class MScrollBitBtn : public MBilingualControl<TBitBtn>, public MRowCell {
    Q_OBJECT
public:
    explicit MScrollBitBtn(QObject* Owner, QWidget* Parent = nullptr);

    MCaptionList& M_CaptionList() { return FCaptionList; }
    QString Caption() const { return text(); }
    void SetCaption(const QString& Text);

    int ID() const override { return FID; }
    void SetID(int Value) override { FID = Value; }
    // Caption index 0.
    void ClearCell() override { FCaptionList.SetIndex(0); }
    bool Enhanced = false;
    TNotifyEvent OnIndexChange;

protected:
    // Runs for every click, before the clicked signal.
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    MCaptionList FCaptionList;
    int FID = 0;
};
