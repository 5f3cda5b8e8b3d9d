#pragma once
// The palette grid: the 32 colours of a palette as swatches of ColumnCount columns, each labelled
// with its symbol in black or white, whichever reads better. A left press reports the colour under it
// through OnLeftColorChange, a right press through OnRightColorChange. The panel shows its own
// default palette until another is assigned; an assigned palette stays its owner's.

#include "model/UColors.h"
#include "ui/panel_m.h"

#include <functional>
#include <memory>
#include <optional>

using MChangeColorEvent = std::function<void(TColor Color)>;

// The palette index under (X, Y) of a grid Width pixels wide with ColumnCount columns of rows
// RowHeigt high; none on the bevel, below the last row and where no colour is drawn. The last column
// and the last row reach to the grid's outer border line.
std::optional<int> ColorsPanelHit(int X, int Y, int Width, int ColumnCount, int RowHeigt);
// The symbol colour on a swatch of Color: black when red, green and blue add up to more than 500.
TColor ColorsPanelSymbolColor(TColor Color);

class MColorsPanel : public MPanel {
    Q_OBJECT
public:
    explicit MColorsPanel(QObject* Owner, QWidget* Parent = nullptr);
    ~MColorsPanel() override;

    const MPalette* Palette() const { return FPalette; }
    // Nullptr goes back to the own palette.
    void SetPalette(const MPalette* Value);
    int ColumnCount() const { return FColumnCount; }
    void SetColumnCount(int Value);
    int RowHeigt() const { return FRowHeigt; }
    void SetRowHeigt(int Value);

    MChangeColorEvent OnLeftColorChange;
    MChangeColorEvent OnRightColorChange;

    // What a press at (X, Y) reports (the mouse handling's step, also for tests).
    void PressAt(int X, int Y, Qt::MouseButton Button);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    std::unique_ptr<MPalette> FOwnPalette;
    const MPalette* FPalette = nullptr;
    int FColumnCount = 4;
    int FRowHeigt = 20;
};
