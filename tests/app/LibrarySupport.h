#pragma once
// Library entries for the tests: an entry's program stated as a project script, its header through
// the header writer, its pictures as plain 24-bit BMP files of one colour per row.

#include "app/ULibFiles.h"
#include "app/UProjectFiles.h"
#include "model/ULstFile.h"
#include "model/UModHeader.h"
#include "tests/support/ProjectScript.h"
#include "tests/support/TestSupport.h"

#include <QDir>

namespace kdstest {

// A picture whose pattern line k (1 = the bottom row) has colour Base + k in every cell.
inline TBitmap LinePicture(int Width, int Height, TColor Base) {
    TBitmap b(Width, Height, pf24bit);
    for (int y = 0; y < Height; ++y) {
        const TColor c = Base + TColor(Height - y);
        std::uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < Width; ++x) {
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    return b;
}

// The colour of needle X (1 = leftmost) on pattern line Y (1 = bottom row).
inline TColor CellAt(const TBitmap& B, int X, int Y) {
    const std::uint8_t* p = B.ScanLine(B.Height() - Y) + 3 * (X - 1);
    return RGB(p[2], p[1], p[0]);
}

// Writes Folder/Name.mod, .LST, .bmp (the header's size, LinePicture of Base) and, with Pt2Height
// above 0, .pt2 (LinePicture of Base + 100, that high).
inline void WriteEntry(const QString& Folder, const QString& Name, const ModuleHeader& H,
                       const QString& Script, TColor Base = 0x100000, int Pt2Height = 0) {
    QDir().mkpath(Folder);
    const QString base = Folder + QLatin1Char('/') + Name;
    WriteFile(base + QStringLiteral(".mod"), WriteModuleHeader(H));
    auto p = BuildProject(Script);
    SaveMachineFile(base + QStringLiteral(".LST"), p->Lists.Machine, p->Lists.Lists());
    const int w = H.LastColumn - H.FirstColumn + 1;
    WriteFile(base + QStringLiteral(".bmp"),
              ProjectPictureImage(LinePicture(w, H.LastLine - H.FirstLine + 1, Base)));
    if (Pt2Height > 0)
        WriteFile(base + QStringLiteral(".pt2"), ProjectPictureImage(LinePicture(w, Pt2Height, Base + 100)));
}

// A header of a 740/4 entry over columns 1..W and lines 11..10+H, with carrier 3 on rail 1 at the
// left at its start and end and one S line.
inline ModuleHeader EntryHeader(int W = 4, int H = 2) {
    ModuleHeader h;
    h.Systems = 4;
    h.Model = 740;
    h.FirstColumn = 1;
    h.LastColumn = W;
    h.FirstLine = 11;
    h.LastLine = 10 + H;
    h.SLineCount = 1;
    h.StartSides[std::size_t(ModuleHeader::SideIndex(1, 3))] = SideLeft;
    h.EndSides[std::size_t(ModuleHeader::SideIndex(1, 3))] = SideLeft;
    return h;
}

// The program of an entry: one S line over two Z rows with carrier 3, on lines 11 and 12.
inline constexpr char EntryProgram[] = R"(
machine 740 7
C area=1..101 L1=0,0,-10 R1=0,0,10
FS1 A=D5 B=D5
Z1 cam1=RR ZT1=11 yc1=3 rack1=0:G FSF=1 FSR=1 TZ=1 ST=1 WA2=1
Z2 cam1=RR ZT1=12 yc1=3 rack1=0:G FSF=1 FSR=1 TZ=1 ST=1 WA2=1
S1 Z=1+1 D1
)";

// File steps that fail: the rename of the file whose name ends in FailRename, every rename back
// to an entry's name with FailBack, the deletion of the file whose name begins with FailRemove.
struct FailingSteps : MLibraryFileSteps {
    QString FailRename;
    bool FailBack = false;
    QString FailRemove;
    QString Rename(const QString& From, const QString& To) override {
        if ((!FailRename.isEmpty() && From.endsWith(FailRename)) ||
            (FailBack && !To.contains(QLatin1Char('~'))))
            return QStringLiteral("refused");
        return MLibraryFileSteps::Rename(From, To);
    }
    QString Remove(const QString& Path) override {
        if (!FailRemove.isEmpty() && Path.section(QLatin1Char('/'), -1).startsWith(FailRemove))
            return QStringLiteral("refused");
        return MLibraryFileSteps::Remove(Path);
    }
};

// An empty project of the same machine: C entry 1 only.
inline constexpr char EmptyProject[] = R"(
machine 740 7
C area=1..101 L1=0,0,-10 R1=0,0,10
)";

} // namespace kdstest
