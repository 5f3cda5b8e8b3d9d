#pragma once
// The scanner's dialogs: the selection of the default scanner and the source's own dialog, where
// the user sets mode, depth, resolution, source and scan area, scans and watches the progress.
// They stand for the scanner's own windows, so they are plain dialogs in English whose option
// titles come from the scanner.

#include "imaging/imgtwain.h"

#include <QDialog>

#include <map>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QFormLayout;
class QWidget;

class TTwainSelectDialog : public QDialog {
    Q_OBJECT
public:
    TTwainSelectDialog(QWidget* Parent, const std::vector<TTwainDevice>& Devices, const QString& DefaultName);
    // The device chosen (empty when none is).
    QString Chosen() const;

    QTreeWidget* List;
    QLabel* NoneFound;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;
};

class TTwainSourceDialog : public QDialog {
    Q_OBJECT
public:
    TTwainSourceDialog(QWidget* Parent, TTwainSource& Source);
    ~TTwainSourceDialog() override;

    // The control of an option (null when the source does not offer it).
    QWidget* Control(const QString& Name) const;
    // Builds the controls anew from the source's options and values.
    void ReloadOptions();

    void BtnScanClick();
    void BtnCancelClick();

    QPushButton* BtnScan;
    QPushButton* BtnCancel;
    QProgressBar* Progress;
    QLabel* Status;

protected:
    void reject() override;

private:
    void OptionChanged(const QString& Name, const QVariant& Value);
    void SetBusy(bool Busy);

    TTwainSource& FSource;
    QWidget* FOptionsBox;
    QFormLayout* FForm;
    std::map<QString, QWidget*> FControls;
    bool FScanning = false;
    bool FCancelled = false;
    bool FReloading = false;
};

// The dialogs that the acquisition shows; install them once at start with InstallTwainDialogs.
class TTwainDialogs : public TTwainUserInterface {
public:
    bool UserSelect(QObject* Window, const std::function<std::vector<TTwainDevice>()>& Devices,
                    const QString& DefaultName, QString& Chosen) override;
    void RunSource(QObject* Window, TTwainSource& Source) override;
};

void InstallTwainDialogs();
