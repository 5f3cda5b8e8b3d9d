#pragma once
// The New Project dialog: the machine and gauge a new project is made for and the size of its new
// picture. Each project container owns one, hidden until the project is made.

#include "app/UPictureDialogs.h"

#include <QStringList>

class MComboBox;

// The gauges a project can be made for.
constexpr int FirstGauge = 2;
constexpr int LastGauge = 15;
// The machine numbers of KnownModels() and the gauge numbers FirstGauge to LastGauge, appended to
// the two lists.
void AppendMachineAndGaugeNumbers(QStringList& Machines, QStringList& Gauges);

class TOFormNewProj : public TPictureDialog {
    Q_OBJECT
public:
    explicit TOFormNewProj(QWidget* Parent = nullptr);

    // The machines of KnownModels() and the gauges 2 to 15; positions 9 (740) and 5 (gauge 7) by
    // default.
    MComboBox* cmpMachineNr;
    MComboBox* cmpGaugeNr;
    MNumEdit* MEditWidth;
    MNumEdit* MEditLength;
    MButton* MBtnOK;
    MButton* MBtnCancel;

    static constexpr int DefaultMachineIndex = 9;
    static constexpr int DefaultGaugeIndex = 5;

    // The numbers shown.
    int GetMachine() const;
    int GetGauge() const;
    int GetMachineIndex() const;
    int GetGaugeIndex() const;
    // A position outside the list selects the default.
    void SetMachineIndex(int Position);
    void SetGaugeIndex(int Position);
    // The picture size; a text that is not a number, or below 1, gives 100.
    int GetWidth() const;
    int GetLength() const;

protected:
    void showEvent(QShowEvent* Event) override;
};
