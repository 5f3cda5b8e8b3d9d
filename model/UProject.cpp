#include "model/UProject.h"

namespace {
// Level Position (1..8) of W entry Number, the entry marked used; raises when the entry is missing
// or the position lies outside 1..8 (nothing marked then).
std::int32_t LevelOf(MWList& List, int Number, int Position) {
    MUnvW& w = List.GetW(Number);
    if (Position < 1 || Position > int(w.Levels.size()))
        throw ERangeError(QStringLiteral("Selector position %1 outside 1..8").arg(Position));
    const std::int32_t level = w.Levels[std::size_t(Position - 1)];
    w.UsedMark = 1;
    return level;
}
} // namespace

int MProject::SelectorPosition() {
    MCList& c = Program().C;
    return c.Contains(1) ? c.GetC(1).WE : 1;
}

std::int32_t MProject::ResolveValue(const MCounter& Reference) {
    std::int32_t result = 0;
    try {
        MProgramLists& program = Program();
        switch (Reference.Kind) {
        case ckD:
            result = Reference.Value;
            break;
        case ckW:
            result = LevelOf(program.W, Reference.Value, SelectorPosition());
            break;
        case ckR: {
            // One level only: an R entry naming another R entry gives 0.
            MUnvR& r = program.R.GetR(Reference.Value);
            r.UsedMark = 1;
            if (r.Counter.Kind == ckD)
                result = r.Counter.Value;
            else if (r.Counter.Kind == ckW)
                result = LevelOf(program.W, r.Counter.Value, SelectorPosition());
            break;
        }
        default:
            break;
        }
    } catch (...) {
        // A missing entry or a selector outside 1..8: the value reached so far.
    }
    return result;
}

void MProject::GetItemHint(int WindowIndex, int FirstNumber, int Count, QString& Text) {
    if (WindowIndex == wiC) {
        Text = QStringLiteral("No Hint");
        return;
    }
    if (WindowIndex == wiZ || ListKindOfWindowIndex(WindowIndex) == 0)
        return;
    // The labels show W levels at the selector position; a program without C entry 1 shows level 1
    // rather than failing while the user points at a field.
    const int level = SelectorPosition();
    Program().List(ListKindOfWindowIndex(WindowIndex)).GetRangeLabels(FirstNumber, Count, Text, level);
}

MPatternSource* MMemoryProject::Pattern() {
    if (!HasDrawing)
        return nullptr;
    FRaster.SetView(Picture.RowView());
    return &FRaster;
}

void MMemoryProject::NewPicture(int Width, int Height) {
    const std::int32_t oldWidth = Picture.Width, oldHeight = Picture.Height;
    Picture.Width = Width;
    Picture.Height = Height;
    try {
        Picture.InitPixels();
    } catch (...) {
        Picture.Width = oldWidth;
        Picture.Height = oldHeight;
        throw;
    }
    HasDrawing = true;
}

void MMemoryProject::RemovePicture() {
    Picture.Assign(MmapRect());
    HasDrawing = false;
}
