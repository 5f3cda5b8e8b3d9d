// Toolbars: the layout and the candidate floating sizes of a toolbar of 40 controls and 8 separators
// (done on every step of a mouse sizing), painting a docked toolbar of 20 buttons, and the language
// switch of five bilingual toolbars and three bilingual buttons.

#include "bench/BenchSupport.h"

#include "ui/Adapter.h"
#include "ui/AlignLayout.h"
#include "ui/DockCtls.h"
#include "ui/DockTlbr.h"
#include "ui/DockToolBar_m.h"
#include "ui/Docks.h"
#include "ui/ToolbarCore.h"
#include "ui/ULPackDM.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::vector<TToolbarItem> FortyControls() {
    std::vector<TToolbarItem> items;
    for (int i = 0; i < 40; ++i) {
        TToolbarItem it;
        it.Width = 23 + (i % 3) * 10;
        it.Height = 22;
        items.push_back(it);
        if (i % 5 == 4 && i < 39) {
            TToolbarItem sep;
            sep.Separator = true;
            items.push_back(sep);
        }
    }
    return items;
}

void BM_ToolbarLayoutAndFloatingSizes(benchmark::State& state) {
    std::vector<TToolbarItem> items = FortyControls();
    TToolbarLayoutInput in;
    in.DockType = 0;
    in.WrapWidth = 300;
    in.Apply = true;
    std::vector<TToolbarRowLine> lines;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayOutToolbar(items, in, &lines));
        benchmark::DoNotOptimize(BuildToolbarFloatingSizes(items));
    }
}
BENCHMARK(BM_ToolbarLayoutAndFloatingSizes)->Unit(benchmark::kMicrosecond);

QImage Glyph(int Seed) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    QPainter p(&img);
    p.fillRect(3, 3 + Seed % 4, 10, 6, QColor(0, 0, 128));
    return img;
}

void BM_PaintDockedToolbarOf20Buttons(benchmark::State& state) {
    QWidget form;
    form.resize(800, 200);
    auto* layout = new AlignLayout(&form);
    auto* dock = new TDockArea(&form, TDockPosition::dpTop);
    layout->addWidget(dock);
    auto* bar = new TDockToolbar(&form);
    for (int i = 0; i < 20; ++i) {
        auto* b = new TDockToolbarButton(bar);
        b->SetGlyph(Glyph(i));
        b->SetGroupIndex(i < 10 ? 1 : 0);
        if (i % 6 == 5)
            new TDockToolbarSep(bar);
    }
    bar->SetDockedTo(dock);
    form.show();
    QCoreApplication::processEvents();
    QImage target(bar->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&target);
        bar->render(&p);
    }
}
BENCHMARK(BM_PaintDockedToolbarOf20Buttons)->Unit(benchmark::kMicrosecond);

class ToolbarForm : public MForm {
public:
    explicit ToolbarForm(MLanguagePack& Pack) {
        new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(LanguageEnglish);
        for (int i = 0; i < 5; ++i) {
            auto* bar = new MDockToolBar(this);
            bar->M_Caption().SetCaptions(
                {QStringLiteral("نافذة %1").arg(i), QStringLiteral("Window %1").arg(i)});
            bar->M_Hint().SetHints({QStringLiteral("تلميح %1").arg(i), QStringLiteral("Hint %1").arg(i)});
            if (i == 4)
                for (int k = 0; k < 3; ++k) {
                    auto* b = new MDockToolBarButton(this, bar);
                    b->M_Hint().SetHints(
                        {QStringLiteral("زر %1").arg(k), QStringLiteral("Button %1").arg(k)});
                }
        }
        FinishLoading();
    }
};

void BM_LanguageSwitchOfFiveToolbarsAndThreeButtons(benchmark::State& state) {
    TDMLanguagePack module;
    MLanguagePack& pack = *module.OLanguagePack;
    pack.SetLanguageNumber(LanguageEnglish);
    ToolbarForm form(pack);
    int language = LanguageArabic;
    for (auto _ : state) {
        form.SendMessage_Component(LM_CHANGE_LANGUAGEID, language);
        form.SendMessage_Component(LM_CHANGE_ARABIC, language == LanguageArabic ? 1 : 0);
        language = language == LanguageArabic ? LanguageEnglish : LanguageArabic;
    }
}
BENCHMARK(BM_LanguageSwitchOfFiveToolbarsAndThreeButtons)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
