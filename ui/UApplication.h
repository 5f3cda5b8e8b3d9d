#pragma once
// The application object: the one place where errors that escape an event handler are caught and
// shown, so that no exception crosses Qt's event dispatch. Creating it also gives every window of the
// program its one look (ApplyStationLook).

#include <QApplication>
#include <QFont>
#include <QPalette>

#include <exception>
#include <functional>

class QObject;
class QStyle;

// The application-wide error handler. A program error goes through the numbered message box with
// the OK button, in the current language; before the box exists it is shown as plain text (its
// fallback text). The silent abort is shown by nobody. Any other error is shown with its own text.
// The handler itself never raises: whatever the message box answers is ignored, and a failure
// while showing falls back to the plain text.
class MMException {
public:
    static void ApplicationExceptionHandler(QObject* Sender, const std::exception& E);
    // An error that is not a std::exception at all.
    static void UnknownExceptionHandler(QObject* Sender);
    // The text shown for a thrown object that is not a std::exception.
    static QString UnknownErrorText();
};

// ---- The look of the program's windows. Qt's own edits, buttons, scroll bars, tabs and lists draw
// as the program's own controls do: raised and sunken 3-D edges in the system colours, no rounded
// or coloured focus frames, and one font, the language detail's.

// The system colour table as a palette: button face for windows and buttons, the 3-D edge colours
// for light, midlight, dark and shadow, grey text for what is disabled.
QPalette StationPalette();
// The font of the language details ("MS Sans Serif", 11 pixels), which this machine shows by
// Liberation Sans, or DejaVu Sans where that is missing or lacks the script (Arabic).
QFont StationFont();
// A new instance of the station's style, for the few proxies that change one of its hints (menus in
// their own direction, the hint pause): the application's style may itself be such a proxy, which
// cannot be made again by its name.
QStyle* NewStationStyle();
// Puts the classic style, the palette and the font on the running application; TApplication's
// constructor calls it, so every program of the station and every test starts with them.
void ApplyStationLook();

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // MMException::ApplicationExceptionHandler without a sender.
    static void ShowException(const std::exception& e);
    // Where plain texts are shown; tests replace it to see what would be shown.
    static std::function<void(const QString&)> PlainMessage;
};
