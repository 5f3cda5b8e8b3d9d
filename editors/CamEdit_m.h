#pragma once
// The cam code cell as a read-only edit: a click opens the active cam menu and the code chosen there
// shows as text; with Enhanced the key-downs of the number cell's table go to the row, while the
// characters are left to the read-only edit.

#include "editors/CamCell.h"
#include "ui/edit_m.h"

class MCamEdit : public TCamCell<TTextCell<MEdit>> {
    Q_OBJECT
public:
    explicit MCamEdit(QObject* Owner, QWidget* Parent = nullptr);

    // Opens the active menu after OnPopup.
    void Click();

    void CamMenuItemClick(const QString& Caption, int Tag) override;

protected:
    void ShowCamCaption(const QString& Caption) override { setText(Caption); }
    void mouseReleaseEvent(QMouseEvent* Event) override;
};
