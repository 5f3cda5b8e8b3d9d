#pragma once
// The application object: the one place where errors that escape an event handler are caught and
// shown, so that no exception crosses Qt's event dispatch.

#include <QApplication>

#include <exception>
#include <functional>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error that escaped an operation: a program error through the numbered message box
    // when there is one (plain text before it exists), the silent abort not at all, any other error
    // with its own text.
    static void ShowException(const std::exception& e);
    // Where plain texts are shown; tests replace it to see what would be shown.
    static std::function<void(const QString&)> PlainMessage;
};
