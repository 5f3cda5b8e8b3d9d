#pragma once
// The toolbar button: a flat (or raised) button that shows a glyph, a caption or both, lights up
// under the pointer, can stay down in a group, repeat its click while held and drop down a menu,
// from the whole button or, in combo style, from a separate arrow section on its right. One shared
// 125 ms timer and the pointer hooks of the dock library keep exactly one button hot. The glyph
// images of the five looks are made on first use and kept in the glyph cache of the speed buttons;
// the drop-down list keeps the buttons' menus and turns a chosen command into a signal.

#include "platform/Color.h"
#include "ui/BiDi.h"
#include "ui/DockCmn.h"
#include "ui/GlyphCtrls.h"
#include "ui/UComponents.h"

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QTimer;

enum TDockButtonState { tbsUp = 0, tbsDisabled = 1, tbsDown = 2, tbsExclusive = 3, tbsHot = 4 };
enum TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };

// ---- Layout of glyph, caption and arrow, headless.
struct TDockButtonLayoutInput {
    QRect Client;
    QSize Glyph;
    QSize Text;
    QSize Arrow;
    TButtonLayout Layout = blGlyphLeft;
    int Margin = -1;
    int Spacing = 4;
};
struct TDockButtonLayout {
    QPoint Glyph;
    QRect Text;
    QPoint Arrow;
};
TDockButtonLayout CalcDockButtonLayout(const TDockButtonLayoutInput& In);

// The glyph of a toolbar button: the strip of up to five looks (up, disabled, down, exclusive, hot)
// or an image of an image list, and the images made from it.
class TDockButtonGlyph {
public:
    TDockButtonGlyph() = default;
    ~TDockButtonGlyph();
    TDockButtonGlyph(const TDockButtonGlyph&) = delete;
    TDockButtonGlyph& operator=(const TDockButtonGlyph&) = delete;

    const QImage& Glyph() const { return FGlyph; }
    // Also counts the looks: width / height when that divides evenly into 1 to 5, else 1 (a strip of
    // height 0 is one cell).
    void SetGlyph(const QImage& Value);
    const QImage& GlyphMask() const { return FMask; }
    // Monochrome: white pixels are transparent. Replaces the strip's transparent colour.
    void SetGlyphMask(const QImage& Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    bool OldDisabledStyle() const { return FOldDisabledStyle; }
    void SetOldDisabledStyle(bool Value);
    // An image list used instead of the strip (held weakly: a list freed elsewhere draws nothing).
    void SetImages(const std::shared_ptr<TGlyphList>& Images, int ImageIndex);
    std::shared_ptr<TGlyphList> Images() const { return FImages.lock(); }
    int ImageIndex() const { return FImageIndex; }

    // The size of one look; empty when there is nothing to draw.
    QSize Size() const;
    // The image of a look, made on first use; null when there is nothing to draw.
    QImage Image(TDockButtonState State);
    void Draw(QPainter& Painter, QPoint Pos, TDockButtonState State);
    // Gives back every image made.
    void Invalidate();
    // The list and slot of a made image (for tests): the disabled images live in the list of the size
    // plus one.
    TGlyphList* List(TDockButtonState State) const {
        return State == tbsDisabled && FDisabledGenerated ? FDisabledList : FList;
    }
    int Index(TDockButtonState State) const { return FIndex[State]; }

    std::function<void()> OnChange;

private:
    int EffectiveNumGlyphs() const;
    QImage Cell(int Index) const;
    QImage Transparented(const QImage& Cell, int Index) const;
    void Changed();
    QImage FGlyph;
    QImage FMask;
    int FNumGlyphs = 1;
    bool FOldDisabledStyle = false;
    std::weak_ptr<TGlyphList> FImages;
    bool FUsesImages = false;
    int FImageIndex = -1;
    TGlyphList* FList = nullptr;
    TGlyphList* FDisabledList = nullptr;
    int FIndex[5] = {-1, -1, -1, -1, -1};
    // The disabled image was generated (one pixel larger) rather than taken from the strip.
    bool FDisabledGenerated = false;
    std::uint32_t FColorGeneration = 0;
};

// The shared keeper of the buttons' drop-down menus: a chosen item whose action data holds a command
// number becomes Command(number, menu, button); the long part of a hovered item's hint
// ("short|long") goes out as the status tip of the window the menu was dropped from, and goes when
// the menu closes.
//
// Every window of the program hears every Command: a receiver acts only on its own, the menus it
// owns and the buttons it placed, as ComesFrom tells:
//     connect(&TDropdownList::Instance(), &TDropdownList::Command, this,
//             [this](int Id, QMenu* Menu, QWidget* Button) {
//                 if (TDropdownList::ComesFrom(this, Menu, Button)) ...
//             });
class TDropdownList : public QObject {
    Q_OBJECT
public:
    static TDropdownList& Instance();
    void AddMenu(QMenu* Menu);
    void RemoveMenu(QMenu* Menu);
    int Count() const;
    // The long part of a hint: what follows the first '|', or the whole hint.
    static QString LongHint(const QString& Hint);
    // The menu's property holding the button it was dropped from, guarded.
    static constexpr const char* DroppedFromProperty = "kdsDroppedFrom";
    // The button a menu was last dropped from, while it lives; null for a menu shown from code.
    static QWidget* DroppedFrom(const QMenu* Menu);
    // Receiver is the menu or the button, or owns one of them (a parent at any level).
    static bool ComesFrom(const QObject* Receiver, const QMenu* Menu, const QWidget* Button);

signals:
    // Id is the chosen item's command number, Menu the menu it was chosen from and Button the button
    // that menu was dropped from (null when there is none).
    void Command(int Id, QMenu* Menu, QWidget* Button);
    void Hint(const QString& Text);

private:
    explicit TDropdownList(QObject* Parent);
    void ShowHint(QMenu* Menu, const QString& Text);
    std::vector<QPointer<QMenu>> FMenus;
};

class TDockToolbarButton : public QWidget, public virtual MTag {
    Q_OBJECT
public:
    explicit TDockToolbarButton(QWidget* Parent = nullptr);
    ~TDockToolbarButton() override;

    // ---- Properties.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    TButtonDisplayMode DisplayMode() const { return FDisplayMode; }
    void SetDisplayMode(TButtonDisplayMode Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool DropdownAlways() const { return FDropdownAlways; }
    void SetDropdownAlways(bool Value);
    bool DropdownArrow() const { return FDropdownArrow; }
    void SetDropdownArrow(bool Value);
    // At least 7 (and at most 4096); a combo's width follows a change.
    int DropdownArrowWidth() const { return FDropdownArrowWidth; }
    void SetDropdownArrowWidth(int Value);
    bool DropdownCombo() const { return FDropdownCombo; }
    void SetDropdownCombo(bool Value);
    // Guarded: a menu freed elsewhere leaves the button without one.
    QMenu* DropdownMenu() const { return FDropdownMenu.data(); }
    void SetDropdownMenu(QMenu* Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool Value) { setEnabled(Value); }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    const QImage& Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(const QImage& Value);
    const QImage& GlyphMask() const { return FGlyph->GlyphMask(); }
    void SetGlyphMask(const QImage& Value);
    bool HighlightWhenDown() const { return FHighlightWhenDown; }
    void SetHighlightWhenDown(bool Value);
    int ImageIndex() const { return FGlyph->ImageIndex(); }
    void SetImageIndex(int Value);
    std::shared_ptr<TGlyphList> Images() const { return FGlyph->Images(); }
    void SetImages(const std::shared_ptr<TGlyphList>& Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    // -1 centres; values below -1 are ignored, at most 4096.
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    bool NoBorder() const { return FNoBorder; }
    void SetNoBorder(bool Value);
    int NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(int Value);
    bool OldDisabledStyle() const { return FGlyph->OldDisabledStyle(); }
    void SetOldDisabledStyle(bool Value);
    bool Opaque() const { return FOpaque; }
    void SetOpaque(bool Value);
    bool Repeating() const { return FRepeating; }
    void SetRepeating(bool Value) { FRepeating = Value; }
    int RepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(int Value) { FRepeatDelay = std::max(Value, 1); }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int Value) { FRepeatInterval = std::max(Value, 1); }
    bool ShowBorderWhenInactive() const { return FShowBorderWhenInactive; }
    void SetShowBorderWhenInactive(bool Value) { FShowBorderWhenInactive = Value; }
    // -1 centres between glyph and caption; values below -1 are ignored, at most 4096.
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    QString Version() const;
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

    // ---- Events.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    std::function<void(QObject* Sender, bool& ShowMenu, bool& RemoveClicks)> OnDropdown;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseDown;
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseUp;
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseMove;

    // ---- State.
    TDockButtonState State() const { return FState; }
    bool MouseIn() const { return FMouseIn; }
    bool MousePressed() const { return FMousePressed; }
    bool UsesDropdown() const { return FUsesDropdown; }
    // The menu dropped by the last click is still open.
    bool MenuShowing() const { return FMenuShowing; }
    TDockButtonGlyph& ButtonGlyph() { return *FGlyph; }
    // The button under the pointer, if any.
    static TDockToolbarButton* HotButton();
    static int LiveButtons();

    // A click: group toggling, the drop-down or the parent dialog's result, then OnClick.
    virtual void Click();
    // Makes the image of the present enabled or disabled look once (the form has finished loading).
    void Loaded();
    // What the repeat timer runs on each tick, and what the shared hot-tracking timer runs.
    void RepeatTick();
    static void HotTrackTick();
    // The repeat timer while it exists (made by a press of a repeating button).
    QTimer* RepeatTimer() const { return FRepeatTimer; }
    // Paints the button into an image of its size (transparent where a flat, non-opaque button lets
    // its parent show).
    QImage Render();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    bool event(QEvent* Event) override;
    // The hot look's enter and leave.
    void MouseEnter();
    void MouseLeave();

private:
    static void ButtonHook(THookKind Kind, QObject* Window, QEvent* Event);
    void PressAt(QMouseEvent* Event);
    void Redraw();
    void UpdateUsesDropdown();
    void UpdateShortcuts();
    bool InArrowSection(int X) const;
    bool InsideForPress(QPoint P) const;
    void DropDown(bool RemoveClicks);
    void FinishClick();
    void StopRepeat();
    QList<TDockToolbarButton*> GroupMembers() const;
    QSize TextSize(int MaxWidth) const;
    void BecomeHot();

    std::unique_ptr<TDockButtonGlyph> FGlyph;
    TDockButtonState FState = tbsUp;
    QTimer* FRepeatTimer = nullptr;
    bool FInClick = false;
    bool FMouseIn = false;
    bool FMousePressed = false;
    bool FMenuPressed = false;
    bool FUsesDropdown = false;
    bool FMenuShowing = false;
    bool FPointerInside = false;
    bool FDestroying = false;

    TAlignment FAlignment = taCenter;
    bool FAllowAllUp = false;
    bool FCancel = false;
    TColor FColor;
    int FGroupIndex = 0;
    bool FDefault = false;
    TButtonDisplayMode FDisplayMode = dmBoth;
    bool FDown = false;
    bool FDropdownAlways = false;
    bool FDropdownArrow = true;
    int FDropdownArrowWidth = 9;
    bool FDropdownCombo = false;
    QPointer<QMenu> FDropdownMenu;
    QString FCaption;
    int FModalResult = 0;
    bool FFlat = true;
    bool FHighlightWhenDown = true;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    bool FNoBorder = false;
    bool FOpaque = true;
    bool FRepeating = false;
    int FRepeatDelay = 400;
    int FRepeatInterval = 100;
    bool FShowBorderWhenInactive = false;
    int FSpacing = 4;
    bool FWordWrap = false;
    int FMnemonicId = 0;
    int FDefaultId = 0;
    int FDefaultId2 = 0;
    int FCancelId = 0;
};
