// zart: draws the knitting-scheme window's pictures and writes them as BMP files under a resources
// folder's Bitmaps/: the backgrounds of a Z row's common part (Z_L_256.bmp, 60 x 214) and
// machine-wide part (Z_R_256.bmp, 126 x 214), the row direction arrows on white (ZRarrow2.bmp,
// ZLarrow2.bmp, 52 x 20; the row shows white as transparent) and the list's background
// (Z_Client_Bkg.bmp). Run by the z_art target, which writes into the source tree; the files it makes
// are committed.
//
//     zart RESOURCES-FOLDER

#include "tools/art/ArtSupport.h"

#include <QLinearGradient>

namespace {

const QColor Face(212, 208, 200), Light(255, 255, 255), Shadow(128, 128, 128), Dark(64, 64, 64);
const QColor Band(232, 228, 216), Ink(0, 0, 0), Arrow(0, 0, 128);

// A sunken groove around R: the frame the cells of a group sit in.
void Groove(QPainter& P, QRect R) {
    P.setPen(Shadow);
    P.drawLine(R.topLeft(), R.topRight());
    P.drawLine(R.topLeft(), R.bottomLeft());
    P.setPen(Light);
    P.drawLine(R.bottomLeft(), R.bottomRight());
    P.drawLine(R.topRight(), R.bottomRight());
}

// A raised plate of W x H with a soft vertical shading.
QImage Plate(int W, int H) {
    QImage img(W, H, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, H);
    g.setColorAt(0, Band);
    g.setColorAt(0.5, Face);
    g.setColorAt(1, Band);
    p.fillRect(img.rect(), g);
    p.setPen(Light);
    p.drawLine(0, 0, W - 1, 0);
    p.drawLine(0, 0, 0, H - 1);
    p.setPen(Dark);
    p.drawLine(0, H - 1, W - 1, H - 1);
    p.drawLine(W - 1, 0, W - 1, H - 1);
    return img;
}

// The common part: the rear bed's groups above, the front bed's below, the row number between.
QImage LeftPart() {
    QImage img = Plate(60, 214);
    QPainter p(&img);
    Groove(p, QRect(2, 2, 55, 30));   // blowers and the carrier label
    Groove(p, QRect(2, 35, 55, 44));  // rear colours
    Groove(p, QRect(2, 80, 55, 19));  // upper stitch length
    Groove(p, QRect(1, 100, 57, 46)); // number and arrow
    Groove(p, QRect(2, 146, 55, 19)); // lower stitch length
    Groove(p, QRect(2, 167, 55, 44)); // front colours
    return img;
}

// The machine-wide part: take-down, racking, speed and pulse, dynamic stitch length.
QImage RightPart() {
    QImage img = Plate(126, 214);
    QPainter p(&img);
    Groove(p, QRect(1, 1, 122, 37));
    Groove(p, QRect(1, 47, 122, 40));
    Groove(p, QRect(1, 93, 122, 58));
    Groove(p, QRect(1, 156, 122, 55));
    return img;
}

// A direction arrow on white pointing right, or mirrored to the left.
QImage DirectionArrow(bool Right) {
    QImage img(52, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Ink);
        p.setBrush(Arrow);
        const QPolygon shape({QPoint(2, 7), QPoint(34, 7), QPoint(34, 2), QPoint(49, 10), QPoint(34, 17),
                              QPoint(34, 13), QPoint(2, 13)});
        p.drawPolygon(shape);
    }
    return Right ? img : img.mirrored(true, false);
}

// The list's background: a quiet diagonal weave.
QImage ClientBackground() {
    QImage img(870, 460, QImage::Format_RGB32);
    img.fill(QColor(192, 192, 192));
    QPainter p(&img);
    p.setPen(QColor(176, 176, 176));
    for (int d = -img.height(); d < img.width(); d += 8)
        p.drawLine(d, 0, d + img.height(), img.height());
    return img;
}

} // namespace

int main(int argc, char** argv) {
    return RunArt(argc, argv, "zart", QStringLiteral("Bitmaps"), [](const QDir& Root) {
        const QDir bitmaps(Root.filePath(QStringLiteral("Bitmaps")));
        SaveArt(LeftPart(), bitmaps.filePath(QStringLiteral("Z_L_256.bmp")));
        SaveArt(RightPart(), bitmaps.filePath(QStringLiteral("Z_R_256.bmp")));
        SaveArt(DirectionArrow(true), bitmaps.filePath(QStringLiteral("ZRarrow2.bmp")));
        SaveArt(DirectionArrow(false), bitmaps.filePath(QStringLiteral("ZLarrow2.bmp")));
        SaveArt(ClientBackground(), bitmaps.filePath(QStringLiteral("Z_Client_Bkg.bmp")));
    });
}
