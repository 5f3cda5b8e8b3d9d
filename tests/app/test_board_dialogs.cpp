// The picture dialogs answered through the modal hook: the bus sequences of the rotation and the
// selection resize, the picture-mode resize, the repeat-paste signs, the colour count and the image
// type, and the sizes refused above the cell limit.

#include "app/UPictureDialogs.h"

#include "tests/app/AppTestSupport.h"

#include "editors/NumEdit_m.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/RadioButton_m.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"

#include <QSlider>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// The main window as the dialogs see it: each bus message is logged with the stored rectangle it
// found; (1, 59, 60) stores the drawing's work rectangle.
class RecordingHost : public MPictureDialogHost {
public:
    QRect Work{QPoint(5, 30), QPoint(24, 39)}; // 20 x 10 cells
    QRect Stored;
    std::vector<std::string> Log;

    int SendBusMessage(int Group, int Command, int Param, int Param2) override {
        if (Group == 1 && Command == 59 && Param == 60)
            Stored = Work;
        std::string line = std::to_string(Group) + "," + std::to_string(Command);
        if (Command == 57 || Command == 59)
            line += "," + std::to_string(Param);
        if (Param2)
            line += "," + std::to_string(Param2);
        if (Command == 59)
            line += " " + std::to_string(Stored.left()) + "," + std::to_string(Stored.top()) + "-" +
                    std::to_string(Stored.right()) + "," + std::to_string(Stored.bottom());
        Log.push_back(line);
        return 0;
    }
    QRect StoredRect() const override { return Stored; }
    void SetStoredRect(const QRect& Rect) override { Stored = Rect; }
};

// Answers the next modal showing with Script.
class Answer {
public:
    explicit Answer(std::function<void(MModalForm&)> Script) { MModalForm::ModalHook = std::move(Script); }
    ~Answer() { MModalForm::ModalHook = nullptr; }
};

} // namespace

TEST(PictureDialogs, SelectionResizeKeepsTheBottomLeftCellAndTheAspect) {
    using Log = std::vector<std::string>;
    struct Case {
        const char* Name;
        const char* Width; // typed into the width edit, or null
        bool Ok;
        Log Expected;
    };
    const Case cases[] = {
        {"width 40, OK",
         "40",
         true,
         {"1,59,60 5,30-24,39", "1,70", "1,59,64 5,30-24,39", "1,59,61 5,20-44,39", "1,59,62 5,20-44,39"}},
        {"width 40, Cancel",
         "40",
         false,
         {"1,59,60 5,30-24,39", "1,70", "1,59,64 5,30-24,39", "1,59,61 5,20-44,39", "1,59,64 5,20-44,39",
          "1,59,63 5,30-24,39"}},
        {"no change, OK", nullptr, true, {"1,59,60 5,30-24,39", "1,70", "1,59,62 5,30-24,39"}},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        TFormImageResize form(false, &host);
        form.MCheckBoxAspect->setChecked(true);
        Answer answer([&](MModalForm&) {
            EXPECT_FALSE(form.MCheckBoxStretch->isVisible());
            if (c.Width) {
                form.MEditWidth->setText(QString::fromLatin1(c.Width));
                EXPECT_EQ(form.MEditLength->text(), QStringLiteral("20")) << c.Name;
            }
            (c.Ok ? form.MBtnOK : form.MBtnCancel)->click();
        });
        EXPECT_EQ(form.Execute(), c.Ok) << c.Name;
        EXPECT_EQ(host.Log, c.Expected) << c.Name;
    }
}

TEST(PictureDialogs, PictureResizeSendsNothingAndRefusesTooManyCells) {
    kdstest::MScriptedMessages messages;
    TFormImageResize form(true, nullptr);
    form.SetWidth(200);
    form.SetLength(100);
    form.MCheckBoxAspect->setChecked(true);
    Answer answer([&](MModalForm&) {
        EXPECT_TRUE(form.MCheckBoxStretch->isVisible());
        form.MEditWidth->setText(QStringLiteral("50"));
        EXPECT_EQ(form.MEditLength->text(), QStringLiteral("25"));
        // 999999 x 499999 cells: refused, the edits show the last size.
        form.MEditWidth->setText(QStringLiteral("999999"));
        EXPECT_EQ(form.MEditWidth->text(), QStringLiteral("50"));
        EXPECT_EQ(form.MEditLength->text(), QStringLiteral("25"));
        form.MCheckBoxStretch->setChecked(true);
        form.MBtnOK->click();
    });
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(form.GetWidth(), 50);
    EXPECT_EQ(form.GetLength(), 25);
    EXPECT_TRUE(form.GetStretch());
    ASSERT_EQ(messages.Coded.size(), 1u);
    EXPECT_EQ(messages.Coded[0].SubCode, 3404);
}

TEST(PictureDialogs, ThePictureSizeEditsTakeEverySizeThePictureMayHave) {
    // A picture of 1500000 x 100 cells lies within the cell limit: the dialog shows its size and
    // gives it back, so OK without a change leaves the picture as it is.
    kdstest::MScriptedMessages messages;
    TFormImageResize form(true, nullptr);
    form.SetWidth(1500000);
    form.SetLength(100);
    EXPECT_EQ(form.GetWidth(), 1500000);
    EXPECT_EQ(form.GetLength(), 100);
    TOFormNew fresh;
    fresh.MEditLength->setText(QStringLiteral("1000000"));
    EXPECT_EQ(fresh.GetLength(), 1000000);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(PictureDialogs, FreeRotationPreviewsOnlyTrueAngles) {
    RecordingHost host;
    TFormRotFree form(&host);
    ASSERT_TRUE(form.BeginRotation());
    Answer answer([&](MModalForm&) {
        form.TrackBarAngle->setValue(360); // accepted by the control, changes nothing
        form.MEditAngle->setText(QStringLiteral("30"));
        form.MEditAngle->setText(QStringLiteral("400"));
        EXPECT_EQ(form.MEditAngle->text(), QStringLiteral("30"));
        form.TrackBarAngle->setValue(-45);
        EXPECT_EQ(form.MEditAngle->text(), QStringLiteral("-45"));
        form.MBtnCancel->click();
    });
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(host.Log, (std::vector<std::string>{"1,56", "1,57,30", "1,57,-45", "1,58"}));
    TFormRotFree unlinked(nullptr);
    EXPECT_FALSE(unlinked.BeginRotation());
}

TEST(PictureDialogs, RepeatPasteSigns) {
    struct Case {
        bool Up, Diagonal;
        int X, Y;
    };
    for (const Case& c : {Case{true, false, -3, 2}, Case{false, false, 3, 2}, Case{true, true, -3, -1},
                          Case{false, true, 3, -1}}) {
        TOFormPastRepeat form;
        form.MEditH->setText(QStringLiteral("3"));
        form.MEditV->setText(QStringLiteral("2"));
        (c.Up ? form.MRadioButtonUp : form.MRadioButtonDown)->setChecked(true);
        form.MCheckBoxDiagonal->setChecked(c.Diagonal);
        EXPECT_EQ(form.MEditV->isEnabled(), !c.Diagonal);
        int x = 0, y = 0;
        form.GetRepeat(x, y);
        EXPECT_EQ(x, c.X);
        EXPECT_EQ(y, c.Y);
    }
}

TEST(PictureDialogs, ColourCountAndBlackAndWhite) {
    TFormColorNos form;
    EXPECT_EQ(form.GetColors(), 32);
    form.SetColors(1);
    EXPECT_EQ(form.MEditColors->text(), QStringLiteral("2"));
    form.MEditColors->setText(QStringLiteral("0")); // not a count: the last text comes back
    EXPECT_EQ(form.MEditColors->text(), QStringLiteral("2"));
    form.MEditColors->setText(QStringLiteral("16"));
    EXPECT_EQ(form.GetColors(), 16);
    EXPECT_EQ(form.GetBWMethod(), 508);
    form.BlackWhiteMode = true;
    Answer answer([&](MModalForm&) {
        EXPECT_FALSE(form.MEditColors->isVisible());
        EXPECT_TRUE(form.MRadioBtnThreShold->isVisible());
        form.MRadioBtnThreShold->setChecked(true);
        form.MBtnOK->click();
    });
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(form.GetBWMethod(), 507);
}

TEST(PictureDialogs, ImageTypeAndNewImage) {
    {
        // Closed with the close box: still the checked type.
        Answer answer([](MModalForm& f) {
            static_cast<TFormFileType&>(f).MRadioButton16clr->setChecked(true);
            f.close();
        });
        EXPECT_EQ(AskImageType(), 20);
    }
    {
        Answer answer([](MModalForm& f) { f.close(); });
        EXPECT_EQ(AskImageType(), 1);
    }
    kdstest::MScriptedMessages messages;
    TOFormNew form;
    Answer answer([&](MModalForm&) {
        form.MEditWidth->setText(QStringLiteral("100000"));
        form.MEditLength->setText(QStringLiteral("100000"));
        form.MBtnOK->click(); // 10^10 cells: refused, the dialog stays
        EXPECT_TRUE(form.isVisible());
        form.MEditLength->setText(QStringLiteral("0"));
        EXPECT_EQ(form.MEditLength->text(), QStringLiteral("100000"));
        form.MEditLength->setText(QStringLiteral("20"));
        form.MBtnOK->click();
    });
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(form.GetWidth(), 100000);
    EXPECT_EQ(form.GetLength(), 20);
    ASSERT_EQ(messages.Coded.size(), 1u);
    EXPECT_EQ(messages.Coded[0].SubCode, 3404);
}

TEST(PictureDialogs, TheMainWindowMakesThemHiddenAndLinksTheSelectionOnes) {
    apptest::StationFixture fx;
    TFormMain& m = fx.Main();
    ASSERT_TRUE(m.FormColorNos && m.OFormNew && m.FormImageResize && m.OFormPastRepeat && m.FormRotFree &&
                m.FormSelectionResize);
    EXPECT_FALSE(m.OFormNew->isVisible());
    EXPECT_EQ(m.FormImageResize->MainLink, nullptr);
    EXPECT_EQ(m.FormRotFree->MainLink, static_cast<MPictureDialogHost*>(&m));
    EXPECT_EQ(m.FormSelectionResize->MainLink, static_cast<MPictureDialogHost*>(&m));
    Answer answer([](MModalForm& f) {
        auto& r = static_cast<TOFormPastRepeat&>(f);
        r.MEditH->setText(QStringLiteral("3"));
        r.MBtnOK->click();
    });
    int x = 0, y = 0;
    EXPECT_TRUE(m.ExecuteRepeatPaste(x, y));
    EXPECT_EQ(x, -3);
    EXPECT_EQ(y, 1);
}
