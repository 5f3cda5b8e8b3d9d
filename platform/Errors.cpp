#include "platform/Errors.h"

void Abort() {
    throw EAbort();
}

void RaiseOverflow() {
    throw EIntOverflow(QStringLiteral("Integer overflow"));
}

void RaiseRange(const QString& what) {
    throw ERangeError(QStringLiteral("Range check error: %1").arg(what));
}
