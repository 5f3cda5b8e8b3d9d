#include "app/UFormImportData.h"

#include "app/ULibFiles.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "ui/Image_m.h"
#include "ui/UApplication.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/groupbox_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

#include <QImage>
#include <QListWidget>
#include <QPixmap>

namespace {

constexpr int FormWidth = 530;
constexpr int FormHeight = 330;
constexpr QRect ListBounds(8, 8, 150, 280);
constexpr QRect PanelBounds(166, 8, 180, 180);
constexpr int FieldsLeft = 166;
constexpr int EditLeft = 290;
constexpr int MaxOffsetRow = 8;

// The picture as a pixmap, scaled down to fit Size without smoothing so that its cells stay crisp.
QPixmap PreviewOf(const TBitmap& Picture, QSize Size) {
    QImage image(Picture.Width(), Picture.Height(), QImage::Format_BGR888);
    for (int y = 0; y < Picture.Height(); ++y)
        std::memcpy(image.scanLine(y), Picture.ScanLine(y), 3 * std::size_t(Picture.Width()));
    QPixmap pixmap = QPixmap::fromImage(image);
    if (pixmap.width() > Size.width() || pixmap.height() > Size.height())
        pixmap = pixmap.scaled(Size, Qt::KeepAspectRatio, Qt::FastTransformation);
    return pixmap;
}

} // namespace

TFormImportData::TFormImportData(QWidget* Parent) : MModalForm(Parent), FFolder(LibraryFolder()) {
    PrepareForm(*this, FormWidth, FormHeight, QStringLiteral("بيانات الوحدة"), QStringLiteral("Module Data"));
    setObjectName(QStringLiteral("FormImportData"));
    ShowError = [](const std::exception& E) { TApplication::ShowException(E); };

    // The list sits in a panel of its own, which takes its place on the other side in Arabic.
    auto* listPanel = new MPanel(this, this);
    listPanel->setObjectName(QStringLiteral("pnlStripes"));
    listPanel->SetBounds(ListBounds.x(), ListBounds.y(), ListBounds.width(), ListBounds.height());
    listPanel->M_Caption()->SetCaptions({QString(), QString()});
    LbxStripes = new QListWidget(listPanel);
    LbxStripes->setObjectName(QStringLiteral("LbxStripes"));
    LbxStripes->setGeometry(0, 0, ListBounds.width(), ListBounds.height());
    LbxStripes->setSortingEnabled(false);

    pnlImage = new MPanel(this, this);
    pnlImage->setObjectName(QStringLiteral("pnlImage"));
    pnlImage->SetBounds(PanelBounds.x(), PanelBounds.y(), PanelBounds.width(), PanelBounds.height());
    pnlImage->M_Caption()->SetCaptions({QString(), QString()}); // a frame: no text over the preview
    imgModule = new MImage(this, pnlImage);
    imgModule->setObjectName(QStringLiteral("imgModule"));
    imgModule->SetBounds(2, 2, PanelBounds.width() - 4, PanelBounds.height() - 4);
    imgModule->SetCenter(true);

    MnumX = MakeEdit(this, this, QRect(EditLeft, 196, 50, 21), false);
    MnumX->setObjectName(QStringLiteral("MnumX"));
    MnumX->SetValue(1);
    lblX = MakeEditLabel(this, this, FieldsLeft, 120, MnumX, "نقطة يسار الصورة", "Image left point");
    MnumY = MakeEdit(this, this, QRect(EditLeft, 222, 50, 21), false);
    MnumY->setObjectName(QStringLiteral("MnumY"));
    MnumY->SetValue(11);
    lblY = MakeEditLabel(this, this, FieldsLeft, 120, MnumY, "نقطة أسفل الصورة", "Image bottom point");

    chkAllOffset = MakeCheck(this, this, QRect(FieldsLeft, 250, 110, 17), "استخدم الإزاحة", "Use Offset");
    chkAllOffset->setObjectName(QStringLiteral("chkAllOffset"));
    MNumAllOffset = MakeEdit(this, this, QRect(EditLeft, 248, 30, 21), false);
    MNumAllOffset->setObjectName(QStringLiteral("MNumAllOffset"));
    MNumAllOffset->SetNumOfDigit(1);
    MNumAllOffset->SetValue(MaxOffsetRow);
    MNumAllOffset->setEnabled(false);

    MGroupBox1 = new MGroupBox(this, this);
    MGroupBox1->setObjectName(QStringLiteral("MGroupBox1"));
    MGroupBox1->SetBounds(354, 8, 168, 80);
    MGroupBox1->M_Caption()->SetCaptions(
        {QStringLiteral("معالجة الأسطر تحت 11"), QStringLiteral("Handling Y lines below 11")});
    MGroupBox1->SetCaption(QStringLiteral("Handling Y lines below 11"));
    MNumYBelow = MakeEdit(this, MGroupBox1, QRect(8, 48, 50, 21), false);
    MNumYBelow->setObjectName(QStringLiteral("MNumYBelow"));
    MNumYBelow->SetValue(1);
    lblYBelow = MakeLabel(this, MGroupBox1, QRect(8, 26, 150, 16), "نقطة أسفل الصورة", "Image bottom point");
    MGroupBox1->setEnabled(false);

    btnOK = MakeButton(this, QRect(280, 296, 75, 25), "موافق", "OK");
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = MakeButton(this, QRect(362, 296, 75, 25), "إلغاء", "Cancel");
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnDelete = MakeButton(this, QRect(444, 296, 75, 25), "حذف", "Delete");
    btnDelete->setObjectName(QStringLiteral("btnDelete"));

    connect(LbxStripes, &QListWidget::currentRowChanged, this, [this](int Row) {
        if (Row >= 0)
            ShowModule();
    });
    connect(chkAllOffset, &QCheckBox::toggled, this, [this](bool On) { MNumAllOffset->setEnabled(On); });
    connect(MNumAllOffset, &QLineEdit::editingFinished, this, [this] {
        if (MNumAllOffset->text().isEmpty())
            return;
        const int v = MNumAllOffset->Value();
        if (v < 1 || v > MaxOffsetRow)
            MNumAllOffset->SetValue(std::clamp(v, 1, MaxOffsetRow));
    });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        FAccepted = true;
        SetModalResult(mrOk);
    });
    SetDefaultButton(btnOK);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        FAccepted = false;
        SetModalResult(mrCancel);
    });
    connect(btnDelete, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    FinishLoading();
    Refresh();
}

void TFormImportData::SetFolder(const QString& Folder) {
    FFolder = Folder.endsWith(QLatin1Char('/')) ? Folder : Folder + QLatin1Char('/');
    Refresh();
}

void TFormImportData::Refresh() {
    const QSignalBlocker quiet(LbxStripes);
    LbxStripes->clear();
    LbxStripes->addItems(ListLibraryEntries(FFolder));
    ClearSelectionState();
}

void TFormImportData::CheckModuleFiles() {
    QStringList all;
    for (int i = 0; i < LbxStripes->count(); ++i)
        all << LbxStripes->item(i)->text();
    const QStringList fitting = ::CheckModuleFiles(FFolder, all, MachineSystems, MachineModel);
    const QSignalBlocker quiet(LbxStripes);
    for (int i = LbxStripes->count() - 1; i >= 0; --i)
        if (!fitting.contains(LbxStripes->item(i)->text()))
            delete LbxStripes->takeItem(i);
    ClearSelectionState();
}

void TFormImportData::ClearSelectionState() {
    LbxStripes->setCurrentRow(-1);
    Header = ModuleHeader();
    FirstLowLine = LastLowLine = -1;
    MGroupBox1->setEnabled(false);
    SetPreview(nullptr);
}

void TFormImportData::SetPreview(const TBitmap* Picture) {
    imgModule->SetPicture(Picture == nullptr ? QPixmap() : PreviewOf(*Picture, imgModule->size()));
}

void TFormImportData::ShowModule() {
    const QString name = SelectedName();
    if (name.isEmpty())
        return;
    try {
        const ModuleHeader header = ReadEntryHeader(FFolder, name);
        const TBitmap picture = ReadEntryBitmap(FFolder, name, header);
        Header = header;
        FirstLowLine = header.FirstLowLine();
        LastLowLine = header.LastLowLine();
        MGroupBox1->setEnabled(FirstLowLine > 0);
        SetPreview(&picture);
    } catch (const std::exception& e) {
        Header = ModuleHeader();
        FirstLowLine = LastLowLine = -1;
        MGroupBox1->setEnabled(false);
        SetPreview(nullptr);
        if (ShowError)
            ShowError(e);
    }
}

void TFormImportData::DeleteSelected() {
    const int row = LbxStripes->currentRow();
    const QString name = SelectedName();
    if (row < 0 || name.isEmpty())
        return;
    QStringList left;
    try {
        left = DeleteLibraryEntry(FFolder, name, FileSteps);
    } catch (const std::exception& e) {
        if (ShowError)
            ShowError(e);
        return;
    }
    {
        const QSignalBlocker quiet(LbxStripes);
        delete LbxStripes->takeItem(row);
        LbxStripes->setCurrentRow(std::min(row, LbxStripes->count() - 1));
    }
    if (LbxStripes->currentRow() >= 0)
        ShowModule();
    else
        ClearSelectionState();
    // The entry is gone from the library; the files that could not be removed are named.
    if (!left.isEmpty() && ShowError)
        ShowError(EModuleFile(modmsg::LeftStaged, name, left.join(QStringLiteral(", "))));
}

bool TFormImportData::Execute() {
    FAccepted = false;
    ShowModal();
    return FAccepted && !SelectedName().isEmpty();
}

QString TFormImportData::SelectedName() const {
    const QListWidgetItem* item = LbxStripes->currentItem();
    return item != nullptr && LbxStripes->currentRow() >= 0 ? item->text() : QString();
}

QString TFormImportData::ModuleFileName() const {
    const QString name = SelectedName();
    return name.isEmpty() ? QString() : FFolder + name;
}

int TFormImportData::GetImageX() const {
    return std::max(MnumX->Value(), 1);
}

int TFormImportData::GetImageY() const {
    return std::max(MnumY->Value(), 11);
}

int TFormImportData::GetOffset() const {
    const int v = MNumAllOffset->Value();
    return chkAllOffset->isChecked() && v >= 1 && v <= MaxOffsetRow ? v : 0;
}

int TFormImportData::GetYBelow() const {
    return FirstLowLine > 0 ? MNumYBelow->Value() : -1;
}
