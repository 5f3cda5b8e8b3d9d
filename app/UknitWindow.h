#pragma once
// The knit window: the drawing window the designer works in, a stand-alone picture or the pattern
// drawing of a project. It is the graphic window as the main window's bus drives it (MBusDrawing),
// the host of its drawing tools (their notifications go to the main window that owns it), and the
// pattern the stitch simulation knits from: a knitting line of the picture read as a run of needle
// colours, and written back by the graphic test.
//
// The bus reads and writes the drawing's fields directly (tool state, grid, paste repeat, marks);
// the window takes them in before every tool event and command and gives its marks back after each.
//
// A project's drawing (StandAlone clear, window index 10 of its project) is never closed by the
// user: closing it minimises it, and it lives as long as its project.

#include "app/LGraphicWindow.h"
#include "app/UBusSeams.h"
#include "model/UPattern.h"

#include <QPointer>

#include <memory>

class QMdiSubWindow;
class TFormFontDlg;

class TknitWindow : public TGraphicWindow, public MBusDrawing, public MGraphicHost {
    Q_OBJECT
public:
    // Main: the main window that owns the window, null for a window of its own (a tool, a test).
    explicit TknitWindow(TFormMain* Main, QWidget* Parent = nullptr);
    ~TknitWindow() override;

    TFormMain* const Main;
    // The project's index of this child window: 10, the drawing.
    static constexpr int WindowIndex = 10;
    // The text tool's dialog, created hidden with the window.
    TFormFontDlg& FontDialog() const { return *FFontDlg; }

    // ---- Needle rows (the picture's size is ImageWidth x ImageHeight).
    // The colour of needles beyond the picture and of lines outside it: 0 (black).
    TColor FillerColor() { return Pattern().FillerColor; }
    // Appends the colours of needles First .. First + Offset of line Line; the number of entries.
    int ReadNeedleRow(ByteWriter& Stream, int Line, int First, int Offset);
    // Repeats the stream's first Period entries until at least Total stand in it.
    void RepeatNeedleRow(ByteWriter& Stream, int Period, int Total);
    // Appends N entries of Colour.
    void WriteColorRun(ByteWriter& Stream, TColor Colour, int N);
    // Writes the stream's first Count entries into line Line from needle First on (the raster only;
    // the caller repaints).
    void WriteNeedleRow(const ByteWriter& Stream, int Line, int First, int Count);

    // ---- The window's life.
    // The window became the active child: the main window hears of it (notification 8) and a
    // project's drawing tells its project.
    void FormActivate();
    // The frame the window is shown in: its MDI window, or the window itself.
    QWidget* Frame();

    // ---- MBusDrawing
    QWidget* BusWidget() override { return this; }
    void SetTool(int Tool) override;
    void SelectionOperation(int Code, int Param) override;
    QRect WorkRect() const override;
    void Repaint() override;
    void HomePosition() override;
    int CopySelectionToPattern(TBitmap& Pattern) override;
    void ReduceColors(int Count) override;
    void GrayScale() override;
    void BlackWhite(int Method) override;
    void ResizePicture() override;
    int CountColors() override;
    void WritePicture(const QString& FileName, int FileType) override;
    void WriteExchangePicture(const QString& FileName, bool MapColors) override;
    void ReadExchangePicture(const QString& FileName) override;
    void LoadPicture(const QString& FileName, int FileType) override;
    void NewPicture(int Width, int Length) override;
    void TakePicture(TImageIO& Source) override;
    void RefreshView() override;

    // ---- MGraphicHost
    void GraphicNotify(int Code, int Param, int Param2) override;
    const TBitmap* FillPattern() const override;
    QSize FreeClientArea() const override;

    void SetFileName(const QString& Name) override;

protected:
    // The bus's copy of the tool state, the grid and the fitting into the window's own fields.
    void SyncTools() override;
    // The window's marks (changed, undo) into the bus's fields.
    void PutMarks();

    void closeEvent(QCloseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    // Hears of the MDI area's activations and sets the frame's border icons, once it has a frame.
    void WatchFrame();
    // Keeps a frame that is not maximised at non-negative coordinates.
    void KeepFrameInside();

    std::unique_ptr<TFormFontDlg> FFontDlg;
    QPointer<QMdiSubWindow> FWatchedFrame;
    bool FFrameShown = false;
};

// A knit window of the main window, as the station's bus factory makes it: owned by Main and given
// to its registry, which places it in the frame's MDI area.
MBusDrawing* MakeKnitWindow(TFormMain& Main);
