#pragma once
// The line layer's error codes: the telephony standard's LINEERR_ values, which the line reports
// for its own failures, and the port's error flags.

#include "platform/Errors.h"

#include <cstdint>

// A failed line operation: "TAPI Line: LINEERR_..." or "Unknown Error - <value>".
class ETapiError : public Exception {
public:
    ETapiError(std::int32_t code, QString message) : Exception(std::move(message)), FCode(code) {}
    std::int32_t Code() const { return FCode; }

private:
    std::int32_t FCode;
};

namespace LineErr {
constexpr std::int32_t Allocated = std::int32_t(0x80000001u);
constexpr std::int32_t BadDeviceId = std::int32_t(0x80000002u);
constexpr std::int32_t InvalAddress = std::int32_t(0x80000010u);
constexpr std::int32_t InvalCallState = std::int32_t(0x8000001Cu);
constexpr std::int32_t InvalLineHandle = std::int32_t(0x8000002Bu);
constexpr std::int32_t NoDevice = std::int32_t(0x80000042u);
constexpr std::int32_t OperationFailed = std::int32_t(0x80000048u);
constexpr std::int32_t ResourceUnavail = std::int32_t(0x8000004Bu);
} // namespace LineErr

// The name of a LINEERR_ code ("LINEERR_ALLOCATED"); empty for codes without one.
QString LineErrorName(std::int32_t Result);
// The text TapiCheck raises for a negative result.
QString TapiErrorText(std::int32_t Result);
// Passes results of 0 and above; raises ETapiError for negative ones.
void TapiCheck(std::int32_t Result);

// The port's error flags.
namespace CommErr {
constexpr std::uint32_t RxOver = 0x0001, Overrun = 0x0002, RxParity = 0x0004, Frame = 0x0008, Break = 0x0010,
                        TxFull = 0x0100, Pto = 0x0200, Ioe = 0x0400, Dns = 0x0800, Oop = 0x1000,
                        Mode = 0x8000;
}
// The text of one error flag; several flags or none give an empty text.
QString CommErrorText(std::uint32_t Errors);
