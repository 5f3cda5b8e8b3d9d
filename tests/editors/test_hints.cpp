// The hint window: the hint texts, measuring, placing and the shape, the walk that draws the field
// help, the shown balloon, and the cells' hints across a language switch.
#include "tests/editors/CellTestSupport.h"

#include "editors/CamBox_m.h"
#include "editors/CamEdit_m.h"
#include "editors/ColorBox_M.h"
#include "editors/MRHints.h"
#include "editors/MoukikEdit_m.h"
#include "editors/MoukikMemo_m.h"
#include "editors/NumEdit_m.h"
#include "model/Ucommon.h"
#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/Adapter.h"
#include "ui/ULPackDM.h"
#include "ui/panel_m.h"

#include <QHelpEvent>
#include <QStyle>

#include <gtest/gtest.h>

namespace {
const THintOptions Installed{1, 10, 1, 1};
const QRect Screen(0, 0, 1000, 800);

QFontMetrics Metrics() {
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPixelSize(12);
    return QFontMetrics(f);
}
} // namespace

TEST(HintText, HeadHelpAndMarkers) {
    const struct {
        const char* Text;
        const char* Stripped;
        const char* Head;
        const char* Help;
    } cases[] = {
        {"Cell\n\r@S@a\n\rb", "Cell\n\ra\n\rb", "Cell", "a@L@b@E@"},
        {"Cell\n\r", "Cell\n\r", "Cell", ""},
        {"Cell", "Cell", "Cell", ""},
        {"a\r\n\r@S@x", "a\r\n\rx", "a", "x@E@"},
        {"two\n\rlines\n\r@S@", "two\n\rlines\n\r", "two\n\rlines", ""},
        {"Cell@1@x", "Cellx", "Cell", ""},
        {"ab@cd", "ab", "ab", ""},
        {"@S@@1@red@L@@E@", "red", "", "@1@red@L@@E@@E@"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        const QString t = QString::fromUtf8(c.Text);
        EXPECT_EQ(StripHintMarkers(t), QString::fromUtf8(c.Stripped)) << c.Text;
        EXPECT_EQ(HintHeadText(t), QString::fromUtf8(c.Head)) << c.Text;
        EXPECT_EQ(FieldHelpMarkup(t), QString::fromUtf8(c.Help)) << c.Text;
    }
    EXPECT_FALSE(IsNotDigitMarker(QStringLiteral("10")));
    EXPECT_TRUE(IsNotDigitMarker(QStringLiteral("-1")));
    EXPECT_TRUE(IsNotDigitMarker(QString()));
}

TEST(HintGeometry, MeasuredTextPlusFrameShapeShadowAndTail) {
    THintGeometry g = HintGeometry(QSize(100, 13), Installed);
    EXPECT_EQ(g.Bounds, (TRect{0, 0, 124, 40}));
    EXPECT_EQ(g.BodyRect, (TRect{0, 0, 110, 20}));
    EXPECT_EQ(g.TextRect, (TRect{-2, 2, 104, 18}));
    EXPECT_EQ(g.CornerSize, 6);
    EXPECT_EQ(g.TailWidth, 4);
    EXPECT_EQ(g.TailHeight, 10);
    EXPECT_EQ(HintGeometry(QSize(100, 13), THintOptions{}).Bounds, (TRect{0, 0, 108, 18}));

    // The ellipse passes outside every corner of the text.
    const THintOptions ellipse{2, 0, 0, 0};
    g = HintGeometry(QSize(100, 13), ellipse);
    const QRegion shape = BuildHintRegion(g, tpTopLeft, false, ellipse);
    const TRect t = g.TextRect;
    for (QPoint p : {QPoint(t.Left, t.Top), QPoint(t.Right - 1, t.Top), QPoint(t.Left, t.Bottom - 1),
                     QPoint(t.Right - 1, t.Bottom - 1)})
        EXPECT_TRUE(shape.contains(p)) << p.x() << "," << p.y();

    // Markers never count.
    const QFontMetrics fm = Metrics();
    EXPECT_EQ(MeasureHintText(QStringLiteral("abc@1@def"), 1000, fm, 1),
              MeasureHintText(QStringLiteral("abcdef"), 1000, fm, 1));
    EXPECT_EQ(MeasureHintText(QStringLiteral("Cell\n\r"), 1000, fm, 1).height(), fm.height());
}

TEST(HintGeometry, PlacedBesideTheCursorAndInsideTheScreen) {
    const QSize size(124, 40);
    const struct {
        const char* Name;
        QSize Size;
        QPoint Cursor;
        THintOptions Options;
        QPoint At;
        int Tail;
    } cases[] = {
        {"middle: above and right, tail bottom-left", size, QPoint(500, 400), Installed, QPoint(501, 357),
         tpBottomLeft},
        {"bottom-right corner: above and left", size, QPoint(990, 790), Installed, QPoint(863, 747),
         tpBottomRight},
        {"top-left corner: below", size, QPoint(5, 5), Installed, QPoint(6, 25), tpTopLeft},
        {"top-right corner: below and left", size, QPoint(990, 5), Installed, QPoint(863, 25), tpTopRight},
        {"wider than the screen stays at the left edge", QSize(1200, 40), QPoint(500, 400), Installed,
         QPoint(0, 357), tpBottomLeft},
        {"taller than the screen stays at the top", QSize(124, 900), QPoint(500, 400), Installed,
         QPoint(501, 0), tpTopLeft},
        {"plain rectangle: where proposed", size, QPoint(500, 400), THintOptions{}, QPoint(500, 420),
         tpTopLeft},
    };
    for (const auto& c : cases) {
        const THintPlacement p = PlaceHint(c.Size, c.Cursor + QPoint(0, 20), c.Cursor, Screen, c.Options);
        EXPECT_EQ(p.TopLeft, c.At) << c.Name;
        EXPECT_EQ(p.TailPosition, c.Tail) << c.Name;
    }
    // The body moves away from the tail's corner.
    THintGeometry g = HintGeometry(QSize(100, 13), Installed);
    MoveForTail(g, tpTopLeft, Installed);
    EXPECT_EQ(g.BodyRect, (TRect{4, 10, 114, 30}));
    const QRegion r = BuildHintRegion(g, tpTopLeft, false, Installed);
    EXPECT_TRUE(r.contains(QPoint(1, 1))) << "the tail reaches the corner";
    EXPECT_FALSE(r.contains(QPoint(120, 35)));
}

TEST(HintText, HelpWalkColoursAndLines) {
    const QFontMetrics fm = Metrics();
    const QRect r(0, 0, 400, 200);
    THintText t =
        LayoutHintText(QStringLiteral("Cell\n\r@S@first @1@red@2@blue\nsecond@E@ignored"), r, 1, fm);
    EXPECT_EQ(t.Head, QStringLiteral("Cell"));
    EXPECT_EQ(t.HeadRect.left(), 4);
    EXPECT_FALSE(t.HeadRightToLeft);
    ASSERT_TRUE(t.Separator);
    EXPECT_EQ(t.SeparatorLine, QLine(2, fm.height() + 1, 400, fm.height() + 1));
    ASSERT_EQ(t.Runs.size(), 4u);
    EXPECT_EQ(t.Runs[0].Text, QStringLiteral("first "));
    EXPECT_EQ(t.Runs[0].Color, 0x000000u);
    EXPECT_EQ(t.Runs[0].Rect.topLeft(), QPoint(4, fm.height() + 2));
    EXPECT_EQ(t.Runs[1].Color, 0x0000FFu);
    EXPECT_EQ(t.Runs[1].Rect.left(), t.Runs[0].Rect.left() + t.Runs[0].Rect.width());
    EXPECT_EQ(t.Runs[2].Color, 0xFF0000u);
    EXPECT_EQ(t.Runs[2].Rect.top(), t.Runs[0].Rect.top());
    EXPECT_EQ(t.Runs[3].Text, QStringLiteral("second"));
    EXPECT_EQ(t.Runs[3].Rect.topLeft(), QPoint(4, t.Runs[2].Rect.top() + t.Runs[2].Rect.height()));

    // Head right to left over the whole width; no help, no separator.
    t = LayoutHintText(QStringLiteral("Cell\n\r"), r, 0, fm);
    EXPECT_TRUE(t.HeadRightToLeft);
    EXPECT_EQ(t.HeadRect.width(), 400);
    EXPECT_FALSE(t.Separator);
    EXPECT_TRUE(t.Runs.empty());

    const struct {
        const char* Help;
        std::vector<TColor> Colors;
    } cases[] = {
        {"@1@abc", {0x0000FF}},                       // a colour at the start: the text starts there
        {"@2@a@99999999999@b", {0xFF0000, 0xFF0000}}, // a number outside 0..10 keeps the colour
        {"@2@a@-1@b", {0xFF0000, 0xFF0000}},          // not a digit marker: ignored
        {"a@@b", {0, 0}},                             // an empty marker
        {"ab@cd", {0}},                               // unmatched: the rest is not drawn
        {"a\n\nb", {0, 0}},
        {"a\rb\r", {0}},
    };
    for (const auto& c : cases) {
        t = LayoutHintText(QStringLiteral("x\n\r@S@") + QString::fromUtf8(c.Help), r, 1, fm);
        std::vector<TColor> colors;
        for (const auto& run : t.Runs)
            colors.push_back(run.Color);
        EXPECT_EQ(colors, c.Colors) << c.Help;
        for (std::size_t i = 1; i < t.Runs.size(); ++i)
            EXPECT_FALSE(t.Runs[i].Rect.intersects(t.Runs[i - 1].Rect)) << c.Help << " pieces overlap";
        if (!t.Runs.empty()) {
            EXPECT_EQ(t.Runs[0].Rect.left(), 4) << c.Help;
        }
    }
    t = LayoutHintText(QStringLiteral("x\n\r@S@a\n\nb"), r, 1, fm);
    EXPECT_EQ(t.Runs[1].Rect.top(), t.Runs[0].Rect.bottom() + 1 + fm.height())
        << "an empty line takes a line";
    t = LayoutHintText(QStringLiteral("x\n\r@S@a\rb\r"), r, 1, fm);
    EXPECT_EQ(t.Runs[0].Text, QStringLiteral("ab"));

    // Long and broken texts lay out without trouble.
    QString longHelp = QStringLiteral("x\n\r@S@");
    for (int i = 0; i < 1000; ++i)
        longHelp += QStringLiteral("word@%1@ ").arg(i % 12);
    longHelp += QStringLiteral("@");
    t = LayoutHintText(longHelp, r, 0, fm);
    EXPECT_FALSE(t.Runs.empty());
    EXPECT_GT(MeasureHintText(longHelp, 1000, fm, 1).height(), fm.height());
    EXPECT_TRUE(LayoutHintText(QStringLiteral("@@@@@@"), r, 1, fm).Runs.empty());
    EXPECT_TRUE(LayoutHintText(QString(10000, QLatin1Char('@')), r, 0, fm).Runs.empty());
}

namespace {
class HintRow : public QWidget, public MFieldHintRow {
public:
    using QWidget::QWidget;
    int Language = 1;
    QString Help = QStringLiteral("\n\r@S@first line @1@red\nsecond @2@blue");
    int FieldHintLanguage() const override { return Language; }
    void GetFieldHint(QWidget*, QString& Text) override { Text = Help; }
};

struct HintFixture {
    HintFixture() {
        InstallHintWindow(1, 10, 1, 1);
        SetHintDelays(50, 60000);
        window.resize(400, 300);
        row = new HintRow(&window);
        row->setGeometry(0, 0, 400, 100);
        cell = new QWidget(row);
        cell->setGeometry(10, 10, 60, 24);
        cell->setToolTip(QStringLiteral("Needle"));
        plain = new QWidget(&window);
        plain->setGeometry(10, 150, 60, 24);
        plain->setToolTip(QStringLiteral("Plain"));
        window.show();
    }
    ~HintFixture() { ApplicationHintWindow()->ReleaseHint(); }
    MRHintWindow& Hint() { return *ApplicationHintWindow(); }
    // Qt's tool-tip event for a widget, as the mouse resting at its middle gives it.
    bool Rest(QWidget* W) {
        const QPoint local = W->rect().center();
        QHelpEvent e(QEvent::ToolTip, local, W->mapToGlobal(local));
        QApplication::sendEvent(W, &e);
        return Hint().isVisible();
    }
    QWidget window;
    HintRow* row;
    QWidget* cell;
    QWidget* plain;
};

// The longest run of black pixels on one line inside R.
int LongestBlackRun(const QImage& Image, const QRect& R) {
    int best = 0;
    for (int y = R.top(); y <= R.bottom(); ++y) {
        int run = 0;
        for (int x = R.left(); x <= R.right(); ++x) {
            run = PixelAt(Image, x, y) == 0 ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}
} // namespace

TEST(HintWindow, ShowsHeadHelpShadowAndTail) {
    HintFixture f;
    EXPECT_EQ(HintPause(), 50);
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 50);
    ASSERT_TRUE(f.Rest(f.cell));
    MRHintWindow& h = f.Hint();
    EXPECT_EQ(h.Text(), QStringLiteral("Needle") + f.row->Help);
    EXPECT_EQ(h.HintControl(), f.cell);
    EXPECT_EQ(h.TextDirection, 1);
    EXPECT_EQ(h.windowFlags() & Qt::WindowType_Mask, Qt::ToolTip);

    const QImage img = h.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const THintGeometry& g = h.Geometry();
    ASSERT_EQ(img.size(), g.Bounds.ToQRect().size());
    // The body in the hint colour, the checkered shadow beside it, the head in blue.
    const TRect b = g.BodyRect;
    EXPECT_EQ(PixelAt(img, b.Right - 3, b.Bottom - 4), ColorToRGB(clInfoBk));
    const int sx = b.Right + 4, sy = (b.Top + b.Bottom) / 2;
    const TColor s1 = PixelAt(img, sx, sy), s2 = PixelAt(img, sx + 1, sy);
    EXPECT_NE(s1, s2);
    for (TColor c : {s1, s2})
        EXPECT_TRUE(c == 0 || c == ColorToRGB(clBtnFace)) << std::hex << c;
    int blue = 0, red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const TColor c = PixelAt(img, x, y);
            blue += GetBValue(c) > 160 && GetRValue(c) < 96 && GetGValue(c) < 96;
            red += GetRValue(c) > 160 && GetGValue(c) < 96 && GetBValue(c) < 96;
        }
    EXPECT_GT(blue, 5);
    EXPECT_GT(red, 5);
    const QRect text = g.TextRect.ToQRect().adjusted(4, 0, -1, 0);
    EXPECT_GT(LongestBlackRun(img, text), text.width() / 2) << "the separator";

    // A row without help shows the head alone, without separator.
    f.row->Help = QStringLiteral("\n\r");
    f.Hint().ReleaseHint();
    ASSERT_TRUE(f.Rest(f.cell));
    const QImage alone = h.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect text2 = h.Geometry().TextRect.ToQRect().adjusted(4, 0, -1, 0);
    EXPECT_LT(LongestBlackRun(alone, text2), text2.width() / 2);
    EXPECT_EQ(
        h.Geometry().Bounds.ToQRect().height(),
        HintGeometry(MeasureHintText(QStringLiteral("Needle"), 1000, QFontMetrics(h.font()), 1), Installed)
            .Bounds.ToQRect()
            .height());
}

TEST(HintWindow, ListBoxShowHintHidesOnlyRowCellHints) {
    HintFixture f;
    {
        MSwitchGuard off(ListBoxShowHint, false);
        EXPECT_FALSE(f.Rest(f.cell));
        EXPECT_TRUE(f.Rest(f.plain));
        EXPECT_EQ(f.Hint().Text(), QStringLiteral("Plain"));
    }
    EXPECT_TRUE(f.Rest(f.cell));
    // The mouse leaving, a key or a click hides it.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.cell, &leave);
    EXPECT_FALSE(f.Hint().isVisible());
    EXPECT_TRUE(f.Rest(f.cell));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(f.cell, &key);
    EXPECT_FALSE(f.Hint().isVisible());
    // A widget without a hint of its own or above it leaves the event to Qt.
    auto* bare = new QWidget(&f.window);
    QHelpEvent e(QEvent::ToolTip, QPoint(1, 1), bare->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(bare, &e);
    EXPECT_FALSE(f.Hint().isVisible());
}

TEST(HintWindow, TextDirectionFollowsTheRowOrTheLanguage) {
    HintFixture f;
    TDMLanguagePack pack;
    f.row->Language = 0;
    f.Rest(f.cell);
    EXPECT_EQ(f.Hint().TextDirection, 0);
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    f.Rest(f.plain);
    EXPECT_EQ(f.Hint().TextDirection, 1) << "outside a row the language decides, not the last row";
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    f.Hint().ReleaseHint();
    f.Rest(f.plain);
    EXPECT_EQ(f.Hint().TextDirection, 0);
}

namespace {
class CellForm : public MForm {
public:
    explicit CellForm(MLanguagePack& Pack) {
        resize(500, 300);
        new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(LanguageEnglish);
        FinishLoading();
    }
};
} // namespace

TEST(CellLanguage, ASwitchChangesTheCellsHintsAndNothingElse) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    CellForm form(*pack.OLanguagePack);
    auto* panel = new MPanel(&form);
    panel->setGeometry(0, 0, 500, 200);
    auto* number = new MNumEdit(panel);
    auto* carrier = new MMoukikEdit(panel);
    auto* memo = new MMoukikMemo(panel);
    auto* colors = new MColorBox(panel);
    auto* cam = new MCamBox(panel);
    auto* camEdit = new MCamEdit(panel);
    struct Cell {
        QWidget* W;
        std::function<void(const QString&)> SetHint;
        std::function<QString()> Text;
    };
    auto prepare = [](auto* c) {
        c->M_Align().SetEnable(asDisable);
        c->M_Font = false;
        c->SetShowHint(true);
    };
    std::vector<Cell> cells;
    auto add = [&](auto* c, std::function<QString()> text) {
        prepare(c);
        cells.push_back({c, [c](const QString& s) { c->SetHint(s); }, std::move(text)});
    };
    add(number, [number] { return number->text(); });
    add(carrier, [carrier] { return carrier->text(); });
    add(memo, [memo] { return memo->Text(); });
    add(colors, [colors] { return colors->ColorMap().BitText(0, 31); });
    add(cam, [cam] { return cam->Caption(); });
    add(camEdit, [camEdit] { return camEdit->text(); });
    number->setText(QStringLiteral("12"));
    carrier->setText(QStringLiteral("13"));
    memo->SetText(QStringLiteral("24"));
    cam->SetCaption(QStringLiteral("  JA "));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i].W->setGeometry(10 + 60 * int(i), 10, 50, 24);
        cells[i].SetHint(QStringLiteral("english %1").arg(i));
    }
    struct State {
        QRect Geometry;
        QString Text;
        QFont Font;
        Qt::LayoutDirection Direction;
        bool operator==(const State&) const = default;
    };
    std::vector<State> before;
    for (const Cell& c : cells)
        before.push_back({c.W->geometry(), c.Text(), c.W->font(), c.W->layoutDirection()});

    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i].SetHint(QStringLiteral("arabic %1").arg(i));
        EXPECT_EQ(cells[i].W->toolTip(), QStringLiteral("arabic %1").arg(i));
    }
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        SCOPED_TRACE(cells[i].W->metaObject()->className());
        EXPECT_EQ(cells[i].W->toolTip(), QStringLiteral("english %1").arg(i));
        EXPECT_TRUE((State{cells[i].W->geometry(), cells[i].Text(), cells[i].W->font(),
                           cells[i].W->layoutDirection()}) == before[i]);
    }
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    for (std::size_t i = 0; i < cells.size(); ++i)
        EXPECT_EQ(cells[i].W->toolTip(), QStringLiteral("arabic %1").arg(i));
}
