#pragma once
// The text dialog of a drawing's text tool: the lines of text to place, their font (name, styles,
// size) with a preview of the first line, and whether the text is fitted into the selection. The
// drawing creates it once and shows it again for each use.

#include "app/UPictureDialogs.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <vector>

class MCheckBox;
class MEdit;
class MLabel;
class MListBox;
class MMemo;
class MPanel;

class TFormFontDlg : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormFontDlg(QWidget* Parent = nullptr);

    MListBox* MListBoxName = nullptr;  // every font family, the first selected at creation
    MListBox* MListBoxStyle = nullptr; // Bold, Italic, UnderLine, Strikeout: several may be selected
    MEdit* MEditSize = nullptr;        // points, "10" at creation
    MPanel* MPanelPreview = nullptr;
    MLabel* MLabelPreview = nullptr;
    MMemo* MMemoText = nullptr;
    MCheckBox* MChkBxFit = nullptr;
    MButton* MBtnOK = nullptr;
    MButton* MBtnCancel = nullptr;

    // The chosen font: the selected name and styles and the size (10 while the size text is no
    // number). Drawn without antialiasing, as the text is placed: blended edges would be new colours.
    QFont Font;

    // The lines of the text (none for an empty text; a final line break adds no line).
    QStringList GetLines() const;
    bool GetFit() const;
    // The font takes the choices and the preview shows the first line in it.
    void UpdatePreview();
    // The last size text that was a whole number in range.
    QString LastValidSize() const { return FValidSize; }

    // The sizes the size edit takes, in points.
    static constexpr int MinSize = 1;
    static constexpr int MaxSize = 1000;

protected:
    void showEvent(QShowEvent* Event) override;
    void DOBeforeLanguageChange(int aNewLanguage) override;
    void DOAfterLanguageChange(int aNewLanguage) override;

private:
    void NameChanged();
    void SizeChanged();

    int FNameIndex = 0;
    QString FValidSize;
    bool FRestoringSize = false;
    std::vector<int> FStyleRows;
};
