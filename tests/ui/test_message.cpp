// The numbered message box and the application-wide error handler.
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "ui/UApplication.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {
struct ShownPlainTexts {
    QStringList Texts;
    std::function<void(const QString&)> Old = TApplication::PlainMessage;
    ShownPlainTexts() {
        TApplication::PlainMessage = [this](const QString& s) { Texts << s; };
    }
    ~ShownPlainTexts() { TApplication::PlainMessage = Old; }
};

// Installs a message service for the life of the guard.
struct InstalledBox {
    MMessageService* Old = MessageBox;
    explicit InstalledBox(MMessageService* box) { MessageBox = box; }
    ~InstalledBox() { MessageBox = Old; }
};

struct FailingBox : MMessageService {
    int Calls = 0;
    int ShowCodeMessage(int, int, const QString&, int) override {
        ++Calls;
        throw std::runtime_error("the box itself failed");
    }
};

template <typename Raise>
void RaiseFromEvent(Raise raise) {
    QObject target;
    QTimer::singleShot(0, &target, raise);
    QCoreApplication::processEvents();
}
} // namespace

TEST(ApplicationHandler, NeverRaisesWhateverHappensWhileShowing) {
    ShownPlainTexts shown;
    FailingBox box;
    InstalledBox installed(&box);
    RaiseFromEvent([] { throw MException(5016, 10, QStringLiteral("7")); });
    EXPECT_EQ(box.Calls, 1);
    // The box failed: the plain fallback text still tells the error.
    EXPECT_EQ(shown.Texts, QStringList{MException::FallbackText(5016, 10)});

    RaiseFromEvent([] { throw 42; });
    EXPECT_EQ(shown.Texts.last(), MMException::UnknownErrorText());

    TApplication::PlainMessage = [](const QString&) { throw std::runtime_error("no plain box either"); };
    RaiseFromEvent([] { throw EReadError(QStringLiteral("bad")); }); // dropped, but nothing escapes
    SUCCEED();
}
