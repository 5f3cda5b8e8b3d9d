#pragma once
// The fixed texts of the dock and toolbar library. Misuse is reported with these texts as
// EInvalidOperation, before anything changes.

#include <QString>

inline QString SDockParentNotAllowed() {
    return QStringLiteral("A TDockArea control cannot be placed inside a tool window or another TDockArea");
}
inline QString SDockCannotChangePosition() {
    return QStringLiteral("Cannot change Position of a TDockArea if it already contains controls");
}
inline QString SToolWindowParentNotAllowed() {
    return QStringLiteral("A tool window can only be placed on a TDockArea or directly on the form");
}
inline QString SToolbarSepParentNotAllowed() {
    return QStringLiteral("TDockToolbarSep can only be placed on a TDockToolbar");
}
// "%1" is the control's name.
inline QString SControlHasNoParentWindow() {
    return QStringLiteral("Control '%1' has no parent window");
}
// The library's version text (read-only property of docks and tool windows).
inline QString DockLibraryVersion() {
    return QStringLiteral("Docks and tool windows 1.0");
}
