#pragma once
// The cam code cell of the Z rows: a small box showing a cam code's name that opens the shared cam
// menu when clicked (or on Enter or Space) and takes the code chosen there. A second click while the
// menu was opened only closes the cycle; Delete clears the box; with Enhanced the navigation and
// command keys and the characters go to the row as the cell key message (Ctrl+Delete among them).

#include "editors/CamCell.h"

class TCamBox : public TCamCell<TCellBox> {
    Q_OBJECT
public:
    explicit TCamBox(QWidget* Parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    // True from opening the menu until the cycle closes (a choice, a second click, leaving the box).
    bool MenuOpened() const { return FOpened; }

    void Click() override;

    void CamMenuItemClick(const QString& Caption, int Tag) override;
    void CamMenuClosed() override;

protected:
    void ShowCamCaption(const QString& Caption) override { SetCaption(Caption); }
    void PaintContent(QImage& Canvas) const override;
    bool KindKeyDown(const TCellKey& Key) override;
    void FocusLost() override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    QString FCaption;
    bool FOpened = false;
};
