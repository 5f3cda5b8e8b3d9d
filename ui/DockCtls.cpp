#include "ui/DockCtls.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/DockCnst.h"
#include "ui/GfxUtils.h"
#include "ui/PopupMenu_m.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStatusTipEvent>
#include <QTimer>

#include <algorithm>

// ============================================================================ Layout

TDockButtonLayout CalcDockButtonLayout(const TDockButtonLayoutInput& In) {
    const QRect& c = In.Client;
    const QSize g = In.Glyph.isEmpty() ? QSize(0, 0) : In.Glyph;
    const QSize t = In.Text.isEmpty() ? QSize(0, 0) : In.Text;
    const QSize a = In.Arrow.isEmpty() ? QSize(0, 0) : In.Arrow;
    TButtonLayout layout = In.Layout;
    const bool noGlyph = g.isEmpty();
    if (noGlyph && (layout == blGlyphTop || layout == blGlyphBottom))
        layout = blGlyphLeft;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

    QPoint glyph, text, arrow;
    if (horizontal) {
        glyph.setY((c.height() - g.height() + 1) / 2);
        text.setY((c.height() - t.height() + 1) / 2);
    } else {
        glyph.setX((c.width() - g.width() - a.width() + 1) / 2);
        text.setX((c.width() - t.width() + 1) / 2);
        arrow.setX(noGlyph ? text.x() + t.width() : glyph.x() + g.width());
    }

    int margin = In.Margin;
    int spacing = In.Spacing;
    if (t.isEmpty() || noGlyph)
        spacing = 0;
    const int length = horizontal ? c.width() : c.height();
    const int gl = horizontal ? g.width() : g.height();
    const int tl = horizontal ? t.width() : t.height();
    const int al = horizontal ? a.width() : 0;
    if (margin == -1 && spacing == -1) {
        margin = spacing = (length - gl - tl - al) / 3;
    } else if (margin == -1) {
        margin = (length - (gl + spacing + tl + al) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (length - margin - gl - al - tl) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        glyph.setX(margin);
        text.setX(glyph.x() + gl + spacing);
        arrow.setX(text.x() + tl);
        break;
    case blGlyphRight:
        arrow.setX(length - margin - al);
        glyph.setX(arrow.x() - gl);
        text.setX(glyph.x() - spacing - tl);
        break;
    case blGlyphTop:
        glyph.setY(margin);
        text.setY(glyph.y() + gl + spacing);
        break;
    case blGlyphBottom:
        glyph.setY(length - margin - gl);
        text.setY(glyph.y() - spacing - tl);
        break;
    }
    arrow.rx() += 1;
    arrow.setY(noGlyph ? text.y() + (t.height() - a.height()) / 2
                       : glyph.y() + (g.height() - a.height()) / 2);

    TDockButtonLayout r;
    r.Glyph = glyph + c.topLeft();
    r.Text = QRect(text + c.topLeft(), t);
    r.Arrow = arrow + c.topLeft();
    return r;
}

// ============================================================================ Glyph

namespace {
QRgb Rgb(QRgb C) {
    return C & 0xFFFFFFu;
}
} // namespace

TDockButtonGlyph::~TDockButtonGlyph() {
    OnChange = nullptr;
    Invalidate();
}

void TDockButtonGlyph::Changed() {
    Invalidate();
    if (OnChange)
        OnChange();
}

void TDockButtonGlyph::SetGlyph(const QImage& Value) {
    FGlyph = Value.isNull() ? QImage() : Value.convertToFormat(QImage::Format_ARGB32);
    // A strip of height 0 is one cell, never a division by zero.
    const int w = FGlyph.width(), h = FGlyph.height();
    FNumGlyphs = h > 0 && w % h == 0 && w / h >= 1 && w / h <= 5 ? w / h : 1;
    Changed();
}

void TDockButtonGlyph::SetGlyphMask(const QImage& Value) {
    FMask = Value.isNull() ? QImage() : Value.convertToFormat(QImage::Format_RGB32);
    Changed();
}

void TDockButtonGlyph::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 5);
    if (Value == FNumGlyphs)
        return;
    FNumGlyphs = Value;
    Changed();
}

void TDockButtonGlyph::SetOldDisabledStyle(bool Value) {
    if (Value == FOldDisabledStyle)
        return;
    FOldDisabledStyle = Value;
    Changed();
}

void TDockButtonGlyph::SetImages(const std::shared_ptr<TGlyphList>& Images, int ImageIndex) {
    FImages = Images;
    FUsesImages = Images != nullptr;
    FImageIndex = ImageIndex;
    Changed();
}

int TDockButtonGlyph::EffectiveNumGlyphs() const {
    if (FUsesImages || FNumGlyphs <= 0 || FNumGlyphs > 5)
        return 1;
    return FNumGlyphs;
}

QSize TDockButtonGlyph::Size() const {
    if (FUsesImages) {
        const std::shared_ptr<TGlyphList> list = FImages.lock();
        if (!list || !list->Used(FImageIndex))
            return QSize();
        return QSize(list->Width(), list->Height());
    }
    const int n = EffectiveNumGlyphs();
    if (FGlyph.isNull() || FGlyph.width() / n <= 0 || FGlyph.height() <= 0)
        return QSize();
    return QSize(FGlyph.width() / n, FGlyph.height());
}

QImage TDockButtonGlyph::Cell(int Index) const {
    const QSize s = Size();
    return FGlyph.copy(Index * s.width(), 0, s.width(), s.height());
}

QImage TDockButtonGlyph::Transparented(const QImage& Cell, int Index) const {
    QImage img = Cell.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    if (!FMask.isNull()) {
        // The mask's white pixels are transparent; beyond the mask everything shows.
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int mx = Index * w + x;
                if (FMask.valid(mx, y) && Rgb(FMask.pixel(mx, y)) == 0xFFFFFFu)
                    row[x] = 0;
            }
        }
        return img;
    }
    const QRgb transparent = Rgb(FGlyph.pixel(0, FGlyph.height() - 1));
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (Rgb(row[x]) == transparent)
                row[x] = 0;
    }
    return img;
}

namespace {
// The disabled look made from an image: every opaque pixel that is not white or silver (only the
// black ones in the old style) is set; the highlight goes into the set pixels one pixel right and
// down, the shadow over it at the pixels themselves. One pixel larger than the image.
QImage Silhouette(const QImage& Image, bool OldStyle) {
    const int w = Image.width(), h = Image.height();
    QImage out(w + 1, h + 1, QImage::Format_ARGB32);
    out.fill(0);
    const QRgb highlight = SysQRgb(clBtnHighlight), shadow = SysQRgb(clBtnShadow);
    auto set = [&](int x, int y) {
        const QRgb c = Image.pixel(x, y);
        if (qAlpha(c) == 0)
            return false;
        const QRgb rgb = Rgb(c);
        return OldStyle ? rgb == 0 : rgb != 0xFFFFFFu && rgb != 0xC0C0C0u;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (set(x, y))
                out.setPixel(x + 1, y + 1, highlight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (set(x, y))
                out.setPixel(x, y, shadow);
    return out;
}

// A supplied disabled image: white becomes the highlight, grey (0x808080) the shadow.
QImage Recoloured(QImage Image) {
    const QRgb highlight = SysQRgb(clBtnHighlight), shadow = SysQRgb(clBtnShadow);
    for (int y = 0; y < Image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(Image.scanLine(y));
        for (int x = 0; x < Image.width(); ++x) {
            if (qAlpha(row[x]) == 0)
                continue;
            if (Rgb(row[x]) == 0xFFFFFFu)
                row[x] = highlight;
            else if (Rgb(row[x]) == 0x808080u)
                row[x] = shadow;
        }
    }
    return Image;
}
} // namespace

QImage TDockButtonGlyph::Image(TDockButtonState State) {
    if (FColorGeneration != SysColorGeneration()) {
        Invalidate();
        FColorGeneration = SysColorGeneration();
    }
    const int look = int(State);
    if (FIndex[look] >= 0)
        return List(State)->Image(FIndex[look]);
    const QSize size = Size();
    if (size.isEmpty())
        return QImage();
    QImage img;
    bool generated = false;
    if (FUsesImages) {
        const std::shared_ptr<TGlyphList> list = FImages.lock();
        const QImage source = list->Image(FImageIndex).convertToFormat(QImage::Format_ARGB32);
        if (State == tbsDisabled) {
            img = Silhouette(source, FOldDisabledStyle);
            generated = true;
        } else {
            img = source;
        }
    } else {
        const int n = EffectiveNumGlyphs();
        if (State == tbsDisabled && n < 2) {
            img = Silhouette(Transparented(Cell(0), 0), FOldDisabledStyle);
            generated = true;
        } else if (State == tbsDisabled) {
            img = Recoloured(Transparented(Cell(1), 1));
        } else {
            const int cell = look < n ? look : 0;
            img = Transparented(Cell(cell), cell);
        }
    }
    if (img.isNull())
        return QImage();
    TGlyphList*& list = generated ? FDisabledList : FList;
    if (!list)
        list = TGlyphCache::Instance().GetList(img.width(), img.height());
    if (State == tbsDisabled)
        FDisabledGenerated = generated;
    FIndex[look] = list->Add(img);
    return list->Image(FIndex[look]);
}

void TDockButtonGlyph::Draw(QPainter& Painter, QPoint Pos, TDockButtonState State) {
    const QImage img = Image(State);
    if (!img.isNull())
        Painter.drawImage(Pos, img);
}

void TDockButtonGlyph::Invalidate() {
    for (int look = 0; look < 5; ++look) {
        if (FIndex[look] < 0)
            continue;
        if (TGlyphList* list = List(TDockButtonState(look)))
            list->Delete(FIndex[look]);
        FIndex[look] = -1;
    }
    FDisabledGenerated = false;
    for (TGlyphList** list : {&FList, &FDisabledList}) {
        if (*list && TGlyphCache::Instance().Holds(*list))
            TGlyphCache::Instance().ReturnList(*list);
        *list = nullptr;
    }
}

// ============================================================================ Drop-down list

TDropdownList::TDropdownList(QObject* Parent) : QObject(Parent) {}

TDropdownList& TDropdownList::Instance() {
    // Freed with the application.
    static QPointer<TDropdownList> instance;
    if (!instance)
        instance = new TDropdownList(QCoreApplication::instance());
    return *instance;
}

QString TDropdownList::LongHint(const QString& Hint) {
    const qsizetype bar = Hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? Hint : Hint.mid(bar + 1);
}

int TDropdownList::Count() const {
    return int(
        std::count_if(FMenus.begin(), FMenus.end(), [](const QPointer<QMenu>& m) { return !m.isNull(); }));
}

void TDropdownList::AddMenu(QMenu* Menu) {
    std::erase_if(FMenus, [](const QPointer<QMenu>& m) { return m.isNull(); });
    if (!Menu || std::find(FMenus.begin(), FMenus.end(), Menu) != FMenus.end())
        return;
    FMenus.emplace_back(Menu);
    connect(Menu, &QMenu::triggered, this, [this, Menu](QAction* Action) {
        const QVariant data = Action->data();
        bool ok = false;
        const int id = data.toInt(&ok);
        if (data.isValid() && ok)
            emit Command(id, Menu, DroppedFrom(Menu));
    });
    connect(Menu, &QMenu::hovered, this, [this, Menu](QAction* Action) {
        ShowHint(Menu, Action ? LongHint(Action->statusTip()) : QString());
    });
    // A closed menu has no item selected: the tip goes.
    connect(Menu, &QMenu::aboutToHide, this, [this, Menu] { ShowHint(Menu, QString()); });
}

QWidget* TDropdownList::DroppedFrom(const QMenu* Menu) {
    return Menu ? Menu->property(DroppedFromProperty).value<QPointer<QWidget>>().data() : nullptr;
}

bool TDropdownList::ComesFrom(const QObject* Receiver, const QMenu* Menu, const QWidget* Button) {
    if (!Receiver)
        return false;
    for (const QObject* start : {static_cast<const QObject*>(Menu), static_cast<const QObject*>(Button)})
        for (const QObject* o = start; o; o = o->parent())
            if (o == Receiver)
                return true;
    return false;
}

void TDropdownList::ShowHint(QMenu* Menu, const QString& Text) {
    emit Hint(Text);
    // The window the menu was dropped from shows it in its status bar (while the button lives).
    if (QWidget* from = DroppedFrom(Menu)) {
        QStatusTipEvent tip(Text);
        QCoreApplication::sendEvent(from, &tip);
    }
}

void TDropdownList::RemoveMenu(QMenu* Menu) {
    std::erase_if(FMenus, [Menu](const QPointer<QMenu>& m) { return m.isNull() || m.data() == Menu; });
    if (Menu)
        disconnect(Menu, nullptr, this, nullptr);
}

// ============================================================================ The button

namespace {
struct TShared {
    QTimer* HotTimer = nullptr;
    QPointer<TDockToolbarButton> Hot;
    int Live = 0;
    QImage Pattern;
    QRgb PatternFace = 0;
    QRgb PatternHighlight = 0;
};
TShared& Shared() {
    static TShared s;
    return s;
}

const QImage& DitherPattern() {
    TShared& s = Shared();
    const QRgb face = SysQRgb(clBtnFace), highlight = SysQRgb(clBtnHighlight);
    if (s.Pattern.isNull() || face != s.PatternFace || highlight != s.PatternHighlight) {
        s.Pattern = CreateCheckerPattern(clBtnFace, clBtnHighlight);
        s.PatternFace = face;
        s.PatternHighlight = highlight;
    }
    return s.Pattern;
}

// The edges: raised or sunken, two pixels with soft corners, or one pixel thin.
void DrawButtonEdge(QImage& Image, TRect R, bool Sunken, bool Thin) {
    if (Thin) {
        Frame3D(Image, R, Sunken ? clBtnShadow : clBtnHighlight, Sunken ? clBtnHighlight : clBtnShadow);
        return;
    }
    if (Sunken) {
        Frame3D(Image, R, clBtnShadow, clBtnHighlight);
        Frame3D(Image, R, cl3DDkShadow, cl3DLight);
    } else {
        Frame3D(Image, R, clBtnHighlight, cl3DDkShadow);
        Frame3D(Image, R, cl3DLight, clBtnShadow);
    }
}

// The 5 x 3 arrow pointing down in the box starting at X, top row at Y.
void DrawArrow(QImage& Image, int X, int Y, int BoxWidth, TColor Color) {
    const int cx = X + BoxWidth / 2;
    for (int row = 0; row < 3; ++row)
        for (int x = cx - 2 + row; x <= cx + 2 - row; ++x)
            PutPixel(Image, x, Y + row, Color);
}
void DrawArrowLook(QImage& Image, int X, int Y, int BoxWidth, bool Enabled) {
    if (Enabled) {
        DrawArrow(Image, X, Y, BoxWidth, clBtnText);
        return;
    }
    DrawArrow(Image, X + 1, Y + 1, BoxWidth, clBtnHighlight);
    DrawArrow(Image, X, Y, BoxWidth, clBtnShadow);
}

QWidget* WidgetUnderCursor(QPoint Global) {
    return QApplication::widgetAt(Global);
}
} // namespace

TDockToolbarButton* TDockToolbarButton::HotButton() {
    return Shared().Hot.data();
}

int TDockToolbarButton::LiveButtons() {
    return Shared().Live;
}

TDockToolbarButton::TDockToolbarButton(QWidget* Parent)
    : QWidget(Parent), FGlyph(std::make_unique<TDockButtonGlyph>()), FColor(clBtnFace) {
    // The button draws the same in both directions: an Arabic form does not mirror its face.
    setLayoutDirection(Qt::LeftToRight);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    resize(23, 22);
    TShared& s = Shared();
    if (!s.HotTimer) {
        s.HotTimer = new QTimer;
        s.HotTimer->setInterval(125);
        QObject::connect(s.HotTimer, &QTimer::timeout, [] { HotTrackTick(); });
    }
    ++s.Live;
    RegisterHook(&TDockToolbarButton::ButtonHook, HookKind(hkActivateApp) | HookKind(hkMouseMove));
    FGlyph->OnChange = [this] { Redraw(); };
}

TDockToolbarButton::~TDockToolbarButton() {
    FDestroying = true;
    // A menu dropped from the button closes with it; its tip goes through the parent.
    if (FMenuShowing && FDropdownMenu) {
        disconnect(FDropdownMenu, nullptr, this, nullptr);
        FDropdownMenu->setProperty(TDropdownList::DroppedFromProperty,
                                   QVariant::fromValue(QPointer<QWidget>(parentWidget())));
        FDropdownMenu->close();
    }
    TShared& s = Shared();
    if (s.Hot == this) {
        s.Hot = nullptr;
        s.HotTimer->stop();
    }
    StopRepeat();
    FGlyph.reset();
    UnregisterHook(&TDockToolbarButton::ButtonHook);
    if (--s.Live == 0) {
        delete s.HotTimer;
        s.HotTimer = nullptr;
        s.Pattern = QImage();
    }
}

QString TDockToolbarButton::Version() const {
    return DockLibraryVersion();
}

void TDockToolbarButton::Redraw() {
    update();
}

// ---- Properties.

void TDockToolbarButton::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Redraw();
}

QList<TDockToolbarButton*> TDockToolbarButton::GroupMembers() const {
    return GroupSiblings(this);
}

void TDockToolbarButton::SetDown(bool Value) {
    if (!GroupDownChanges(FGroupIndex, FAllowAllUp, FDown, Value))
        return;
    FDown = Value;
    FState = !isEnabled() ? tbsDisabled : Value ? tbsExclusive : tbsUp;
    Redraw();
    if (Value)
        for (TDockToolbarButton* b : GroupMembers()) {
            if (b->FDown) {
                b->FDown = false;
                if (b->FState != tbsDisabled)
                    b->FState = tbsUp;
                b->Redraw();
            }
            b->FAllowAllUp = FAllowAllUp;
        }
}

void TDockToolbarButton::SetAllowAllUp(bool Value) {
    FAllowAllUp = Value;
    for (TDockToolbarButton* b : GroupMembers())
        b->FAllowAllUp = Value;
}

void TDockToolbarButton::SetGroupIndex(int Value) {
    FGroupIndex = Value;
    if (Value == 0) {
        if (FDown) {
            FDown = false;
            if (FState == tbsExclusive)
                FState = tbsUp;
            Redraw();
        }
        return;
    }
    // Joining a group: one button down at most, one AllowAllUp for all.
    for (TDockToolbarButton* b : GroupMembers()) {
        b->FAllowAllUp = FAllowAllUp;
        if (FDown && b->FDown) {
            b->FDown = false;
            if (b->FState == tbsExclusive)
                b->FState = tbsUp;
            b->Redraw();
        }
    }
}

void TDockToolbarButton::SetCancel(bool Value) {
    FCancel = Value;
    UpdateShortcuts();
}

void TDockToolbarButton::SetDefault(bool Value) {
    FDefault = Value;
    UpdateShortcuts();
}

void TDockToolbarButton::SetColor(TColor Value) {
    FColor = Value;
    Redraw();
}

void TDockToolbarButton::SetDisplayMode(TButtonDisplayMode Value) {
    FDisplayMode = Value;
    UpdateShortcuts();
    Redraw();
}

void TDockToolbarButton::UpdateUsesDropdown() {
    const bool uses = FDropdownAlways || FDropdownMenu;
    if (uses == FUsesDropdown)
        return;
    FUsesDropdown = uses;
    if (FDropdownArrow || FDropdownCombo)
        Redraw();
}

void TDockToolbarButton::SetDropdownAlways(bool Value) {
    FDropdownAlways = Value;
    UpdateUsesDropdown();
}

void TDockToolbarButton::SetDropdownArrow(bool Value) {
    FDropdownArrow = Value;
    Redraw();
}

void TDockToolbarButton::SetDropdownArrowWidth(int Value) {
    Value = std::clamp(Value, 7, 4096);
    if (Value == FDropdownArrowWidth)
        return;
    const int diff = Value - FDropdownArrowWidth;
    FDropdownArrowWidth = Value;
    if (FDropdownCombo)
        resize(std::max(width() + diff, 1), height());
    Redraw();
}

void TDockToolbarButton::SetDropdownCombo(bool Value) {
    if (Value == FDropdownCombo)
        return;
    FDropdownCombo = Value;
    const int step = FDropdownArrowWidth + 2;
    resize(std::max(width() + (Value ? step : -step), 1), height());
    Redraw();
}

void TDockToolbarButton::SetDropdownMenu(QMenu* Value) {
    if (FDropdownMenu == Value)
        return;
    if (FDropdownMenu)
        disconnect(FDropdownMenu, &QObject::destroyed, this, nullptr);
    FDropdownMenu = Value;
    if (Value) {
        connect(Value, &QObject::destroyed, this, [this] {
            FDropdownMenu.clear();
            UpdateUsesDropdown();
        });
        TDropdownList::Instance().AddMenu(Value);
    }
    UpdateUsesDropdown();
}

void TDockToolbarButton::SetCaption(const QString& Value) {
    if (Value == FCaption)
        return;
    FCaption = Value;
    UpdateShortcuts();
    Redraw();
}

void TDockToolbarButton::SetFlat(bool Value) {
    FFlat = Value;
    setAttribute(Qt::WA_OpaquePaintEvent, FOpaque || !FFlat);
    Redraw();
}

void TDockToolbarButton::SetOpaque(bool Value) {
    FOpaque = Value;
    setAttribute(Qt::WA_OpaquePaintEvent, FOpaque || !FFlat);
    Redraw();
}

void TDockToolbarButton::SetGlyph(const QImage& Value) {
    FGlyph->SetGlyph(Value);
}

void TDockToolbarButton::SetGlyphMask(const QImage& Value) {
    FGlyph->SetGlyphMask(Value);
}

void TDockToolbarButton::SetHighlightWhenDown(bool Value) {
    FHighlightWhenDown = Value;
    Redraw();
}

void TDockToolbarButton::SetImageIndex(int Value) {
    FGlyph->SetImages(FGlyph->Images(), Value);
}

void TDockToolbarButton::SetImages(const std::shared_ptr<TGlyphList>& Value) {
    FGlyph->SetImages(Value, FGlyph->ImageIndex());
}

void TDockToolbarButton::SetLayout(TButtonLayout Value) {
    FLayout = Value;
    Redraw();
}

void TDockToolbarButton::SetMargin(int Value) {
    if (Value < -1)
        return;
    FMargin = std::min(Value, 4096);
    Redraw();
}

void TDockToolbarButton::SetSpacing(int Value) {
    if (Value < -1)
        return;
    FSpacing = std::min(Value, 4096);
    Redraw();
}

void TDockToolbarButton::SetNoBorder(bool Value) {
    FNoBorder = Value;
    Redraw();
}

void TDockToolbarButton::SetNumGlyphs(int Value) {
    FGlyph->SetNumGlyphs(Value);
}

void TDockToolbarButton::SetOldDisabledStyle(bool Value) {
    FGlyph->SetOldDisabledStyle(Value);
}

void TDockToolbarButton::SetWordWrap(bool Value) {
    FWordWrap = Value;
    Redraw();
}

void TDockToolbarButton::Loaded() {
    FGlyph->Image(isEnabled() ? tbsUp : tbsDisabled);
}

// ---- Keyboard.

void TDockToolbarButton::UpdateShortcuts() {
    for (int* id : {&FMnemonicId, &FDefaultId, &FDefaultId2, &FCancelId}) {
        if (*id)
            releaseShortcut(*id);
        *id = 0;
    }
    if (FDisplayMode != dmGlyphOnly) {
        const QKeySequence key = QKeySequence::mnemonic(FCaption);
        if (!key.isEmpty())
            FMnemonicId = grabShortcut(key);
    }
    if (FDefault) {
        FDefaultId = grabShortcut(QKeySequence(Qt::Key_Return));
        FDefaultId2 = grabShortcut(QKeySequence(Qt::Key_Enter));
    }
    if (FCancel)
        FCancelId = grabShortcut(QKeySequence(Qt::Key_Escape));
}

bool TDockToolbarButton::event(QEvent* Event) {
    if (Event->type() == QEvent::Shortcut) {
        const int id = static_cast<QShortcutEvent*>(Event)->shortcutId();
        if (id && (id == FMnemonicId || id == FDefaultId || id == FDefaultId2 || id == FCancelId)) {
            if (isEnabled() && isVisible())
                Click();
            return true;
        }
    }
    return QWidget::event(Event);
}

// ---- Hot tracking.

void TDockToolbarButton::MouseEnter() {
    if (!isEnabled() || FMouseIn)
        return;
    FMouseIn = true;
    if (FState == tbsUp)
        FState = tbsHot;
    if (FFlat || FGlyph->NumGlyphs() == 5)
        Redraw();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TDockToolbarButton::MouseLeave() {
    if (!isEnabled() || !FMouseIn || FMousePressed)
        return;
    FMouseIn = false;
    TShared& s = Shared();
    if (s.Hot == this) {
        s.Hot = nullptr;
        s.HotTimer->stop();
    }
    const TDockButtonState old = FState;
    if (FState == tbsHot || (FState == tbsDown && !FInClick))
        FState = FDown ? tbsExclusive : tbsUp;
    if (FFlat || FGlyph->NumGlyphs() == 5 || old != FState)
        Redraw();
    if (OnMouseExit)
        OnMouseExit(this);
}

void TDockToolbarButton::BecomeHot() {
    TShared& s = Shared();
    if (s.Hot == this)
        return;
    if (s.Hot)
        s.Hot->MouseLeave();
    if (FShowBorderWhenInactive || AppHasActiveWindow()) {
        s.Hot = this;
        s.HotTimer->start();
        MouseEnter();
    }
}

void TDockToolbarButton::HotTrackTick() {
    TShared& s = Shared();
    if (!s.Hot) {
        if (s.HotTimer)
            s.HotTimer->stop();
        return;
    }
    if (WidgetUnderCursor(QCursor::pos()) != s.Hot)
        s.Hot->MouseLeave();
}

void TDockToolbarButton::ButtonHook(THookKind Kind, QObject*, QEvent* Event) {
    TShared& s = Shared();
    if (!s.Hot)
        return;
    if (Kind == hkMouseMove && Event) {
        const auto* move = static_cast<QMouseEvent*>(Event);
        if (WidgetUnderCursor(move->globalPosition().toPoint()) != s.Hot)
            s.Hot->MouseLeave();
    } else if (Kind == hkActivateApp && !AppHasActiveWindow() && !s.Hot->FShowBorderWhenInactive) {
        s.Hot->MouseLeave();
    }
}

void TDockToolbarButton::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    if (Shared().Hot == this && WidgetUnderCursor(QCursor::pos()) != this)
        MouseLeave();
}

// ---- Mouse.

bool TDockToolbarButton::InArrowSection(int X) const {
    return X >= width() - (FDropdownArrowWidth + 2);
}

bool TDockToolbarButton::InsideForPress(QPoint P) const {
    if (!rect().contains(P))
        return false;
    return !(FDropdownCombo && FUsesDropdown && InArrowSection(P.x()));
}

void TDockToolbarButton::PressAt(QMouseEvent* Event) {
    const QPoint p = Event->position().toPoint();
    if (Event->button() != Qt::LeftButton || !isEnabled()) {
        if (isEnabled())
            BecomeHot();
        if (OnMouseDown)
            OnMouseDown(this, Event->button(), Event->modifiers(), p.x(), p.y());
        return;
    }
    BecomeHot();
    MouseEnter();
    FMenuPressed = FUsesDropdown && (!FDropdownCombo || InArrowSection(p.x()));
    if (!FDown) {
        FState = tbsDown;
        Redraw();
    } else if (FAllowAllUp) {
        Redraw();
    }
    if (!FMenuPressed) {
        FMousePressed = true;
        FPointerInside = true;
    }
    if (OnMouseDown)
        OnMouseDown(this, Event->button(), Event->modifiers(), p.x(), p.y());
    if (FMenuPressed) {
        // The menu drops on the press.
        Click();
    } else if (FRepeating) {
        Click();
        if (!FRepeatTimer) {
            FRepeatTimer = new QTimer(this);
            connect(FRepeatTimer, &QTimer::timeout, this, &TDockToolbarButton::RepeatTick);
        }
        FRepeatTimer->start(FRepeatDelay);
    }
    FMenuPressed = false;
}

void TDockToolbarButton::mousePressEvent(QMouseEvent* Event) {
    Event->accept();
    PressAt(Event);
}

void TDockToolbarButton::mouseDoubleClickEvent(QMouseEvent* Event) {
    Event->accept();
    PressAt(Event);
    if (FDown && OnDblClick)
        OnDblClick(this);
}

void TDockToolbarButton::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint p = Event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, Event->modifiers(), p.x(), p.y());
    if (!FMousePressed) {
        if (rect().contains(p))
            BecomeHot();
        return;
    }
    const bool inside = InsideForPress(p);
    FPointerInside = inside;
    if (inside && FRepeatTimer && !FRepeatTimer->isActive())
        FRepeatTimer->start();
    const TDockButtonState state = FDown ? tbsExclusive : inside ? tbsDown : tbsUp;
    if (state != FState && FState != tbsDisabled) {
        FState = state;
        Redraw();
    }
}

void TDockToolbarButton::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint p = Event->position().toPoint();
    if (Event->button() == Qt::LeftButton) {
        StopRepeat();
        if (FMousePressed) {
            FMousePressed = false;
            if (InsideForPress(p) && !FRepeating) {
                Click();
            } else {
                MouseLeave();
                // Released away from the button: it comes up.
                if (FState == tbsDown && !FInClick) {
                    FState = FDown ? tbsExclusive : tbsUp;
                    Redraw();
                }
            }
        }
    } else if (Event->button() == Qt::RightButton) {
        FMousePressed = false;
        MouseLeave();
    }
    if (OnMouseUp)
        OnMouseUp(this, Event->button(), Event->modifiers(), p.x(), p.y());
}

void TDockToolbarButton::StopRepeat() {
    delete FRepeatTimer;
    FRepeatTimer = nullptr;
}

void TDockToolbarButton::RepeatTick() {
    if (FRepeatTimer)
        FRepeatTimer->setInterval(FRepeatInterval);
    if (FRepeating && FMousePressed && FPointerInside) {
        Click();
    } else if (FRepeatTimer) {
        FRepeatTimer->stop();
    }
}

void TDockToolbarButton::changeEvent(QEvent* Event) {
    QWidget::changeEvent(Event);
    switch (Event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            TShared& s = Shared();
            if (s.Hot == this) {
                s.Hot = nullptr;
                s.HotTimer->stop();
            }
            FState = tbsDisabled;
            FMouseIn = false;
            FMousePressed = false;
            StopRepeat();
        } else if (FState == tbsDisabled) {
            FState = FDown ? tbsExclusive : tbsUp;
        }
        Redraw();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        Redraw();
        break;
    default:
        break;
    }
}

// ---- Click.

void TDockToolbarButton::Click() {
    const bool menuPart = FMenuPressed;
    if (FRepeating && !menuPart) {
        if (OnClick)
            OnClick(this);
        return;
    }
    QPointer<TDockToolbarButton> self(this);
    FInClick = true;
    if (FGroupIndex != 0 && !menuPart)
        SetDown(!FDown);
    if (FState == tbsUp || FState == tbsHot) {
        FState = tbsDown;
        Redraw();
    }
    // The button leaves the hot state for the click.
    TShared& s = Shared();
    if (s.Hot == this) {
        s.Hot = nullptr;
        s.HotTimer->stop();
    }
    FMouseIn = false;
    if (FUsesDropdown && (!FDropdownCombo || menuPart)) {
        if (!FDropdownCombo && OnClick)
            OnClick(this);
        if (!self)
            return;
        DropDown(true);
        return;
    }
    if (FModalResult != 0)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(FModalResult);
    if (OnClick)
        OnClick(this);
    if (self)
        FinishClick();
}

void TDockToolbarButton::DropDown(bool) {
    QPointer<TDockToolbarButton> self(this);
    FMenuShowing = true;
    repaint();
    bool showMenu = FDropdownMenu != nullptr;
    bool removeClicks = true;
    if (OnDropdown)
        OnDropdown(this, showMenu, removeClicks);
    if (!self)
        return;
    QMenu* menu = FDropdownMenu.data();
    if (!menu || !showMenu) {
        FinishClick();
        return;
    }
    // Below the button; beside it in a left dock; to its left in a right dock.
    const int dock = DockPositionOfProc ? DockPositionOfProc(this) : 4;
    QPoint at(0, height());
    bool right = false;
    if (dock == 2) {
        at = QPoint(width(), 0);
    } else if (dock == 3) {
        at = QPoint(0, 0);
        right = true;
    }
    const QPoint global = mapToGlobal(at);
    menu->setProperty(TDropdownList::DroppedFromProperty, QVariant::fromValue(QPointer<QWidget>(this)));
    connect(
        menu, &QMenu::aboutToHide, this, [this] { FinishClick(); }, Qt::SingleShotConnection);
    // The press that closes the menu on this button is not given to the button again: it would drop
    // the menu once more. A press elsewhere still goes on to where it was made.
    menu->setNoReplayFor(removeClicks ? this : nullptr);
    menu->setAttribute(Qt::WA_NoMouseReplay, false);
    if (auto* m = qobject_cast<MPopupMenu*>(menu)) {
        const TPopupAlignment old = m->Alignment;
        m->Alignment = right ? paRight : paLeft;
        m->Popup(global.x(), global.y());
        m->Alignment = old;
    } else {
        menu->popup(right ? global - QPoint(menu->sizeHint().width(), 0) : global);
    }
}

void TDockToolbarButton::FinishClick() {
    FInClick = false;
    FMenuShowing = false;
    if (FState == tbsDown)
        FState = FDown ? tbsExclusive : tbsUp;
    if (FDestroying)
        return;
    Redraw();
    if (isEnabled() && isVisible() && WidgetUnderCursor(QCursor::pos()) == this)
        BecomeHot();
}

// ---- Painting.

QSize TDockToolbarButton::TextSize(int MaxWidth) const {
    if (FDisplayMode == dmGlyphOnly || FCaption.isEmpty())
        return QSize(0, 0);
    const QFontMetrics fm(font());
    if (FWordWrap)
        return fm
            .boundingRect(QRect(0, 0, std::max(MaxWidth, 1), 1 << 20),
                          int(Qt::TextWordWrap | Qt::TextShowMnemonic), FCaption)
            .size();
    return fm.size(int(Qt::TextSingleLine | Qt::TextShowMnemonic), FCaption);
}

QImage TDockToolbarButton::Render() {
    const int w = width(), h = height();
    const bool opaque = FOpaque || !FFlat;
    QImage img(std::max(w, 1), std::max(h, 1), QImage::Format_ARGB32_Premultiplied);
    img.fill(opaque ? SysQColor(FColor) : QColor(Qt::transparent));
    if (w <= 0 || h <= 0)
        return img;
    const bool pushed = FState == tbsDown || FState == tbsExclusive;
    const bool combo = FDropdownCombo && FUsesDropdown;
    const bool menuPart = FMenuPressed || FMenuShowing;
    const bool facePushed = pushed && !(combo && menuPart);
    const int split = combo ? std::max(w - FDropdownArrowWidth - 2, 0) : w;
    const bool edge = !FNoBorder && (!FFlat || pushed || (FState == tbsHot && isEnabled()));

    if (edge) {
        DrawButtonEdge(img, TRect{0, 0, split, h}, facePushed, FFlat);
        if (combo)
            DrawButtonEdge(img, TRect{split, 0, w, h}, menuPart, FFlat);
    }
    const int inset = FNoBorder ? 0 : FFlat ? 1 : 2;
    const QRect content = QRect(0, 0, split, h).adjusted(inset, inset, -inset, -inset);
    if (pushed && FState == tbsExclusive && FHighlightWhenDown && (!FFlat || !FMouseIn) &&
        !content.isEmpty()) {
        QPainter p(&img);
        p.setBrushOrigin(0, 0);
        p.fillRect(content, QBrush(DitherPattern()));
    }
    const QPoint offset = facePushed ? QPoint(1, 1) : QPoint(0, 0);

    // Glyph, caption and arrow.
    TDockButtonLayoutInput in;
    in.Client = content;
    in.Glyph = FDisplayMode == dmTextOnly ? QSize() : FGlyph->Size();
    in.Arrow = FUsesDropdown && !FDropdownCombo && FDropdownArrow ? QSize(FDropdownArrowWidth, 3) : QSize();
    in.Layout = FLayout;
    in.Margin = FMargin;
    in.Spacing = FSpacing;
    const bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight || in.Glyph.isEmpty();
    int maxWidth = content.width();
    int m = 4;
    if (horizontal) {
        maxWidth -= in.Arrow.isEmpty() ? 0 : in.Arrow.width();
        if (!in.Glyph.isEmpty()) {
            maxWidth -= in.Glyph.width() + (FSpacing == -1 ? 4 : FSpacing);
            m = FMargin != -1 ? FMargin : FSpacing != -1 ? FSpacing : 4;
        }
    }
    in.Text = TextSize(maxWidth - 2 * m);
    const TDockButtonLayout lay = CalcDockButtonLayout(in);
    const bool enabled = isEnabled();
    {
        QPainter p(&img);
        if (!in.Glyph.isEmpty())
            FGlyph->Draw(p, lay.Glyph + offset, enabled ? FState : tbsDisabled);
        if (!in.Text.isEmpty()) {
            p.setFont(font());
            p.setLayoutDirection(FCaption.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
            const int flags = int(AbsoluteAlignment(FAlignment)) | Qt::AlignVCenter | Qt::TextShowMnemonic |
                              (FWordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
            const QRect r = lay.Text.translated(offset);
            if (!enabled) {
                p.setPen(SysQColor(clBtnHighlight));
                p.drawText(r.translated(1, 1), flags, FCaption);
                p.setPen(SysQColor(clBtnShadow));
            } else {
                p.setPen(SysQColor(clBtnText));
            }
            p.drawText(r, flags, FCaption);
        }
    }
    if (!in.Arrow.isEmpty())
        DrawArrowLook(img, lay.Arrow.x() + offset.x(), lay.Arrow.y() + offset.y(), FDropdownArrowWidth,
                      enabled);
    if (combo)
        DrawArrowLook(img, w - FDropdownArrowWidth - 2, h / 2 - 1, FDropdownArrowWidth, enabled);
    return img;
}

void TDockToolbarButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}
