#include "transfer/Tapi.h"

#include <array>

namespace {
// The LINEERR_ names from 0x80000001 on, in code order; empty where the standard assigns none.
constexpr std::array<const char*, 0x5C> Names = {"ALLOCATED",
                                                 "BADDEVICEID",
                                                 "BEARERMODEUNAVAIL",
                                                 "",
                                                 "CALLUNAVAIL",
                                                 "COMPLETIONOVERRUN",
                                                 "CONFERENCEFULL",
                                                 "DIALBILLING",
                                                 "DIALDIALTONE",
                                                 "DIALPROMPT",
                                                 "DIALQUIET",
                                                 "INCOMPATIBLEAPIVERSION",
                                                 "INCOMPATIBLEEXTVERSION",
                                                 "INIFILECORRUPT",
                                                 "INUSE",
                                                 "INVALADDRESS",
                                                 "INVALADDRESSID",
                                                 "INVALADDRESSMODE",
                                                 "INVALADDRESSSTATE",
                                                 "INVALAPPHANDLE",
                                                 "INVALAPPNAME",
                                                 "INVALBEARERMODE",
                                                 "INVALCALLCOMPLMODE",
                                                 "INVALCALLHANDLE",
                                                 "INVALCALLPARAMS",
                                                 "INVALCALLPRIVILEGE",
                                                 "INVALCALLSELECT",
                                                 "INVALCALLSTATE",
                                                 "INVALCALLSTATELIST",
                                                 "INVALCARD",
                                                 "INVALCOMPLETIONID",
                                                 "INVALCONFCALLHANDLE",
                                                 "INVALCONSULTCALLHANDLE",
                                                 "INVALCOUNTRYCODE",
                                                 "INVALDEVICECLASS",
                                                 "INVALDEVICEHANDLE",
                                                 "INVALDIALPARAMS",
                                                 "INVALDIGITLIST",
                                                 "INVALDIGITMODE",
                                                 "INVALDIGITS",
                                                 "INVALEXTVERSION",
                                                 "INVALGROUPID",
                                                 "INVALLINEHANDLE",
                                                 "INVALLINESTATE",
                                                 "INVALLOCATION",
                                                 "INVALMEDIALIST",
                                                 "INVALMEDIAMODE",
                                                 "INVALMESSAGEID",
                                                 "",
                                                 "INVALPARAM",
                                                 "INVALPARKID",
                                                 "INVALPARKMODE",
                                                 "INVALPOINTER",
                                                 "INVALPRIVSELECT",
                                                 "INVALRATE",
                                                 "INVALREQUESTMODE",
                                                 "INVALTERMINALID",
                                                 "INVALTERMINALMODE",
                                                 "INVALTIMEOUT",
                                                 "INVALTONE",
                                                 "INVALTONELIST",
                                                 "INVALTONEMODE",
                                                 "INVALTRANSFERMODE",
                                                 "LINEMAPPERFAILED",
                                                 "NOCONFERENCE",
                                                 "NODEVICE",
                                                 "NODRIVER",
                                                 "NOMEM",
                                                 "NOREQUEST",
                                                 "NOTOWNER",
                                                 "NOTREGISTERED",
                                                 "OPERATIONFAILED",
                                                 "OPERATIONUNAVAIL",
                                                 "RATEUNAVAIL",
                                                 "RESOURCEUNAVAIL",
                                                 "REQUESTOVERRUN",
                                                 "STRUCTURETOOSMALL",
                                                 "TARGETNOTFOUND",
                                                 "TARGETSELF",
                                                 "UNINITIALIZED",
                                                 "USERUSERINFOTOOBIG",
                                                 "REINIT",
                                                 "ADDRESSBLOCKED",
                                                 "BILLINGREJECTED",
                                                 "INVALFEATURE",
                                                 "NOMULTIPLEINSTANCE",
                                                 "INVALAGENTID",
                                                 "INVALAGENTGROUP",
                                                 "INVALPASSWORD",
                                                 "INVALAGENTSTATE",
                                                 "INVALAGENTACTIVITY",
                                                 "DIALVOICEDETECT"};
} // namespace

QString LineErrorName(std::int32_t Result) {
    const std::uint32_t u = std::uint32_t(Result);
    if (u < 0x80000001u || u > 0x8000005Cu)
        return {};
    const char* name = Names[u - 0x80000001u];
    return *name ? QStringLiteral("LINEERR_") + QLatin1String(name) : QString();
}

QString TapiErrorText(std::int32_t Result) {
    const QString name = LineErrorName(Result);
    if (!name.isEmpty())
        return QStringLiteral("TAPI Line: ") + name;
    return QStringLiteral("Unknown Error - ") + QString::number(Result);
}

void TapiCheck(std::int32_t Result) {
    if (Result < 0)
        throw ETapiError(Result, TapiErrorText(Result));
}

QString CommErrorText(std::uint32_t Errors) {
    switch (Errors) {
    case CommErr::Break:
        return QStringLiteral("The hardware detected a break condition.");
    case CommErr::Dns:
        return QStringLiteral("Windows 95 only: A parallel device is not selected.");
    case CommErr::Frame:
        return QStringLiteral("The hardware detected a framing error.");
    case CommErr::Ioe:
        return QStringLiteral("An I/O error occurred during communications with the device.");
    case CommErr::Mode:
        return QStringLiteral(
            "The requested mode is not supported, or the hFile parameter is invalid. If this "
            "value is specified, it is the only valid error.");
    case CommErr::Oop:
        return QStringLiteral("Windows 95 only: A parallel device signaled that it is out of paper.");
    case CommErr::Overrun:
        return QStringLiteral("A character-buffer overrun has occurred. The next character is lost.");
    case CommErr::Pto:
        return QStringLiteral("Windows 95 only: A time-out occurred on a parallel device.");
    case CommErr::RxOver:
        return QStringLiteral("An input buffer overflow has occurred. There is either no room in the input "
                              "buffer, or a character was received after the end-of-file (EOF) character.");
    case CommErr::RxParity:
        return QStringLiteral("The hardware detected a parity error.");
    case CommErr::TxFull:
        return QStringLiteral(
            "The application tried to transmit a character, but the output buffer was full.");
    default:
        return {};
    }
}
