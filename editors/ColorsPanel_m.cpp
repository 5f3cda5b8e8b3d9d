#include "editors/ColorsPanel_m.h"

#include "platform/ColorQt.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {
constexpr int Border = 3;

int RowsOf(int ColumnCount) {
    return ColumnCount > 0 ? PaletteSize / ColumnCount : 0;
}
int ColumnWidthOf(int Width, int ColumnCount) {
    return ColumnCount > 0 ? (Width - 2 * Border) / ColumnCount : 0;
}
} // namespace

std::optional<int> ColorsPanelHit(int X, int Y, int Width, int ColumnCount, int RowHeigt) {
    const int rows = RowsOf(ColumnCount);
    const int cw = ColumnWidthOf(Width, ColumnCount);
    if (rows <= 0 || cw <= 0 || RowHeigt <= 0)
        return std::nullopt;
    if (X <= Border || X > Border + ColumnCount * cw || Y <= Border || Y > Border + rows * RowHeigt)
        return std::nullopt;
    // The outer border line belongs to the last column and the last row.
    const int c = std::min((X - Border) / cw, ColumnCount - 1);
    const int r = std::min((Y - Border) / RowHeigt, rows - 1);
    return r * ColumnCount + c;
}

TColor ColorsPanelSymbolColor(TColor Color) {
    const int sum = GetRValue(Color) + GetGValue(Color) + GetBValue(Color);
    return sum > 500 ? TColor(0x000000) : TColor(0xFFFFFF);
}

MColorsPanel::MColorsPanel(QObject* Owner, QWidget* Parent)
    : MPanel(Owner, Parent), FOwnPalette(std::make_unique<MPalette>()), FPalette(FOwnPalette.get()) {
    resize(83, 167);
}

MColorsPanel::~MColorsPanel() = default;

void MColorsPanel::SetPalette(const MPalette* Value) {
    FPalette = Value ? Value : FOwnPalette.get();
    update();
}

void MColorsPanel::SetColumnCount(int Value) {
    if (Value == FColumnCount)
        return;
    FColumnCount = Value;
    update();
}

void MColorsPanel::SetRowHeigt(int Value) {
    if (Value == FRowHeigt)
        return;
    FRowHeigt = Value;
    update();
}

void MColorsPanel::paintEvent(QPaintEvent* Event) {
    MPanel::paintEvent(Event);
    QPainter p(this);
    // The inner lowered bevel inside the panel's own.
    qDrawShadeRect(&p, rect().adjusted(1, 1, -1, -1), palette(), true, 1);
    const int rows = RowsOf(FColumnCount);
    const int cw = ColumnWidthOf(width(), FColumnCount);
    if (rows <= 0 || cw <= 0)
        return;
    const QFontMetrics fm(font());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < FColumnCount; ++c) {
            const int i = r * FColumnCount + c;
            const TColor colour = FPalette->Color(i);
            // Neighbouring swatches share their border line.
            const QRect cell(Border + c * cw, Border + r * FRowHeigt, cw + 1, FRowHeigt + 1);
            p.setPen(Qt::black);
            p.setBrush(toQColor(colour));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
            const QString sym = FPalette->Symbol(i);
            p.setPen(toQColor(ColorsPanelSymbolColor(colour)));
            const int x = cell.left() + (cw - 2 - fm.horizontalAdvance(sym)) / 2 + 1;
            const int y = cell.top() + (FRowHeigt - 2 - fm.height()) / 2 + 1;
            p.drawText(x, y + fm.ascent(), sym);
        }
}

void MColorsPanel::PressAt(int X, int Y, Qt::MouseButton Button) {
    const auto i = ColorsPanelHit(X, Y, width(), FColumnCount, FRowHeigt);
    if (!i)
        return;
    const TColor colour = FPalette->Color(*i);
    if (Button == Qt::LeftButton && OnLeftColorChange)
        OnLeftColorChange(colour);
    else if (Button == Qt::RightButton && OnRightColorChange)
        OnRightColorChange(colour);
}

void MColorsPanel::mousePressEvent(QMouseEvent* Event) {
    const QPoint pos = Event->position().toPoint();
    PressAt(pos.x(), pos.y(), Event->button());
    MPanel::mousePressEvent(Event);
}
