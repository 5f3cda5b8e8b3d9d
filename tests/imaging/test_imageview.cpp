// The image view, offscreen: layout, zoom and scrolling, mouse interaction, the marching outline, and
// the picture components attached to it.

#include "tests/imaging/IoTestSupport.h"
#include "tests/imaging/MetaWriter.h"
#include "tests/support/TestSupport.h"

#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"
#include "imaging/ImageView.h"
#include "imaging/ImgCursors.h"
#include "ui/Image_m.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using iotest::C;

namespace {

const TBGRColor ButtonFace = C(212, 208, 200);

// A shown view of the given client size (no border) holding a picture.
std::unique_ptr<TImageView> ShownView(int width, int height, const TBitmap& picture) {
    auto view = std::make_unique<TImageView>();
    view->SetBorderStyle(TImgViewBase::bsNone);
    view->resize(width, height);
    view->Assign(&picture);
    view->show();
    QApplication::processEvents();
    return view;
}

TBGRColor Shown(TImageView& view, int x, int y) {
    const QImage image = view.viewport()->grab().toImage();
    const QRgb c = image.pixel(x, y);
    return C(qRed(c), qGreen(c), qBlue(c));
}

void Click(QWidget* w, Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(w, button, mods, at);
    QTest::mouseRelease(w, button, mods, at);
}

// The events of a real double-click: press, release, double-click, release.
void DoubleClick(QWidget* w, QPoint at) {
    Click(w, Qt::LeftButton, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &dbl);
    QMouseEvent up(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &up);
}

} // namespace

TEST(ImageView, MouseInteractKeepsWhatCombines) {
    const struct {
        unsigned before, after, expected;
    } cases[] = {
        {miZoom | miScroll, miZoom | miScroll | miSelectPolygon, miSelectPolygon},
        {miSelect, miSelect | miScroll, miScroll},
        {miScroll, miScroll | miSelect, miSelect},
        {0, miZoom | miScroll | miSelect | miSelectCircle, miZoom | miScroll},
        {miSelectCircle, miSelectCircle | miZoom, miZoom},
        {miSelectPolygon, miSelectPolygon | miSelectZoom | miZoom, miZoom | miSelectZoom},
        {miZoom | miScroll, miZoom, miZoom},
    };
    for (const auto& c : cases) {
        TImageView view;
        view.SetMouseInteract(c.before);
        view.SetMouseInteract(c.after);
        EXPECT_EQ(view.MouseInteract(), c.expected) << c.before << " -> " << c.after;
    }
}

TEST(ImageView, ZoomClicksStepAndKeepThePointCentred) {
    const struct {
        int from;
        Qt::MouseButton button;
        int to;
    } cases[] = {{33, Qt::LeftButton, 50},   {150, Qt::LeftButton, 250},  {150, Qt::RightButton, 100},
                 {2, Qt::RightButton, 2},    {1, Qt::LeftButton, 2},      {75, Qt::LeftButton, 100},
                 {100, Qt::LeftButton, 200}, {250, Qt::RightButton, 150}, {33, Qt::RightButton, 25}};
    const TBitmap picture = iotest::Colourful(400, 400);
    for (const auto& c : cases) {
        auto view = ShownView(100, 100, picture);
        view->SetMouseInteract(miZoom);
        view->SetZoom(c.from);
        view->SetViewXY(view->MaxView().x() / 2, view->MaxView().y() / 2);
        const QPoint at(30, 40);
        const QPoint under = view->WindowToPicture(at);
        Click(view->viewport(), c.button, at);
        EXPECT_EQ(view->Zoom(), c.to) << c.from;
        // The clicked picture point is now in the middle of the window, as far as scrolling allows.
        if (view->MaxView().x() > 0 && c.to != c.from) {
            const QPoint centre = view->WindowToPicture(QPoint(50, 50));
            EXPECT_NEAR(centre.x(), under.x(), 100.0 / c.to + 1) << c.from;
        }
    }
    EXPECT_EQ(TImageView::ZoomInStep(33), 50);
    EXPECT_EQ(TImageView::ZoomOutStep(150), 100);
    EXPECT_EQ(TImageView::ZoomOutStep(2), 2);
}

TEST(ImageView, SmallPictureIsCentredOverTheBackground) {
    const TBitmap picture = iotest::Picture(50, 50, [](int, int) { return C(200, 0, 0); });
    auto view = ShownView(200, 200, picture);
    view->SetCenter(true);
    EXPECT_EQ(view->Offset(), QPoint(75, 75));
    EXPECT_EQ(view->MaxView(), QPoint(0, 0));
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(Shown(*view, 75, 75), C(200, 0, 0));
    EXPECT_EQ(Shown(*view, 124, 124), C(200, 0, 0));
    EXPECT_EQ(Shown(*view, 74, 74), ButtonFace);
    EXPECT_EQ(Shown(*view, 125, 100), ButtonFace);
    view->SetBackground(RGB(0, 90, 0));
    EXPECT_EQ(Shown(*view, 10, 10), C(0, 90, 0));
}

TEST(ImageView, ScrollingIsClampedAndPagesMoveTen) {
    auto view = ShownView(200, 200, iotest::Colourful(400, 300));
    view->SetScrollBars(ssBoth);
    QApplication::processEvents();
    const int cw = view->viewport()->width(), ch = view->viewport()->height();
    EXPECT_LT(cw, 200); // the bars took their room
    EXPECT_EQ(view->MaxView(), QPoint(400 - cw, 300 - ch));
    QScrollBar* bar = view->horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), 400 - cw);
    EXPECT_EQ(bar->pageStep(), cw);
    view->SetViewXY(1000, -5);
    EXPECT_EQ(view->ViewX(), 400 - cw);
    EXPECT_EQ(view->ViewY(), 0);
    EXPECT_EQ(bar->value(), 400 - cw);
    view->SetViewXY(50, 0);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view->ViewX(), 60);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(view->ViewX(), 59);
    // What is shown follows the origin.
    EXPECT_EQ(Shown(*view, 0, 0), iotest::Pixel(view->Bitmap(), 59, 0));
}

TEST(ImageView, AutoFitNeverZoomsBelowOne) {
    auto view = ShownView(100, 100, iotest::Picture(20000, 4, [](int, int) { return C(1, 2, 3); }));
    view->SetAutoFit(true);
    EXPECT_EQ(view->Zoom(), 1);
    const TBitmap small = iotest::Picture(50, 25, [](int, int) { return C(1, 2, 3); });
    view->Assign(&small);
    EXPECT_EQ(view->Zoom(), 200);
}

TEST(ImageView, ZoomIsCappedSoSizesStayWithinInt) {
    auto view = ShownView(100, 100, iotest::Picture(1000, 10, [](int, int) { return C(1, 2, 3); }));
    view->SetZoom(std::numeric_limits<int>::max());
    EXPECT_EQ(view->Zoom(), view->MaxZoom());
    EXPECT_GT(view->ZoomedSize().width(), 0);
    view->SetViewXY(std::numeric_limits<int>::max(), 0);
    EXPECT_EQ(Shown(*view, 99, 5), C(1, 2, 3));
}

TEST(ImageView, ZoomTwoHundredShowsTwoByTwoBlocks) {
    const TBitmap picture =
        iotest::Picture(8, 8, [](int x, int y) { return C(x * 30, y * 30, (x + y) % 2 ? 255 : 0); });
    for (bool doubleBuffer : {false, true}) {
        auto view = ShownView(40, 40, picture);
        view->SetDoubleBuffer(doubleBuffer);
        view->SetZoom(200);
        const QImage shown = view->viewport()->grab().toImage();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const TBGRColor c = iotest::Pixel(picture, x / 2, y / 2);
                ASSERT_EQ(shown.pixel(x, y), qRgb(c.r, c.g, c.b)) << x << "," << y;
            }
        EXPECT_EQ(shown.pixel(16, 3), qRgb(212, 208, 200));
    }
}

TEST(ImageView, SmoothZoomResamplesTheVisiblePart) {
    const TBitmap picture =
        iotest::Picture(20, 20, [](int x, int) { return x < 10 ? C(0, 0, 0) : C(255, 255, 255); });
    auto view = ShownView(50, 50, picture);
    view->SetZoom(400);
    view->SetViewXY(20, 0);
    EXPECT_EQ(view->ViewX(), 20);
    EXPECT_EQ(Shown(*view, 19, 5), C(0, 0, 0));
    EXPECT_EQ(Shown(*view, 20, 5), C(255, 255, 255));
    view->SetZoomFilter(rfTriangle);
    const TBGRColor edge = Shown(*view, 18, 5);
    EXPECT_GT(edge.r, 0);
    EXPECT_LT(edge.r, 255);
    EXPECT_EQ(Shown(*view, 0, 5), C(0, 0, 0));
    EXPECT_EQ(Shown(*view, 45, 5), C(255, 255, 255));
}

TEST(ImageView, CircleOnTheStartRowMakesNoPolygon) {
    auto view = ShownView(100, 100, iotest::Colourful(100, 100));
    view->SetMouseInteract(miSelectCircle);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(view->viewport(), QPoint(80, 50));
    EXPECT_EQ(view->SelectionPointCount(), 0);
    QTest::mouseMove(view->viewport(), QPoint(80, 70));
    // n = Trunc(2π × 20) div 4 = 31 points round the down point.
    EXPECT_EQ(view->SelectionPointCount(), 31);
    EXPECT_EQ(view->SelectionRect(), QRect(QPoint(20, 30), QPoint(80, 69)));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(80, 70));
    EXPECT_FALSE(view->Selecting());
}

TEST(ImageView, RectangleAtZoomTwoHundredGreysTheConvertedRectangle) {
    const TBitmap picture = iotest::Picture(100, 100, [](int, int) { return C(200, 40, 10); });
    auto view = ShownView(150, 150, picture);
    view->SetZoom(200);
    view->SelectRect(50, 30, 11, 71); // corners in any order
    EXPECT_EQ(view->SelectionRect(), QRect(QPoint(6, 15), QPoint(25, 36)));
    TImageProc proc;
    proc.SetAttachedImageView(view.get());
    EXPECT_EQ(proc.AttachedBitmap(), &view->Bitmap());
    int changes = 0;
    view->OnImageChange = [&](QObject*) { ++changes; };
    proc.ToGrayScale();
    EXPECT_EQ(changes, 1);
    const TBitmap& bmp = view->Bitmap();
    const std::uint8_t g = (30 * 200 + 59 * 40 + 11 * 10) / 100;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 6 && x <= 25 && y >= 15 && y <= 36;
            ASSERT_EQ(iotest::Pixel(bmp, x, y), inside ? C(g, g, g) : C(200, 40, 10)) << x << "," << y;
        }
    EXPECT_EQ(proc.CountColors(), 1);
}

TEST(ImageView, TriangleSelectionGreysOnlyItsInside) {
    const TBitmap picture = iotest::Picture(60, 60, [](int, int) { return C(0, 0, 250); });
    auto view = ShownView(80, 80, picture);
    view->SetMouseInteract(miSelectPolygon);
    Click(view->viewport(), Qt::LeftButton, QPoint(10, 10));
    Click(view->viewport(), Qt::LeftButton, QPoint(50, 10));
    // Ctrl snaps the third point below the second.
    Click(view->viewport(), Qt::LeftButton, QPoint(48, 50), Qt::ControlModifier);
    DoubleClick(view->viewport(), QPoint(5, 55));
    EXPECT_FALSE(view->Selecting());
    ASSERT_EQ(view->SelectionPointCount(), 3);
    EXPECT_EQ(view->SelectionPolygon()[2], QPoint(50, 50));
    TImageProc proc;
    proc.SetAttachedImageView(view.get());
    EXPECT_EQ(proc.CountColors(), 1);
    proc.ToGrayScale();
    const TBitmap& bmp = view->Bitmap();
    const TBGRColor grey = C(27, 27, 27), blue = C(0, 0, 250);
    EXPECT_EQ(iotest::Pixel(bmp, 40, 20), grey); // inside the triangle
    EXPECT_EQ(iotest::Pixel(bmp, 48, 45), grey);
    EXPECT_EQ(iotest::Pixel(bmp, 15, 40), blue); // inside the bounding box, outside the triangle
    EXPECT_EQ(iotest::Pixel(bmp, 55, 20), blue);
    EXPECT_EQ(iotest::Pixel(bmp, 5, 5), blue);
}

TEST(ImageView, SelectionDraggedPastTheEdgeScrolls) {
    auto view = ShownView(100, 100, iotest::Colourful(300, 300));
    view->SetMouseInteract(miSelect);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(view->viewport(), QPoint(130, 50));
    EXPECT_EQ(view->ViewX(), 30);
    EXPECT_TRUE(view->Selecting());
    view->TimerTick();
    EXPECT_EQ(view->ViewX(), 60);
    EXPECT_EQ(view->SelectionRect(), QRect(QPoint(20, 20), QPoint(160, 50)));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(130, 50));
    EXPECT_FALSE(view->Selecting());
    EXPECT_TRUE(view->HasSelection());
}

TEST(ImageView, OutlineMarchesInDashesOfThree) {
    auto view = ShownView(60, 60, iotest::Picture(60, 60, [](int, int) { return C(100, 100, 100); }));
    view->SetDoubleBuffer(true);
    view->SelectRect(10, 10, 40, 30);
    auto top = [&] {
        const QImage shown = view->viewport()->grab().toImage();
        QString line;
        for (int x = 10; x < 22; ++x)
            line += shown.pixel(x, 10) == qRgb(0, 0, 0)         ? QLatin1Char('b')
                    : shown.pixel(x, 10) == qRgb(255, 255, 255) ? QLatin1Char('w')
                                                                : QLatin1Char('?');
        return line;
    };
    EXPECT_EQ(top(), QStringLiteral("bbbwwwbbbwww"));
    view->TimerTick();
    EXPECT_EQ(view->SelectionPhase(), 1);
    EXPECT_EQ(top(), QStringLiteral("bbwwwbbbwwwb"));
    view->SetAnimatedSel(false);
    view->TimerTick();
    EXPECT_EQ(view->SelectionPhase(), 1);
    EXPECT_EQ(Shown(*view, 20, 20), C(100, 100, 100));
    EXPECT_EQ(view->viewport()->cursor().pixmap().cacheKey(), CursorOf(crCross2).pixmap().cacheKey());
}

TEST(ImageView, SelectZoomFillsTheWindowWithTheRectangle) {
    auto view = ShownView(100, 100, iotest::Colourful(400, 400));
    view->SetMouseInteract(miSelectZoom);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(view->viewport(), QPoint(45, 70));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(45, 70));
    EXPECT_EQ(view->Zoom(), 196); // 100 × 100 ÷ 51 rows
    EXPECT_FALSE(view->HasSelection());
    EXPECT_EQ(view->WindowToPicture(QPoint(0, 0)), QPoint(20, 20));
}

// The components work on the view's bitmap, background and resolution, and survive its end.
TEST(ImageView, ComponentsAttachAndOutliveTheView) {
    QTemporaryDir dir;
    const QString wmf = dir.filePath(QStringLiteral("art.wmf"));
    kdstest::WriteFile(wmf, metatest::WmfWriter(0, 0, 41, 21).Rectangle(30, 10, 40, 20).Data());
    auto view = ShownView(100, 100, iotest::Colourful(10, 10));
    view->SetDpi(300, 300);
    view->SetBackground(RGB(0, 0, 255));
    TImageIO io;
    TImageProc proc;
    io.SetAttachedImageView(view.get());
    proc.SetAttachedImageView(view.get());
    EXPECT_EQ(io.Background(), RGB(0, 0, 255));
    io.Params().ResetParams();
    EXPECT_EQ(io.Params().DpiX, 300);
    io.LoadFromFile(wmf);
    EXPECT_EQ(view->Bitmap().Width(), 40);
    EXPECT_EQ(iotest::Pixel(view->Bitmap(), 0, 0), C(0, 0, 255));
    EXPECT_EQ(view->DpiX(), ScreenPixelsPerInch());
    proc.SetBackground(RGB(9, 9, 9));
    EXPECT_EQ(view->Background(), RGB(9, 9, 9));

    view.reset();
    EXPECT_EQ(io.AttachedImageView(), nullptr);
    EXPECT_EQ(proc.AttachedImageView(), nullptr);
    EXPECT_EQ(io.AttachedBitmap(), nullptr);
    EXPECT_EQ(proc.AttachedBitmap(), nullptr);
    proc.ToGrayScale(); // nothing attached: nothing happens
    EXPECT_EQ(proc.CountColors(), 0);
    TBitmap own;
    io.SetAttachedBitmap(&own);
    io.LoadFromFile(wmf);
    EXPECT_EQ(own.Width(), 40);
    proc.SetAttachedBitmap(&own);
    EXPECT_EQ(proc.CountColors(), 2);
}

TEST(ImageView, ComponentsChangeAPictureControlInPlace) {
    auto image = std::make_unique<TImage>();
    QPixmap start(4, 3);
    start.fill(Qt::red);
    image->SetPicture(start);
    TImageProc proc;
    proc.SetAttachedTImage(image.get());
    ASSERT_NE(proc.AttachedBitmap(), nullptr);
    EXPECT_EQ(proc.AttachedBitmap()->Width(), 4);
    EXPECT_EQ(iotest::Pixel(*proc.AttachedBitmap(), 1, 1), C(255, 0, 0));
    proc.ToGrayScale();
    EXPECT_EQ(image->Picture().toImage().pixel(1, 1), qRgb(76, 76, 76));
    // A bitmap set to nothing keeps the control's.
    proc.SetAttachedBitmap(nullptr);
    EXPECT_EQ(proc.AttachedTImage(), image.get());
    image.reset();
    EXPECT_EQ(proc.AttachedTImage(), nullptr);
    EXPECT_EQ(proc.AttachedBitmap(), nullptr);
}

TEST(ImageView, TheEightCursorsAreInTheTable) {
    TImageView view;
    for (int id = crZoomMinus; id <= crCross2; ++id) {
        EXPECT_TRUE(HasCursor(id)) << id;
        EXPECT_FALSE(CursorOf(id).pixmap().isNull()) << id;
        EXPECT_FALSE(ImageViewCursorName(id).isEmpty());
    }
    EXPECT_EQ(ImageViewCursorName(1785), QStringLiteral("CROCE2"));
    EXPECT_FALSE(HasCursor(1777));
}
