#include "app/LBoardFr.h"

#include "imaging/ImageLimits.h"
#include "model/UColors.h"
#include "model/UcstmExp.h"
#include "model/UrunFiles.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

const std::array<TColor, 16> ExchangeTable = {0x000000, 0xAB0000, 0x00AB00, 0xABAB00, 0x0000AB, 0xAB00AB,
                                              0x0057AB, 0xABABAB, 0x575757, 0xFF5757, 0x57FF57, 0xFFFF57,
                                              0x5757FF, 0xFF57FF, 0x57FFFF, 0xFFFFFF};

namespace {

std::vector<TBGRColor>& Palette16Store() {
    static std::vector<TBGRColor> palette = TBitmap::DefaultPalette(pf4bit);
    return palette;
}

int ComponentDistance(int X, int P) {
    if (X == P)
        return 0;
    if (X == 0)
        return 200;
    return std::abs(P - X) * 100 / X;
}

// Replaces the raster's cells by their mapped colours; true when any changed.
bool MapCells(TBitmap& Picture, const TColor* Palette, int Count) {
    std::unordered_map<TColor, TColor> known;
    bool changed = false;
    for (int y = 0; y < Picture.Height(); ++y) {
        std::uint8_t* p = Picture.ScanLine(y);
        for (int x = 0; x < Picture.Width(); ++x, p += 3) {
            const TColor c = CellColorOf(p);
            auto it = known.find(c);
            if (it == known.end())
                it = known.emplace(c, MappedColor(c, Palette, Count)).first;
            if (it->second != c) {
                PutCellColor(p, it->second);
                changed = true;
            }
        }
    }
    return changed;
}

// A picture of Width x Height in Fill with Picture drawn onto it anchored at its bottom-left corner.
TBitmap CanvasOf(const TBitmap& Picture, int Width, int Height, TColor Fill) {
    TBitmap out = TBitmap::Unfilled(Width, Height, pf24bit);
    const int dy = Height - Picture.Height();
    const int keep = std::min(Width, Picture.Width());
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* d = out.ScanLine(y);
        int x = 0;
        const int from = y - dy;
        if (from >= 0 && from < Picture.Height()) {
            std::memcpy(d, Picture.ScanLine(from), 3 * std::size_t(keep));
            x = keep;
        }
        for (std::uint8_t* p = d + 3 * std::size_t(x); x < Width; ++x, p += 3)
            PutCellColor(p, Fill);
    }
    return out;
}

// The picture component keeps the depth of the file it loaded (one bit, a colour table), and its
// writers reduce a picture to that depth: a drawing with more colours than it holds, or with other
// colours than black and white for a one-bit TIFF, would be dithered or quantised. Such a drawing is
// written at 24 bits instead; one that fits keeps the file's depth.
void KeepEveryCell(TIOParamsVals& Params, const TBitmap& Picture, const QString& FileName) {
    const bool mono = Params.BitsPerSample == 1;
    const bool table = mono || Params.BitsPerSample == 4 || Params.SamplesPerPixel == 1;
    if (!table)
        return;
    const std::size_t capacity = mono ? 2 : Params.BitsPerSample == 4 ? 16 : 256;
    const QString ext = QFileInfo(FileName).suffix().toLower();
    const bool blackWhiteOnly = mono && (ext == QLatin1String("tif") || ext == QLatin1String("tiff"));
    std::unordered_set<TColor> colours;
    bool fits = true;
    for (int y = 0; y < Picture.Height() && fits; ++y) {
        const std::uint8_t* p = Picture.ScanLine(y);
        for (int x = 0; x < Picture.Width() && fits; ++x, p += 3) {
            const TColor c = CellColorOf(p);
            fits = (!blackWhiteOnly || c == 0 || c == 0xFFFFFF) &&
                   (colours.insert(c).second ? colours.size() <= capacity : true);
        }
    }
    if (!fits) {
        Params.BitsPerSample = 8;
        Params.SamplesPerPixel = 3;
    }
}

// Writes a picture as a BMP file of its own depth; a 4-bit one goes with its own table.
void SaveBmp(TBitmap& Picture, const QString& FileName) {
    TImageIO io;
    io.SetAttachedBitmap(&Picture);
    io.SaveBMP(FileName);
}

} // namespace

QString boardmsg::SizeArg(std::int64_t Width, std::int64_t Height) {
    return QStringLiteral("%1 x %2").arg(QString::number(Width), QString::number(Height));
}

const std::vector<TBGRColor>& Palette16() {
    return Palette16Store();
}

void SetPalette16(const TColor* Colours, int Count) {
    std::vector<TBGRColor>& p = Palette16Store();
    for (int i = 0; i < Count && i < int(p.size()); ++i)
        p[std::size_t(i)] = TColor2TRGB(Colours[i]);
}

int PaletteDistance(TColor Cell, TColor Entry) {
    int d = 0;
    for (int shift : {0, 8, 16})
        d += ComponentDistance(int((Cell >> shift) & 0xFF), int((Entry >> shift) & 0xFF));
    return d;
}

TColor MappedColor(TColor Cell, const TColor* Palette, int Count) {
    int best = 1000;
    TColor chosen = Cell;
    for (int i = 0; i < Count; ++i) {
        const int d = PaletteDistance(Cell, Palette[i]);
        if (d < best) {
            best = d;
            chosen = Palette[i];
        }
    }
    return best > 0 && best < 1000 ? chosen : Cell;
}

TBitmap FourBitPicture(const TBitmap& Picture, const std::vector<TBGRColor>& Table) {
    TBitmap out(Picture.Width(), Picture.Height(), pf4bit);
    out.SetPalette(Table);
    std::unordered_map<TColor, int> known;
    for (std::size_t i = 0; i < Table.size(); ++i) {
        const TBGRColor& t = Table[i];
        known.emplace((TColor(t.b) << 16) | (TColor(t.g) << 8) | t.r, int(i));
    }
    for (int y = 0; y < Picture.Height(); ++y) {
        const std::uint8_t* s = Picture.ScanLine(y);
        std::uint8_t* d = out.ScanLine(y);
        for (int x = 0; x < Picture.Width(); ++x, s += 3) {
            const TColor c = CellColorOf(s);
            auto it = known.find(c);
            if (it == known.end())
                it = known.emplace(c, NearestPaletteIndex(Table.data(), int(Table.size()), TColor2TRGB(c)))
                         .first;
            const int i = it->second & 0x0F;
            d[x >> 1] |= std::uint8_t((x & 1) ? i : i << 4);
        }
    }
    return out;
}

THourglass::THourglass() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FOn = true;
    }
}

THourglass::~THourglass() {
    if (FOn)
        QApplication::restoreOverrideCursor();
}

// ---- The board.

TBoardFormats::TBoardFormats() : NewPictureColor(::NewPictureColor) {
    OImageIO.StreamHeaders = false;
    OImageProc.AutoUndo = false;
}

TBoardFormats::~TBoardFormats() = default;

void TBoardFormats::SetOwnedByMain(bool Value) {
    FReserved = Value ? ::ReservedColor : 0;
    FSubstitute = Value ? ReservedSubstitute : 0;
}

void TBoardFormats::ReplaceColor(TBitmap& Picture, TColor From, TColor To) const {
    if (FReserved == FSubstitute || From == To)
        return;
    for (int y = 0; y < Picture.Height(); ++y) {
        std::uint8_t* p = Picture.ScanLine(y);
        for (int x = 0; x < Picture.Width(); ++x, p += 3)
            if (CellColorOf(p) == From)
                PutCellColor(p, To);
    }
}

TBitmap TBoardFormats::OutgoingPicture() const {
    TBitmap out = Raster();
    ReplaceColor(out, FSubstitute, FReserved);
    return out;
}

void TBoardFormats::MakeRasterForm(TBitmap& Picture) const {
    if (Picture.PixelFormat() != pf24bit)
        Picture.SetPixelFormat(pf24bit);
    ReplaceColor(Picture, FReserved, FSubstitute);
}

void TBoardFormats::RasterFromBitmap(TBitmap&& Picture) {
    MakeRasterForm(Picture);
    const int w = Picture.Width(), h = Picture.Height();
    SetRaster(std::move(Picture));
    SetViewRect({10, 10, w + 10, h + 10});
}

void TBoardFormats::CheckNewSize(std::int64_t Width, std::int64_t Height) const {
    if (!ImageLimits::PixelsWithinLimit(Width, Height))
        RaiseM(boardmsg::Code, boardmsg::SizeRefused, boardmsg::SizeArg(Width, Height));
}

void TBoardFormats::ReadPicture(const QString& FileName, TBitmap& Picture, TImageIO& IO) const {
    IO.AssignParams(OImageIO.Params());
    IO.SetAttachedBitmap(&Picture);
    IO.LoadFromFile(FileName);
    IO.SetAttachedBitmap(nullptr);
    // A name whose extension no reader takes loads nothing and raises nothing.
    if (IO.Params().FileType == ioUnknown || Picture.Empty())
        RaiseM(boardmsg::Code, boardmsg::NoReader, FileName);
    CheckNewSize(Picture.Width(), Picture.Height());
}

void TBoardFormats::LoadImageFile(const QString& FileName) {
    TBitmap picture;
    TImageIO io;
    ReadPicture(FileName, picture, io);
    io.SetAttachedBitmap(&picture);
    AdoptPicture(io);
    SetFileName(FileName);
    ClearUndo();
    Modified = false;
    ChangedSinceAutosave = true;
}

void TBoardFormats::AdoptPicture(TImageIO& IO) {
    const TBitmap* source = IO.AttachedBitmap();
    if (!source || source->Empty())
        RaiseM(boardmsg::Code, boardmsg::NoReader, IO.Params().FileName);
    CheckNewSize(source->Width(), source->Height());
    TBitmap picture = *source;
    if (&IO != &OImageIO)
        OImageIO.AssignParams(IO.Params());
    RasterFromBitmap(std::move(picture));
    PictureAdopted();
}

void TBoardFormats::NewImage(int Width, int Height) {
    CheckNewSize(Width, Height);
    TBitmap picture = TBitmap::Unfilled(Width, Height, pf24bit);
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* p = picture.ScanLine(y);
        for (int x = 0; x < Width; ++x, p += 3)
            PutCellColor(p, NewPictureColor);
    }
    RasterFromBitmap(std::move(picture));
    SetPaintCells(PaintCells());
    ClearUndo();
    Modified = false;
    ChangedSinceAutosave = true;
    PictureAdopted();
}

void TBoardFormats::SaveImageFile(const QString& FileName, int Format) {
    ApplyPaste();
    TBitmap picture = OutgoingPicture();
    if (Format == 1) {
        SaveBmp(picture, FileName);
    } else if (Format == 20) {
        TBitmap four = FourBitPicture(picture, Palette16());
        SaveBmp(four, FileName);
    } else {
        if (Format == 3)
            OImageIO.Params().BitsPerSample = 8;
        KeepEveryCell(OImageIO.Params(), picture, FileName);
        OImageIO.SetAttachedBitmap(&picture);
        try {
            OImageIO.SaveToFile(FileName);
        } catch (...) {
            OImageIO.SetAttachedBitmap(nullptr);
            throw;
        }
        OImageIO.SetAttachedBitmap(nullptr);
    }
    Modified = false;
}

void TBoardFormats::ExportPicture(const QString& FileName, bool Mapped) {
    THourglass hourglass;
    ApplyPaste();
    // The mapping is made on a copy and taken only once the file is written.
    TBitmap mapped;
    bool changed = false;
    if (Mapped) {
        mapped = Raster();
        changed = MapCells(mapped, ExchangeTable.data(), int(ExchangeTable.size()));
    }
    TBitmap outgoing = changed ? mapped : OutgoingPicture();
    if (changed)
        ReplaceColor(outgoing, FSubstitute, FReserved);
    std::vector<TBGRColor> table;
    for (TColor c : ExchangeTable)
        table.push_back(TColor2TRGB(c));
    try {
        TBitmap four = FourBitPicture(outgoing, table);
        SaveBmp(four, FileName);
    } catch (const Exception&) {
        // Any failure of the picture or the file: the drawing and the old file stay as they were.
        RaiseM(boardmsg::Code, boardmsg::ExportFailed, FileName);
    }
    if (Mapped) {
        if (changed) {
            SaveUndo();
            Raster() = std::move(mapped);
            PictureChanged();
        }
        SetPalette16(ExchangeTable.data(), int(ExchangeTable.size()));
    }
}

void TBoardFormats::ImportPicture(const QString& FileName) {
    THourglass hourglass;
    TBitmap picture;
    TImageIO io;
    try {
        ReadPicture(FileName, picture, io);
    } catch (const Exception&) {
        // A missing, unreadable or oversized file: the drawing stays as it was.
        RaiseM(boardmsg::Code, boardmsg::ImportFailed, FileName);
    }
    OImageIO.AssignParams(io.Params());
    RasterFromBitmap(std::move(picture));
    // Undo can never bring back a raster of another size.
    ClearUndo();
    Modified = true;
    ChangedSinceAutosave = true;
    PictureAdopted();
}

void TBoardFormats::PictureChanged() {
    Modified = true;
    ChangedSinceAutosave = true;
    InvalidateCells(VisibleCells());
}

void TBoardFormats::MapColorsToPalette(const TColor* Palette, int Count) {
    ApplyPaste();
    if (!RasterValid())
        return;
    SaveUndo();
    if (MapCells(Raster(), Palette, Count))
        PictureChanged();
}

void TBoardFormats::TakeProcessed(TBitmap&& Picture) {
    const bool sameSize = Picture.Width() == ImageWidth() && Picture.Height() == ImageHeight();
    if (sameSize) {
        MakeRasterForm(Picture);
        Raster() = std::move(Picture);
        PictureChanged();
        return;
    }
    RasterFromBitmap(std::move(Picture));
    Modified = true;
    ChangedSinceAutosave = true;
    PictureAdopted();
}

void TBoardFormats::ImageOperation(int Operation, int Param, int Param2) {
    ApplyPaste();
    if (!RasterValid())
        return;
    if (Operation == 509 || Operation == 510)
        CheckNewSize(Param, Param2);
    if (Operation == 506 && Param != 507 && Param != 508)
        return;
    if (Operation != 502 && Operation != 505 && Operation != 506 && Operation != 509 && Operation != 510)
        return;
    TBitmap work = OutgoingPicture();
    if (Operation == 510) {
        work = CanvasOf(work, Param, Param2, BrushColor);
    } else {
        // The component works on the copy; its own undo copy would be a second full-size picture.
        OImageProc.AutoUndo = false;
        OImageProc.SetAttachedBitmap(&work);
        try {
            switch (Operation) {
            case 502:
                OImageProc.ReduceColors(Param);
                break;
            case 505:
                OImageProc.ToGrayScale();
                break;
            case 506:
                if (Param == 508)
                    OImageProc.ConvertToBWDither();
                else
                    OImageProc.ConvertToBWThreshold(-1);
                break;
            case 509:
                OImageProc.Resample(Param, Param2, rfNone);
                break;
            default:
                break;
            }
        } catch (...) {
            OImageProc.SetAttachedBitmap(nullptr);
            throw;
        }
        OImageProc.SetAttachedBitmap(nullptr);
    }
    // The raster still holds the old picture.
    SaveUndo();
    TakeProcessed(std::move(work));
}

void TBoardFormats::ReduceColors(int N) {
    if (N < 2)
        return;
    ImageOperation(502, N);
}

void TBoardFormats::StretchImage(int Width, int Height) {
    ImageOperation(509, Width, Height);
    ClearUndo();
}

void TBoardFormats::ResizeCanvas(int Width, int Height) {
    ImageOperation(510, Width, Height);
    ClearUndo();
}

int TBoardFormats::ColorCount() {
    ApplyPaste();
    if (!RasterValid())
        return 2;
    OImageProc.SetAttachedBitmap(&Raster());
    const int n = OImageProc.CountColors();
    OImageProc.SetAttachedBitmap(nullptr);
    return n == 0 ? 2 : n;
}
