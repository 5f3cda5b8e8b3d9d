#include "app/UFontDlg.h"

#include "editors/FormParts.h"
#include "ui/LanguagePack.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/edit_m.h"
#include "ui/label_m.h"
#include "ui/listbox_m.h"
#include "ui/memo_m.h"
#include "ui/panel_m.h"
#include "ui/subItems.h"

#include <QFontDatabase>

namespace {

// The rows of the style list, in this order in both languages.
enum TStyleRow { StyleBold, StyleItalic, StyleUnderline, StyleStrikeOut };
const char* const StyleEnglish[] = {"Bold", "Italic", "UnderLine", "Strikeout"};
const char* const StyleArabic[] = {"عريض", "مائل", "تسطير", "يتوسطه خط"};

// A size text: a whole number of points in range, without blanks or sign.
bool SizeOf(const QString& Text, int& Points) {
    bool ok = false;
    const int v = Text.toInt(&ok);
    if (!ok || Text.isEmpty() || !Text.front().isDigit() || v < TFormFontDlg::MinSize ||
        v > TFormFontDlg::MaxSize)
        return false;
    Points = v;
    return true;
}

} // namespace

TFormFontDlg::TFormFontDlg(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 420, 334, QStringLiteral("اختيار النص"), QStringLiteral("Text selection"));
    setObjectName(QStringLiteral("FormFontDlg"));

    MakeLabel(this, this, QRect(10, 8, 180, 16), "اسم الخط", "Font Name");
    MListBoxName = new MListBox(this, this);
    MListBoxName->setObjectName(QStringLiteral("MListBoxName"));
    MListBoxName->SetBounds(10, 26, 180, 110);
    MListBoxName->SetArabic(false);
    // The names are the system's, the same in both languages: the list keeps them on a switch.
    MListBoxName->M_Items()->Enable = false;
    MListBoxName->SetItemList(QFontDatabase::families());
    if (MListBoxName->count() > 0)
        MListBoxName->setCurrentRow(0);

    MakeLabel(this, this, QRect(200, 8, 100, 16), "نمط الخط", "Font Style");
    MListBoxStyle = new MListBox(this, this);
    MListBoxStyle->setObjectName(QStringLiteral("MListBoxStyle"));
    MListBoxStyle->SetBounds(200, 26, 100, 70);
    MListBoxStyle->SetArabic(false);
    MListBoxStyle->setSelectionMode(QAbstractItemView::MultiSelection);
    QStringList arabic, english;
    for (int i = 0; i < 4; ++i) {
        arabic << QString::fromUtf8(StyleArabic[i]);
        english << QString::fromUtf8(StyleEnglish[i]);
    }
    MListBoxStyle->M_Items()->SetItems(arabic + QStringList{ItemsSeparator} + english);
    MListBoxStyle->SetItemList(english);

    MakeLabel(this, this, QRect(310, 8, 100, 16), "حجم الخط", "Font Size");
    MEditSize = new MEdit(this, this);
    MEditSize->setObjectName(QStringLiteral("MEditSize"));
    MEditSize->SetBounds(310, 26, 60, 21);
    MEditSize->SetArabic(false);
    MEditSize->setText(QStringLiteral("10"));
    FValidSize = MEditSize->text();

    MPanelPreview = new MPanel(this, this);
    MPanelPreview->setObjectName(QStringLiteral("MPanelPreview"));
    MPanelPreview->SetBounds(10, 144, 400, 62);
    MPanelPreview->SetBevelOuter(bvLowered);
    MPanelPreview->M_Caption()->Enable = false;
    MPanelPreview->SetOwnerCaption(QString());
    MLabelPreview = new MLabel(MPanelPreview, MPanelPreview);
    MLabelPreview->setObjectName(QStringLiteral("MLabelPreview"));
    MLabelPreview->SetBounds(4, 4, 392, 54);
    MLabelPreview->SetArabic(false);
    MLabelPreview->SetAlignment(taCenter);
    // The preview keeps the chosen font and the text's first line whatever the language.
    MLabelPreview->M_Font = false;
    MLabelPreview->M_Caption()->Enable = false;

    MakeLabel(this, this, QRect(10, 212, 400, 16), "اكتب النص هنا.", "Write text here.");
    MMemoText = new MMemo(this, this);
    MMemoText->setObjectName(QStringLiteral("MMemoText"));
    MMemoText->SetBounds(10, 230, 400, 62);
    MMemoText->SetArabic(false);
    MMemoText->SetAlignment(taLeftJustify);

    MChkBxFit = MakeCheck(this, this, QRect(10, 302, 200, 20), "ملاءمة داخل التحديد", "Fit into selection");
    MChkBxFit->setObjectName(QStringLiteral("MChkBxFit"));
    MBtnOK = OkButton(QRect(250, 300, 75, 25));
    MBtnCancel = CancelButton(QRect(335, 300, 75, 25));
    FinishLayout();

    connect(MListBoxName, &QListWidget::currentRowChanged, this, [this] { NameChanged(); });
    connect(MListBoxStyle, &QListWidget::itemSelectionChanged, this, [this] { UpdatePreview(); });
    connect(MEditSize, &QLineEdit::textChanged, this, [this] { SizeChanged(); });
    connect(MMemoText, &QPlainTextEdit::textChanged, this, [this] { UpdatePreview(); });
    UpdatePreview();
}

QStringList TFormFontDlg::GetLines() const {
    QString text = MMemoText->toPlainText();
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

bool TFormFontDlg::GetFit() const {
    return MChkBxFit->isChecked();
}

void TFormFontDlg::UpdatePreview() {
    QFont f;
    if (QListWidgetItem* name = MListBoxName->currentItem())
        f.setFamily(name->text());
    const auto selected = [this](int Row) {
        const QListWidgetItem* item = MListBoxStyle->item(Row);
        return item && item->isSelected();
    };
    f.setBold(selected(StyleBold));
    f.setItalic(selected(StyleItalic));
    f.setUnderline(selected(StyleUnderline));
    f.setStrikeOut(selected(StyleStrikeOut));
    int points = 10;
    SizeOf(MEditSize->text(), points);
    f.setPointSize(points);
    f.setStyleStrategy(QFont::NoAntialias);
    Font = f;
    MLabelPreview->setFont(Font);
    const QStringList lines = GetLines();
    MLabelPreview->setText(lines.isEmpty() ? QString() : lines.first());
}

void TFormFontDlg::NameChanged() {
    // Only a selection that really moved.
    const int row = MListBoxName->currentRow();
    if (row == FNameIndex)
        return;
    FNameIndex = row;
    UpdatePreview();
}

void TFormFontDlg::SizeChanged() {
    if (FRestoringSize)
        return;
    int points = 0;
    if (SizeOf(MEditSize->text(), points)) {
        FValidSize = MEditSize->text();
        UpdatePreview();
        return;
    }
    FRestoringSize = true;
    MEditSize->setText(FValidSize);
    FRestoringSize = false;
}

void TFormFontDlg::showEvent(QShowEvent* Event) {
    TPictureDialog::showEvent(Event);
    FNameIndex = MListBoxName->currentRow();
    FValidSize = MEditSize->text();
    UpdatePreview();
}

void TFormFontDlg::DOBeforeLanguageChange(int aNewLanguage) {
    TPictureDialog::DOBeforeLanguageChange(aNewLanguage);
    if (!IsLoaded())
        return;
    // The style list takes the other language's items: the selected rows stay selected.
    FStyleRows.clear();
    for (int i = 0; i < MListBoxStyle->count(); ++i)
        if (MListBoxStyle->item(i)->isSelected())
            FStyleRows.push_back(i);
}

void TFormFontDlg::DOAfterLanguageChange(int aNewLanguage) {
    TPictureDialog::DOAfterLanguageChange(aNewLanguage);
    if (!IsLoaded())
        return;
    // The text starts at the reading side of the language.
    MMemoText->SetAlignment(aNewLanguage == LanguageArabic ? taRightJustify : taLeftJustify);
    for (int i : FStyleRows)
        if (QListWidgetItem* item = MListBoxStyle->item(i))
            item->setSelected(true);
}
