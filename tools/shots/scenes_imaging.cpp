// Scenes of the image library: the image view and metafile drawings read through the picture reader.

#include "tools/shots/Shots.h"

#include "imaging/ImageIO.h"
#include "imaging/ImageView.h"
#include "tests/imaging/MetaWriter.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

namespace {

// A colour pattern of the kind the station knits: diamonds on stripes, 200 x 120 pixels.
TBitmap PatternPicture() {
    TBitmap bmp(200, 120, pf24bit);
    for (int y = 0; y < bmp.Height(); ++y) {
        auto* row = reinterpret_cast<TBGRColor*>(bmp.ScanLine(y));
        for (int x = 0; x < bmp.Width(); ++x) {
            const int dx = std::abs(x % 20 - 10), dy = std::abs(y % 20 - 10);
            if (dx + dy < 6)
                row[x] = TBGRColor{40, 40, 200};
            else if (dx + dy == 7)
                row[x] = TBGRColor{255, 255, 255};
            else if ((y / 10) % 2)
                row[x] = TBGRColor{120, 90, 20};
            else
                row[x] = TBGRColor{60, 160, 230};
        }
    }
    return bmp;
}

// Loads a picture file into the view through the picture reader attached to it.
void LoadInto(TImageView& view, const QString& file) {
    TImageIO io;
    io.SetAttachedImageView(&view);
    io.LoadFromFile(file);
}

void WriteFile(const QString& name, const QByteArray& data) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        throw std::runtime_error("cannot write " + name.toStdString());
}

constexpr std::uint32_t Red = 0x2020D0, Green = 0x30A030, Navy = 0x803010, Gold = 0x20B0E0, Ink = 0x202020;

// The same clip art in both formats: a ball of yarn, two needles, a heart, a hatched swatch, a
// stretched 4 x 4 bitmap and a word in the scene's language.
QByteArray ClipArtWmf(bool arabic) {
    std::vector<std::uint32_t> checker;
    for (int i = 0; i < 16; ++i)
        checker.push_back(((i / 4 + i % 4) % 2) ? Gold : Navy);
    return metatest::WmfWriter(0, 0, 240, 160)
        .CreatePen(0, 2, Ink)
        .Select(0)
        .CreateBrush(0, Red)
        .Select(1)
        .Ellipse(20, 40, 100, 120)
        .Arc(30, 50, 90, 110, 90, 80, 30, 60)
        .Arc(40, 45, 120, 115, 60, 45, 60, 115)
        .CreatePen(0, 5, Navy)
        .Select(2)
        .MoveTo(70, 20)
        .LineTo(130, 140)
        .MoveTo(130, 20)
        .LineTo(70, 140)
        .Select(0)
        .CreateBrush(0, Green)
        .Select(3)
        .Polygon({{160, 40}, {175, 25}, {190, 40}, {205, 25}, {220, 40}, {190, 75}})
        .CreateBrush(2, Navy, 5)
        .Select(4)
        .Rectangle(150, 90, 225, 145)
        .DibStretchBlt(20, 125, 40, 28, 0, 0, 4, 4, metatest::Dib24(4, 4, checker))
        .CreateFont(-22, arabic ? 178 : 0)
        .Select(5)
        .SetBkMode(1)
        .SetTextColor(Ink)
        .TextOut(160, 0, arabic ? QByteArray("\xCE\xED\xD8") : QByteArray("Yarn"))
        .Data();
}

QByteArray ClipArtEmf(bool arabic) {
    std::vector<std::uint32_t> checker;
    for (int i = 0; i < 16; ++i)
        checker.push_back(((i / 4 + i % 4) % 2) ? Gold : Navy);
    return metatest::EmfWriter(240, 160)
        .CreatePen(1, 0, 2, Ink)
        .Select(1)
        .CreateBrush(2, 0, Red)
        .Select(2)
        .Ellipse(20, 40, 100, 120)
        .Arc(30, 50, 90, 110, 90, 80, 30, 60)
        .Arc(40, 45, 120, 115, 60, 45, 60, 115)
        .CreatePen(3, 0, 5, Navy)
        .Select(3)
        .MoveTo(70, 20)
        .LineTo(130, 140)
        .MoveTo(130, 20)
        .LineTo(70, 140)
        .Select(1)
        .CreateBrush(4, 0, Green)
        .Select(4)
        .Polygon16({{160, 40}, {175, 25}, {190, 40}, {205, 25}, {220, 40}, {190, 75}})
        .CreateBrush(5, 2, Navy, 5)
        .Select(5)
        .Rectangle(150, 90, 225, 145)
        .StretchDIBits(20, 125, 40, 28, metatest::Dib24(4, 4, checker))
        .CreateFont(6, -22)
        .Select(6)
        .SetBkMode(1)
        .SetTextColor(Ink)
        .TextOutW(160, 0, arabic ? QStringLiteral("خيط") : QStringLiteral("Yarn"))
        .Data();
}

} // namespace

KDS_SHOT_SCENE("view",
               "The image view at zoom 400, scrolled, with a rectangle selection (FILE: that picture)") {
    auto view = std::make_unique<TImageView>();
    view->SetScrollBars(ssBoth);
    view->SetAnimatedSel(false);
    if (ctx.File.isEmpty()) {
        const TBitmap picture = PatternPicture();
        view->Assign(&picture);
    } else {
        LoadInto(*view, ctx.File);
    }
    ctx.Size = QSize(420, 300);
    const bool own = ctx.File.isEmpty();
    ctx.AfterShow = [own](QWidget* w) {
        auto* v = static_cast<TImageView*>(w);
        if (own) {
            v->SetZoom(400);
            v->SetViewXY(160, 120);
            v->SelectRect(60, 50, 300, 190);
            v->SetSelectionPhase(2);
        } else {
            v->SetAutoFit(true);
        }
    };
    return view;
}

KDS_SHOT_SCENE("view-small",
               "The image view with a 50 x 50 picture centred over its background, a polygon selection") {
    auto view = std::make_unique<TImageView>();
    view->SetCenter(true);
    view->SetAnimatedSel(false);
    TBitmap picture(50, 50, pf24bit);
    const TBitmap pattern = PatternPicture();
    for (int y = 0; y < 50; ++y)
        std::memcpy(picture.ScanLine(y), pattern.ScanLine(y + 10), 50 * 3);
    view->Assign(&picture);
    ctx.Size = QSize(200, 200);
    ctx.AfterShow = [](QWidget* w) {
        auto* v = static_cast<TImageView*>(w);
        const QPoint o = v->Offset();
        for (const QPoint p : {QPoint(5, 4), QPoint(45, 12), QPoint(38, 46), QPoint(8, 30)})
            v->AddSelPoint(o.x() + p.x(), o.y() + p.y());
        v->SetSelectionPhase(0);
    };
    return view;
}

KDS_SHOT_SCENE("metafile", "A WMF and an EMF clip art read through the picture reader into two image views") {
    auto panel = std::make_unique<QWidget>();
    auto* row = new QHBoxLayout(panel.get());
    const bool arabic = ctx.Language == 0;
    const struct {
        const char* name;
        QByteArray data;
    } files[] = {{"clipart.wmf", ClipArtWmf(arabic)}, {"clipart.emf", ClipArtEmf(arabic)}};
    for (const auto& f : files) {
        auto* column = new QVBoxLayout;
        auto* caption = new QLabel(QString::fromLatin1(f.name), panel.get());
        caption->setAlignment(Qt::AlignCenter);
        auto* view = new TImageView(panel.get());
        view->setFixedSize(250, 170);
        view->SetCenter(true);
        const QString file = ctx.TempFolder + QLatin1Char('/') + QString::fromLatin1(f.name);
        WriteFile(file, f.data);
        LoadInto(*view, file);
        column->addWidget(caption);
        column->addWidget(view);
        row->addLayout(column);
    }
    ctx.Size = QSize(540, 220);
    return panel;
}
