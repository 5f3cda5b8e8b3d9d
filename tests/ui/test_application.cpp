#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "ui/UApplication.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {
struct ShownMessages {
    QStringList Plain;
    std::function<void(const QString&)> Old = TApplication::PlainMessage;
    ShownMessages() {
        TApplication::PlainMessage = [this](const QString& s) { Plain << s; };
    }
    ~ShownMessages() { TApplication::PlainMessage = Old; }
};

struct ScriptedBox : MMessageService {
    QList<std::tuple<int, int, QString, int>> Calls;
    int ShowCodeMessage(int Code, int SubCode, const QString& Args, int Buttons) override {
        Calls.append({Code, SubCode, Args, Buttons});
        return mbOK;
    }
};

// Raises from inside Qt's event dispatch.
template <typename E>
void RaiseFromEvent(E error) {
    QObject target;
    QTimer::singleShot(0, &target, [error] { throw error; });
    QCoreApplication::processEvents();
}
} // namespace

TEST(ApplicationHandler, ErrorsInEventHandlersNeverCrossTheDispatch) {
    ShownMessages shown;
    ASSERT_EQ(MessageBox, nullptr);
    RaiseFromEvent(MException(5013, 4, QStringLiteral("12")));
    RaiseFromEvent(EAbort());
    RaiseFromEvent(EReadError(QStringLiteral("bad file")));
    RaiseFromEvent(std::runtime_error("plain"));
    EXPECT_EQ(shown.Plain, (QStringList{QStringLiteral("error has occured code: 5013subCode:4"),
                                        QStringLiteral("bad file"), QStringLiteral("plain")}));

    ScriptedBox box;
    MessageBox = &box;
    RaiseFromEvent(MException(5013, 4, QStringLiteral("12")));
    MessageBox = nullptr;
    ASSERT_EQ(box.Calls.size(), 1);
    EXPECT_EQ(box.Calls[0], std::make_tuple(5013, 4, QStringLiteral("12"), mbOK));
    EXPECT_EQ(shown.Plain.size(), 3);
}
