#include "ui/UApplication.h"

#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/ColorQt.h"
#include "ui/LanguagePack.h"

#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>

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

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    ApplyStationLook();
}

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

// ---- The look.

QPalette StationPalette() {
    QPalette p;
    const auto set = [&p](QPalette::ColorRole Role, TColor Color) { p.setColor(Role, SysQColor(Color)); };
    set(QPalette::Window, clBtnFace);
    set(QPalette::Button, clBtnFace);
    set(QPalette::AlternateBase, clBtnFace);
    set(QPalette::WindowText, clWindowText);
    set(QPalette::ButtonText, clBtnText);
    set(QPalette::Base, clWindow);
    set(QPalette::Text, clWindowText);
    set(QPalette::Light, clBtnHighlight);
    set(QPalette::Midlight, cl3DLight);
    set(QPalette::Mid, clBtnShadow);
    set(QPalette::Dark, clBtnShadow);
    set(QPalette::Shadow, cl3DDkShadow);
    set(QPalette::Highlight, clHighlight);
    set(QPalette::HighlightedText, clHighlightText);
    set(QPalette::ToolTipBase, clInfoBk);
    set(QPalette::ToolTipText, clInfoText);
    set(QPalette::PlaceholderText, clGrayText);
    set(QPalette::BrightText, clWhite);
    set(QPalette::Link, clHotLight);
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(QPalette::Disabled, role, SysQColor(clGrayText));
    p.setColor(QPalette::Disabled, QPalette::Base, SysQColor(clBtnFace));
    return p;
}

QFont StationFont() {
    return MLanguageFont().Font();
}

QStyle* NewStationStyle() {
    return QStyleFactory::create(QStringLiteral("Windows"));
}

void ApplyStationLook() {
    // The details name the font by the face they were designed with; it is shown by its nearest
    // look-alike here, and Arabic, which that one lacks, by the next.
    QFont::insertSubstitutions(StationFont().family(),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    if (QStyle* style = NewStationStyle())
        QApplication::setStyle(style);
    QApplication::setPalette(StationPalette());
    QApplication::setFont(StationFont());
}
