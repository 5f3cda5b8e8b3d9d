#include "editors/PopPalette_m.h"

#include "editors/ColorBox_M.h"
#include "platform/SysColors.h"
#include "ui/GfxUtils.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

// ---- MPopupWindow

MPopupWindow::MPopupWindow(QWidget* Owner) : QWidget(Owner, Qt::Popup | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setLayoutDirection(Qt::LeftToRight);
    resize(100, 100);
}

void MPopupWindow::CloseUp(bool) {}

void MPopupWindow::HidePopup() {
    FShown = false;
    hide();
}

void MPopupWindow::ShowAt(const QPoint& ScreenPoint) {
    move(ScreenPoint);
    FShown = true;
    show();
}

void MPopupWindow::ShowFor(const QWidget* Control) {
    QPoint at;
    if (Control) {
        const QRect global(Control->mapToGlobal(QPoint(0, 0)), Control->size());
        const QScreen* screen = Control->screen();
        at = PopupPosition(global, size(), screen ? screen->geometry() : global);
    }
    ShowAt(at);
}

void MPopupWindow::mousePressEvent(QMouseEvent* Event) {
    if (!rect().contains(Event->position().toPoint())) {
        // The click that closes the popup reaches no control when it falls on the popup's own
        // control: it only closes the popup there.
        const QWidget* source = FSource.data();
        const bool onSource = source && QRect(source->mapToGlobal(QPoint(0, 0)), source->size())
                                            .contains(Event->globalPosition().toPoint());
        setAttribute(Qt::WA_NoMouseReplay, onSource);
    }
    QWidget::mousePressEvent(Event);
}

void MPopupWindow::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton)
        CloseUp(rect().contains(Event->position().toPoint()));
    QWidget::mouseReleaseEvent(Event);
}

void MPopupWindow::keyPressEvent(QKeyEvent* Event) {
    const QPointer<QWidget> source = FSource;
    HidePopup();
    Event->accept();
    if (Event->key() != Qt::Key_Escape && source) {
        QKeyEvent copy(Event->type(), Event->key(), Event->modifiers(), Event->nativeScanCode(),
                       Event->nativeVirtualKey(), Event->nativeModifiers(), Event->text(),
                       Event->isAutoRepeat(), ushort(Event->count()));
        const QPointer<MPopupWindow> self = this;
        FForwarding = true;
        QCoreApplication::sendEvent(source, &copy);
        if (self)
            FForwarding = false;
    }
}

void MPopupWindow::hideEvent(QHideEvent* Event) {
    FShown = false;
    QWidget::hideEvent(Event);
}

QPoint PopupPosition(const QRect& Control, QSize Size, const QRect& Screen) {
    int x = Control.left();
    int y = Control.top() + Control.height();
    const int screenRight = Screen.left() + Screen.width();
    const int screenBottom = Screen.top() + Screen.height();
    if (x + Size.width() > screenRight)
        x = std::max(Screen.left(), screenRight - Size.width());
    if (y + Size.height() > screenBottom)
        y = std::max(Screen.top(), y - Size.height() - Control.height());
    return QPoint(x, y);
}

// ---- MPopupPalette

TPaletteLayout PaletteLayout(int NumOfColor, int NumColumns, int LeftMargin, int TopMargin, int Space,
                             int BtnWidth, int BtnHeight) {
    TPaletteLayout l;
    const int columns = std::max(NumColumns, 0);
    const bool drawable = NumColumns >= 1 && BtnWidth >= 1 && BtnHeight >= 1;
    l.Count = drawable ? std::clamp(NumOfColor, 0, PaletteSize) : 0;
    l.Rows = drawable ? (l.Count + columns - 1) / columns : 0;
    const int stepX = BtnWidth + Space, stepY = BtnHeight + Space;
    l.Size = QSize(std::max(0, stepX * columns + 2 * LeftMargin),
                   std::max(0, 2 * l.Rows * stepY + 4 * TopMargin + 3));
    l.Bevel = QRect(1, l.Rows * stepY + 2 * TopMargin, std::max(0, l.Size.width() - 2), 3);
    for (int i = 0; i < l.Count; ++i) {
        const int c = i % columns, r = i / columns;
        const int left = stepX * c + LeftMargin;
        l.Upper[std::size_t(i)] = QRect(left, stepY * r + TopMargin, BtnWidth, BtnHeight);
        l.Lower[std::size_t(i)] = QRect(left, 3 * TopMargin + stepY * (l.Rows + r) + 3, BtnWidth, BtnHeight);
    }
    return l;
}

namespace {
const MPalette& DefaultPalette() {
    static const MPalette palette;
    return palette;
}
} // namespace

MPopupPalette::MPopupPalette(QWidget* Owner) : MPopupWindow(Owner) {
    QFont f = font();
    f.setPixelSize(9);
    for (int i = 0; i < 64; ++i) {
        auto* b = new MColorBtn(this);
        b->SetFont(f);
        b->SetClearWhenSelected(true);
        b->OnSelected = [this](QObject* Sender) { SwatchSelected(static_cast<MColorBtn*>(Sender)); };
        FSwatches[std::size_t(i)] = b;
    }
    Layout();
    Recolor();
    ShowSet();
}

void MPopupPalette::SetPalette(const MPalette* Value) {
    FPalette = Value;
    Recolor();
}

void MPopupPalette::SetColorMap(const MbitsMap& Value) {
    FColorMap.Assign(Value);
    ShowSet();
}

#define KDS_PALETTE_SETTER(Name, Field)                                                                      \
    void MPopupPalette::Set##Name(int Value) {                                                               \
        Field = Value;                                                                                       \
        Layout();                                                                                            \
        Recolor();                                                                                           \
        ShowSet();                                                                                           \
    }
KDS_PALETTE_SETTER(NumOfColor, FNumOfColor)
KDS_PALETTE_SETTER(NumColumns, FNumColumns)
KDS_PALETTE_SETTER(LeftMargin, FLeftMargin)
KDS_PALETTE_SETTER(TopMargin, FTopMargin)
KDS_PALETTE_SETTER(Space, FSpace)
KDS_PALETTE_SETTER(BtnWidth, FBtnWidth)
KDS_PALETTE_SETTER(BtnHeight, FBtnHeight)
#undef KDS_PALETTE_SETTER

void MPopupPalette::Layout() {
    FLayout = PaletteLayout(FNumOfColor, FNumColumns, FLeftMargin, FTopMargin, FSpace, FBtnWidth, FBtnHeight);
    resize(FLayout.Size);
    for (int i = 0; i < PaletteSize; ++i) {
        MColorBtn* up = FSwatches[std::size_t(i)];
        MColorBtn* down = FSwatches[std::size_t(i + PaletteSize)];
        const bool shown = i < FLayout.Count;
        up->Tag = down->Tag = shown ? i : -1;
        if (shown) {
            up->setGeometry(FLayout.Upper[std::size_t(i)]);
            down->setGeometry(FLayout.Lower[std::size_t(i)]);
        }
        up->setVisible(shown);
        down->setVisible(shown);
    }
    update();
}

void MPopupPalette::Recolor() {
    const MPalette& palette = FPalette ? *FPalette : DefaultPalette();
    for (int i = 0; i < PaletteSize; ++i) {
        const TColor c = palette.Color(i);
        const TColor text = GetRValue(c) + GetGValue(c) + GetBValue(c) > 500 ? clBlack : clWhite;
        for (MColorBtn* b : {FSwatches[std::size_t(i)], FSwatches[std::size_t(i + PaletteSize)]}) {
            b->SetColor(c);
            b->SetCaption(palette.Symbol(i));
            b->SetFontColor(text);
        }
    }
}

void MPopupPalette::ShowSet() {
    FUpdating = true;
    for (int i = 0; i < PaletteSize; ++i) {
        const bool member = FColorMap.IsSet(i);
        FSwatches[std::size_t(i)]->SetSelected(member);
        FSwatches[std::size_t(i + PaletteSize)]->SetSelected(!member);
    }
    FUpdating = false;
}

void MPopupPalette::SwatchSelected(MColorBtn* Swatch) {
    if (FUpdating || !Shown() || Swatch->Tag < 0 || Swatch->Tag >= PaletteSize)
        return;
    const int tag = Swatch->Tag;
    const bool upper = Swatch == FSwatches[std::size_t(tag)];
    MColorBtn* partner = FSwatches[std::size_t(upper ? tag + PaletteSize : tag)];
    FUpdating = true;
    partner->SetSelected(!Swatch->Selected());
    const bool member = upper ? Swatch->Selected() : !Swatch->Selected();
    FColorMap.SetBitBool(tag, member);
    if (auto* box = qobject_cast<MColorBox*>(Source())) {
        if (!box->SetColorBit(tag, member)) {
            Swatch->SetSelected(!Swatch->Selected());
            partner->SetSelected(!partner->Selected());
            FColorMap.SetBitBool(tag, !member);
        }
    }
    FUpdating = false;
}

void MPopupPalette::Open(QWidget* Control) {
    SetSource(Control);
    if (auto* box = qobject_cast<MColorBox*>(Control))
        FColorMap.Assign(box->ColorMap());
    ShowSet();
    ShowFor(Control);
}

void MPopupPalette::paintEvent(QPaintEvent*) {
    QImage image = NewImage(width(), height(), clBtnFace);
    TRect border{0, 0, width(), height()};
    Frame3D(image, border, clWindowFrame, clWindowFrame);
    if (FLayout.Count > 0) {
        const QRect b = FLayout.Bevel;
        FillRect(image, TRect{b.left(), b.top(), b.left() + b.width(), b.top() + 1}, clBtnShadow);
        FillRect(image, TRect{b.left(), b.top() + 1, b.left() + b.width(), b.top() + 2}, clBtnHighlight);
    }
    QPainter p(this);
    p.drawImage(0, 0, image);
}
