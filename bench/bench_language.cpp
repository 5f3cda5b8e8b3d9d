// Switching a window of 300 bilingual controls between Arabic and English: every control takes its
// caption, hint, size and place for the new language, mirrors its position and switches its reading
// order and justification. The figure is the time of one switch.
#include "bench/BenchSupport.h"

#include "ui/Adapter.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/edit_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr int ControlCount = 300;

// 300 controls in a grid of 10 columns: labels, buttons, edits and check boxes on the form, and
// labels owned by panels (reached through their panel), each with texts in both languages.
class BenchForm : public MForm {
public:
    explicit BenchForm(MLanguagePack& Pack) {
        resize(1000, 700);
        new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(LanguageEnglish);
        int made = 0;
        MPanel* panel = nullptr;
        while (made < ControlCount) {
            const int col = made % 10, row = made / 10;
            const int x = 10 + col * 98, y = 10 + row * 22;
            const QString en = QStringLiteral("Item %1").arg(made), ar = QStringLiteral("بند %1").arg(made);
            switch (made % 6) {
            case 0: {
                auto* l = new MLabel(this);
                l->SetBounds(x, y, 90, 18);
                l->M_Caption()->SetCaptions({ar, en});
                l->SetCaption(en);
                break;
            }
            case 1: {
                auto* b = new MButton(this);
                b->SetBounds(x, y, 90, 20);
                b->M_Caption()->SetCaptions({ar, en});
                b->SetCaption(en);
                break;
            }
            case 2: {
                auto* e = new MEdit(this);
                e->SetBounds(x, y, 90, 20);
                e->M_Hint().SetHints({ar, en});
                break;
            }
            case 3: {
                auto* c = new MCheckBox(this);
                c->SetBounds(x, y, 90, 20);
                c->M_Caption()->SetCaptions({ar, en});
                c->SetCaption(en);
                break;
            }
            case 4: {
                panel = new MPanel(this);
                panel->SetBounds(x, y, 90, 20);
                panel->M_Caption()->SetCaptions({QString(), QString()});
                break;
            }
            default: {
                // A cell created in code with the panel as owner, as the rows of the module editors.
                auto* cell = new MLabel(panel, panel);
                cell->SetBounds(2, 2, 60, 16);
                cell->M_Caption()->SetCaptions({ar, en});
                cell->SetCaption(en);
                break;
            }
            }
            ++made;
        }
        FinishLoading();
    }
};

struct World {
    World() : Module(std::make_unique<TDMLanguagePack>()) {
        Pack().SetLanguageNumber(LanguageEnglish);
        Form = std::make_unique<BenchForm>(Pack());
        Form->show();
        QCoreApplication::processEvents();
    }
    MLanguagePack& Pack() { return *Module->OLanguagePack; }
    std::unique_ptr<TDMLanguagePack> Module;
    std::unique_ptr<BenchForm> Form;
};

void BM_SwitchLanguage(benchmark::State& state) {
    World w;
    int language = LanguageEnglish;
    for (auto _ : state) {
        language = language == LanguageEnglish ? LanguageArabic : LanguageEnglish;
        w.Pack().SetLanguageNumber(language);
    }
    state.counters["controls"] = ControlCount;
}
BENCHMARK(BM_SwitchLanguage)->Unit(benchmark::kMillisecond);

// The same, with the window's pending layout and painting done after each switch.
void BM_SwitchLanguageAndPaint(benchmark::State& state) {
    World w;
    int language = LanguageEnglish;
    for (auto _ : state) {
        language = language == LanguageEnglish ? LanguageArabic : LanguageEnglish;
        w.Pack().SetLanguageNumber(language);
        w.Form->repaint();
        QCoreApplication::processEvents();
    }
    state.counters["controls"] = ControlCount;
}
BENCHMARK(BM_SwitchLanguageAndPaint)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
