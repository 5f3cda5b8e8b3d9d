#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "tests/support/PlainMessages.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/UApplication.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {
// Raises from inside Qt's event dispatch.
template <typename E>
void RaiseFromEvent(E error) {
    QObject target;
    QTimer::singleShot(0, &target, [error] { throw error; });
    QCoreApplication::processEvents();
}
} // namespace

TEST(ApplicationHandler, ErrorsInEventHandlersNeverCrossTheDispatch) {
    kdstest::MPlainMessages shown;
    ASSERT_EQ(MessageBox, nullptr);
    RaiseFromEvent(MException(5013, 4, QStringLiteral("12")));
    RaiseFromEvent(EAbort());
    RaiseFromEvent(EReadError(QStringLiteral("bad file")));
    RaiseFromEvent(std::runtime_error("plain"));
    EXPECT_EQ(shown.Texts, (QStringList{QStringLiteral("error has occured code: 5013subCode:4"),
                                        QStringLiteral("bad file"), QStringLiteral("plain")}));

    {
        kdstest::MScriptedMessages box;
        RaiseFromEvent(MException(5013, 4, QStringLiteral("12")));
        EXPECT_EQ(box.Coded,
                  (std::vector<kdstest::MScriptedMessages::Shown>{{5013, 4, QStringLiteral("12"), mbOK}}));
    }
    EXPECT_EQ(MessageBox, nullptr);
    EXPECT_EQ(shown.Texts.size(), 3);
}
