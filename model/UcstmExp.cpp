#include "model/UcstmExp.h"

MException::MException(int Code, int SubCode, const QString& Args)
    : Exception(FallbackText(Code, SubCode)), Code(Code), SubCode(SubCode), Args(Args) {}

QString MException::FallbackText(int Code, int SubCode) {
    return QStringLiteral("error has occured code: %1subCode:%2").arg(Code).arg(SubCode);
}

void RaiseM(int Code, int SubCode, const QString& Args) {
    throw MException(Code, SubCode, Args);
}
