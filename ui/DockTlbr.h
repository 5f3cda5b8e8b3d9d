#pragma once
// Toolbars: tool windows that lay their child controls out themselves, in one row when docked in a
// horizontal dock, in one column in a vertical dock, and in rows wrapped at a width the user chooses
// by sizing the toolbar when it floats. Separators split the controls into groups; a floating row
// breaks preferably at a separator, which then shrinks to nothing and leaves an etched line across
// the toolbar. Any widget may be a child; it counts while it is not hidden. The arithmetic is in
// ToolbarCore.h.

#include "ui/Docks.h"
#include "ui/ToolbarCore.h"

#include <QPointer>

#include <memory>
#include <unordered_map>
#include <vector>

class TCustomDockToolbar : public TCustomDockWindow {
    Q_OBJECT
public:
    explicit TCustomDockToolbar(QWidget* Owner);
    ~TCustomDockToolbar() override;

    // The width available for the controls when floating; 0 = one row. Changed by sizing the floating
    // toolbar with the mouse; kept while docked. Negative values are taken as 0.
    int FloatingWrapWidth() const { return FFloatingRightX; }
    void SetFloatingWrapWidth(int Value);
    bool OrderByPositionOnLoad() const { return FOrderOnLoad; }
    void SetOrderByPositionOnLoad(bool Value) { FOrderOnLoad = Value; }

    // The children in layout order (a child added goes to the end).
    std::vector<QWidget*> OrderList() const;
    // The visible children in layout order, as layout items (no bounds yet).
    std::vector<TToolbarItem> Items(std::vector<QWidget*>* Controls = nullptr) const;
    // The groups and the row lines of the last applied layout.
    const std::vector<TToolbarGroup>& Groups() const { return FGroups; }
    const std::vector<TToolbarRowLine>& RowLines() const { return FRowLines; }
    // The candidate floating client sizes, the single row first.
    std::vector<QSize> BuildFloatingSizes() const;

    int DockedThickness(int DockType) const override;
    QSize SmallestClientSize() const override;
    QSize LayOutContents(bool ResizeChildren, int OrderDockType, TDockArea* Dock) override;
    bool ChildLetsDrag(QWidget* Child) const override;
    void QueryParams(TDockWindowParams& Params) const override;
    void OrderOnLoad() override;
    void SizingStarted(int Edge) override;
    void SizingStep(QRect& NewRect, const QRect& StartRect) override;
    void SizingEnded(bool Accept) override;

protected:
    void childEvent(QChildEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void ChildChanged();
    // Whether the last applied layout saw the child as it is now: shown or not, and its size.
    bool LaidAsItIs(const QWidget* Child) const;
    bool FOrderOnLoad = true;
    int FFloatingRightX = 0;
    bool FLayingOut = false;
    bool FRelayoutQueued = false;
    // The size of each visible child as the last applied layout found it.
    std::unordered_map<const QObject*, QSize> FLaidSizes;
    std::vector<QPointer<QWidget>> FOrder;
    std::vector<TToolbarGroup> FGroups;
    std::vector<TToolbarRowLine> FRowLines;
    std::unique_ptr<TToolbarSizing> FSizing;
};

// The toolbar as forms use it.
class TDockToolbar : public TCustomDockToolbar {
    Q_OBJECT
public:
    explicit TDockToolbar(QWidget* Owner) : TCustomDockToolbar(Owner) {}
};

// The separator between groups of a toolbar: an etched line across the row (or column), or blank
// space. It lives only on a toolbar; a press on it drags the toolbar.
class TDockToolbarSep : public QWidget {
    Q_OBJECT
public:
    // Parent: a toolbar or none; anything else raises EInvalidOperation.
    explicit TDockToolbarSep(QWidget* Parent = nullptr);

    // Places the separator on P (a toolbar or none); anything else raises EInvalidOperation and
    // leaves the separator where it was.
    void SetParent(QWidget* P);
    bool Blank() const { return FBlank; }
    void SetBlank(bool Value);
    // Width in a row and height in a column; values below 1 become 1.
    int SizeHorz() const { return FSizeHorz; }
    void SetSizeHorz(int Value);
    int SizeVert() const { return FSizeVert; }
    void SetSizeVert(int Value);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    void Rearrange();
    bool FBlank = false;
    int FSizeHorz = 6;
    int FSizeVert = 6;
};
