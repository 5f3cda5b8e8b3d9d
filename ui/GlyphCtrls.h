#pragma once
// The speed button with a glyph strip, and the glyph cache behind it. A button derives one image per
// look (up, disabled, down, exclusive, inactive) from its strip and keeps it in an image list of the
// image's size; one process-wide cache holds these lists, so every button with glyphs of one size
// shares one list, and buttons that show the same pixels in the same look share one image.

#include "platform/Color.h"
#include "ui/BiDi.h"
#include "ui/GfxUtils.h"
#include "ui/OwnerDrawnButton.h"
#include "ui/UComponents.h"

#include <QFont>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QTimer;

// ---- Image lists.

// An image list of one image size: slots found through a set of used bits, each holding one image
// with its mask. Adding pixels equal to an image already held gives that image's slot again and
// counts one more user; Delete drops one user and frees the slot with its last.
class TGlyphList {
public:
    TGlyphList(int Width, int Height);
    TGlyphList(const TGlyphList&) = delete;
    TGlyphList& operator=(const TGlyphList&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // The images held (shared ones counted once).
    int Count() const { return FCount; }
    // The slots the list has grown to.
    int Capacity() const { return int(FSlots.size()); }

    // Adds an image of the list's size (a larger one is cut, a smaller one padded with MaskColor);
    // pixels of MaskColor are transparent. Returns the slot.
    int AddMasked(const QImage& Image, TColor MaskColor);
    // Adds an image whose transparency is its alpha channel.
    int Add(const QImage& Image);
    // Drops one user of a slot; an index that holds nothing is ignored.
    void Delete(int Index);
    bool Used(int Index) const;
    int Users(int Index) const;

    // The image (alpha where transparent), its mask (opaque pixels black on white) and the pixmap
    // drawn; null for an unused slot.
    QImage Image(int Index) const;
    QImage Mask(int Index) const;
    QPixmap Pixmap(int Index) const;
    void Draw(QPainter& Painter, int X, int Y, int Index) const;

private:
    struct Slot {
        int Users = 0;
        std::size_t Key = 0;
        QImage Image;
        QImage Mask;
        QPixmap Pixmap;
    };
    int AddPrepared(QImage Image);
    int FWidth, FHeight;
    int FCount = 0;
    std::vector<Slot> FSlots;
    std::unordered_multimap<std::size_t, int> FByKey;
};

// The lists of every size: a list is searched from the last one backwards, made when missing, and
// freed when its last image goes.
class TGlyphCache {
public:
    static TGlyphCache& Instance();
    TGlyphList* GetList(int Width, int Height);
    // Frees the list when it holds no image any more.
    void ReturnList(TGlyphList* List);
    int ListCount() const { return int(FLists.size()); }
    bool Holds(const TGlyphList* List) const;

private:
    std::vector<std::unique_ptr<TGlyphList>> FLists;
};

// The disabled look of image Index of a list: the highlight colour into its opaque pixels at
// (X + 1, Y + 1) when DrawHighlight, then the shadow colour at (X, Y).
void DrawImageListDisabled(const TGlyphList& ImageList, QImage& Canvas, int X, int Y, int Index,
                           TColor HighlightColor, TColor ShadowColor, bool DrawHighlight);
// The grey of the inactive look: (77 R + 150 G + 29 B) div 256 in all three channels.
inline int InactiveGrey(int R, int G, int B) {
    return (R * 77 + G * 150 + B * 29) / 256;
}

// ---- Glyphs of a button.

// The looks of a button.
enum TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3, bsInactive = 4 };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TDropDownMenuPos { dmpBottom, dmpRight };

// Where glyph and caption go inside a client rectangle.
struct TGlyphLayout {
    QPoint GlyphPos;
    QRect TextBounds;
};
// Places a glyph of GlyphSize and a text of TextSize in Client by the layout, margin and spacing
// rules (-1 = automatic).
TGlyphLayout CalcButtonLayout(const QRect& Client, QSize GlyphSize, QSize TextSize, TButtonLayout Layout,
                              int Margin, int Spacing);

class TCachedButtonGlyph {
public:
    TCachedButtonGlyph();
    ~TCachedButtonGlyph();
    TCachedButtonGlyph(const TCachedButtonGlyph&) = delete;
    TCachedButtonGlyph& operator=(const TCachedButtonGlyph&) = delete;

    // The strip; a change drops the derived images and calls OnChange.
    const QImage& Glyph() const { return FOriginal; }
    void SetGlyph(const QImage& Value);
    // 1 to 5; smaller values count as 1, larger ones as 5. A change drops the derived images.
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // The strip's bottom-left pixel.
    TColor TransparentColor() const { return FTransparentColor; }
    // The size of one cell; empty without a glyph.
    QSize CellSize() const;

    // Draws the glyph from an image list instead of the strip (null: back to the strip).
    void SetImageList(TGlyphList* Images, int ImageIndex);

    // The image of a look in the list in use, made on first use; -1 when there is nothing to draw.
    int CreateButtonGlyph(TButtonState State);
    TGlyphList* List() const { return FGlyphList; }
    // Gives back every derived image.
    void Invalidate();

    // Draws glyph and caption into Canvas inside Client; Offset shifts both (down looks).
    // Returns the rectangle of the caption.
    QRect Draw(QImage& Canvas, const QRect& Client, QPoint Offset, const QString& Caption, const QFont& Font,
               TButtonLayout Layout, int Margin, int Spacing, TButtonState State);

    std::function<void()> OnChange;

private:
    void DrawButtonGlyph(QImage& Canvas, QPoint Pos, TButtonState State);
    void DrawButtonText(QImage& Canvas, const QString& Caption, const QFont& Font, const QRect& Bounds,
                        TButtonState State);
    QSize TextExtent(const QString& Caption, const QFont& Font, int MaxWidth) const;
    QImage Cell(int Index) const;

    QImage FOriginal;
    int FNumGlyphs = 1;
    TAlignment FAlignment = taCenter;
    bool FWordWrap = false;
    TColor FTransparentColor = 0;
    TGlyphList* FGlyphList = nullptr;
    int FIndexs[5] = {-1, -1, -1, -1, -1};
    std::uint32_t FColorGeneration = 0;
    TGlyphList* FImages = nullptr;
    int FImageIndex = -1;
};

// ---- The speed button.

// Grouped buttons (speed buttons, toolbar buttons): the other buttons of the same type on the same
// parent with the same non-zero group index.
template <typename Button>
QList<Button*> GroupSiblings(const Button* Self) {
    QList<Button*> list;
    if (Self->GroupIndex() == 0 || !Self->parentWidget())
        return list;
    for (QObject* c : Self->parentWidget()->children())
        if (auto* b = qobject_cast<Button*>(c); b && b != Self && b->GroupIndex() == Self->GroupIndex())
            list.append(b);
    return list;
}

// Whether Down := Value changes a grouped button: outside a group a button is never down (Value
// becomes false), and the down button of a group that does not allow all up stays down.
inline bool GroupDownChanges(int GroupIndex, bool AllowAllUp, bool Down, bool& Value) {
    if (GroupIndex == 0)
        Value = false;
    return Value != Down && !(Down && !AllowAllUp);
}

class TGlyphSpeedButton : public TOwnerDrawnButton {
    Q_OBJECT
public:
    explicit TGlyphSpeedButton(QWidget* Parent = nullptr);
    ~TGlyphSpeedButton() override;

    TAlignment Alignment() const { return FGlyph->Alignment(); }
    void SetAlignment(TAlignment Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool AllowTimer() const { return FAllowTimer; }
    void SetAllowTimer(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    QMenu* DropDownMenu() const { return FDropDownMenu.data(); }
    void SetDropDownMenu(QMenu* Value);
    TDropDownMenuPos MenuPosition() const { return FMenuPosition; }
    void SetMenuPosition(TDropDownMenuPos Value) { FMenuPosition = Value; }
    const QImage& Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(const QImage& Value);
    bool GrayedInactive() const { return FGrayedInactive; }
    void SetGrayedInactive(bool Value);
    int InitPause() const { return FInitPause; }
    void SetInitPause(int Value) { FInitPause = Value; }
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    bool MarkDropDown() const { return FMarkDropDown; }
    void SetMarkDropDown(bool Value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    int NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(int Value);
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int Value) { FRepeatInterval = Value; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool WordWrap() const { return FGlyph->WordWrap(); }
    void SetWordWrap(bool Value);

    TButtonState State() const { return FState; }
    bool MouseInControl() const { return MouseInside(); }
    bool Dragging() const { return FDragging; }
    bool MenuTracking() const { return FMenuTracking; }
    TCachedButtonGlyph& ButtonGlyph() { return *FGlyph; }
    // The look drawn now (inactive for a flat button without the pointer over it).
    TButtonState DrawnState() const;

    // A click: the parent dialog takes ModalResult, then OnClick.
    void Click() override;
    // Checks whether the pointer is over the button and fires the enter and leave events.
    void UpdateTracking();
    // Paints the button into an image of its size.
    QImage Render() override;

    TNotifyEvent OnDblClick;
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseMove;

protected:
    // Draws glyph and caption into Client of the off-screen image.
    virtual void PaintGlyph(QImage& Canvas, const QRect& Client, QPoint Offset, TButtonState State);
    // The face: background, frame, checker and glyph (a descendant adds to it).
    virtual void PaintButton(QImage& Canvas);
    // Only a flat button looks different with the pointer over it.
    void MouseInsideChanged() override;
    void CaptionChanged() override;

    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    bool event(QEvent* Event) override;

private:
    void PressAt(QMouseEvent* Event, bool Double);
    void UpdateExclusive();
    void GroupDown(TGlyphSpeedButton* Sender);
    QList<TGlyphSpeedButton*> GroupMembers() const;
    void RepeatTimerExpired();
    void StopTimer();
    void ShowDropDown();

    std::unique_ptr<TCachedButtonGlyph> FGlyph;
    TButtonState FState = bsUp;
    bool FDragging = false;
    bool FMenuTracking = false;
    bool FAllowAllUp = false;
    bool FAllowTimer = false;
    int FGroupIndex = 0;
    bool FDown = false;
    QPointer<QMenu> FDropDownMenu;
    TDropDownMenuPos FMenuPosition = dmpBottom;
    bool FGrayedInactive = true;
    int FInitPause = 500;
    TButtonLayout FLayout = blGlyphTop;
    int FMargin = -1;
    bool FMarkDropDown = true;
    int FModalResult = 0;
    int FRepeatInterval = 100;
    int FSpacing = 1;
    TButtonStyle FStyle = bsAutoDetect;
    bool FTransparent = false;
    QTimer* FRepeatTimer = nullptr;
    int FMnemonicId = 0;
};
