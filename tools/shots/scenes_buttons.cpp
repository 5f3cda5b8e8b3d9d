// Scenes of the program's own buttons: flat, round shaded, glyph speed and multi-state caption
// buttons, each in its looks.

#include "tools/shots/Shots.h"

#include "ui/Adapter.h"
#include "ui/ComboEdit.h"
#include "ui/FlatBtn.h"
#include "ui/GfxUtils.h"
#include "ui/GlyphCtrls.h"
#include "ui/HemiBtn2.h"
#include "ui/Hemibtn.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ScrollFlatBtn_m.h"
#include "ui/ScrollHemiSphereBtn_m.h"
#include "ui/ScrollHemiSphereCBtn_m.h"
#include "ui/ScrollSpdbtn_m.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

// A bilingual form that follows the program's pack, laid out in English.
class SceneForm : public MForm {
public:
    SceneForm() {
        new MLanguageAdapter(this);
        if (DMLanguagePack)
            SetLanguagePack(DMLanguagePack->OLanguagePack);
        SetResourceLanguage(1);
        QPalette p = palette();
        p.setColor(QPalette::Window, SysQColorOf(clBtnFace));
        setPalette(p);
        setAutoFillBackground(true);
    }
    static QColor SysQColorOf(TColor c) {
        const TColor v = ColorToRGB(c);
        return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
    }
    void Heading(int X, int Y, int W, const char* English, const char* Arabic, int Language) {
        auto* l = new MLabel(this);
        l->SetBounds(X, Y, W, 16);
        l->SetAlignment(Language == 0 ? taRightJustify : taLeftJustify);
        l->M_Caption()->SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
        l->SetCaption(Language == 0 ? QString::fromUtf8(Arabic) : QString::fromUtf8(English));
    }
    // Places a control that is not of the bilingual family, mirrored in Arabic as the family is.
    void Place(QWidget* W, int X, int Y, int Width, int Height, int Language) {
        W->setGeometry(Language == 0 ? width() - X - Width : X, Y, Width, Height);
    }
};

// A 16 x 16 glyph drawn here: a blue diamond with a yellow centre and a black outline on magenta.
QImage DiamondGlyph() {
    QImage img = NewImage(16, 16, clFuchsia);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int d = std::abs(x - 7) + std::abs(y - 7);
            if (d <= 7)
                PutPixel(img, x, y, d == 7 ? clBlack : d <= 2 ? 0x00D0FF : 0xA04010);
        }
    return img;
}

} // namespace

KDS_SHOT_SCENE("buttons", "Flat, round shaded, glyph speed and multi-state caption buttons in their looks") {
    auto form = std::make_unique<SceneForm>();
    SceneForm* f = form.get();
    const int lang = ctx.Language;
    // The size is the form's before it loads: the family mirrors against it.
    f->resize(600, 280);

    // Flat buttons: raised, flat, pressed, focused, selected, cleared.
    f->Heading(10, 6, 580, "Flat buttons: raised, flat, bordered, pressed, focused, selected, cleared",
               "أزرار مسطحة: بارز، مسطح، بإطار، مضغوط، نشط، محدد، ممسوح", lang);
    TFlatBtn* focused = nullptr;
    for (int i = 0; i < 7; ++i) {
        auto* b = new MScrollFlatBtn(f);
        b->SetBounds(10 + i * 40, 26, 30, 30);
        b->M_CaptionList().SetCaptionList({QStringLiteral("L"), QStringLiteral("R")});
        b->SetNonFocusedColor(clBtnFace);
        switch (i) {
        case 1:
            b->SetFlat(true);
            break;
        case 2:
            b->SetFlat(true);
            b->SetBorderWhenFlat(true);
            break;
        case 3:
            b->SetDownWhenSelected(true);
            b->SetSelected(true);
            break;
        case 4:
            focused = b;
            break;
        case 5:
            b->SetColor(0x80FFFF);
            b->SetNonFocusedColor(0x80FFFF);
            b->SetSelected(true);
            break;
        case 6:
            b->SetClearWhenSelected(true);
            b->SetColor(0x80FF80);
            b->SetSelected(true);
            break;
        default:
            break;
        }
    }

    // The yarn-carrier dialog's round buttons: 21 of 25 x 25 in their colours.
    f->Heading(
        10, 66, 580,
        "Round buttons of the yarn-carrier colours, one with a glyph, one with a caption, a focused one",
        "الأزرار المستديرة لألوان حاملات الخيوط، أحدها برمز وأحدها بعنوان وواحد نشط", lang);
    const TColor colours[] = {0x808080, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
                              0x4080FF, 0x80FF40, 0xFF8040, 0x404040, 0xC0C0C0, 0x008080, 0x800080,
                              0x808000, 0x2060A0, 0xA06020, 0x60A020, 0xFFFFFF, 0x000000, 0x8080FF};
    for (int i = 0; i < 21; ++i) {
        auto* h = new MScrollHemiSphereBtn(f);
        h->SetBounds(10 + (i % 11) * 30, 86 + (i / 11) * 30, 25, 25);
        h->SetFaceColor(colours[i]);
        if (i == 19)
            h->SetGlyph(DiamondGlyph());
        if (i == 20) {
            h->M_CaptionList().SetCaptionList({QStringLiteral("7")});
            h->M_CaptionList().ApplyCaption(true);
        }
    }
    auto* focusedRound = new MScrollHemiSphereCBtn(f);
    focusedRound->SetBounds(350, 86, 25, 25);
    focusedRound->SetFaceColor(0x40C0FF);
    focusedRound->SetBevelOuter(hbRaised); // the focused look
    auto* big = new MScrollHemiSphereBtn(f);
    big->SetBounds(390, 80, 64, 48);
    big->SetFaceColor(0xD08040);
    big->SetBevelInner(hbRaised);
    big->SetBorderStyle(hbsSingle);
    big->SetBorderColor(0x404040);
    big->SetCaption(lang == 0 ? QStringLiteral("دائري") : QStringLiteral("Round"));

    // Speed buttons: up, down, exclusive, disabled, inactive.
    f->Heading(10, 150, 580, "Speed buttons: up, down, exclusive, disabled, inactive",
               "أزرار سريعة: عادي، مضغوط، محجوز، معطل، غير نشط", lang);
    TGlyphSpeedButton* pressed = nullptr;
    for (int i = 0; i < 5; ++i) {
        auto* s = new TGlyphSpeedButton(f);
        f->Place(s, 10 + i * 34, 170, 25, 25, lang);
        s->SetGlyph(DiamondGlyph());
        switch (i) {
        case 1:
            pressed = s;
            break;
        case 2:
            s->SetGroupIndex(1);
            s->SetDown(true);
            break;
        case 3:
            s->setEnabled(false);
            break;
        case 4:
            s->SetFlat(true);
            break;
        default:
            break;
        }
    }

    // Each multi-state caption button.
    f->Heading(10, 210, 580, "Caption buttons: flat, bitmap, speed, round, focusable round",
               "أزرار العناوين: مسطح، نقطي، سريع، مستدير، مستدير قابل للتركيز", lang);
    const QStringList states = {QStringLiteral("V"), QStringLiteral("H")};
    auto* cf = new MScrollFlatBtn(f);
    cf->SetBounds(10, 230, 30, 30);
    auto* cb = new MScrollBitBtn(f);
    cb->SetBounds(50, 230, 50, 30);
    auto* cs = new MScrollSpeedButton(f);
    cs->SetBounds(110, 230, 40, 30);
    auto* ch = new MScrollHemiSphereBtn(f);
    ch->SetBounds(160, 232, 25, 25);
    auto* cc = new MScrollHemiSphereCBtn(f);
    cc->SetBounds(195, 232, 25, 25);
    cf->M_CaptionList().SetCaptionList(states);
    cb->M_CaptionList().SetCaptionList(states);
    cs->M_CaptionList().SetCaptionList(states);
    ch->M_CaptionList().SetCaptionList(states);
    cc->M_CaptionList().SetCaptionList(states);
    for (MCaptionList* l : {&cf->M_CaptionList(), &cb->M_CaptionList(), &cs->M_CaptionList(),
                            &ch->M_CaptionList(), &cc->M_CaptionList()}) {
        l->SetMaxIndex(1);
        l->ApplyCaption(true);
    }
    ch->SetFaceColor(0xC0E0FF);
    cc->SetFaceColor(0xC0FFC0);

    f->FinishLoading();
    ctx.AfterShow = [focused, pressed](QWidget* w) {
        QApplication::setActiveWindow(w);
        w->activateWindow();
        focused->setFocus();
        // Hold the second speed button down.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), pressed->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pressed, &press);
    };
    return form;
}

KDS_SHOT_SCENE("fileedit", "The file-name edit with its browse button: empty, a quoted path, disabled") {
    auto form = std::make_unique<SceneForm>();
    SceneForm* f = form.get();
    const int lang = ctx.Language;
    f->resize(400, 130);
    const struct {
        const char* English;
        const char* Arabic;
        QString Name;
        bool Enabled;
    } rows[] = {
        {"Disk manager", "مدير الأقراص", QString(), true},
        {"Picture browser", "مستعرض الصور", QStringLiteral("/opt/Zode Zidaded/Browser.exe"), true},
        {"JXW666", "JXW666", QStringLiteral("/usr/local/bin/jxw666"), false},
    };
    int y = 10;
    for (const auto& r : rows) {
        f->Heading(10, y + 3, 140, r.English, r.Arabic, lang);
        auto* e = new TFilenameEdit(f);
        f->Place(e, 160, y, 231, 21, lang);
        e->SetFilter(QStringLiteral("All files (*.*)|*.exe"));
        e->SetFileName(r.Name);
        e->setEnabled(r.Enabled);
        y += 40;
    }
    f->FinishLoading();
    return form;
}
