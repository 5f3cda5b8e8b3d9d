#pragma once
// Per-language integer lists: decimal integers separated by ";", one field per language index
// ("441;21" holds 441 for language 0 and 21 for language 1; an empty field holds nothing).

#include "platform/Errors.h"

#include <QString>

// A text that is not a number where one is required.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The largest field index SetListValue writes.
constexpr int MaxListField = 1023;

// Field n as a decimal integer; -1 when there are fewer than n separators or the field is empty.
// A field that is not a decimal integer raises EConvertError.
int GetListValue(const QString& S, int n);
// Replaces field n by Value; when S has fewer fields, the missing ones between its last field and n
// are filled with Filler.
void SetListValue(QString& S, int n, int Value, int Filler);
// The 1-based position of the n-th ";", -1 when there are fewer, 0 when n < 1.
int FindSeparator(const QString& S, int n);
int CountSeparators(const QString& S);
