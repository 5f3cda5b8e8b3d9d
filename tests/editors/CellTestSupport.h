#pragma once
// Fixtures of the cell tests: a row that records the cell key messages and the context menus that
// reach it, a shown and active window holding it, and keys sent straight to a cell.

#include "tests/ui/ButtonTestSupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <memory>

namespace celltest {

class Row : public buttontest::RecordingRow {
public:
    using RecordingRow::RecordingRow;
    int ContextMenus = 0;

protected:
    void contextMenuEvent(QContextMenuEvent* Event) override {
        ++ContextMenus;
        Event->accept();
    }
};

// A window of 400 x 200 with a row filling it, shown and active.
struct RowWindow {
    RowWindow() : Window(std::make_unique<QWidget>()) {
        Window->resize(400, 200);
        RowWidget = new Row(Window.get());
        RowWidget->setGeometry(0, 0, 400, 200);
        buttontest::ShowActive(*Window);
    }
    std::unique_ptr<QWidget> Window;
    Row* RowWidget;
};

// Sends a key press to a control as the keyboard would; true when somebody accepted it.
inline bool Press(QWidget* Control, int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier,
                  const QString& Text = QString()) {
    QKeyEvent e(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(Control, &e);
    return e.isAccepted();
}

// Types the characters of Text, one key each.
inline void Type(QWidget* Control, const QString& Text) {
    for (const QChar c : Text) {
        const int key = c.isLetter() ? c.toUpper().unicode() : c.unicode();
        Press(Control, key == ' ' ? int(Qt::Key_Space) : key,
              c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c));
    }
}

// A left click at the middle of a control as the platform delivers it: while a popup is open, the
// popup gets the press (a press outside it closes it), as it has the mouse.
inline void Click(QWidget* Control) {
    // The offscreen platform activates popups; a real one keeps the window under them active.
    if (!QApplication::activePopupWidget() && QApplication::activeWindow() != Control->window())
        QApplication::setActiveWindow(Control->window());
    const QPoint global = Control->mapToGlobal(Control->rect().center());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QWidget* popup = QApplication::activePopupWidget();
        QWidget* receiver = popup ? popup : Control;
        const QPoint local = receiver->mapFromGlobal(global);
        QMouseEvent e(type, QPointF(local), QPointF(global), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(receiver, &e);
    }
}

} // namespace celltest
