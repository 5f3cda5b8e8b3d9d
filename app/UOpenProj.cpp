#include "app/UOpenProj.h"

#include "app/UNewProj.h"
#include "model/Ucommon.h"
#include "model/UprojInfo.h"
#include "platform/Errors.h"
#include "ui/FileUtil.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString All = QStringLiteral("All");
constexpr int FolderRole = Qt::UserRole;

QLabel* PlainLabel(QWidget* Parent, QRect Bounds, const QString& Text) {
    auto* l = new QLabel(Text, Parent);
    l->setGeometry(Bounds);
    return l;
}

QComboBox* PlainList(QWidget* Parent, const char* Name, QRect Bounds, const QStringList& Items) {
    auto* c = new QComboBox(Parent);
    c->setObjectName(QLatin1String(Name));
    c->setGeometry(Bounds);
    c->addItems(Items);
    return c;
}

} // namespace

TFormOpenProj::TFormOpenProj(QWidget* Parent) : TPictureDialog(Parent) {
    resize(470, 330);
    setObjectName(QStringLiteral("FormOpenProj"));
    M_Caption().SetCaptions({QStringLiteral("Open Project"), QStringLiteral("Open Project")});
    SetCaption(QStringLiteral("Open Project"));

    PlainLabel(this, QRect(12, 8, 200, 16), QStringLiteral("Folders"));
    DirectoryListBox1 = new QListWidget(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(12, 26, 210, 200);
    PlainLabel(this, QRect(12, 234, 200, 16), QStringLiteral("Drives"));
    DriveComboBox1 = PlainList(this, "DriveComboBox1", QRect(12, 252, 210, 22), {});
    for (const QFileInfo& root : QDir::drives())
        DriveComboBox1->addItem(root.absoluteFilePath());

    PlainLabel(this, QRect(238, 8, 220, 16), QStringLiteral("Machine files"));
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(238, 26, 220, 200);
    FilterComboBox1 = PlainList(this, "FilterComboBox1", QRect(238, 26, 220, 22), {});
    FilterComboBox1->hide();

    QStringList machines{All}, gauges{All};
    AppendMachineAndGaugeNumbers(machines, gauges);
    PlainLabel(this, QRect(238, 236, 90, 16), QStringLiteral("Machine Nr"));
    cmpMachineNr = PlainList(this, "cmpMachineNr", QRect(330, 234, 128, 22), machines);
    PlainLabel(this, QRect(238, 264, 90, 16), QStringLiteral("Gauge Nr"));
    cmpGaugeNr = PlainList(this, "cmpGaugeNr", QRect(330, 262, 128, 22), gauges);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry(292, 296, 80, 25);
    BtnOK->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(378, 296, 80, 25);
    btnCancel->setAutoDefault(false);

    connect(BtnOK, &QPushButton::clicked, this, [this] { OkClick(); });
    SetDefaultButton(BtnOK);
    connect(btnCancel, &QPushButton::clicked, this, [this] { Cancel(); });
    connect(FileListBox1, &QListWidget::itemDoubleClicked, this, [this] { OkClick(); });
    connect(DirectoryListBox1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* Item) { FolderActivated(Item); });
    // Return in the folder tree opens the folder; it does not press OK.
    DirectoryListBox1->installEventFilter(this);
    connect(DriveComboBox1, &QComboBox::activated, this, [this](int Index) {
        try {
            SetDirectory(DriveComboBox1->itemText(Index));
        } catch (const std::exception&) {
        }
    });
    for (QComboBox* c : {cmpMachineNr, cmpGaugeNr})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { ReadFiles(); });

    SetFileMask(QStringLiteral("Machine files|*.LST"));
    FDirectory = QDir::currentPath();
    ReadFolders();
    ReadFiles();
    FinishLayout();
}

bool TFormOpenProj::Execute() {
    FileName.clear();
    return TPictureDialog::Execute();
}

void TFormOpenProj::SetFileMask(const QString& Filter) {
    const qsizetype bar = Filter.indexOf(QLatin1Char('|'));
    FMask = bar < 0 ? Filter : Filter.mid(bar + 1);
    FilterComboBox1->clear();
    FilterComboBox1->addItem(bar < 0 ? Filter : Filter.left(bar), FMask);
}

void TFormOpenProj::SetDirectory(const QString& Folder) {
    const QFileInfo info(Folder);
    if (!info.isDir())
        throw EFOpenError(QStringLiteral("Cannot open folder %1").arg(Folder));
    FDirectory = QDir::cleanPath(info.absoluteFilePath());
    ReadFolders();
    ReadFiles();
}

void TFormOpenProj::ReadFolders() {
    DirectoryListBox1->clear();
    // The chain from the root down to the current folder, then its subfolders one step further in.
    QStringList chain;
    for (QDir d(FDirectory);;) {
        chain.prepend(d.absolutePath());
        if (!d.cdUp())
            break;
    }
    int depth = 0;
    auto add = [this](const QString& Path, const QString& Text, int Depth) {
        auto* item = new QListWidgetItem(QString(Depth * 2, QLatin1Char(' ')) + Text, DirectoryListBox1);
        item->setData(FolderRole, Path);
        return item;
    };
    for (const QString& path : chain) {
        const QString name = QFileInfo(path).fileName();
        QListWidgetItem* item = add(path, name.isEmpty() ? path : name, depth++);
        if (path == FDirectory)
            DirectoryListBox1->setCurrentItem(item);
    }
    const QDir current(FDirectory);
    for (const QFileInfo& sub :
         current.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        add(sub.absoluteFilePath(), sub.fileName(), depth);
}

void TFormOpenProj::FolderActivated(QListWidgetItem* Item) {
    if (!Item)
        return;
    try {
        SetDirectory(Item->data(FolderRole).toString());
    } catch (const std::exception&) {
        // A folder that went away meanwhile: the tree is read again as it is now.
        ReadFolders();
        ReadFiles();
    }
}

void TFormOpenProj::ReadFiles() {
    const QListWidgetItem* selected = FileListBox1->currentItem();
    const QString keep = selected ? selected->text() : QString();
    FileListBox1->clear();
    const QDir folder(FDirectory);
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (MatchesMask(name, FMask))
            FileListBox1->addItem(name);
    FilterMachineFiles();
    if (!keep.isEmpty()) {
        const auto found = FileListBox1->findItems(keep, Qt::MatchExactly);
        if (!found.isEmpty())
            FileListBox1->setCurrentItem(found.first());
    }
}

bool TFormOpenProj::MachineMatches(int Model) const {
    if (cmpMachineNr->currentText() != All)
        return Model == cmpMachineNr->currentText().toInt();
    for (const MModelInfo& m : KnownModels())
        if (m.Model == Model)
            return true;
    return false;
}

bool TFormOpenProj::GaugeMatches(int Gauge) const {
    if (cmpGaugeNr->currentText() != All)
        return Gauge == cmpGaugeNr->currentText().toInt();
    return Gauge >= FirstGauge && Gauge <= LastGauge;
}

void TFormOpenProj::FilterMachineFiles() {
    for (int i = FileListBox1->count() - 1; i >= 0; --i) {
        int model = 0, gauge = 0;
        ParseNumberSuffix(FileListBox1->item(i)->text(), model, gauge);
        if (!MachineMatches(model) || !GaugeMatches(gauge))
            delete FileListBox1->takeItem(i);
    }
}

void TFormOpenProj::OkClick() {
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    FileName = QDir(FDirectory).filePath(item->text());
    Accept();
}

bool TFormOpenProj::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == DirectoryListBox1 && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FolderActivated(DirectoryListBox1->currentItem());
            return true;
        }
    }
    return TPictureDialog::eventFilter(Watched, Event);
}

void TFormOpenProj::showEvent(QShowEvent* Event) {
    TPictureDialog::showEvent(Event);
    ReadFolders();
    ReadFiles();
}

void TFormOpenProj::changeEvent(QEvent* Event) {
    TPictureDialog::changeEvent(Event);
    if (Event->type() == QEvent::ActivationChange && isActiveWindow()) {
        ReadFolders();
        ReadFiles();
    }
}
