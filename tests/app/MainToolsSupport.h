#pragma once
// A frame for the drawing toolbars: a bilingual form with its four docks, and a host that records
// the bus messages the toolbars send and answers the colour dialog from the test.

#include "app/UMainTools.h"
#include "tests/support/TestSupport.h"
#include "ui/Adapter.h"
#include "ui/AlignLayout.h"
#include "ui/Docks.h"
#include "ui/ULPackDM.h"

#include <QLabel>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace maintools {

using Message = std::array<int, 4>;

class RecordingHost : public MMainToolsHost {
public:
    std::vector<Message> Sent;
    int Answer = 0;
    // The colour the dialog gives; none: the dialog is cancelled.
    std::optional<TColor> DialogColor;
    int DialogsShown = 0;
    QLabel X, Y;

    int SendBusMessage(int Group, int Command, int Param, int Param2) override {
        Sent.push_back({Group, Command, Param, Param2});
        return Answer;
    }
    bool ExecuteColorDialog(TColor& Color) override {
        ++DialogsShown;
        if (!DialogColor)
            return false;
        Color = *DialogColor;
        return true;
    }
    QLabel* LabelXValue() override { return &X; }
    QLabel* LabelYValue() override { return &Y; }
};

// The form the toolbars are built on, in a language, with the station's pictures.
class ToolsFrame : public MForm {
public:
    ToolsFrame(MLanguagePack& Pack, int Language, MMainToolsHost& Host) {
        resize(900, 500);
        new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(Language);
        auto* layout = new AlignLayout(this);
        Up = new TDockArea(this, TDockPosition::dpTop);
        Right = new TDockArea(this, TDockPosition::dpRight);
        auto* client = new QWidget(this);
        SetAlign(client, TAlign::alClient);
        for (QWidget* w : {static_cast<QWidget*>(Up), static_cast<QWidget*>(Right), client})
            layout->addWidget(w);
        Tools = std::make_unique<TMainToolbars>(this, Host, Up, Right);
        FinishLoading();
    }
    TDockArea* Up;
    TDockArea* Right;
    std::unique_ptr<TMainToolbars> Tools;
};

// The language pack of the program, switched to a language.
struct Languages {
    explicit Languages(int Language) : Module(std::make_unique<TDMLanguagePack>()) {
        Module->OLanguagePack->SetLanguageNumber(Language);
    }
    MLanguagePack& Pack() { return *Module->OLanguagePack; }
    std::unique_ptr<TDMLanguagePack> Module;
};

} // namespace maintools
