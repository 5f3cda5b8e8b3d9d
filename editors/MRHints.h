#pragma once
// The program's hint window. Resting the mouse on a control with a hint shows a balloon (a
// rectangle, rounded rectangle or ellipse) with an optional checkered drop shadow and an optional tail
// pointing at the cursor. The balloon shows the control's hint as a blue head; for a cell of a module
// row it adds, below a separator line, the field help that its row supplies, in black with inline
// colour changes and line breaks.
//
// Hint texts: the head is everything before the first "@"; "@S@" there starts the field help. Inside
// the help a pair of "@" encloses a marker: a number 0 to 10 selects the colour of the following text
// (HintMarkerColors), "L" breaks the line, "E" ends the text, any other marker is ignored. In head and
// help a line feed breaks the line and a carriage return is ignored.
//
// The window is a frameless tool-tip window whose shape is a mask of its regions (no copy of the
// screen is taken); it is drawn into an image and copied in one step. An application event filter
// takes Qt's tool-tip events for controls with a hint, and a proxy style gives the wake-up delay.

#include "platform/Color.h"
#include "ui/GfxUtils.h"

#include <QFontMetrics>
#include <QImage>
#include <QLine>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

// ---- Options, set only by InstallHintWindow (all 0 before).
extern std::uint8_t HintShape;        // 0 rectangle, 1 rounded rectangle, 2 ellipse
extern std::uint8_t HintShadowOffset; // shadow offset in pixels to the right and down; 0 none
extern std::uint8_t HintTail;         // 1: a tail points at the cursor
extern std::uint8_t HintTextAlign;    // 0 left, 1 right, 2 centre: measuring alignment and text shift

struct THintOptions {
    int Shape = 0;
    int ShadowOffset = 0;
    int Tail = 0;
    int TextAlign = 0;
    // The options installed now.
    static THintOptions Installed();
    // A shaped window: anything but a plain rectangle.
    bool Shaped() const { return Shape != 0 || ShadowOffset > 0 || Tail != 0; }
};

// The colours of the digit markers 0 to 10.
extern const std::array<TColor, 11> HintMarkerColors;
// The colour of the head text.
constexpr TColor HintHeadColor = 0xFF0000;

// ---- The text.
// The text without its markers: every character between a pair of "@", and the "@" themselves.
QString StripHintMarkers(const QString& Hint);
// The text before the first "@"; when its second-to-last character is a line feed the text ends
// before it, and then a carriage return at its end is removed.
QString HintHeadText(const QString& Text);
// The field help after "@S@" at the first "@", each line feed as "@L@", carriage returns dropped,
// "@E@" appended; empty when there is no help.
QString FieldHelpMarkup(const QString& Text);
// True for a marker that does not start with a digit.
bool IsNotDigitMarker(const QString& Marker);

// ---- Size and place.
// The body, text and window rectangles of a hint (window coordinates) and the room of the tail.
struct THintGeometry {
    TRect Bounds;   // the window: (0, 0, width, height)
    TRect BodyRect; // the body shape
    TRect TextRect; // the text; the tail is built on its edge
    int CornerSize = 0;
    int TailWidth = 0;
    int TailHeight = 0;
};
// The size of a hint's text without markers, word-wrapped at MaxWidth.
QSize MeasureHintText(const QString& Hint, int MaxWidth, const QFontMetrics& Metrics, int TextAlign);
// The geometry for a text of TextSize: 8 x 5 pixels more, the corner growth of the shape, the shadow
// and the tail room.
THintGeometry HintGeometry(QSize TextSize, const THintOptions& Options);

// Tail positions: the corner where the tail sits.
constexpr int tpBottomLeft = 0, tpBottomRight = 1, tpTopLeft = 2, tpTopRight = 3;
struct THintPlacement {
    QPoint TopLeft;
    int TailPosition = tpTopLeft;
};
// Where a window of Size goes for the cursor at Cursor, proposed at Proposed, on Screen: with a tail
// just above and right of the cursor, then kept inside the screen (moved to the other side of the
// cursor where it would pass the right or lower edge, never past the left or top edge).
THintPlacement PlaceHint(QSize Size, QPoint Proposed, QPoint Cursor, const QRect& Screen,
                         const THintOptions& Options);
// Moves body and text away from the tail's corner.
void MoveForTail(THintGeometry& Geometry, int TailPosition, const THintOptions& Options);
// The body region (the shadow's when Shadow) with the tail, in window coordinates.
QRegion BuildHintRegion(const THintGeometry& Geometry, int TailPosition, bool Shadow,
                        const THintOptions& Options);

// ---- Drawing the text.
struct THintRun {
    QString Text;
    QRect Rect;
    TColor Color = 0;
};
struct THintText {
    QString Head;
    QRect HeadRect;
    bool HeadRightToLeft = false;
    bool Separator = false;
    QLine SeparatorLine;
    std::vector<THintRun> Runs;
};
// Lays out the text inside R: the head (right-aligned and read right to left for TextDirection 0,
// left-aligned 4 pixels in for 1), then, when there is field help, a separator and the help's pieces
// with their colours and places.
THintText LayoutHintText(const QString& Text, const QRect& R, int TextDirection, const QFontMetrics& Metrics);

// ---- What the window asks of a module row.
// A row that supplies the field help of its cells (the row framework implements it).
class MFieldHintRow {
public:
    virtual ~MFieldHintRow() = default;
    // The row's language: 0 Arabic, 1 English.
    virtual int FieldHintLanguage() const = 0;
    // The help of one of its cells: empty, a line feed and a carriage return, or those followed by
    // "@S@" and the help.
    virtual void GetFieldHint(QWidget* Cell, QString& Text) = 0;
};

// The control whose hint shows for the widget under the cursor: the widget itself or the first one up
// its parent chain (to its window) that has a hint; null when none has.
QWidget* HintControlAtCursor(QWidget* Under);

class MRHintWindow : public QWidget {
    Q_OBJECT
public:
    MRHintWindow();

    // 0 right-to-left, 1 left-to-right.
    int TextDirection = 0;
    QString Text() const { return FText; }
    QWidget* HintControl() const { return FControl.data(); }
    int TailPosition() const { return FTailPosition; }
    const THintGeometry& Geometry() const { return FGeometry; }

    // Shows the hint of Control for the cursor at Cursor (global): its hint, followed for a cell of a
    // module row by the row's field help. False when nothing is shown (a row cell while
    // ListBoxShowHint is off, a control without hint).
    bool ActivateHint(QWidget* Control, const QPoint& Cursor);
    // Measures Hint at MaxWidth and takes it as the text to draw; the window's size.
    QSize MeasureHint(int MaxWidth, const QString& Hint);
    // Hides the window.
    void ReleaseHint();
    // The window as it paints itself.
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QString FText;
    QPointer<QWidget> FControl;
    int FTailPosition = tpTopLeft;
    THintGeometry FGeometry;
    THintOptions FOptions;
    QTimer FHideTimer;
};

// Stores the four options and makes MRHintWindow the application's hint window.
void InstallHintWindow(std::uint8_t Shape, std::uint8_t ShadowOffset, std::uint8_t Tail,
                       std::uint8_t TextAlign);
// The application's hint window; null before InstallHintWindow.
MRHintWindow* ApplicationHintWindow();
// The delay before a hint shows and the time it stays (milliseconds).
void SetHintDelays(int Pause, int HidePause);
int HintPause();
int HintHidePause();
