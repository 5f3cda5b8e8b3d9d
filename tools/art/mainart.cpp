// mainart: draws the main window's pictures and writes them as BMP files under a resources folder:
// the intro and about pictures (Bitmaps/), the glyphs of the brush, pen and width menus and the
// glyphs of the drawing toolbars' buttons (Bitmaps/Toolbars/). Run by the main_art target, which
// writes into the source tree; the files it makes are committed.
//
//     mainart RESOURCES-FOLDER

#include "tools/art/ArtSupport.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace {

const QColor Fuchsia(255, 0, 255);
const QColor Ink(0, 0, 0), Navy(0, 0, 128), Red(192, 0, 0), Green(0, 128, 0), Grey(128, 128, 128);
const QColor White(255, 255, 255), Teal(0, 128, 128), Yellow(255, 224, 0);

// A 16 x 16 button glyph on fuchsia, which its bottom-left pixel makes transparent.
QImage ButtonGlyph(const std::function<void(QPainter&)>& Draw) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Fuchsia);
    {
        QPainter p(&img);
        p.setPen(Ink);
        Draw(p);
    }
    img.setPixel(0, 15, Fuchsia.rgb());
    return img;
}

void Polygon(QPainter& P, std::initializer_list<QPoint> Points, const QColor& Fill) {
    const QPolygon poly(Points);
    P.setBrush(Fill);
    P.drawPolygon(poly);
    P.setBrush(Qt::NoBrush);
}

void Arc(QPainter& P, int Span, const QColor& Colour) {
    P.setPen(QPen(Colour, 2));
    P.drawArc(3, 3, 10, 10, 90 * 16, -Span * 16);
    // The arrow head where the turn ends.
    const double a = (90.0 - Span) * 3.14159265358979 / 180.0;
    const QPointF end(8 + 5 * std::cos(a), 8 - 5 * std::sin(a));
    P.setPen(Colour);
    P.setBrush(Colour);
    P.drawEllipse(end, 1.5, 1.5);
    P.setBrush(Qt::NoBrush);
}

void Grid(QPainter& P, const QColor& Colour) {
    P.setPen(Colour);
    for (int i = 1; i <= 14; i += 4) {
        P.drawLine(i, 1, i, 13);
        P.drawLine(1, i, 13, i);
    }
}

using Drawing = std::pair<const char*, std::function<void(QPainter&)>>;

// The buttons of the Drawing, Tools and View toolbars and the two colour pictures.
std::vector<Drawing> ButtonDrawings() {
    return {
        {"T_Select.bmp",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 1, Qt::DashLine));
             p.drawRect(2, 2, 11, 10);
         }},
        {"T_Drop.bmp",
         [](QPainter& p) {
             p.setPen(QPen(Navy, 2));
             p.drawLine(2, 13, 9, 6);
             p.fillRect(9, 2, 5, 5, Grey);
         }},
        {"T_Pen.bmp",
         [](QPainter& p) {
             QPainterPath path(QPointF(2, 12));
             path.cubicTo(6, 0, 9, 15, 14, 3);
             p.setPen(QPen(Navy, 1.5));
             p.drawPath(path);
         }},
        {"T_Line.bmp", [](QPainter& p) { p.drawLine(2, 13, 13, 2); }},
        {"T_Rect.bmp", [](QPainter& p) { p.drawRect(2, 3, 11, 9); }},
        {"T_FillRect.bmp",
         [](QPainter& p) {
             p.setBrush(Green);
             p.drawRect(2, 3, 11, 9);
         }},
        {"T_Diamond.bmp",
         [](QPainter& p) {
             Polygon(p, {{8, 1}, {14, 7}, {8, 13}, {2, 7}}, Qt::transparent);
         }},
        {"T_FillDiamond.bmp",
         [](QPainter& p) {
             Polygon(p, {{8, 1}, {14, 7}, {8, 13}, {2, 7}}, Green);
         }},
        {"T_Ellipse.bmp", [](QPainter& p) { p.drawEllipse(1, 3, 13, 9); }},
        {"T_FillEllipse.bmp",
         [](QPainter& p) {
             p.setBrush(Green);
             p.drawEllipse(1, 3, 13, 9);
         }},
        {"T_RoundRect.bmp", [](QPainter& p) { p.drawRoundedRect(2, 3, 11, 9, 3, 3); }},
        {"T_FillRoundRect.bmp",
         [](QPainter& p) {
             p.setBrush(Green);
             p.drawRoundedRect(2, 3, 11, 9, 3, 3);
         }},
        {"T_Fill.bmp",
         [](QPainter& p) {
             Polygon(p, {{2, 7}, {7, 2}, {12, 7}, {7, 12}}, Grey);
             p.fillRect(12, 8, 2, 6, Navy);
         }},
        {"T_FillPattern.bmp",
         [](QPainter& p) {
             p.drawRect(1, 1, 13, 12);
             for (int y = 3; y < 13; y += 3)
                 for (int x = 3; x < 14; x += 3)
                     p.fillRect(x, y, 2, 2, Teal);
         }},
        {"T_EraserClr.bmp",
         [](QPainter& p) {
             p.setBrush(QColor(255, 170, 170));
             p.drawRect(3, 5, 10, 6);
             p.fillRect(4, 6, 3, 5, Red);
         }},
        {"T_Eraser.bmp",
         [](QPainter& p) {
             p.setBrush(White);
             p.drawRect(3, 5, 10, 6);
             p.fillRect(4, 6, 3, 5, Grey);
         }},
        {"T_Text.bmp",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 2));
             p.drawLine(3, 13, 8, 2);
             p.drawLine(8, 2, 13, 13);
             p.drawLine(5, 9, 11, 9);
         }},
        {"T_Magnify.bmp",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 2));
             p.drawEllipse(2, 2, 8, 8);
             p.drawLine(10, 10, 14, 14);
         }},
        {"T_Undo.bmp",
         [](QPainter& p) {
             p.setPen(QPen(Navy, 2));
             p.drawArc(3, 4, 10, 9, 90 * 16, -220 * 16);
             Polygon(p, {{2, 3}, {7, 1}, {7, 6}}, Navy);
         }},
        {"T_EraseColor.bmp",
         [](QPainter& p) {
             p.fillRect(3, 3, 10, 10, Red);
             p.setPen(QPen(White, 2));
             p.drawLine(4, 12, 12, 4);
         }},
        {"T_EraseRect.bmp",
         [](QPainter& p) {
             p.setPen(QPen(Ink, 1, Qt::DashLine));
             p.drawRect(2, 2, 11, 11);
             p.setPen(QPen(Red, 2));
             p.drawLine(5, 5, 10, 10);
             p.drawLine(10, 5, 5, 10);
         }},
        {"T_Cut.bmp",
         [](QPainter& p) {
             p.drawEllipse(2, 10, 4, 4);
             p.drawEllipse(9, 10, 4, 4);
             p.drawLine(5, 10, 11, 1);
             p.drawLine(10, 10, 4, 1);
         }},
        {"T_Copy.bmp",
         [](QPainter& p) {
             p.setBrush(White);
             p.drawRect(1, 1, 8, 9);
             p.drawRect(6, 5, 8, 9);
         }},
        {"T_Paste.bmp",
         [](QPainter& p) {
             p.setBrush(QColor(170, 120, 50));
             p.drawRect(2, 2, 9, 12);
             p.setBrush(White);
             p.drawRect(6, 6, 8, 8);
         }},
        {"T_PasteMulti.bmp",
         [](QPainter& p) {
             p.setBrush(QColor(170, 120, 50));
             p.drawRect(1, 1, 8, 10);
             p.setBrush(White);
             p.drawRect(4, 4, 7, 7);
             p.drawRect(8, 8, 6, 6);
         }},
        {"T_FlipH.bmp",
         [](QPainter& p) {
             Polygon(p, {{1, 8}, {6, 3}, {6, 13}}, Navy);
             Polygon(p, {{14, 8}, {9, 3}, {9, 13}}, White);
         }},
        {"T_FlipV.bmp",
         [](QPainter& p) {
             Polygon(p, {{8, 1}, {3, 6}, {13, 6}}, Navy);
             Polygon(p, {{8, 14}, {3, 9}, {13, 9}}, White);
         }},
        {"T_Rot90.bmp", [](QPainter& p) { Arc(p, 90, Green); }},
        {"T_Rot180.bmp", [](QPainter& p) { Arc(p, 180, Green); }},
        {"T_Rot270.bmp", [](QPainter& p) { Arc(p, 270, Green); }},
        {"T_RotFree.bmp",
         [](QPainter& p) {
             Arc(p, 320, Teal);
             p.fillRect(7, 7, 2, 2, Red);
         }},
        {"T_Resize.bmp",
         [](QPainter& p) {
             p.drawRect(1, 6, 7, 7);
             p.setPen(Navy);
             p.drawLine(6, 9, 13, 2);
             p.drawLine(9, 2, 13, 2);
             p.drawLine(13, 2, 13, 6);
         }},
        {"T_Grid.bmp", [](QPainter& p) { Grid(p, Ink); }},
        {"T_GridColor.bmp",
         [](QPainter& p) {
             p.fillRect(1, 1, 13, 13, Yellow);
             Grid(p, Red);
         }},
        {"T_Home.bmp",
         [](QPainter& p) {
             Polygon(p, {{8, 1}, {15, 8}, {1, 8}}, QColor(200, 80, 40));
             p.setBrush(White);
             p.drawRect(3, 8, 10, 6);
             p.fillRect(7, 10, 2, 4, Navy);
         }},
        {"T_ForeBack.bmp",
         [](QPainter& p) {
             p.setPen(Navy);
             p.drawArc(3, 3, 10, 10, 0, 90 * 16);
             Polygon(p, {{1, 7}, {5, 7}, {3, 10}}, Navy);
             Polygon(p, {{8, 1}, {8, 5}, {11, 3}}, Navy);
         }},
        {"T_BackToFore.bmp",
         [](QPainter& p) {
             p.setPen(QPen(Navy, 2));
             p.drawLine(13, 13, 5, 5);
             Polygon(p, {{2, 2}, {9, 3}, {3, 9}}, Navy);
         }},
    };
}

// A menu glyph, as large as a menu's icon: a white field framed in grey with a sample of the style.
QImage MenuGlyph(const std::function<void(QPainter&, QRect)>& Draw) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(White);
    QPainter p(&img);
    const QRect r(1, 1, 14, 14);
    Draw(p, r);
    p.setPen(Grey);
    p.setBrush(Qt::NoBrush);
    p.drawRect(img.rect().adjusted(0, 0, -1, -1));
    return img;
}

std::vector<std::pair<const char*, QImage>> MenuGlyphs() {
    std::vector<std::pair<const char*, QImage>> out;
    const std::pair<const char*, Qt::BrushStyle> brushes[] = {
        {"B_bsSolid.bmp", Qt::SolidPattern},     {"B_bsDiagCross.bmp", Qt::DiagCrossPattern},
        {"B_bsCross.bmp", Qt::CrossPattern},     {"B_bsFDiagonal.bmp", Qt::FDiagPattern},
        {"B_bsBDiagonal.bmp", Qt::BDiagPattern}, {"B_bsHorizontal.bmp", Qt::HorPattern},
        {"B_bsVertical.bmp", Qt::VerPattern},
    };
    for (const auto& [name, style] : brushes)
        out.emplace_back(name,
                         MenuGlyph([style](QPainter& p, QRect r) { p.fillRect(r, QBrush(Ink, style)); }));
    const std::pair<const char*, Qt::PenStyle> pens[] = {
        {"B_psSolid.bmp", Qt::SolidLine}, {"B_psDash.bmp", Qt::DashLine}, {"B_psDot.bmp", Qt::DotLine}};
    for (const auto& [name, style] : pens)
        out.emplace_back(name, MenuGlyph([style](QPainter& p, QRect r) {
                             p.setPen(QPen(Ink, 1, style));
                             p.drawLine(r.left() + 1, r.center().y(), r.right() - 1, r.center().y());
                         }));
    static const char* const widths[] = {"B_width1.bmp", "B_width2.bmp", "B_width3.bmp", "B_width4.bmp",
                                         "B_width5.bmp"};
    for (int w = 1; w <= 5; ++w)
        out.emplace_back(widths[w - 1], MenuGlyph([w](QPainter& p, QRect r) {
                             p.fillRect(r.left() + 2, r.center().y() - (w - 1) / 2, r.width() - 4, w, Ink);
                         }));
    return out;
}

// Rows of knitted stitches: V shapes in two yarn colours, a motif of diamonds worked in.
void Stitches(QPainter& P, QRect Area, int Size, const QColor& Yarn, const QColor& Motif) {
    P.save();
    P.setClipRect(Area);
    P.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; Area.top() + row * Size < Area.bottom() + Size; ++row)
        for (int col = 0; Area.left() + col * Size < Area.right() + Size; ++col) {
            const int cx = col % 12 - 6, cy = row % 12 - 6;
            const bool motif = std::abs(cx) + std::abs(cy) == 4 || (cx == 0 && cy == 0);
            const QColor c = motif ? Motif : Yarn;
            const double x = Area.left() + col * Size, y = Area.top() + row * Size;
            P.setPen(QPen(c.darker(140), 1));
            P.setBrush(c);
            QPainterPath left, right;
            left.moveTo(x + Size * 0.5, y + Size * 1.1);
            left.cubicTo(x, y + Size * 0.6, x, y, x + Size * 0.15, y - Size * 0.1);
            left.lineTo(x + Size * 0.5, y + Size * 0.55);
            left.closeSubpath();
            right.moveTo(x + Size * 0.5, y + Size * 1.1);
            right.cubicTo(x + Size, y + Size * 0.6, x + Size, y, x + Size * 0.85, y - Size * 0.1);
            right.lineTo(x + Size * 0.5, y + Size * 0.55);
            right.closeSubpath();
            P.drawPath(left);
            P.drawPath(right);
        }
    P.restore();
}

void Title(QPainter& P, QRect Area, int PixelSize, const QString& Text, const QColor& Colour, bool Bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(PixelSize);
    f.setBold(Bold);
    P.setFont(f);
    P.setPen(QColor(0, 0, 0, 90));
    P.drawText(Area.translated(2, 2), Qt::AlignCenter, Text);
    P.setPen(Colour);
    P.drawText(Area, Qt::AlignCenter, Text);
}

QImage Intro() {
    QImage img(500, 250, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 250);
    g.setColorAt(0, QColor(24, 46, 96));
    g.setColorAt(1, QColor(10, 20, 44));
    p.fillRect(img.rect(), g);
    Stitches(p, QRect(0, 0, 500, 70), 14, QColor(176, 34, 52), QColor(236, 200, 80));
    Stitches(p, QRect(0, 196, 500, 54), 14, QColor(176, 34, 52), QColor(236, 200, 80));
    p.fillRect(0, 70, 500, 3, QColor(236, 200, 80));
    p.fillRect(0, 193, 500, 3, QColor(236, 200, 80));
    Title(p, QRect(0, 80, 500, 70), 54, QStringLiteral("JXW777"), White, true);
    Title(p, QRect(0, 148, 500, 36), 18, QStringLiteral("Knitting design station"), QColor(210, 220, 240),
          false);
    return img;
}

QImage About() {
    QImage img(392, 228, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 392, 228);
    g.setColorAt(0, QColor(236, 240, 248));
    g.setColorAt(1, QColor(196, 208, 228));
    p.fillRect(img.rect(), g);
    Stitches(p, QRect(0, 0, 392, 44), 11, QColor(40, 70, 140), QColor(176, 34, 52));
    p.fillRect(0, 44, 392, 2, QColor(176, 34, 52));
    Title(p, QRect(0, 52, 392, 44), 34, QStringLiteral("JXW777"), QColor(24, 46, 96), true);
    return img;
}

} // namespace

int main(int argc, char** argv) {
    return RunArt(argc, argv, "mainart", QStringLiteral("Bitmaps/Toolbars"), [](const QDir& Root) {
        const QDir bitmaps(Root.filePath(QStringLiteral("Bitmaps")));
        const QDir toolbars(bitmaps.filePath(QStringLiteral("Toolbars")));
        SaveArt(Intro(), bitmaps.filePath(QStringLiteral("Intro.bmp")));
        SaveArt(About(), bitmaps.filePath(QStringLiteral("About.bmp")));
        for (const auto& [name, draw] : ButtonDrawings())
            SaveArt(ButtonGlyph(draw), toolbars.filePath(QString::fromLatin1(name)));
        for (const auto& [name, image] : MenuGlyphs())
            SaveArt(image, toolbars.filePath(QString::fromLatin1(name)));
    });
}
