#pragma once
// The main window's tests: recording fakes of drawing windows and project containers, installed
// through the factory, and a started station in a temporary application folder with scripted boxes
// and dialogs.

#include "app/UStation.h"
#include "tests/support/PlainMessages.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestSupport.h"

#include "model/UcstmExp.h"
#include "platform/AppFolder.h"
#include "platform/Errors.h"

#include <QCloseEvent>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace apptest {

// A stand-alone drawing tells the frame it is closing, and a cancelled closing keeps it open; a
// project's own drawing is not closed by the user.
inline void CloseAsDrawing(const MBusDrawing& Drawing, TFormMain& Main, QCloseEvent& Event) {
    if (!Drawing.StandAlone) {
        Event.ignore();
        return;
    }
    try {
        Main.KnitWindowNotify(1, 9, Drawing.WindowNumber, 0);
        Event.accept();
    } catch (const EAbort&) {
        Event.ignore();
    }
}

// A drawing window that records what the bus asked of it.
class FakeDrawing : public QWidget, public MBusDrawing {
public:
    explicit FakeDrawing(TFormMain& Main) : FMain(Main) {}
    QWidget* BusWidget() override { return this; }

    std::vector<std::string> Log;
    // Raised by LoadPicture or WritePicture when set.
    QString FailLoad, FailWrite;
    std::vector<std::pair<QString, int>> Written;
    // Runs after each picture written.
    std::function<void()> OnWrite;
    int Answer205 = 0;

    void SetTool(int Tool) override { Log.push_back("tool " + std::to_string(Tool)); }
    void SelectionOperation(int Code, int Param) override {
        Log.push_back("op " + std::to_string(Code) + (Param ? " " + std::to_string(Param) : std::string()));
    }
    QRect WorkRect() const override { return QRect(1, 2, 30, 40); }
    void Repaint() override { Log.push_back("repaint"); }
    void HomePosition() override { Log.push_back("home"); }
    int CopySelectionToPattern(TBitmap&) override { return Answer205; }
    void ReduceColors(int Count) override { Log.push_back("reduce " + std::to_string(Count)); }
    void GrayScale() override { Log.push_back("grey"); }
    void BlackWhite(int Method) override { Log.push_back("bw " + std::to_string(Method)); }
    void ResizePicture() override { Log.push_back("resize"); }
    int CountColors() override { return Colors; }
    int Colors = 17;
    void WritePicture(const QString& FileName, int FileType) override {
        if (!FailWrite.isEmpty())
            throw EWriteError(FailWrite);
        Written.emplace_back(FileName, FileType);
        Changed = false;
        if (OnWrite)
            OnWrite();
    }
    void WriteExchangePicture(const QString& FileName, bool MapColors) override {
        Log.push_back("export " + FileName.toStdString() + (MapColors ? " mapped" : ""));
    }
    void ReadExchangePicture(const QString& FileName) override {
        Log.push_back("import " + FileName.toStdString());
    }
    void LoadPicture(const QString& FileName, int FileType) override {
        if (!FailLoad.isEmpty())
            throw EReadError(FailLoad);
        FileName_ = FileName;
        Log.push_back("load " + std::to_string(FileType));
    }
    void NewPicture(int Width, int Length) override {
        if (!FailLoad.isEmpty())
            throw EReadError(FailLoad);
        FileName = NoName;
        Log.push_back("new " + std::to_string(Width) + "x" + std::to_string(Length));
    }
    void TakePicture(TImageIO&) override {
        if (!FailLoad.isEmpty())
            throw EReadError(FailLoad);
        FileName = NoName;
        Log.push_back("take");
    }
    void RefreshView() override { Log.push_back("refresh"); }
    QString FileName_;

protected:
    void closeEvent(QCloseEvent* Event) override { CloseAsDrawing(*this, FMain, *Event); }

private:
    TFormMain& FMain;
};

// A project container with its marks, name and the copies it was asked to write.
class FakeProject : public QWidget, public MBusProject {
public:
    explicit FakeProject(TFormMain& Main) : FMain(Main) {}
    QWidget* BusWidget() override { return this; }

    bool Modified = false;
    bool Autosave = false;
    QString Name = QStringLiteral("no name");
    QString Opened;
    bool FailOpen = false;
    bool FailCopy = false;
    // The copy is refused with a numbered message (a row the machine file cannot hold).
    bool FailNumbered = false;
    // Refuses to close (its own question answered Cancel).
    bool RefuseClose = false;
    bool AskedOwnQuestion = false;
    FakeDrawing* OwnDrawing = nullptr;
    std::vector<QString> Copies;
    std::vector<std::string> Log;

    bool IsModified() const override { return Modified; }
    void SetModified(bool Value) override { Modified = Value; }
    bool NeedsAutosave() const override { return Autosave; }
    void SetNeedsAutosave(bool Value) override { Autosave = Value; }
    QString GetProjectName() const override { return Name; }
    void SetProjectName(const QString& Value) override { Name = Value; }
    void OpenProject(const QString& FileName) override {
        if (FailOpen)
            throw EReadError(QStringLiteral("Cannot read ") + FileName);
        Opened = FileName;
        Name = FileName;
    }
    void NewProject() override {}
    bool SaveProject(const QString& FileName) override {
        Log.push_back("save " + FileName.toStdString());
        return true;
    }
    bool SaveProjectAs() override {
        Log.push_back("save as");
        return true;
    }
    void SaveDeskTopCopy(const QString& CopyBase) override {
        if (FailCopy)
            throw EWriteError(QStringLiteral("Cannot write ") + CopyBase);
        if (FailNumbered)
            RaiseM(11, 5036, QStringLiteral("Z7;PB;2;0;1"));
        Copies.push_back(CopyBase);
        kdstest::WriteFile(CopyBase + QStringLiteral(".LST"), "copy");
    }
    void ApplyMachineColors() override { Log.push_back("machine colours"); }
    MBusDrawing* Drawing() const override { return OwnDrawing; }
    void ChildActivated() override {}
    bool ClosingAfterItsQuestion() const override { return AskedOwnQuestion; }

protected:
    void closeEvent(QCloseEvent* Event) override {
        if (RefuseClose) {
            Event->ignore();
            return;
        }
        AskedOwnQuestion = true;
        if (OwnDrawing) {
            OwnDrawing->StandAlone = true;
            QWidget* window = OwnDrawing->parentWidget() ? OwnDrawing->parentWidget() : OwnDrawing;
            if (!window->close()) {
                AskedOwnQuestion = false;
                Event->ignore();
                return;
            }
        }
        FMain.PrjContainerNotify(1, 9, WindowNumber, 0);
        Event->accept();
    }

private:
    TFormMain& FMain;
};

// Creates the fakes and keeps them (guarded) for the test to reach.
class FakeFactory : public MBusFactory {
public:
    FakeFactory() : FOld(BusFactory()) { SetBusFactory(this); }
    ~FakeFactory() override { SetBusFactory(FOld); }
    MBusDrawing* CreateDrawing(TFormMain& Main) override {
        auto* d = new FakeDrawing(Main);
        d->setAttribute(Qt::WA_DeleteOnClose);
        Drawings.push_back(d);
        if (FailNextLoad) {
            d->FailLoad = QStringLiteral("Cannot read the picture");
            FailNextLoad = false;
        }
        return d;
    }
    MBusProject* CreateProject(TFormMain& Main) override {
        auto* p = new FakeProject(Main);
        p->setAttribute(Qt::WA_DeleteOnClose);
        p->FailOpen = FailNextOpen;
        FailNextOpen = false;
        Projects.push_back(p);
        return p;
    }
    std::vector<QPointer<FakeDrawing>> Drawings;
    std::vector<QPointer<FakeProject>> Projects;
    bool FailNextLoad = false;
    bool FailNextOpen = false;

private:
    MBusFactory* FOld;
};

// A station started in a temporary application folder (with the catalogue) and settings file, its
// boxes answered from a script, its dialogs replaced.
struct StationFixture {
    explicit StationFixture(const QByteArray& Ini = QByteArray(), QStringList Arguments = {},
                            std::function<std::unique_ptr<QWidget>(QWidget*)> Intro = {}) {
        const QString app = Dir.path() + QStringLiteral("/app/");
        for (const char* folder : {"Dta", "Bitmaps"})
            CopyFolder(kdstest::SourcePath(QStringLiteral("resources/") + QLatin1String(folder)),
                       app + QLatin1String(folder));
        SettingsFile = Dir.path() + QStringLiteral("/JXW777.ini");
        if (!Ini.isEmpty())
            kdstest::WriteFile(SettingsFile, Ini);
        TStationOptions o;
        o.AppFolder = app;
        o.Services.SettingsFile = SettingsFile;
        o.Services.Arguments = std::move(Arguments);
        o.Services.Messages = &Messages;
        o.Services.RunTimer = false;
        o.Services.MakeIntro = Intro ? std::move(Intro) : [](QWidget*) { return std::unique_ptr<QWidget>(); };
        o.Services.SaveImageDialog = [this](const TSaveImageRequest& R, QString& Name, int& Index) {
            Requests.push_back(R);
            if (SaveAnswers.empty())
                return false;
            auto [name, index] = SaveAnswers.front();
            SaveAnswers.pop_front();
            if (name.isEmpty())
                return false;
            Name = name;
            Index = index;
            return true;
        };
        o.Services.ImageTypeQuestion = [this] { return ImageType; };
        o.Services.ColorDialog = [this](TColor& C) {
            if (ColorAnswer < 0)
                return false;
            C = TColor(ColorAnswer);
            return true;
        };
        o.Services.Beep = [this] { ++Beeps; };
        o.Services.AcquireImage = [this](TImageIO& IO) { return Scan && Scan(IO); };
        Station = StartStation(std::move(o));
        // What start-up showed is not the test's business.
        StartMessages = Shown();
        Messages.Coded.clear();
        Messages.Plain.clear();
        Errors.Texts.clear();
    }
    static void CopyFolder(const QString& From, const QString& To) {
        QDir().mkpath(To);
        const QDir from(From);
        for (const QFileInfo& f : from.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (f.isDir())
                CopyFolder(f.filePath(), QDir(To).filePath(f.fileName()));
            else
                QFile::copy(f.filePath(), QDir(To).filePath(f.fileName()));
        }
    }
    ~StationFixture() { SetAppFolder(OldApp); }
    TFormMain& Main() { return *Station->FormMain; }
    QString AppPath() const { return Dir.path() + QStringLiteral("/app/"); }

    QString OldApp = AppFolder();
    QTemporaryDir Dir;
    QString SettingsFile;
    kdstest::MScriptedMessages Messages;
    kdstest::MPlainMessages Errors;
    // Every box and error text shown since the start.
    std::size_t Shown() const { return Messages.Coded.size() + Messages.Plain.size() + Errors.Texts.size(); }
    FakeFactory Factory;
    // Each Save Image As answers the next (name, filter index); an empty name cancels.
    std::deque<std::pair<QString, int>> SaveAnswers;
    std::vector<TSaveImageRequest> Requests;
    int ImageType = 1;
    long long ColorAnswer = -1;
    int Beeps = 0;
    // The scanner: fills the component's bitmap and answers true when a picture came.
    std::function<bool(TImageIO&)> Scan;
    std::size_t StartMessages = 0;
    std::unique_ptr<TStation> Station;
};

// A station on the folders of another that has gone, as the program starts after a crash, given
// Arguments as its command line.
inline std::unique_ptr<TStation> RestartStation(StationFixture& Fx, QStringList Arguments = {}) {
    TStationOptions o;
    o.AppFolder = Fx.AppPath();
    o.Services.SettingsFile = Fx.SettingsFile;
    o.Services.Messages = &Fx.Messages;
    o.Services.RunTimer = false;
    o.Services.Arguments = std::move(Arguments);
    o.Services.MakeIntro = [](QWidget*) { return std::unique_ptr<QWidget>(); };
    return StartStation(std::move(o));
}

} // namespace apptest
