#include "ui/UApplication.h"

#include "model/Ucommon.h"
#include "model/UcstmExp.h"

#include <QMessageBox>

std::function<void(const QString&)> TApplication::PlainMessage = [](const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
};

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        PlainMessage(QStringLiteral("Unknown error"));
    }
    return false;
}

void TApplication::ShowException(const std::exception& e) {
    if (dynamic_cast<const EAbort*>(&e))
        return;
    if (const auto* m = dynamic_cast<const MException*>(&e)) {
        if (MessageBox) {
            MessageBox->ShowCodeMessage(m->Code, m->SubCode, m->Args, mbOK);
            return;
        }
        PlainMessage(m->Message());
        return;
    }
    if (const auto* x = dynamic_cast<const Exception*>(&e)) {
        PlainMessage(x->Message());
        return;
    }
    PlainMessage(QString::fromLocal8Bit(e.what()));
}
