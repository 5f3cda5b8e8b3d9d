#pragma once
// A top-level window drawn with a plain frame and caption around its client, for scenes that lay
// several windows out on one picture of the screen.

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/GfxUtils.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

namespace shots {
// The window's picture inside its frame; the client sits at (4, 23) of the result.
inline QImage FramedWindow(QWidget* W) {
    QImage frame = NewImage(W->width() + 8, W->height() + 27, clBtnFace);
    TRect r{0, 0, frame.width(), frame.height()};
    Frame3D(frame, r, cl3DLight, cl3DDkShadow);
    Frame3D(frame, r, clBtnHighlight, clBtnShadow);
    FillRect(frame, TRect{4, 4, frame.width() - 4, 22}, clActiveCaption);
    QPainter p(&frame);
    QFont font = p.font();
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(SysQColor(clCaptionText));
    // The caption starts from its reading side: an Arabic title stands at the right.
    const QString title = W->windowTitle();
    p.setLayoutDirection(title.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    p.drawText(QRect(8, 4, frame.width() - 16, 18), Qt::AlignVCenter | Qt::AlignLeading, title);
    p.drawImage(4, 23, W->grab().toImage());
    return frame;
}
inline constexpr QPoint FramedClientOffset{4, 23};
} // namespace shots
