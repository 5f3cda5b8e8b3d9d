#include "app/UMainTools.h"

#include "app/BusCodes.h"
#include "editors/ColorsPanel_m.h"
#include "imaging/Bitmap.h"
#include "imaging/ImageIO.h"
#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "platform/ColorQt.h"
#include "ui/Adapter.h"
#include "ui/DockToolBar_m.h"
#include "ui/Docks.h"
#include "ui/Image_m.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"
#include "ui/label_m.h"
#include "ui/shape_m.h"

#include <QBitmap>
#include <QColorDialog>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <exception>

// The catalogue's text for a picture that cannot be read (its name is the argument).
constexpr int PictureUnreadableCode = 11;
constexpr int PictureUnreadableSubCode = 3350;

const std::array<const char*, GlyphCount> GlyphFileNames = {
    "B_bsSolid.bmp",      "B_bsDiagCross.bmp", "B_bsCross.bmp", "B_bsFDiagonal.bmp", "B_bsBDiagonal.bmp",
    "B_bsHorizontal.bmp", "B_bsVertical.bmp",  "B_psSolid.bmp", "B_psDash.bmp",      "B_psDot.bmp",
    "B_width1.bmp",       "B_width2.bmp",      "B_width3.bmp",  "B_width4.bmp",      "B_width5.bmp",
};
const std::array<int, BrushGlyphCount> BrushStyleOfEntry = {0, 7, 6, 4, 5, 2, 3};

bool ExecuteOColorDialog(QWidget* Parent, TColor& Color) {
    QColorDialog dialog(toQColor(Color), Parent);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Color = fromQColor(dialog.selectedColor());
    return true;
}

QImage LoadStationPicture(const QString& RelativeName) {
    const QString path = AppFile(RelativeName);
    try {
        TBitmap bitmap;
        TImageIO io;
        io.SetAttachedBitmap(&bitmap);
        io.LoadBMP(path);
        QImage image = bitmap.ToQImage();
        if (!image.isNull())
            return image.convertToFormat(QImage::Format_RGB32);
    } catch (const std::exception&) {
        // Missing, unreadable or not a picture: all are shown alike below, by the file's name.
    }
    if (MessageBox)
        MessageBox->ShowCodeMessage(PictureUnreadableCode, PictureUnreadableSubCode, path, mbOK);
    return QImage();
}

QImage LoadToolbarGlyph(const QString& FileName) {
    return LoadStationPicture(QStringLiteral("Bitmaps\\Toolbars\\") + FileName);
}

namespace {

struct Texts {
    const char* English;
    const char* Arabic;
};

QStringList Pair(const Texts& T) {
    return {QString::fromUtf8(T.Arabic), QString::fromUtf8(T.English)};
}

template <class Control>
void GiveHint(Control* C, int Language, const Texts& T) {
    const QStringList texts = Pair(T);
    C->M_Hint().SetHints(texts);
    C->SetHint(texts[Language == LanguageArabic ? 0 : 1]);
    C->SetShowHint(true);
}

// A label's text, the same in every language.
void ShowText(MLabel* Label, const QString& Text) {
    Label->M_Caption()->SetCaptions({Text, Text});
    Label->setText(Text);
}

// A picture whose bottom-left pixel's colour is transparent, as the buttons' glyphs.
QPixmap Transparented(const QImage& Image) {
    QPixmap pixmap = QPixmap::fromImage(Image);
    if (!Image.isNull())
        pixmap.setMask(QBitmap::fromImage(Image.createMaskFromColor(Image.pixel(0, Image.height() - 1))));
    return pixmap;
}

// The buttons of the three upper toolbars, in order; a separator follows those marked.
struct ButtonSpec {
    MDockToolBarButton* TMainToolbars::*Field;
    const char* Glyph;
    Texts Hint;
    void (TMainToolbars::*Click)();
    bool SeparatorAfter;
};

constexpr int DrawingGroup = 1;

const ButtonSpec DrawingButtons[] = {
    {&TMainToolbars::BtnSelect,
     "T_Select.bmp",
     {"Selection", "تحديد"},
     &TMainToolbars::BtnSelectClick,
     false},
    {&TMainToolbars::BtnDrop,
     "T_Drop.bmp",
     {"Pick Color from draw", "التقاط لون من الرسم"},
     &TMainToolbars::BtnDropClick,
     true},
    {&TMainToolbars::BtnPen, "T_Pen.bmp", {"Free Hand", "رسم حر"}, &TMainToolbars::BtnPenClick, false},
    {&TMainToolbars::BtnLine, "T_Line.bmp", {"Line", "خط"}, &TMainToolbars::BtnLineClick, false},
    {&TMainToolbars::BtnRect, "T_Rect.bmp", {"Rectangle", "مستطيل"}, &TMainToolbars::BtnRectClick, false},
    {&TMainToolbars::BtnFillRect,
     "T_FillRect.bmp",
     {"Filled Rectangle", "مستطيل مملوء"},
     &TMainToolbars::BtnFillRectClick,
     false},
    {&TMainToolbars::BtnSompa, "T_Diamond.bmp", {"Diamond", "معين"}, &TMainToolbars::BtnSompaClick, false},
    {&TMainToolbars::BtnFillSompa,
     "T_FillDiamond.bmp",
     {"Filled Diamond", "معين مملوء"},
     &TMainToolbars::BtnFillSompaClick,
     false},
    {&TMainToolbars::BtnEllipse,
     "T_Ellipse.bmp",
     {"Ellipse", "قطع ناقص"},
     &TMainToolbars::BtnEllipseClick,
     false},
    {&TMainToolbars::BtnFillEllipse,
     "T_FillEllipse.bmp",
     {"Filled Ellipse", "قطع ناقص مملوء"},
     &TMainToolbars::BtnFillEllipseClick,
     false},
    {&TMainToolbars::BtnRoundRect,
     "T_RoundRect.bmp",
     {"Round Rect", "مستطيل مستدير الزوايا"},
     &TMainToolbars::BtnRoundRectClick,
     false},
    {&TMainToolbars::BtnFillRoundRect,
     "T_FillRoundRect.bmp",
     {"Filled Round Rect", "مستطيل مستدير الزوايا مملوء"},
     &TMainToolbars::BtnFillRoundRectClick,
     true},
    {&TMainToolbars::BtnFill,
     "T_Fill.bmp",
     {"Fill with Color", "تعبئة باللون"},
     &TMainToolbars::BtnFillClick,
     false},
    {&TMainToolbars::BtnFilPattern,
     "T_FillPattern.bmp",
     {"Fill with pattern", "تعبئة بالنقشة"},
     &TMainToolbars::BtnFilPatternClick,
     true},
    {&TMainToolbars::BtnEraserClr,
     "T_EraserClr.bmp",
     {"Free Eraser on pen Color Only", "ممحاة حرة للون القلم فقط"},
     &TMainToolbars::BtnEraserClrClick,
     false},
    {&TMainToolbars::BtnEraser,
     "T_Eraser.bmp",
     {"Free Eraser", "ممحاة حرة"},
     &TMainToolbars::BtnEraserClick,
     false},
    {&TMainToolbars::BtnText, "T_Text.bmp", {"Text", "نص"}, &TMainToolbars::BtnTextClick, true},
    {&TMainToolbars::BtnAmp,
     "T_Magnify.bmp",
     {"Magnify with left click, Demagnify with right click", "تكبير بالنقر الأيسر، تصغير بالنقر الأيمن"},
     &TMainToolbars::BtnAmpClick,
     false},
};

const ButtonSpec ToolsButtons[] = {
    {&TMainToolbars::btnUndo, "T_Undo.bmp", {"Undo", "تراجع"}, &TMainToolbars::btnUndoClick, true},
    {&TMainToolbars::BtnClrExh,
     "T_EraseColor.bmp",
     {"Erase Color From Selection", "مسح اللون من التحديد"},
     &TMainToolbars::BtnClrExhClick,
     false},
    {&TMainToolbars::BtnEraseRect,
     "T_EraseRect.bmp",
     {"Erase Selection", "مسح التحديد"},
     &TMainToolbars::BtnEraseRectClick,
     false},
    {&TMainToolbars::BtnCut, "T_Cut.bmp", {"Cut", "قص"}, &TMainToolbars::BtnCutClick, false},
    {&TMainToolbars::BtnCopy, "T_Copy.bmp", {"Copy", "نسخ"}, &TMainToolbars::BtnCopyClick, false},
    {&TMainToolbars::BtnPaste, "T_Paste.bmp", {"Paste", "لصق"}, &TMainToolbars::BtnPasteClick, false},
    {&TMainToolbars::BtnPasteMuiti,
     "T_PasteMulti.bmp",
     {"Multy paste", "لصق متكرر"},
     &TMainToolbars::BtnPasteMuitiClick,
     true},
    {&TMainToolbars::BtnFlipH,
     "T_FlipH.bmp",
     {"Flip Horizontal", "قلب أفقي"},
     &TMainToolbars::BtnFlipHClick,
     false},
    {&TMainToolbars::BtnFlipV,
     "T_FlipV.bmp",
     {"Flip Vertical", "قلب رأسي"},
     &TMainToolbars::BtnFlipVClick,
     true},
    {&TMainToolbars::BtnRot90,
     "T_Rot90.bmp",
     {"Rotate 90 degres", "تدوير 90 درجة"},
     &TMainToolbars::BtnRot90Click,
     false},
    {&TMainToolbars::BtnRot180,
     "T_Rot180.bmp",
     {"Rotate 180 degres", "تدوير 180 درجة"},
     &TMainToolbars::BtnRot180Click,
     false},
    {&TMainToolbars::BtnRot270,
     "T_Rot270.bmp",
     {"Rotate 270 degres", "تدوير 270 درجة"},
     &TMainToolbars::BtnRot270Click,
     false},
    {&TMainToolbars::BtnRotFree,
     "T_RotFree.bmp",
     {"Free Rotate", "تدوير حر"},
     &TMainToolbars::BtnRotFreeClick,
     true},
    {&TMainToolbars::BtnResize,
     "T_Resize.bmp",
     {"Resize ", "تغيير الحجم"},
     &TMainToolbars::BtnResizeClick,
     false},
};

const ButtonSpec ViewButtons[] = {
    {&TMainToolbars::BtnGrid,
     "T_Grid.bmp",
     {"Show- Hide Grid", "إظهار وإخفاء الشبكة"},
     &TMainToolbars::BtnGridClick,
     false},
    {&TMainToolbars::BtnGridClr,
     "T_GridColor.bmp",
     {"Grid Color", "لون الشبكة"},
     &TMainToolbars::BtnGridClrClick,
     false},
    {&TMainToolbars::btnHome,
     "T_Home.bmp",
     {"To home position", "إلى موضع البداية"},
     &TMainToolbars::btnHomeClick,
     false},
};

// The entries of the three drop-down menus, by glyph index.
const Texts MenuEntries[GlyphCount] = {
    {"Solid", "مصمت"},
    {"Diagonal cross", "شبكة مائلة"},
    {"Cross", "شبكة"},
    {"Forward diagonal", "مائل للأمام"},
    {"Backward diagonal", "مائل للخلف"},
    {"Horizontal", "أفقي"},
    {"Vertical", "رأسي"},
    {"Solid", "متصل"},
    {"Dash", "متقطع"},
    {"Dot", "منقط"},
    {"Width 1", "عرض 1"},
    {"Width 2", "عرض 2"},
    {"Width 3", "عرض 3"},
    {"Width 4", "عرض 4"},
    {"Width 5", "عرض 5"},
};

} // namespace

// The pointer on the colour controls: a press on a swatch, a click on the two pictures, a double
// click on the pattern sample.
struct TMainToolbars::Private : QObject {
    explicit Private(TMainToolbars& Owner) : FOwner(Owner) {}
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        TMainToolbars& o = FOwner;
        const QEvent::Type t = Event->type();
        const bool left = (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
                           t == QEvent::MouseButtonDblClick) &&
                          static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton;
        if (!left)
            return false;
        const bool picture = Watched == o.ImageForeBack || Watched == o.ImageBackToFore;
        if (t == QEvent::MouseButtonPress && Watched == o.ShapeForeClr)
            o.ShapeForeClrMouseDown();
        else if (t == QEvent::MouseButtonPress && Watched == o.ShapeBackClr)
            o.ShapeBackClrMouseDown();
        else if (t == QEvent::MouseButtonPress && picture)
            ; // taken, so that the release that makes the click comes here too
        else if (t == QEvent::MouseButtonRelease && picture) {
            if (static_cast<QWidget*>(Watched)->rect().contains(
                    static_cast<QMouseEvent*>(Event)->position().toPoint()))
                Watched == o.ImageForeBack ? o.ImageForeBackClick() : o.ImageBackToForeClick();
        } else if (t == QEvent::MouseButtonDblClick && Watched == o.MImagePattern)
            o.MImagePatternDblClick();
        else
            return false;
        return true;
    }
    TMainToolbars& FOwner;
    TColor GridColor = 0;
};

TMainToolbars::TMainToolbars(MForm* Frame, MMainToolsHost& Host, TDockArea* DockUp, TDockArea* DockRight)
    : FFrame(Frame), FHost(Host), FPatternBitmap(std::make_unique<TBitmap>()),
      P(std::make_unique<Private>(*this)) {
    SetDefaultTools();
    const int language =
        Frame->LanguageDetail().LanguageID() == LanguageArabic ? LanguageArabic : LanguageEnglish;

    auto toolbar = [&](const Texts& Caption) {
        auto* bar = new MDockToolBar(Frame);
        bar->M_Caption().SetCaptions(Pair(Caption));
        bar->SetCaption(Pair(Caption)[language == LanguageArabic ? 0 : 1]);
        bar->SetArabic(language == LanguageArabic);
        return bar;
    };
    auto button = [&](MDockToolBar* Bar, const char* Glyph, const Texts& Hint) {
        auto* b = new MDockToolBarButton(Frame, Bar);
        if (Glyph)
            b->SetGlyph(LoadToolbarGlyph(QString::fromLatin1(Glyph)));
        GiveHint(b, language, Hint);
        return b;
    };
    auto buttons = [&](MDockToolBar* Bar, const auto& Specs, int Group) {
        for (const ButtonSpec& s : Specs) {
            MDockToolBarButton* b = button(Bar, s.Glyph, s.Hint);
            b->SetGroupIndex(Group);
            this->*s.Field = b;
            b->OnClick = [this, click = s.Click](QObject*) { (this->*click)(); };
            if (s.SeparatorAfter)
                new TDockToolbarSep(Bar);
        }
    };

    MToolBarDrawing = toolbar({"Drawing Window", "نافذة الرسم"});
    buttons(MToolBarDrawing, DrawingButtons, DrawingGroup);
    BtnPen->SetDown(true);

    MToolBarView = toolbar({"View Window", "نافذة العرض"});
    buttons(MToolBarView, ViewButtons, 0);

    MToolBarTools = toolbar({"Tools Window", "نافذة الأدوات"});
    buttons(MToolBarTools, ToolsButtons, 0);
    btnUndo->setEnabled(false);

    // The Colours toolbar: the pattern sample, the pen colour's read-out, the two swatches and the
    // two pictures between them, in one column.
    MToolBarColors = toolbar({"Colors Window", "نافذة الألوان"});
    auto* column = new QWidget(MToolBarColors);
    column->resize(86, 315);
    MImagePattern = new MImage(Frame, column);
    MImagePattern->setGeometry(5, 2, 48, 36);
    MImagePattern->SetStretch(true);
    // No sample yet: the pattern is empty, a pattern fill does nothing, and the sample shows white.
    QPixmap blank(32, 32);
    blank.fill(Qt::white);
    MImagePattern->SetPicture(blank);
    GiveHint(MImagePattern, language,
             {"Double Click to get selected part of draw to use with Fill with pattern",
              "انقر مرتين لأخذ الجزء المحدد من الرسم للتعبئة بالنقشة"});
    MLabel** values[] = {&LabelRValue, &LabelGValue, &LabelBValue};
    const char* captions[] = {"R:", "G:", "B:"};
    for (int i = 0; i < 3; ++i) {
        auto* caption = new MLabel(Frame, column);
        caption->M_Arabic = false;
        ShowText(caption, QString::fromLatin1(captions[i]));
        caption->setGeometry(6, 42 + i * 15, 16, 14);
        *values[i] = new MLabel(Frame, column);
        (*values[i])->M_Arabic = false;
        ShowText(*values[i], QStringLiteral("255"));
        (*values[i])->setGeometry(24, 42 + i * 15, 30, 14);
    }
    ShapeForeClr = new MShape(Frame, column);
    ShapeForeClr->setGeometry(4, 90, 30, 30);
    GiveHint(ShapeForeClr, language, {"Pen Color", "لون القلم"});
    ShapeBackClr = new MShape(Frame, column);
    ShapeBackClr->setGeometry(24, 112, 30, 30);
    GiveHint(ShapeBackClr, language, {"Brush Color", "لون الفرشاة"});
    ShapeForeClr->raise();
    ImageForeBack = new MImage(Frame, column);
    ImageForeBack->setGeometry(38, 92, 16, 16);
    ImageForeBack->SetPicture(Transparented(LoadToolbarGlyph(QStringLiteral("T_ForeBack.bmp"))));
    GiveHint(ImageForeBack, language, {"Exchange Pen color and Brush color", "تبديل لون القلم ولون الفرشاة"});
    ImageBackToFore = new MImage(Frame, column);
    ImageBackToFore->setGeometry(4, 124, 16, 16);
    ImageBackToFore->SetPicture(Transparented(LoadToolbarGlyph(QStringLiteral("T_BackToFore.bmp"))));
    GiveHint(ImageBackToFore, language, {"Set Pen color from Brush color", "لون القلم من لون الفرشاة"});
    for (QWidget* w : {static_cast<QWidget*>(ShapeForeClr), static_cast<QWidget*>(ShapeBackClr),
                       static_cast<QWidget*>(ImageForeBack), static_cast<QWidget*>(ImageBackToFore),
                       static_cast<QWidget*>(MImagePattern)})
        w->installEventFilter(P.get());
    // The palette grid below the swatches: the left button picks the pen colour, the right one the
    // brush colour.
    MColorsPanel1 = new MColorsPanel(Frame, column);
    MColorsPanel1->move(1, 146);
    MColorsPanel1->OnLeftColorChange = [this](TColor c) { MColorsPanel1LeftColorChange(c); };
    MColorsPanel1->OnRightColorChange = [this](TColor c) { MColorsPanel1RightColorChange(c); };
    LoadColorsFromDef();

    MToolBarBrushes = toolbar({"Brushes Window", "نافذة الفرش"});
    Brush = button(MToolBarBrushes, nullptr, {"Brush Style", "نمط الفرشاة"});
    Pen = button(MToolBarBrushes, nullptr, {"Pen Style", "نمط القلم"});
    Thick = button(MToolBarBrushes, nullptr, {"Pen thickness", "سمك القلم"});
    InitiateBrushToolbar(0, 0, 0);

    QObject::connect(&TDropdownList::Instance(), &TDropdownList::Command, P.get(),
                     [this](int Id, QMenu* Menu, QWidget* Button) {
                         const int index = Id - bus::MenuCmdFirst;
                         if (Id < bus::MenuCmdFirst || Id > bus::MenuCmdLast)
                             return;
                         if ((Menu == BrushMenu || Button == Brush) && Id < bus::MenuCmdPenFirst)
                             BrushBtnChanged(index);
                         else if ((Menu == PenMenu || Button == Pen) && Id >= bus::MenuCmdPenFirst &&
                                  Id < bus::MenuCmdWidthFirst)
                             PenBtnChanged(index - PenGlyphFirst);
                         else if ((Menu == WidthMenu || Button == Thick) && Id >= bus::MenuCmdWidthFirst)
                             ThickBtnChanged(index - WidthGlyphFirst);
                     });

    struct Place {
        MDockToolBar* Bar;
        TDockArea* Dock;
        int Row, Pos;
    };
    for (const Place& p : {Place{MToolBarDrawing, DockUp, 0, 0}, Place{MToolBarView, DockUp, 0, 470},
                           Place{MToolBarTools, DockUp, 1, 0}, Place{MToolBarColors, DockRight, 0, 0},
                           Place{MToolBarBrushes, DockRight, 0, 335}}) {
        p.Bar->SetDockRow(p.Row);
        p.Bar->SetDockPos(p.Pos);
        p.Bar->SetDockedTo(p.Dock);
    }
}

TMainToolbars::~TMainToolbars() = default;

void TMainToolbars::SetDefaultTools() {
    FState = DrawingToolState();
}

void TMainToolbars::ApplyToolsToWindow(DrawingToolState& Window) const {
    Window = FState;
}

// ---- Colours.

void TMainToolbars::LoadColorsFromDef() {
    SetForeClr(FState.PenColor);
    SetBackClr(FState.BrushColor);
}

void TMainToolbars::colorToRGB(TColor Color, int& R, int& G, int& B) {
    R = Color & 0xFF;
    G = (Color & 0xFF00) >> 8;
    B = (Color & 0xFF0000) >> 16;
}

void TMainToolbars::SetForeClr(TColor Color) {
    if (Color == ReservedSubstitute)
        Color = ReservedColor;
    ShapeForeClr->SetBrush(QBrush(toQColor(Color)));
    int r = 0, g = 0, b = 0;
    colorToRGB(Color, r, g, b);
    ShowText(LabelRValue, QString::number(r));
    ShowText(LabelGValue, QString::number(g));
    ShowText(LabelBValue, QString::number(b));
}

void TMainToolbars::SetBackClr(TColor Color) {
    if (Color == ReservedSubstitute)
        Color = ReservedColor;
    ShapeBackClr->SetBrush(QBrush(toQColor(Color)));
}

namespace {
TColor SwatchColor(const MShape* Shape) {
    return fromQColor(Shape->Brush().color());
}
} // namespace

// A swatch opens the colour dialog on its colour; the choice goes the way of the palette grid's.
void TMainToolbars::ShapeForeClrMouseDown() {
    TColor c = SwatchColor(ShapeForeClr);
    if (FHost.ExecuteColorDialog(c))
        MColorsPanel1LeftColorChange(c);
}

void TMainToolbars::ShapeBackClrMouseDown() {
    TColor c = SwatchColor(ShapeBackClr);
    if (FHost.ExecuteColorDialog(c))
        MColorsPanel1RightColorChange(c);
}

void TMainToolbars::MColorsPanel1LeftColorChange(TColor Color) {
    Color = MPalette::Admissible(Color);
    FHost.SendBusMessage(bus::GroupColor, bus::CmdPenColor, int(Color));
    SetForeClr(Color);
}

void TMainToolbars::MColorsPanel1RightColorChange(TColor Color) {
    Color = MPalette::Admissible(Color);
    FHost.SendBusMessage(bus::GroupColor, bus::CmdBrushColor, int(Color));
    SetBackClr(Color);
}

// The swatches show the reserved colour for its substitute; what is sent is always the colour a
// drawing may paint with.
void TMainToolbars::ImageBackToForeClick() {
    const TColor c = MPalette::Admissible(SwatchColor(ShapeBackClr));
    SetForeClr(c);
    FHost.SendBusMessage(bus::GroupColor, bus::CmdPenColor, int(c));
}

void TMainToolbars::ImageForeBackClick() {
    const TColor pen = MPalette::Admissible(SwatchColor(ShapeBackClr));
    const TColor brush = MPalette::Admissible(SwatchColor(ShapeForeClr));
    SetForeClr(pen);
    SetBackClr(brush);
    FHost.SendBusMessage(bus::GroupColor, bus::CmdPenColor, int(pen));
    FHost.SendBusMessage(bus::GroupColor, bus::CmdBrushColor, int(brush));
}

void TMainToolbars::MImagePatternDblClick() {
    if (FHost.SendBusMessage(bus::GroupStyle, bus::CmdPatternSample) != 0)
        return;
    QImage picture(MImagePattern->size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter p(&picture);
        p.drawImage(QRect(0, 0, picture.width() - 1, picture.height() - 1), FPatternBitmap->ToQImage());
    }
    MImagePattern->SetPicture(QPixmap::fromImage(picture));
}

void TMainToolbars::SetXY(int X, int Y) {
    for (auto [label, text] : {std::pair{FHost.LabelXValue(), QStringLiteral("X:%1").arg(X)},
                               std::pair{FHost.LabelYValue(), QStringLiteral("Y:%1").arg(Y)}})
        if (label) {
            label->setText(text);
            label->repaint();
        }
}

void TMainToolbars::SetUndoEnabled(bool Enabled) {
    btnUndo->setEnabled(Enabled);
}

// ---- The brush, pen and width drop-downs.

void TMainToolbars::InitiateBrushToolbar(int BrushIndex, int PenIndex, int WidthIndex) {
    const int language = FFrame->LanguageDetail().LanguageID() == LanguageArabic ? 0 : 1;
    // Each menu reads in the frame's language from the start.
    auto menu = [this] { return new MPopupMenu(FFrame, FFrame); };
    BrushMenu = menu();
    PenMenu = menu();
    WidthMenu = menu();
    for (int i = 0; i < GlyphCount; ++i)
        FGlyphs[i] = LoadToolbarGlyph(QString::fromLatin1(GlyphFileNames[i]));
    for (int i = 0; i < GlyphCount; ++i) {
        MPopupMenu* m = i < PenGlyphFirst ? BrushMenu : i < WidthGlyphFirst ? PenMenu : WidthMenu;
        auto* item = new MMenuItem(FFrame);
        item->M_Caption().SetCaptions(Pair(MenuEntries[i]));
        item->setText(Pair(MenuEntries[i])[language]);
        item->setIcon(QIcon(QPixmap::fromImage(FGlyphs[i])));
        item->setData(bus::MenuCmdFirst + i);
        m->addAction(item);
    }
    for (auto [b, m] : {std::pair{Brush, BrushMenu}, std::pair{Pen, PenMenu}, std::pair{Thick, WidthMenu}}) {
        b->SetDropdownMenu(m);
    }
    Brush->SetGlyph(FGlyphs[BrushGlyphFirst + BrushIndex]);
    Pen->SetGlyph(FGlyphs[PenGlyphFirst + PenIndex]);
    Thick->SetGlyph(FGlyphs[WidthGlyphFirst + WidthIndex]);
}

void TMainToolbars::BrushBtnChanged(int Index) {
    if (Index < 0 || Index >= BrushGlyphCount)
        return;
    Brush->SetGlyph(FGlyphs[BrushGlyphFirst + Index]);
    FHost.SendBusMessage(bus::GroupStyle, bus::CmdBrushStyle, BrushStyleOfEntry[Index]);
}

void TMainToolbars::PenBtnChanged(int Index) {
    if (Index < 0 || Index >= PenGlyphCount)
        return;
    Pen->SetGlyph(FGlyphs[PenGlyphFirst + Index]);
    FHost.SendBusMessage(bus::GroupStyle, bus::CmdPenStyle, Index);
}

void TMainToolbars::ThickBtnChanged(int Index) {
    if (Index < 0 || Index >= WidthGlyphCount)
        return;
    Thick->SetGlyph(FGlyphs[WidthGlyphFirst + Index]);
    FHost.SendBusMessage(bus::GroupStyle, bus::CmdPenWidth, Index + 1);
}

// ---- The buttons.

void TMainToolbars::BtnSelectClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilySingle, bus::ToolSelect);
}
void TMainToolbars::BtnDropClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilySingle, bus::ToolDrop);
}
void TMainToolbars::BtnPenClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyLine, bus::ToolPen);
}
void TMainToolbars::BtnLineClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyLine, bus::ToolLine);
}
void TMainToolbars::BtnRectClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyRect, bus::ToolRect);
}
void TMainToolbars::BtnFillRectClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyRect, bus::ToolFillRect);
}
void TMainToolbars::BtnSompaClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyDiamond, bus::ToolDiamond);
}
void TMainToolbars::BtnFillSompaClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyDiamond, bus::ToolFillDiamond);
}
void TMainToolbars::BtnEllipseClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyEllipse, bus::ToolEllipse);
}
void TMainToolbars::BtnFillEllipseClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyEllipse, bus::ToolFillEllipse);
}
void TMainToolbars::BtnRoundRectClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyRoundRect, bus::ToolRoundRect);
}
void TMainToolbars::BtnFillRoundRectClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyRoundRect, bus::ToolFillRoundRect);
}
void TMainToolbars::BtnFillClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilySingle, bus::ToolFill);
}
void TMainToolbars::BtnFilPatternClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilySingle, bus::ToolFillPattern);
}
void TMainToolbars::BtnEraserClrClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyLine, bus::ToolEraserClr);
}
void TMainToolbars::BtnEraserClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilyLine, bus::ToolEraser);
}
void TMainToolbars::BtnTextClick() {
    FHost.SendBusMessage(bus::GroupTool, bus::FamilySingle, bus::ToolText);
}
void TMainToolbars::BtnAmpClick() {
    FHost.SendBusMessage(bus::GroupView, bus::CmdMagnifier);
}
void TMainToolbars::btnUndoClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdUndo);
}
void TMainToolbars::BtnClrExhClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdEraseClr);
}
void TMainToolbars::BtnEraseRectClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdEraseRect);
}
void TMainToolbars::BtnCutClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdCut);
}
void TMainToolbars::BtnCopyClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdCopy);
}

void TMainToolbars::BtnPasteClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdPaste, 1, 1);
    BtnSelect->SetDown(true);
    BtnSelectClick();
}

void TMainToolbars::BtnPasteMuitiClick() {
    int x = 1, y = 1;
    if (!FHost.ExecuteRepeatPaste(x, y))
        return;
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdPaste, x, y);
    BtnSelect->SetDown(true);
    BtnSelectClick();
}

void TMainToolbars::BtnFlipHClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdFlipH);
}
void TMainToolbars::BtnFlipVClick() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdFlipV);
}
void TMainToolbars::BtnRot90Click() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdRot90);
}
void TMainToolbars::BtnRot180Click() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdRot180);
}
void TMainToolbars::BtnRot270Click() {
    FHost.SendBusMessage(bus::GroupSelection, bus::CmdRot270);
}
void TMainToolbars::BtnRotFreeClick() {
    FHost.ExecuteFreeRotation();
}
void TMainToolbars::BtnResizeClick() {
    FHost.ExecuteSelectionResize();
}
void TMainToolbars::BtnGridClick() {
    FHost.SendBusMessage(bus::GroupView, bus::CmdGrid);
}

void TMainToolbars::BtnGridClrClick() {
    TColor c = P->GridColor;
    if (!FHost.ExecuteColorDialog(c))
        return;
    P->GridColor = c;
    FHost.SendBusMessage(bus::GroupView, bus::CmdGridColor, int(c));
}

void TMainToolbars::btnHomeClick() {
    FHost.SendBusMessage(bus::GroupView, bus::CmdHome);
}
