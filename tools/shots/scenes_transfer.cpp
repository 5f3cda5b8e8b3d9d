// The telephone transfer window, idle and busy while sending, and the dialing window at its stop
// frame.

#include "tools/shots/Shots.h"

#include "app/UDialing.h"
#include "app/UFormTelCalls.h"
#include "editors/NumEdit_m.h"
#include "ui/combobox_m.h"

namespace {

// A transfer window with one line, named as a USB modem appears, and a number typed.
std::unique_ptr<TFormTransfer> TransferWindow(shots::Context& ctx) {
    auto w = std::make_unique<TFormTransfer>(nullptr, TLineSource{false, false, {ctx.TempFolder + "/modem"}});
    w->SelectedLine->setItemText(0, QStringLiteral("/dev/ttyUSB0"));
    w->PhoneNumber->setText(QStringLiteral("0096311445566"));
    return w;
}

} // namespace

KDS_SHOT_SCENE("transfer", "The telephone transfer window, idle, with a line selected and a number typed") {
    return TransferWindow(ctx);
}

KDS_SHOT_SCENE("transfer-busy", "The telephone transfer window busy while it sends a project: only Stop is "
                                "enabled and the wait panel lies over the line and number") {
    auto w = TransferWindow(ctx);
    w->EnableControls(false);
    return w;
}

KDS_SHOT_SCENE("dialing", "The dialing window at its stop frame, with the line's name") {
    auto d = std::make_unique<TformDialing>();
    d->SetModemName(QStringLiteral("/dev/ttyUSB0"));
    return d;
}
