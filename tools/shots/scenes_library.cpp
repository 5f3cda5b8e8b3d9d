// The "Module Data" picker over a small library: three entries, one selected with its preview.

#include "Shots.h"
#include "WindowFrame.h"
#include "app/UFormImportData.h"
#include "app/UProjectFiles.h"
#include "model/ULstFile.h"
#include "model/UModHeader.h"
#include "tests/support/ProjectScript.h"

#include <QDir>
#include <QFile>
#include <QListWidget>

namespace {

constexpr char EntryProgram[] = R"(
machine 740 7
C area=1..101 L1=0,0,-10 R1=0,0,10
Z1 cam1=RR ZT1=11 yc1=3
Z2 cam1=RR ZT1=12 yc1=3
S1 Z=1+1 D1
)";

// A diamond of Colour on a ground, one cell per needle and line.
TBitmap Diamond(int Side, TColor Ground, TColor Colour) {
    TBitmap b(Side, Side, pf24bit);
    const int c = Side / 2;
    for (int y = 0; y < Side; ++y) {
        std::uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < Side; ++x) {
            const TColor v = std::abs(x - c) + std::abs(y - c) <= c - 2 ? Colour : Ground;
            row[3 * x] = GetBValue(v);
            row[3 * x + 1] = GetGValue(v);
            row[3 * x + 2] = GetRValue(v);
        }
    }
    return b;
}

void WriteEntry(const QString& Folder, const QString& Name, int Side, int LowLines, TColor Colour) {
    ModuleHeader h;
    h.Systems = 4;
    h.Model = 740;
    h.LastColumn = Side;
    h.FirstLine = 11;
    h.LastLine = 10 + Side;
    h.SLineCount = 1;
    for (int k = 0; k < LowLines; ++k)
        h.LowLines[std::size_t(2 + k)] = 1;
    const QString base = Folder + Name;
    QFile mod(base + QStringLiteral(".mod"));
    if (mod.open(QIODevice::WriteOnly))
        mod.write(WriteModuleHeader(h));
    auto program = kdstest::BuildProject(QString::fromLatin1(EntryProgram));
    SaveMachineFile(base + QStringLiteral(".LST"), program->Lists.Machine, program->Lists.Lists());
    QFile bmp(base + QStringLiteral(".bmp"));
    if (bmp.open(QIODevice::WriteOnly))
        bmp.write(ProjectPictureImage(Diamond(Side, 0xF0F0F0, Colour)));
    if (LowLines > 0) {
        QFile pt2(base + QStringLiteral(".pt2"));
        if (pt2.open(QIODevice::WriteOnly))
            pt2.write(ProjectPictureImage(Diamond(Side, 0x808080, Colour)));
    }
}

} // namespace

KDS_SHOT_SCENE("module-data", "The Module Data picker with an entry selected and its preview") {
    const QString folder = ctx.TempFolder + QStringLiteral("/Export/");
    QDir().mkpath(folder);
    WriteEntry(folder, QStringLiteral("cable.front"), 24, 0, 0x0000C0);
    WriteEntry(folder, QStringLiteral("diamond"), 40, 3, 0xC06000);
    WriteEntry(folder, QStringLiteral("rib 2x2"), 16, 0, 0x008000);
    auto w = std::make_unique<TFormImportData>();
    w->SetFolder(folder);
    w->MachineSystems = 4;
    w->MachineModel = 740;
    w->CheckModuleFiles();
    w->LbxStripes->setCurrentRow(1);
    TFormImportData* window = w.get();
    ctx.Grab = [window](QWidget*) { return shots::FramedWindow(window); };
    return w;
}
