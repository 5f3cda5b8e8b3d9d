#pragma once
// An open project as the model sees it: its program (machine description and the ten module lists),
// its palette and its pattern drawing. The interpreter, the needle beds, the program test and the
// editors' field help read a project only through this interface; the project window implements it,
// and MMemoryProject is the in-memory project of the tests and the tools.

#include "model/UColors.h"
#include "model/UPattern.h"
#include "model/UmapRect.h"
#include "model/UunvList.h"

#include <QString>

#include <cstdint>

class MProject {
public:
    virtual ~MProject() = default;

    // The machine description and the ten lists.
    virtual MProgramLists& Program() = 0;
    virtual MPalette& Palette() = 0;
    // The pattern drawing; null when the project has none.
    virtual MPatternSource* Pattern() = 0;
    // Redisplays the setup-scheme window after the interpreter rewrote C entry 1; nothing when no
    // such window is open.
    virtual void RefreshSetupForm() {}

    // The selector position that W references are resolved at: WE of C entry 1, 1 without one.
    int SelectorPosition();
    // Resolves a counter against the whole program: kind 1 its value, kind 2 the level of a W entry
    // at the selector position, kind 3 the counter of an R entry resolved one level (D or W); every
    // W and R entry reached gets its used mark. Any failure (a missing entry, a selector outside
    // 1..8, a deeper R) gives the value reached so far, 0 for the references. Never raises.
    std::int32_t ResolveValue(const MCounter& Reference);
    // The field help of a number range of one module kind: WindowIndex N 0, S 1, W 3, FS 4, FE 5,
    // FD 6, P 7, R 8 give the labels of the range's present entries at the selector position (level
    // 1 without C entry 1), joined by LF CR; C 9 gives "No Hint"; Z 2 and any other index leave Text
    // as it was. Count is signed: FirstNumber .. FirstNumber + Count in either direction.
    void GetItemHint(int WindowIndex, int FirstNumber, int Count, QString& Text);
};

// A project held in memory: its own lists, palette and picture, and the needle-row reads over that
// picture. Counts the refreshes of the setup scheme that it is asked for.
class MMemoryProject : public MProject {
public:
    MMemoryProject() = default;
    MMemoryProject(const MMemoryProject&) = delete;
    MMemoryProject& operator=(const MMemoryProject&) = delete;

    MProgramLists Lists;
    MPalette Colors;
    // The drawing; present only after NewPicture (or when HasDrawing is set by hand).
    MmapRect Picture;
    bool HasDrawing = false;
    int RefreshCount = 0;

    // Makes the drawing a black picture of Width x Height pixels.
    void NewPicture(int Width, int Height);
    // Removes the drawing.
    void RemovePicture();

    MProgramLists& Program() override { return Lists; }
    MPalette& Palette() override { return Colors; }
    // The reads over the picture as it stands now (its row view taken afresh at every call).
    MPatternSource* Pattern() override;
    void RefreshSetupForm() override { ++RefreshCount; }

private:
    MRasterPattern FRaster;
};
