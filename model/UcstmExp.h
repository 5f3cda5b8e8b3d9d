#pragma once
// The program's own error: a message code of the catalogue, its subcode and the arguments that
// fill the message's slots. The application-wide handler shows it through the message box.

#include "platform/Errors.h"

#include <QString>

class MException : public Exception {
public:
    MException(int Code, int SubCode, const QString& Args = QString());

    // The text shown where the message box cannot be used:
    // "error has occured code: <Code>subCode:<SubCode>".
    static QString FallbackText(int Code, int SubCode);

    int Code;
    int SubCode;
    int Detail = 0;
    QString Args;
};

// Validation codes: 5011 for the checks of the record base, 5011 + list kind for each kind.
constexpr int ValidationBaseCode = 5011;

// Raises MException(Code, SubCode, Args).
[[noreturn]] void RaiseM(int Code, int SubCode, const QString& Args = QString());
