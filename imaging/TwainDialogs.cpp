#include "imaging/TwainDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
QWidget* WidgetOf(QObject* Window) {
    return qobject_cast<QWidget*>(Window);
}

// A dialog with a parent blocks its window; one without blocks the whole program.
void MakeModal(QDialog& dialog) {
    dialog.setWindowModality(dialog.parentWidget() != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
}

// A number with at most Decimals decimals, without the zeros that end them: "50", "12.5".
QString DecimalText(const QLocale& Locale, double Value, int Decimals) {
    QString text = Locale.toString(Value, 'f', Decimals);
    const QString point = Locale.decimalPoint();
    if (Decimals > 0 && text.contains(point)) {
        while (text.endsWith(Locale.zeroDigit()))
            text.chop(Locale.zeroDigit().size());
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

constexpr int FixedDecimals = 2;

QString NumberText(double value, bool fixed) {
    return fixed ? DecimalText(QLocale::c(), value, FixedDecimals)
                 : QString::number(qlonglong(std::llround(value)));
}

// The edit of a fixed-point option: a whole value shows without decimals ("50 dpi"), another with
// the decimals it has, at most two.
class TFixedSpinBox : public QDoubleSpinBox {
public:
    using QDoubleSpinBox::QDoubleSpinBox;
    QString textFromValue(double Value) const override {
        QString text = DecimalText(locale(), Value, decimals());
        if (!isGroupSeparatorShown())
            text.remove(locale().groupSeparator());
        return text;
    }
};
} // namespace

// ---- Selection ----

TTwainSelectDialog::TTwainSelectDialog(QWidget* Parent, const std::vector<TTwainDevice>& Devices,
                                       const QString& DefaultName)
    : QDialog(Parent) {
    setWindowTitle(QStringLiteral("Select Source"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Sources:"), this));
    List = new QTreeWidget(this);
    List->setColumnCount(4);
    List->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Vendor"), QStringLiteral("Model"), QStringLiteral("Type")});
    List->setRootIsDecorated(false);
    List->setAllColumnsShowFocus(true);
    List->setMinimumSize(460, 160);
    layout->addWidget(List);
    NoneFound = new QLabel(QStringLiteral("No scanner was found."), this);
    layout->addWidget(NoneFound);
    auto* buttons = new QDialogButtonBox(this);
    BtnOk = buttons->addButton(QDialogButtonBox::Ok);
    BtnCancel = buttons->addButton(QDialogButtonBox::Cancel);
    BtnOk->setText(QStringLiteral("Select"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(List, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    for (const TTwainDevice& d : Devices) {
        auto* item = new QTreeWidgetItem(List, {d.Name, d.Vendor, d.Model, d.Type});
        if (d.Name == DefaultName)
            List->setCurrentItem(item);
    }
    if (List->currentItem() == nullptr && List->topLevelItemCount() > 0)
        List->setCurrentItem(List->topLevelItem(0));
    // Name, vendor and model as wide as their widest entry in the font the list is shown with; the
    // type takes the rest.
    for (int c = 0; c < 3; ++c)
        List->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    List->header()->setStretchLastSection(true);
    NoneFound->setVisible(Devices.empty());
    BtnOk->setEnabled(!Devices.empty());
    connect(List, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { BtnOk->setEnabled(current != nullptr); });
}

QString TTwainSelectDialog::Chosen() const {
    const QTreeWidgetItem* item = List->currentItem();
    return item != nullptr ? item->text(0) : QString();
}

// ---- The source's dialog ----

TTwainSourceDialog::TTwainSourceDialog(QWidget* Parent, TTwainSource& Source)
    : QDialog(Parent), FSource(Source) {
    setWindowTitle(QStringLiteral("Scan from %1").arg(Source.DeviceName()));
    auto* layout = new QVBoxLayout(this);
    FOptionsBox = new QWidget(this);
    FForm = new QFormLayout(FOptionsBox);
    FForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->addWidget(FOptionsBox);
    Status = new QLabel(this);
    Status->setWordWrap(true);
    layout->addWidget(Status);
    Progress = new QProgressBar(this);
    Progress->setRange(0, 100);
    Progress->setValue(0);
    layout->addWidget(Progress);
    auto* buttons = new QDialogButtonBox(this);
    BtnScan = buttons->addButton(QStringLiteral("Scan"), QDialogButtonBox::AcceptRole);
    BtnCancel = buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    BtnScan->setDefault(true);
    connect(BtnScan, &QPushButton::clicked, this, &TTwainSourceDialog::BtnScanClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TTwainSourceDialog::BtnCancelClick);
    ReloadOptions();
    setMinimumWidth(380);
}

TTwainSourceDialog::~TTwainSourceDialog() {
    FSource.OnProgress = nullptr;
}

QWidget* TTwainSourceDialog::Control(const QString& Name) const {
    const auto it = FControls.find(Name);
    return it != FControls.end() ? it->second : nullptr;
}

void TTwainSourceDialog::ReloadOptions() {
    FReloading = true;
    while (FForm->rowCount() > 0)
        FForm->removeRow(0);
    FControls.clear();
    for (const TTwainOption& o : FSource.Options()) {
        const QVariant value = FSource.Value(o.Name);
        const QString name = o.Name;
        const bool fixed = o.Type == TTwainOption::Fixed;
        QWidget* control = nullptr;
        if (o.Type == TTwainOption::Bool) {
            auto* box = new QCheckBox(FOptionsBox);
            box->setChecked(value.toBool());
            connect(box, &QCheckBox::toggled, this, [this, name](bool on) { OptionChanged(name, on); });
            control = box;
        } else if (o.Constraint == TTwainOption::StringList || o.Constraint == TTwainOption::WordList) {
            auto* box = new QComboBox(FOptionsBox);
            if (o.Constraint == TTwainOption::StringList) {
                box->addItems(o.Strings);
                box->setCurrentIndex(std::max(0, int(o.Strings.indexOf(value.toString()))));
            } else {
                for (double w : o.Words)
                    box->addItem(NumberText(w, fixed) +
                                     (o.Unit.isEmpty() ? QString() : QStringLiteral(" ") + o.Unit),
                                 w);
                const auto at = std::find(o.Words.begin(), o.Words.end(), value.toDouble());
                box->setCurrentIndex(at != o.Words.end() ? int(at - o.Words.begin()) : 0);
            }
            connect(box, &QComboBox::currentIndexChanged, this, [this, name, box](int) {
                OptionChanged(name, box->currentData().isValid() ? box->currentData()
                                                                 : QVariant(box->currentText()));
            });
            control = box;
        } else if (o.Type == TTwainOption::String) {
            continue; // a free text option is not one the scanner's well-known set has
        } else if (fixed) {
            auto* spin = new TFixedSpinBox(FOptionsBox);
            spin->setDecimals(FixedDecimals);
            spin->setRange(o.Constraint == TTwainOption::Range ? o.Min : -32768.0,
                           o.Constraint == TTwainOption::Range ? o.Max : 32767.0);
            if (o.Quant > 0)
                spin->setSingleStep(o.Quant);
            spin->setSuffix(o.Unit.isEmpty() ? QString() : QStringLiteral(" ") + o.Unit);
            spin->setValue(value.toDouble());
            spin->setKeyboardTracking(false);
            connect(spin, &QDoubleSpinBox::valueChanged, this,
                    [this, name](double v) { OptionChanged(name, v); });
            control = spin;
        } else {
            auto* spin = new QSpinBox(FOptionsBox);
            const double lo = o.Constraint == TTwainOption::Range ? o.Min : std::numeric_limits<int>::min();
            const double hi = o.Constraint == TTwainOption::Range ? o.Max : std::numeric_limits<int>::max();
            spin->setRange(int(lo), int(hi));
            if (o.Quant >= 1)
                spin->setSingleStep(int(o.Quant));
            spin->setSuffix(o.Unit.isEmpty() ? QString() : QStringLiteral(" ") + o.Unit);
            spin->setValue(value.toInt());
            spin->setKeyboardTracking(false);
            connect(spin, &QSpinBox::valueChanged, this, [this, name](int v) { OptionChanged(name, v); });
            control = spin;
        }
        control->setEnabled(o.Active && o.Settable && !FScanning);
        control->setToolTip(o.Description);
        control->setObjectName(o.Name);
        FForm->addRow(o.Title + QStringLiteral(":"), control);
        FControls[o.Name] = control;
    }
    FReloading = false;
}

void TTwainSourceDialog::OptionChanged(const QString& Name, const QVariant& Value) {
    if (FReloading)
        return;
    bool reload = false;
    const bool accepted = FSource.SetValue(Name, Value, reload);
    Status->setText(accepted ? QString() : QStringLiteral("The scanner refused this value."));
    if (reload || !accepted)
        QMetaObject::invokeMethod(this, &TTwainSourceDialog::ReloadOptions, Qt::QueuedConnection);
}

void TTwainSourceDialog::SetBusy(bool Busy) {
    FScanning = Busy;
    BtnScan->setEnabled(!Busy);
    for (auto& [name, control] : FControls)
        control->setEnabled(!Busy);
    if (!Busy)
        ReloadOptions();
}

void TTwainSourceDialog::BtnScanClick() {
    if (FScanning)
        return;
    FCancelled = false;
    SetBusy(true);
    Status->setText(QStringLiteral("Scanning..."));
    Progress->setValue(0);
    FSource.OnProgress = [this](long long Done, long long Total) {
        if (Total > 0)
            Progress->setValue(int(std::min<long long>(100, Done * 100 / Total)));
        else
            Progress->setRange(0, 0);
        QApplication::processEvents();
        return !FCancelled;
    };
    FSource.Scan();
    FSource.OnProgress = nullptr;
    Progress->setRange(0, 100);
    SetBusy(false);
    if (!FSource.Running()) {
        accept();
        return;
    }
    Progress->setValue(0);
    Status->setText(FCancelled                    ? QStringLiteral("The scan was cancelled.")
                    : FSource.LastError.isEmpty() ? QStringLiteral("The scan brought no picture.")
                                                  : FSource.LastError);
}

void TTwainSourceDialog::BtnCancelClick() {
    if (FScanning) {
        FCancelled = true;
        return;
    }
    FSource.Close();
    QDialog::reject();
}

void TTwainSourceDialog::reject() {
    // Escape and the window's close button: a scan is stopped first, then the dialog closes.
    if (FScanning) {
        FCancelled = true;
        return;
    }
    FSource.Close();
    QDialog::reject();
}

// ---- The installed dialogs ----

bool TTwainDialogs::UserSelect(QObject* Window, const std::function<std::vector<TTwainDevice>()>& Devices,
                               const QString& DefaultName, QString& Chosen) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<TTwainDevice> devices;
    try {
        devices = Devices();
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    TTwainSelectDialog dialog(WidgetOf(Window), devices, DefaultName);
    MakeModal(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen().isEmpty())
        return false;
    Chosen = dialog.Chosen();
    return true;
}

void TTwainDialogs::RunSource(QObject* Window, TTwainSource& Source) {
    TTwainSourceDialog dialog(WidgetOf(Window), Source);
    MakeModal(dialog);
    dialog.exec();
}

void InstallTwainDialogs() {
    static TTwainDialogs dialogs;
    SetTwainUserInterface(&dialogs);
}
