#pragma once
// What the main window's registry and command bus know of its children. Drawing windows and project
// containers are registered as these two interfaces and created through the factory the program
// installs at start; the main window never knows their concrete classes.

#include "app/UMainTools.h"
#include "platform/Color.h"

#include <QImage>
#include <QRect>
#include <QString>

class QWidget;
class TBitmap;
class TFormMain;
class TImageIO;

// The name of a drawing that has never been saved.
inline const QString NoName = QStringLiteral("no name");

// A drawing window as the bus drives it. The fields are the drawing's own; the bus reads and writes
// them directly and then starts the operation the command names.
class MBusDrawing {
public:
    virtual ~MBusDrawing() = default;
    // The window itself: registered as long as it lives, placed in the frame's MDI area.
    virtual QWidget* BusWidget() = 0;

    int WindowNumber = 0;
    // Set: closing the window notifies the main window (code 9) and frees it. Clear (a project's own
    // drawing): closing only minimises it.
    bool StandAlone = true;
    bool AutoFit = false;
    // The largest size the magnifier gives the window.
    int MaxWidth = 0;
    int MaxHeight = 0;
    // The drawing's copy of the tool state.
    DrawingToolState Tools;
    bool Grid = false;
    TColor GridColor = 0;
    // The repeat of the last paste.
    int PasteCountX = 1;
    int PasteCountY = 1;
    bool PasteDiagonal = false;
    // The rectangle the stretch operations 61 to 64 work with.
    QRect StretchRect;
    bool Changed = false;
    QString FileName = NoName;
    bool UndoAvailable = false;

    // ---- The operations the commands start.
    // Takes the tool (Tools.Tool) and chooses its cursor.
    virtual void SetTool(int Tool) = 0;
    // A selection operation by its code (flips, rotations, erase, cut, copy, paste, stretch, ...);
    // Param is the angle of the free rotation's preview.
    virtual void SelectionOperation(int Code, int Param) = 0;
    // The selection, or the whole picture when nothing is selected, in picture cells.
    virtual QRect WorkRect() const = 0;
    virtual void Repaint() = 0;
    virtual void HomePosition() = 0;
    // Copies the selection into the pattern sample; 0 when done.
    virtual int CopySelectionToPattern(TBitmap& Pattern) = 0;
    virtual void ReduceColors(int Count) = 0;
    virtual void GrayScale() = 0;
    // Method: bus::BlackWhiteThreshold or bus::BlackWhiteDither.
    virtual void BlackWhite(int Method) = 0;
    // The picture-mode resize dialog over the picture; stretches or resizes the canvas when accepted.
    virtual void ResizePicture() = 0;
    virtual int CountColors() = 0;
    // Writes the picture with a file type (1 24-bit BMP ... 10, 20 a 4-bit BMP); raises on failure.
    virtual void WritePicture(const QString& FileName, int FileType) = 0;
    // The exchange picture of the sibling program: written (its colours mapped onto the exchange
    // table first when MapColors) or read into the drawing.
    virtual void WriteExchangePicture(const QString& FileName, bool MapColors) = 0;
    virtual void ReadExchangePicture(const QString& FileName) = 0;
    // Loads a picture of a file type and shows it; raises on failure.
    virtual void LoadPicture(const QString& FileName, int FileType) = 0;
    // A new picture of Width x Length cells in the colour of new pictures, named NoName; raises when
    // the size is refused.
    virtual void NewPicture(int Width, int Length) = 0;
    // Takes the picture attached to a picture component (a scanner's), named NoName; raises when
    // there is none or its size is refused.
    virtual void TakePicture(TImageIO& Source) = 0;
    virtual void RefreshView() = 0;
};

// A project container as the bus and the desktop autosave drive it.
class MBusProject {
public:
    virtual ~MBusProject() = default;
    virtual QWidget* BusWidget() = 0;

    int WindowNumber = 0;

    // ---- The marks and the name.
    virtual bool IsModified() const = 0;
    virtual void SetModified(bool Value) = 0;
    // Changed since the last desktop copy.
    virtual bool NeedsAutosave() const = 0;
    virtual void SetNeedsAutosave(bool Value) = 0;
    virtual QString GetProjectName() const = 0;
    virtual void SetProjectName(const QString& Name) = 0;

    // ---- Files.
    virtual void OpenProject(const QString& FileName) = 0;
    virtual void NewProject() = 0;
    // Saves under FileName (513); false when the user cancelled a question on the way.
    virtual bool SaveProject(const QString& FileName) = 0;
    // Asks for a new name and saves under it (514); false when cancelled.
    virtual bool SaveProjectAs() = 0;
    // Writes the desktop copy: the three files of CopyBase (…/DeskTop/DT7), the picture with a paste
    // still floating composed in. Nothing of the project changes: not its name, its files, its marks
    // or its drawing. Raises on failure.
    virtual void SaveDeskTopCopy(const QString& CopyBase) = 0;

    // ---- Commands.
    virtual void ApplyMachineColors() = 0;
    // The project's drawing window; null when it has none.
    virtual MBusDrawing* Drawing() const = 0;
    // The container became the active child.
    virtual void ChildActivated() = 0;
    // True while the project closes after asking its own save question: its drawing then closes
    // without asking again.
    virtual bool ClosingAfterItsQuestion() const = 0;
};

// Creates the children. The program installs the one of the real windows; tests install fakes.
class MBusFactory {
public:
    virtual ~MBusFactory() = default;
    // The new window is owned by Main; it is registered by the caller.
    virtual MBusDrawing* CreateDrawing(TFormMain& Main) = 0;
    virtual MBusProject* CreateProject(TFormMain& Main) = 0;
};

// The installed factory; null until one is installed.
MBusFactory* BusFactory();
void SetBusFactory(MBusFactory* Factory);
