#pragma once
// Captures the plain texts the application's error handler shows (its fallback when no message box
// can show an error) for the life of the capture.

#include "ui/UApplication.h"

#include <QStringList>

#include <functional>

namespace kdstest {

class MPlainMessages {
public:
    MPlainMessages() : FOld(TApplication::PlainMessage) {
        TApplication::PlainMessage = [this](const QString& Text) { Texts << Text; };
    }
    ~MPlainMessages() { TApplication::PlainMessage = FOld; }
    MPlainMessages(const MPlainMessages&) = delete;
    MPlainMessages& operator=(const MPlainMessages&) = delete;

    QStringList Texts;

private:
    std::function<void(const QString&)> FOld;
};

} // namespace kdstest
