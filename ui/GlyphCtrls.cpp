#include "ui/GlyphCtrls.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QTimer>

#include <algorithm>

// ---- TGlyphList

TGlyphList::TGlyphList(int Width, int Height) : FWidth(Max(Width, 0)), FHeight(Max(Height, 0)) {}

int TGlyphList::AddMasked(const QImage& Image, TColor MaskColor) {
    const QRgb key = SysQRgb(MaskColor) & 0xFFFFFFu;
    QImage img(FWidth, FHeight, QImage::Format_ARGB32);
    img.fill(0);
    const QImage src = Image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < Min(FHeight, src.height()); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < Min(FWidth, src.width()); ++x)
            out[x] = (in[x] & 0xFFFFFFu) == key ? 0 : (in[x] | 0xFF000000u);
    }
    return AddPrepared(std::move(img));
}

int TGlyphList::Add(const QImage& Image) {
    QImage img(FWidth, FHeight, QImage::Format_ARGB32);
    img.fill(0);
    {
        QPainter p(&img);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, Image.convertToFormat(QImage::Format_ARGB32));
    }
    return AddPrepared(std::move(img));
}

int TGlyphList::AddPrepared(QImage Image) {
    const std::size_t key = qHashBits(Image.constBits(), std::size_t(Image.sizeInBytes()));
    const auto [first, last] = FByKey.equal_range(key);
    for (auto it = first; it != last; ++it) {
        Slot& s = FSlots[std::size_t(it->second)];
        if (s.Image == Image) {
            ++s.Users;
            return it->second;
        }
    }
    auto free = std::find_if(FSlots.begin(), FSlots.end(), [](const Slot& s) { return s.Users == 0; });
    if (free == FSlots.end())
        free = FSlots.insert(FSlots.end(), Slot());
    const int index = int(free - FSlots.begin());
    Slot& s = *free;
    s.Users = 1;
    s.Key = key;
    s.Mask = QImage(FWidth, FHeight, QImage::Format_RGB32);
    for (int y = 0; y < FHeight; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(Image.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(s.Mask.scanLine(y));
        for (int x = 0; x < FWidth; ++x)
            out[x] = qAlpha(in[x]) ? 0xFF000000u : 0xFFFFFFFFu;
    }
    s.Image = std::move(Image);
    s.Pixmap = QPixmap::fromImage(s.Image);
    FByKey.emplace(key, index);
    ++FCount;
    return index;
}

void TGlyphList::Delete(int Index) {
    if (!Used(Index))
        return;
    Slot& s = FSlots[std::size_t(Index)];
    if (--s.Users > 0)
        return;
    const auto [first, last] = FByKey.equal_range(s.Key);
    for (auto it = first; it != last; ++it)
        if (it->second == Index) {
            FByKey.erase(it);
            break;
        }
    s = Slot();
    --FCount;
}

bool TGlyphList::Used(int Index) const {
    return Index >= 0 && Index < int(FSlots.size()) && FSlots[std::size_t(Index)].Users > 0;
}

int TGlyphList::Users(int Index) const {
    return Used(Index) ? FSlots[std::size_t(Index)].Users : 0;
}

QImage TGlyphList::Image(int Index) const {
    return Used(Index) ? FSlots[std::size_t(Index)].Image : QImage();
}

QImage TGlyphList::Mask(int Index) const {
    return Used(Index) ? FSlots[std::size_t(Index)].Mask : QImage();
}

QPixmap TGlyphList::Pixmap(int Index) const {
    return Used(Index) ? FSlots[std::size_t(Index)].Pixmap : QPixmap();
}

void TGlyphList::Draw(QPainter& Painter, int X, int Y, int Index) const {
    if (Used(Index))
        Painter.drawPixmap(X, Y, FSlots[std::size_t(Index)].Pixmap);
}

void DrawImageListDisabled(const TGlyphList& ImageList, QImage& Canvas, int X, int Y, int Index,
                           TColor HighlightColor, TColor ShadowColor, bool DrawHighlight) {
    if (ImageList.Used(Index))
        DrawMaskDisabled(Canvas, ImageList.Mask(Index), X, Y, HighlightColor, ShadowColor, DrawHighlight);
}

// ---- TGlyphCache

TGlyphCache& TGlyphCache::Instance() {
    static TGlyphCache cache;
    return cache;
}

TGlyphList* TGlyphCache::GetList(int Width, int Height) {
    for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
        if ((*it)->Width() == Width && (*it)->Height() == Height)
            return it->get();
    FLists.push_back(std::make_unique<TGlyphList>(Width, Height));
    return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* List) {
    if (!List || List->Count() > 0)
        return;
    FLists.erase(std::remove_if(FLists.begin(), FLists.end(), [&](const auto& l) { return l.get() == List; }),
                 FLists.end());
}

bool TGlyphCache::Holds(const TGlyphList* List) const {
    return std::any_of(FLists.begin(), FLists.end(), [&](const auto& l) { return l.get() == List; });
}

// ---- Layout

TGlyphLayout CalcButtonLayout(const QRect& Client, QSize GlyphSize, QSize TextSize, TButtonLayout Layout,
                              int Margin, int Spacing) {
    const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    GlyphSize = GlyphSize.expandedTo(QSize(0, 0));
    TextSize = TextSize.expandedTo(QSize(0, 0));
    const bool glyph = !GlyphSize.isEmpty(), text = !TextSize.isEmpty();
    if (!glyph || !text)
        Spacing = 0;
    const int length = horizontal ? Client.width() : Client.height();
    const int cross = horizontal ? Client.height() : Client.width();
    const int g = horizontal ? GlyphSize.width() : GlyphSize.height();
    const int t = horizontal ? TextSize.width() : TextSize.height();
    int m = Margin, s = Spacing;
    if (Margin == -1 && Spacing == -1) {
        m = (length - g - t) / 3;
        s = m;
    } else if (Margin == -1) {
        m = (length - (g + s + t)) / 2;
    } else if (Spacing == -1) {
        s = (length - m - g - t) / 2;
    }
    int gpos, tpos;
    if (Layout == blGlyphLeft || Layout == blGlyphTop) {
        gpos = m;
        tpos = m + g + s;
    } else {
        gpos = length - m - g;
        tpos = gpos - s - t;
    }
    const int gcross = (cross - (horizontal ? GlyphSize.height() : GlyphSize.width())) / 2;
    const int tcross = (cross - (horizontal ? TextSize.height() : TextSize.width())) / 2;
    TGlyphLayout r;
    if (horizontal) {
        r.GlyphPos = Client.topLeft() + QPoint(gpos, gcross);
        r.TextBounds = QRect(Client.topLeft() + QPoint(tpos, tcross), TextSize);
    } else {
        r.GlyphPos = Client.topLeft() + QPoint(gcross, gpos);
        r.TextBounds = QRect(Client.topLeft() + QPoint(tcross, tpos), TextSize);
    }
    return r;
}

// ---- TCachedButtonGlyph

TCachedButtonGlyph::TCachedButtonGlyph() : FColorGeneration(SysColorGeneration()) {}

TCachedButtonGlyph::~TCachedButtonGlyph() {
    Invalidate();
}

void TCachedButtonGlyph::SetGlyph(const QImage& Value) {
    Invalidate();
    FOriginal = Value.isNull() ? QImage() : Value.convertToFormat(QImage::Format_RGB32);
    FTransparentColor = FOriginal.isNull() ? 0 : PixelAt(FOriginal, 0, FOriginal.height() - 1);
    if (OnChange)
        OnChange();
}

void TCachedButtonGlyph::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 5);
    if (Value == FNumGlyphs)
        return;
    Invalidate();
    FNumGlyphs = Value;
    if (OnChange)
        OnChange();
}

void TCachedButtonGlyph::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    if (OnChange)
        OnChange();
}

void TCachedButtonGlyph::SetWordWrap(bool Value) {
    if (Value == FWordWrap)
        return;
    FWordWrap = Value;
    if (OnChange)
        OnChange();
}

QSize TCachedButtonGlyph::CellSize() const {
    if (FImages)
        return QSize(FImages->Width(), FImages->Height());
    if (FOriginal.isNull())
        return QSize();
    return QSize(FOriginal.width() / FNumGlyphs, FOriginal.height());
}

void TCachedButtonGlyph::SetImageList(TGlyphList* Images, int ImageIndex) {
    Invalidate();
    FImages = Images;
    FImageIndex = ImageIndex;
    if (OnChange)
        OnChange();
}

void TCachedButtonGlyph::Invalidate() {
    if (FGlyphList) {
        for (int& index : FIndexs) {
            FGlyphList->Delete(index);
            index = -1;
        }
        TGlyphCache::Instance().ReturnList(FGlyphList);
        FGlyphList = nullptr;
    }
    FColorGeneration = SysColorGeneration();
}

QImage TCachedButtonGlyph::Cell(int Index) const {
    const QSize size = CellSize();
    return FOriginal.copy(Index * size.width(), 0, size.width(), size.height());
}

int TCachedButtonGlyph::CreateButtonGlyph(TButtonState State) {
    if (FColorGeneration != SysColorGeneration())
        Invalidate();
    const int look = int(State);
    if (FIndexs[look] >= 0)
        return FIndexs[look];
    if (FImages) {
        // An outside list draws its own images; only the grey inactive copy is made and kept here.
        if (State != bsInactive || !FImages->Used(FImageIndex))
            return -1;
        QImage grey = FImages->Image(FImageIndex);
        for (int y = 0; y < grey.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(grey.scanLine(y));
            for (int x = 0; x < grey.width(); ++x) {
                const int v = InactiveGrey(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
                row[x] = qRgba(v, v, v, qAlpha(row[x]));
            }
        }
        FGlyphList = TGlyphCache::Instance().GetList(FImages->Width(), FImages->Height());
        return FIndexs[look] = FGlyphList->Add(grey);
    }
    const QSize size = CellSize();
    if (size.isEmpty())
        return -1;
    if (!FGlyphList)
        FGlyphList = TGlyphCache::Instance().GetList(size.width(), size.height());
    const int cell = look < FNumGlyphs ? look : 0;
    int index;
    if (State == bsDisabled && FNumGlyphs == 1) {
        index = FGlyphList->AddMasked(CreateEmbossedBitmap(Cell(0), clBlack), clBtnFace);
    } else if (State == bsInactive && FNumGlyphs < 5) {
        QImage grey = Cell(0);
        const QRgb transparent = toQRgb(FTransparentColor), face = SysQRgb(clBtnFace);
        for (int y = 0; y < grey.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(grey.scanLine(y));
            for (int x = 0; x < grey.width(); ++x) {
                const QRgb c = row[x] & 0xFFFFFFu;
                if (c == (transparent & 0xFFFFFFu) || c == (face & 0xFFFFFFu))
                    continue;
                const int v = InactiveGrey(qRed(c), qGreen(c), qBlue(c));
                row[x] = qRgb(v, v, v);
            }
        }
        index = FGlyphList->AddMasked(grey, FTransparentColor);
    } else {
        index = FGlyphList->AddMasked(Cell(cell), FTransparentColor);
    }
    return FIndexs[look] = index;
}

void TCachedButtonGlyph::DrawButtonGlyph(QImage& Canvas, QPoint Pos, TButtonState State) {
    if (FImages) {
        if (!FImages->Used(FImageIndex))
            return;
        if (State == bsDisabled) {
            DrawImageListDisabled(*FImages, Canvas, Pos.x(), Pos.y(), FImageIndex, clBtnHighlight,
                                  clBtnShadow, true);
            return;
        }
        QPainter p(&Canvas);
        if (State == bsInactive) {
            const int index = CreateButtonGlyph(bsInactive);
            FGlyphList->Draw(p, Pos.x(), Pos.y(), index);
        } else {
            FImages->Draw(p, Pos.x(), Pos.y(), FImageIndex);
        }
        return;
    }
    const int index = CreateButtonGlyph(State);
    if (index < 0)
        return;
    QPainter p(&Canvas);
    FGlyphList->Draw(p, Pos.x(), Pos.y(), index);
}

QSize TCachedButtonGlyph::TextExtent(const QString& Caption, const QFont& Font, int MaxWidth) const {
    if (Caption.isEmpty())
        return QSize();
    const QFontMetrics fm(Font);
    if (FWordWrap)
        return fm.boundingRect(QRect(0, 0, Max(MaxWidth, 1), 1 << 20), int(Qt::TextWordWrap), Caption).size();
    const QStringList lines = Caption.split(QLatin1Char('\n'));
    int width = 0;
    for (const QString& line : lines)
        width = Max(width, fm.horizontalAdvance(FitTextWithEllipsis(line, fm, MaxWidth)));
    return QSize(width, fm.height() * int(lines.size()));
}

void TCachedButtonGlyph::DrawButtonText(QImage& Canvas, const QString& Caption, const QFont& Font,
                                        const QRect& Bounds, TButtonState State) {
    if (Caption.isEmpty() || Bounds.isEmpty())
        return;
    QString text = Caption;
    if (!FWordWrap) {
        const QFontMetrics fm(Font);
        QStringList lines = Caption.split(QLatin1Char('\n'));
        for (QString& line : lines)
            line = FitTextWithEllipsis(line, fm, Bounds.width());
        text = lines.join(QLatin1Char('\n'));
    }
    QPainter p(&Canvas);
    p.setFont(Font);
    p.setLayoutDirection(Caption.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    const int flags =
        int(AbsoluteAlignment(FAlignment)) | Qt::AlignVCenter | (FWordWrap ? Qt::TextWordWrap : 0);
    if (State == bsDisabled) {
        p.setPen(SysQColor(clBtnHighlight));
        p.drawText(Bounds.translated(1, 1), flags, text);
        p.setPen(SysQColor(clBtnShadow));
    } else {
        p.setPen(SysQColor(clBtnText));
    }
    p.drawText(Bounds, flags, text);
}

QRect TCachedButtonGlyph::Draw(QImage& Canvas, const QRect& Client, QPoint Offset, const QString& Caption,
                               const QFont& Font, TButtonLayout Layout, int Margin, int Spacing,
                               TButtonState State) {
    const QSize glyph = CellSize();
    const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    const int maxWidth = horizontal ? Client.width() - glyph.width() : Client.width();
    const QSize text = TextExtent(Caption, Font, maxWidth);
    const TGlyphLayout layout = CalcButtonLayout(Client, glyph, text, Layout, Margin, Spacing);
    if (!glyph.isEmpty())
        DrawButtonGlyph(Canvas, layout.GlyphPos + Offset, State);
    const QRect bounds = layout.TextBounds.translated(Offset);
    DrawButtonText(Canvas, Caption, Font, bounds, State);
    return bounds;
}

// ---- TGlyphSpeedButton

TGlyphSpeedButton::TGlyphSpeedButton(QWidget* Parent)
    : TOwnerDrawnButton(Parent, QSize(25, 25), Qt::NoFocus), FGlyph(new TCachedButtonGlyph) {
    setAttribute(Qt::WA_Hover, false);
    FGlyph->OnChange = [this] { update(); };
}

TGlyphSpeedButton::~TGlyphSpeedButton() {
    StopTimer();
    FGlyph->OnChange = nullptr;
}

void TGlyphSpeedButton::SetAlignment(TAlignment Value) {
    FGlyph->SetAlignment(Value);
}

void TGlyphSpeedButton::SetWordWrap(bool Value) {
    FGlyph->SetWordWrap(Value);
}

void TGlyphSpeedButton::SetGlyph(const QImage& Value) {
    FGlyph->SetGlyph(Value);
}

void TGlyphSpeedButton::SetNumGlyphs(int Value) {
    if (Value < 1)
        Value = 1;
    FGlyph->SetNumGlyphs(Value);
}

void TGlyphSpeedButton::SetLayout(TButtonLayout Value) {
    Change(FLayout, Value);
}

void TGlyphSpeedButton::SetMargin(int Value) {
    if (Value >= -1)
        Change(FMargin, Value);
}

void TGlyphSpeedButton::SetSpacing(int Value) {
    Change(FSpacing, Value);
}

void TGlyphSpeedButton::SetStyle(TButtonStyle Value) {
    Change(FStyle, Value);
}

void TGlyphSpeedButton::SetTransparent(bool Value) {
    Change(FTransparent, Value);
}

void TGlyphSpeedButton::SetMarkDropDown(bool Value) {
    Change(FMarkDropDown, Value);
}

void TGlyphSpeedButton::SetGrayedInactive(bool Value) {
    Change(FGrayedInactive, Value);
}

void TGlyphSpeedButton::SetDropDownMenu(QMenu* Value) {
    if (FDropDownMenu)
        disconnect(FDropDownMenu, &QObject::destroyed, this, nullptr);
    FDropDownMenu = Value;
    if (Value)
        connect(Value, &QObject::destroyed, this, [this] { update(); });
    if (FMarkDropDown)
        update();
}

void TGlyphSpeedButton::SetAllowTimer(bool Value) {
    FAllowTimer = Value;
    if (!Value) {
        StopTimer();
        delete FRepeatTimer;
        FRepeatTimer = nullptr;
    }
}

QList<TGlyphSpeedButton*> TGlyphSpeedButton::GroupMembers() const {
    return GroupSiblings(this);
}

void TGlyphSpeedButton::GroupDown(TGlyphSpeedButton* Sender) {
    if (Sender->FDown && FDown) {
        FDown = false;
        FState = bsUp;
        update();
    }
    FAllowAllUp = Sender->FAllowAllUp;
}

void TGlyphSpeedButton::UpdateExclusive() {
    for (TGlyphSpeedButton* b : GroupMembers())
        b->GroupDown(this);
}

void TGlyphSpeedButton::SetDown(bool Value) {
    if (!GroupDownChanges(FGroupIndex, FAllowAllUp, FDown, Value))
        return;
    FDown = Value;
    FState = Value ? bsExclusive : bsUp;
    update();
    if (Value)
        UpdateExclusive();
}

void TGlyphSpeedButton::SetGroupIndex(int Value) {
    if (Value == FGroupIndex)
        return;
    FGroupIndex = Value;
    UpdateExclusive();
}

void TGlyphSpeedButton::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp)
        return;
    FAllowAllUp = Value;
    UpdateExclusive();
}

TButtonState TGlyphSpeedButton::DrawnState() const {
    if (!isEnabled())
        return bsDisabled;
    if (Flat() && !MouseInside())
        return bsInactive;
    return FState;
}

void TGlyphSpeedButton::PaintGlyph(QImage& Canvas, const QRect& Client, QPoint Offset, TButtonState State) {
    FGlyph->Draw(Canvas, Client, Offset, Caption(), font(), FLayout, FMargin, FSpacing, State);
}

void TGlyphSpeedButton::PaintButton(QImage& Canvas) {
    if (!isEnabled()) {
        FState = bsDisabled;
        FDragging = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
    const TButtonState drawn = DrawnState();
    const bool down = FState == bsDown || FState == bsExclusive;
    const bool newStyle = FStyle != bsWin31;
    const bool flat = Flat();
    TRect r{0, 0, width(), height()};
    if (drawn == bsInactive && FState != bsExclusive) {
        r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
    } else {
        if (newStyle) {
            if (!down && !flat) {
                Frame3D(Canvas, r, clBtnHighlight, clWindowFrame);
                Frame3D(Canvas, r, clBtnFace, clBtnShadow);
            } else if (!down) {
                Frame3D(Canvas, r, clBtnHighlight, clBtnShadow);
            } else {
                Frame3D(Canvas, r, clWindowFrame, clBtnHighlight);
                if (!flat)
                    Frame3D(Canvas, r, clBtnShadow, clBtnFace);
            }
        } else {
            if (!down && !flat) {
                Frame3D(Canvas, r, clWindowFrame, clWindowFrame);
                Frame3D(Canvas, r, clBtnHighlight, clBtnShadow);
            } else if (!down) {
                Frame3D(Canvas, r, clBtnHighlight, clWindowFrame);
            } else if (!flat) {
                Frame3D(Canvas, r, clWindowFrame, clWindowFrame);
                PolyLine(Canvas,
                         {QPoint(r.Left, r.Bottom - 1), QPoint(r.Left, r.Top), QPoint(r.Right, r.Top)},
                         clBtnShadow);
            } else {
                Frame3D(Canvas, r, clWindowFrame, clBtnHighlight);
            }
        }
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    if (FState == bsExclusive && !FTransparent && (!flat || drawn == bsInactive)) {
        static QImage checker;
        static std::uint32_t generation = ~0u;
        if (checker.isNull() || generation != SysColorGeneration()) {
            checker = CreateCheckerPattern(clBtnFace, clBtnHighlight);
            generation = SysColorGeneration();
        }
        for (int y = Max(r.Top, 0); y < Min(r.Bottom, Canvas.height()); ++y)
            for (int x = Max(r.Left, 0); x < Min(r.Right, Canvas.width()); ++x)
                Canvas.setPixel(x, y, checker.pixel(x % 8, y % 8));
    }
    const QPoint offset = down ? QPoint(1, 1) : QPoint(0, 0);
    const TButtonState look = drawn == bsInactive && !FGrayedInactive ? bsUp : drawn;
    PaintGlyph(Canvas, r.ToQRect(), offset, look);
    if (FDropDownMenu && FMarkDropDown) {
        // A small arrow pointing where the menu opens.
        const TColor c = isEnabled() ? clBtnText : clBtnShadow;
        if (FMenuPosition == dmpBottom) {
            const int x = width() - 8, y = height() - 6;
            for (int i = 0; i < 3; ++i)
                PolyLine(Canvas, {QPoint(x + i, y + i), QPoint(x + 5 - i, y + i)}, c);
        } else {
            const int x = width() - 6, y = height() - 8;
            for (int i = 0; i < 3; ++i)
                PolyLine(Canvas, {QPoint(x + i, y + i), QPoint(x + i, y + 5 - i)}, c);
        }
    }
}

QImage TGlyphSpeedButton::Render() {
    QImage canvas = NewImage(width(), height(), clBtnFace);
    if (FTransparent) {
        QPainter p(&canvas);
        CopyParentImage(this, p);
    }
    PaintButton(canvas);
    return canvas;
}

void TGlyphSpeedButton::PressAt(QMouseEvent* Event, bool Double) {
    if (FMenuTracking)
        return;
    MouseDownEvent(Event);
    if (Double && OnDblClick)
        OnDblClick(this);
    // A press finds the pointer over the button: marked, without the enter event (the look follows).
    if (isEnabled())
        SetMouseInside(true, false);
    if (Event->button() == Qt::LeftButton && isEnabled()) {
        if (!FDown) {
            FState = bsDown;
            update();
        }
        FDragging = true;
    }
    if (FDropDownMenu) {
        ShowDropDown();
        return;
    }
    if (Event->button() == Qt::RightButton)
        UpdateTracking();
    if (FAllowTimer && Event->button() == Qt::LeftButton) {
        if (!FRepeatTimer) {
            FRepeatTimer = new QTimer(this);
            connect(FRepeatTimer, &QTimer::timeout, this, &TGlyphSpeedButton::RepeatTimerExpired);
        }
        FRepeatTimer->start(FInitPause);
    }
}

void TGlyphSpeedButton::ShowDropDown() {
    QPointer<QMenu> menu = FDropDownMenu;
    const QPoint at = FMenuPosition == dmpBottom ? QPoint(0, height()) : QPoint(width(), 0);
    FMenuTracking = true;
    // The press that closes the menu on this button is not given to it again.
    setAttribute(Qt::WA_NoMouseReplay, true);
    menu->exec(mapToGlobal(at));
    setAttribute(Qt::WA_NoMouseReplay, false);
    FMenuTracking = false;
    FDragging = false;
    FState = FDown ? bsExclusive : bsUp;
    update();
    UpdateTracking();
}

void TGlyphSpeedButton::mousePressEvent(QMouseEvent* Event) {
    PressAt(Event, false);
}

void TGlyphSpeedButton::mouseDoubleClickEvent(QMouseEvent* Event) {
    PressAt(Event, true);
}

void TGlyphSpeedButton::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint pos = Event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, Event->modifiers(), pos.x(), pos.y());
    if (!FDragging)
        return;
    const bool inside = rect().contains(pos);
    TButtonState look = inside ? bsDown : bsUp;
    if (FDown)
        look = bsExclusive;
    if (look != FState) {
        FState = look;
        update();
    }
}

void TGlyphSpeedButton::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint pos = Event->position().toPoint();
    MouseUpEvent(Event);
    if (FDragging && Event->button() == Qt::LeftButton) {
        FDragging = false;
        const bool click = rect().contains(pos);
        if (FGroupIndex == 0) {
            FState = bsUp;
        } else if (click) {
            SetDown(!FDown);
            FState = FDown ? bsExclusive : bsUp;
        } else if (FDown) {
            FState = bsExclusive;
        }
        update();
        if (click && !FMenuTracking)
            Click();
        UpdateTracking();
    } else if (Event->button() == Qt::RightButton) {
        UpdateTracking();
    }
    StopTimer();
}

void TGlyphSpeedButton::RepeatTimerExpired() {
    FRepeatTimer->setInterval(FRepeatInterval);
    if (FState == bsDown && FDragging)
        Click();
}

void TGlyphSpeedButton::StopTimer() {
    if (FRepeatTimer)
        FRepeatTimer->stop();
}

void TGlyphSpeedButton::Click() {
    if (FModalResult != 0)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(FModalResult);
    if (OnClick)
        OnClick(this);
}

void TGlyphSpeedButton::MouseInsideChanged() {
    if (Flat())
        update();
}

void TGlyphSpeedButton::UpdateTracking() {
    SetMouseInside(isEnabled() && isVisible() && IsForegroundTask() &&
                   rect().contains(mapFromGlobal(QCursor::pos())));
}

void TGlyphSpeedButton::enterEvent(QEnterEvent*) {
    if (isEnabled())
        SetMouseInside(true);
}

void TGlyphSpeedButton::leaveEvent(QEvent*) {
    if (!FDragging)
        SetMouseInside(false);
}

void TGlyphSpeedButton::changeEvent(QEvent* Event) {
    QWidget::changeEvent(Event);
    if (Event->type() == QEvent::EnabledChange) {
        update();
        UpdateTracking();
    } else if (Event->type() == QEvent::FontChange) {
        update();
    }
}

void TGlyphSpeedButton::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    UpdateTracking();
}

void TGlyphSpeedButton::CaptionChanged() {
    if (FMnemonicId)
        releaseShortcut(FMnemonicId);
    FMnemonicId = 0;
    const QKeySequence key = QKeySequence::mnemonic(Caption());
    if (!key.isEmpty())
        FMnemonicId = grabShortcut(key);
}

bool TGlyphSpeedButton::event(QEvent* Event) {
    if (Event->type() == QEvent::Shortcut) {
        if (static_cast<QShortcutEvent*>(Event)->shortcutId() == FMnemonicId && FMnemonicId) {
            if (isEnabled())
                Click();
            return true;
        }
    }
    return QWidget::event(Event);
}
