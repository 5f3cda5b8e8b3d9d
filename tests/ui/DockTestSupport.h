#pragma once
// Fixtures of the dock tests: a small form with four docks around a client area, tool windows of a
// given client size, and one fixed work area for the whole screen.

#include "ui/AlignLayout.h"
#include "ui/DockCmn.h"
#include "ui/DockTlwn.h"
#include "ui/Docks.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <memory>

namespace docktest {

inline const QRect WorkArea(0, 0, 1000, 800);

struct Host {
    std::unique_ptr<QWidget> Form;
    TDockArea* Top;
    TDockArea* Bottom;
    TDockArea* Left;
    TDockArea* Right;
    QWidget* Client;

    explicit Host(QRect Geometry = QRect(100, 100, 600, 400), bool Show = true) {
        SetWorkAreaProvider([] { return QList<QRect>{WorkArea}; });
        Form = std::make_unique<QWidget>();
        Form->setObjectName(QStringLiteral("HostForm"));
        auto* layout = new AlignLayout(Form.get());
        Top = new TDockArea(Form.get(), TDockPosition::dpTop);
        Bottom = new TDockArea(Form.get(), TDockPosition::dpBottom);
        Left = new TDockArea(Form.get(), TDockPosition::dpLeft);
        Right = new TDockArea(Form.get(), TDockPosition::dpRight);
        Client = new QWidget(Form.get());
        SetAlign(Client, TAlign::alClient);
        for (QWidget* w : {static_cast<QWidget*>(Top), static_cast<QWidget*>(Bottom),
                           static_cast<QWidget*>(Left), static_cast<QWidget*>(Right), Client})
            layout->addWidget(w);
        Form->setGeometry(Geometry);
        if (Show) {
            Form->show();
            QApplication::setActiveWindow(Form.get());
            Form->activateWindow();
            QCoreApplication::processEvents();
        }
    }
    ~Host() {
        Form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// A resizable tool window with the given client size, owned by the form.
inline TDockWindow* MakeWindow(QWidget* Owner, const QString& Name, int ClientWidth, int ClientHeight) {
    auto* w = new TDockWindow(Owner);
    w->setObjectName(Name);
    w->SetCaption(Name);
    w->SetClientAreaWidth(ClientWidth);
    w->SetClientAreaHeight(ClientHeight);
    return w;
}

// Runs the deferred deletions (old floating parents).
inline void Flush() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline int FloatingParentCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().startsWith(QStringLiteral("DockFloatingWindowParent_")))
            ++n;
    return n;
}

} // namespace docktest
