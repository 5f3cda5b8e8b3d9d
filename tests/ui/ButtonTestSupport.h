#pragma once
// Fixtures of the button tests: a row that records the cell key messages it gets, and a shown,
// active window to hold the controls under test.

#include "ui/CellKeys.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <utility>
#include <vector>

namespace buttontest {

class RecordingRow : public QWidget, public MCellKeyReceiver {
public:
    using QWidget::QWidget;
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override { Keys.emplace_back(WParam, LParam); }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Keys;
};

// Shows the window and makes it the active one, so its controls can take the focus.
inline void ShowActive(QWidget& Window) {
    Window.show();
    QApplication::setActiveWindow(&Window);
    Window.activateWindow();
    QApplication::processEvents();
}

// What a widget paints, at one pixel per device pixel.
inline QImage Pixels(QWidget& W) {
    return W.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace buttontest

#include "ui/UComponents.h"

namespace buttontest {

// A plain owner of components (a form without languages), for the hemisphere buttons' groups.
class OwnerWidget : public QWidget, public MComponentOwner {
public:
    OwnerWidget() { resize(200, 100); }
    ~OwnerWidget() override { DestroyComponents(); }
    QObject* OwnerObject() override { return this; }
};

} // namespace buttontest
