#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/ColorQt.h"
#include "tests/support/PlainMessages.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/AMenus.h"
#include "ui/UApplication.h"

#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>

#include <functional>
#include <memory>

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

namespace {
// The two outer rings of a rectangle of a widget's picture, read half-way along its top and its
// bottom edge: outer and inner top, inner and outer bottom.
struct TEdges {
    QRgb OuterTop, InnerTop, InnerBottom, OuterBottom;
    friend bool operator==(const TEdges&, const TEdges&) = default;
};

TEdges EdgesOf(const QImage& Image, const QRect& R) {
    const int x = R.center().x();
    return {Image.pixel(x, R.top()) & 0xFFFFFF, Image.pixel(x, R.top() + 1) & 0xFFFFFF,
            Image.pixel(x, R.bottom() - 1) & 0xFFFFFF, Image.pixel(x, R.bottom()) & 0xFFFFFF};
}

std::ostream& operator<<(std::ostream& Out, const TEdges& E) {
    return Out << std::hex << E.OuterTop << " " << E.InnerTop << " / " << E.InnerBottom << " "
               << E.OuterBottom;
}

QRgb Sys(TColor Color) {
    return SysQRgb(Color) & 0xFFFFFF;
}

const TEdges Sunken{Sys(clBtnShadow), Sys(cl3DDkShadow), Sys(cl3DLight), Sys(clBtnHighlight)};
const TEdges Raised{Sys(clBtnHighlight), Sys(cl3DLight), Sys(clBtnShadow), Sys(cl3DDkShadow)};
// The raised edge of a window frame and of a scroll-bar thumb: the light grey outside the white.
const TEdges RaisedFrame{Sys(cl3DLight), Sys(clBtnHighlight), Sys(clBtnShadow), Sys(cl3DDkShadow)};
} // namespace

// Qt's own controls take the program's classic edges in the system colours: sunken edits, boxes
// and lists, raised buttons and scroll-bar thumbs, with the focus changing none of them.
TEST(StationLook, QtControlsDrawTheClassicEdgesInTheSystemColours) {
    struct Case {
        const char* Name;
        std::function<QWidget*()> Make;
        TEdges Expected;
    };
    const Case cases[] = {
        {"edit", [] { return new QLineEdit(QStringLiteral("12")); }, Sunken},
        {"spin box", [] { return new QSpinBox; }, Sunken},
        {"combo box",
         [] {
             auto* c = new QComboBox;
             c->addItem(QStringLiteral("Color"));
             return c;
         },
         Sunken},
        {"list", [] { return new QListWidget; }, Sunken},
        {"button", [] { return new QPushButton(QStringLiteral("Scan")); }, Raised},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QWidget> w(c.Make());
        w->resize(120, w->sizeHint().height());
        w->show();
        w->setFocus();
        QCoreApplication::processEvents();
        const QImage image = w->grab().toImage();
        EXPECT_EQ(EdgesOf(image, image.rect()), c.Expected) << c.Name;
    }

    QScrollBar bar(Qt::Horizontal);
    bar.setRange(0, 100);
    bar.setPageStep(20);
    bar.resize(200, 16);
    bar.show();
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = Qt::Horizontal;
    option.minimum = 0;
    option.maximum = 100;
    option.pageStep = 20;
    option.sliderPosition = option.sliderValue = 0;
    const QRect thumb =
        bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar);
    ASSERT_FALSE(thumb.isEmpty());
    EXPECT_EQ(EdgesOf(bar.grab().toImage(), thumb), RaisedFrame) << "scroll-bar thumb";
}

// The application's style may become a proxy of the station's (the hint window's pause): menus made
// afterwards still draw in the station's style, the face of their items in the system colour.
TEST(StationLook, OneFontAndTheStyleKeptUnderTheProxiesOfOneHint) {
    const QFontInfo font(QApplication::font());
    EXPECT_EQ(font.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(font.pixelSize(), 11);
    QLineEdit edit;
    EXPECT_EQ(QFontInfo(edit.font()).family(), font.family());
    EXPECT_EQ(edit.palette().color(QPalette::Window), SysQColor(clBtnFace));

    QApplication::setStyle(new QProxyStyle(NewStationStyle()));
    {
        TArabPopupMenu menu;
        menu.addAction(QStringLiteral("Width 1"));
        menu.addAction(QStringLiteral("Width 2"));
        menu.show();
        QCoreApplication::processEvents();
        const QImage image = menu.grab().toImage();
        EXPECT_EQ(image.pixel(image.width() - 6, image.height() / 2) & 0xFFFFFF, Sys(clBtnFace));
    }
    QApplication::setStyle(NewStationStyle());
}
