#pragma once
// The application object: the one place where errors that escape an event handler are caught and
// shown, so that no exception crosses Qt's event dispatch.

#include <QApplication>

#include <exception>
#include <functional>

class QObject;

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
