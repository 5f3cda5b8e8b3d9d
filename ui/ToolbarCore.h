#pragma once
// The arithmetic of the toolbars, free of widgets: the groups a toolbar's controls form between its
// separators, the layout in one row (docked horizontally), one column (docked vertically) or rows
// wrapped at a width (floating), the candidate floating sizes, and the snapping of a floating
// toolbar sized with the mouse. The toolbar widgets feed these functions with their children, so
// every rule here runs headless.

#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

// One child of a toolbar as the layout sees it: a control of its present size, or a separator.
struct TToolbarItem {
    int Width = 0;
    int Height = 0;
    bool Separator = false;
    // A separator that takes space but draws no line and no row line.
    bool Blank = false;
    // A separator's width in a row and height in a column (1 and up).
    int SizeHorz = 6;
    int SizeVert = 6;
    // Written by an applied layout: the place in the toolbar's client area.
    QRect Bounds;
};

// A row break made at a separator in the floating layout: the cross position where the next row
// starts and the separator's Blank.
struct TToolbarRowLine {
    std::int16_t Pos = 0;
    bool Blank = false;
    friend bool operator==(const TToolbarRowLine&, const TToolbarRowLine&) = default;
};

// A run of controls up to and including the separator that closes it.
struct TToolbarGroup {
    int Width = 0;
    int Height = 0;
    std::vector<int> Items;
};

// Groups of the items in their order: a group starts at the first item and after every separator; a
// separator closes its group and adds nothing to its sums.
std::vector<TToolbarGroup> BuildToolbarGroups(const std::vector<TToolbarItem>& Items);

// The thickness of a toolbar across a dock of the type (0 floating, 1 horizontal, 2 vertical): the
// largest height (width for 2) of its controls, at least 8.
int ToolbarDockedThickness(const std::vector<TToolbarItem>& Items, int DockType);

struct TToolbarLayoutInput {
    // 0 floating, 1 horizontal dock, 2 vertical dock.
    int DockType = 1;
    // Floating only: the width available for the controls; 0 = one row. Out of range values are
    // taken as 0 (negative) or as no limit (huge).
    int WrapWidth = 0;
    // The cross size the controls are centred in; 0 = the toolbar's own thickness. A toolbar docked
    // in a row made thicker by a neighbour passes the row's thickness.
    int CrossSize = 0;
    // Write the bounds of every item (separators at a row break shrink to length 0) and the row
    // lines.
    bool Apply = false;
};

// Lays the items out and returns the client size. Docked: exactly as long as the controls and as
// thick as the thickest; floating: 4-pixel margins left and right, 2 above, 1 below, and 6 pixels
// between rows broken at a separator; separators alone never make a row. Lines (may be null)
// receives the row lines when applied.
QSize LayOutToolbar(std::vector<TToolbarItem>& Items, const TToolbarLayoutInput& Input,
                    std::vector<TToolbarRowLine>* Lines = nullptr);

// The distinct floating client sizes from the single row to the narrowest arrangement, keeping the
// narrowest width for each height; the single row comes first.
std::vector<QSize> BuildToolbarFloatingSizes(std::vector<TToolbarItem>& Items);

// Sizing a floating toolbar with the mouse: the candidate outer sizes sorted for the dragged edge,
// the sensitivity, and the arrangement chosen at each step.
class TToolbarSizing {
public:
    // Edge: 0 left, 1 right, 2 top, 5 bottom (the corners count as their top or bottom side).
    // ClientSizes: the candidate floating sizes (single row first); Frame: the floating frame across
    // (X) and along (Y); FrameLeft: the left frame width; Current: the toolbar's outer size now.
    // CurrentWrap: the wrap width now, kept until a step chooses.
    TToolbarSizing(int Edge, const std::vector<QSize>& ClientSizes, QSize Frame, int FrameLeft, QSize Current,
                   int CurrentWrap);

    // The outer rectangle for a requested one (the dragged edge where the cursor is), built from
    // Start, the toolbar's rectangle when the sizing began.
    QRect Step(const QRect& Requested, const QRect& Start);

    bool Horizontal() const { return FHorizontal; }
    int Sensitivity() const { return FSensitivity; }
    // The chosen wrap width: 0 for the single row.
    int WrapWidth() const { return FWrapWidth; }
    // The candidate outer sizes in their sorted order.
    const std::vector<QSize>& Sizes() const { return FSizes; }

private:
    int Extent(QSize S) const { return FHorizontal ? S.width() : S.height(); }
    int FEdge;
    bool FHorizontal;
    std::vector<QSize> FSizes;
    QSize FOneRow;
    int FFrameLeft;
    int FSensitivity = 12;
    int FWrapWidth = 0;
    bool FSnapped = false;
    int FLastDirection = 0;
};
