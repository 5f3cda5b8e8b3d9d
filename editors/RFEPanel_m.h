#pragma once
// The FE editor: the stitch-length change rows and their list. An FE row shows one FE module: the
// signed total difference (a sign button "B+"/"B-" and its magnitude), the vertical and horizontal
// step, the start point A0..A2, the signed offset ("O+"/"O-" and its magnitude) and the colours it
// applies to. The rows follow the P rows' pattern (editors/RPPanel_m.h): every edit goes into the
// working copy at once, the copy is stored when the row is left, another FE window's rows and colour
// boxes are dropped in.

#include "editors/RPPanel_m.h"
#include "model/UunvF.h"

class MRFEPanel : public MRBasePanel {
    Q_OBJECT
public:
    MRFEPanel(QObject* Owner, MPopupPalette* PopupPalette, const MPalette* Palette,
              QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvFE& FE_Item() const { return static_cast<MUnvFE&>(*WorkItem); }
    void SetFE_Item(const MUnvFE& Module) { LoadItem(Module); }

    MScrollBitBtn* DifferenceSignCell = nullptr; // Tag 100: "B+", "B-"
    MNumEdit* DifferenceCell = nullptr;          // Tag 200
    MNumEdit* VerticalStepCell = nullptr;        // Tag 300
    MNumEdit* HorizontalStepCell = nullptr;      // Tag 400
    MScrollBitBtn* StartPointCell = nullptr;     // Tag 500: "A0", "A1", "A2"
    MScrollBitBtn* OffsetSignCell = nullptr;     // Tag 600: "O+", "O-"
    MNumEdit* OffsetCell = nullptr;              // Tag 700
    MColorBox* ColorsCell = nullptr;             // Tag 800

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // FE cells have no field help: the hint window shows the cell's own hint only.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    // The letters b, o and a step the difference sign, the offset sign and the start point round,
    // from every cell, as a click does.
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;

    // The start point cell's hint, in Arabic or English.
    static QString StartPointHelp(bool Arabic);

protected:
    void ShowCells() override;

private:
    // A sign button with the two Captions at Left and its magnitude cell beside it (Tags Tag and
    // Tag + 100), both with Hint; either writes Field, the magnitude negated in the sign's state 1.
    void MakeSignedValue(int ID, int Tag, int Left, const QStringList& Captions, std::int32_t MUnvFE::*Field,
                         const TCellHint& Hint, MScrollBitBtn*& Sign, MNumEdit*& Magnitude);
    void ColorButtons();
};

class MRFEContainerPanel : public MRColorKindContainer<MRFEPanel, wiFE> {
    Q_OBJECT
public:
    using MRColorKindContainer::MRColorKindContainer;

    // Only drags from another FE window scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override;
};
