#pragma once
// The error types the program raises and catches, and checked arithmetic for
// values that come from outside (files, the modem line, settings).

#include <QString>

#include <cstdint>
#include <exception>
#include <limits>
#include <type_traits>

// Base of every error the program raises; holds the message text.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// Reading a stream or buffer failed (past the end, a record that does not fit, ...).
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// Writing a stream or file failed.
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// A file could not be opened ("Cannot open file %s").
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A file could not be created ("Cannot create file %s").
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// A value or index lies outside its range.
class ERangeError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list.
class EListError : public ERangeError {
public:
    using ERangeError::ERangeError;
};

// Integer arithmetic would leave the range of its type.
class EIntOverflow : public Exception {
public:
    using Exception::Exception;
};

// An operation that is not allowed in the object's present state.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// The silent abort: cancels an operation; nobody shows it.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

[[noreturn]] void Abort();
[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseRange(const QString& what);

// Checked arithmetic: raises EIntOverflow instead of wrapping.
template <typename T>
T CheckedAdd(T a, T b) {
    static_assert(std::is_integral_v<T>);
    T r;
    if (__builtin_add_overflow(a, b, &r))
        RaiseOverflow();
    return r;
}

template <typename T>
T CheckedSub(T a, T b) {
    static_assert(std::is_integral_v<T>);
    T r;
    if (__builtin_sub_overflow(a, b, &r))
        RaiseOverflow();
    return r;
}

template <typename T>
T CheckedMul(T a, T b) {
    static_assert(std::is_integral_v<T>);
    T r;
    if (__builtin_mul_overflow(a, b, &r))
        RaiseOverflow();
    return r;
}

// Converts between integer types; a value that does not fit raises EIntOverflow.
template <typename To, typename From>
To CheckedCast(From v) {
    static_assert(std::is_integral_v<To> && std::is_integral_v<From>);
    To r;
    if (__builtin_add_overflow(v, From(0), &r))
        RaiseOverflow();
    return r;
}

// Raises ERangeError unless lo <= v <= hi.
template <typename T>
void CheckRange(T v, T lo, T hi, const char* what) {
    if (v < lo || v > hi)
        RaiseRange(QString::fromLatin1(what));
}
