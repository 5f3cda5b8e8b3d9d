#pragma once
// Helpers of the scenes that show a control with the focus or a popup open over its window.

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>

namespace shots {

// Makes the widget's window the active one, so that a focused control paints its focus.
inline void MakeActive(QWidget* W) {
    QApplication::setActiveWindow(W->window());
    W->window()->activateWindow();
    QApplication::processEvents();
}

// The window with the popup (a window of its own) drawn where it stands on the screen, clipped to
// the popup's mask when one is given.
inline QImage GrabWithPopup(QWidget* Window, QWidget* Popup, const QRegion& Mask = QRegion()) {
    const QImage base = Window->grab().toImage();
    if (!Popup || !Popup->isVisible())
        return base;
    const QPoint at = Popup->pos() - Window->mapToGlobal(QPoint(0, 0));
    const QRect all = QRect(QPoint(0, 0), base.size()).united(QRect(at, Popup->size()));
    QImage out(all.size(), QImage::Format_RGB32);
    out.fill(QColor(0xE8, 0xE8, 0xE8));
    QPainter p(&out);
    p.translate(-all.topLeft());
    p.drawImage(0, 0, base);
    p.translate(at);
    if (!Mask.isEmpty())
        p.setClipRegion(Mask);
    p.drawImage(0, 0, Popup->grab().toImage());
    return out;
}

} // namespace shots
