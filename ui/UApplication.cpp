#include "ui/UApplication.h"

#include "model/Ucommon.h"
#include "model/UcstmExp.h"

#include <QMessageBox>

std::function<void(const QString&)> TApplication::PlainMessage = [](const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
};

namespace {
// Shows a plain text; a failure there is dropped (there is nothing left to show it with).
void ShowPlain(const QString& text) noexcept {
    try {
        if (TApplication::PlainMessage)
            TApplication::PlainMessage(text);
    } catch (...) {
    }
}

QString TextOf(const std::exception& e) {
    if (const auto* x = dynamic_cast<const Exception*>(&e))
        return x->Message();
    return QString::fromLocal8Bit(e.what());
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        MMException::ApplicationExceptionHandler(receiver, e);
    } catch (...) {
        MMException::UnknownExceptionHandler(receiver);
    }
    return false;
}

void TApplication::ShowException(const std::exception& e) {
    MMException::ApplicationExceptionHandler(nullptr, e);
}

void MMException::ApplicationExceptionHandler(QObject* Sender, const std::exception& E) {
    Q_UNUSED(Sender);
    if (dynamic_cast<const EAbort*>(&E))
        return;
    const auto* m = dynamic_cast<const MException*>(&E);
    if (m && MessageBox) {
        try {
            MessageBox->ShowCodeMessage(m->Code, m->SubCode, m->Args, mbOK);
            return;
        } catch (...) {
            // The box could not show it: the plain text below still tells what went wrong.
        }
    }
    ShowPlain(TextOf(E));
}

void MMException::UnknownExceptionHandler(QObject* Sender) {
    Q_UNUSED(Sender);
    ShowPlain(UnknownErrorText());
}

QString MMException::UnknownErrorText() {
    return QStringLiteral("Unknown error");
}
