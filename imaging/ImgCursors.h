#pragma once
// The program's cursor table: cursors kept by number, as the windows ask for them. The image view's
// eight cursors are drawn here in code and registered under their numbers; other parts add their own.

#include <QCursor>
#include <QString>

#include <functional>

class QPainter;

// Numbers of the image view's cursors.
enum TImgViewCursor {
    crZoomMinus = 1778, // "ZOOMMENO"
    crZoomPlus = 1779,  // "ZOOMPIU"
    crCross = 1780,     // "CROCE"
    crEraser = 1781,    // "GOMMA"
    crHand = 1782,      // "MANO"
    crPen = 1783,       // "PENNA"
    crCross1 = 1784,    // "CROCE1"
    crCross2 = 1785,    // "CROCE2"
};

// The cursor of a number; the arrow for a number the table does not hold.
QCursor CursorOf(int id);
bool HasCursor(int id);
void SetCursorOf(int id, const QCursor& cursor);

// A 32 x 32 cursor drawn in code: Draw runs twice, first with Rim set and a white pen three pixels
// wide, then with a black pen one pixel wide, so that the figure shows on dark and light pictures
// alike. A figure that fills sets its own brush (white for the rim, black for the figure).
QCursor DrawnCursor(int HotX, int HotY, const std::function<void(QPainter& P, bool Rim)>& Draw);

// Draws the image view's cursors into the table (once; later calls do nothing).
void LoadImageViewCursors();
// The name of one of the image view's cursors ("CROCE2" for 1785), empty for other numbers.
QString ImageViewCursorName(int id);
