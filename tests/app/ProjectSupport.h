#pragma once
// The project tests' station: real project containers whose drawings are boards, test windows
// behind every module button, and scripted Save Project As answers.

#include "tests/app/AppTestSupport.h"

#include "app/LBoardFr.h"
#include "app/UPrjContainer.h"
#include "app/UProjectFiles.h"

#include <QMdiSubWindow>

#include <deque>
#include <string>
#include <vector>

namespace prjtest {

using namespace apptest;

// A drawing that holds its picture on a board, as the project's drawing does.
class FakeBoard : public MForm, public MBusDrawing, public TBoardFormats {
public:
    explicit FakeBoard(TFormMain& Main) : FMain(Main) {}
    QWidget* BusWidget() override { return this; }
    void SetTool(int) override {}
    void SelectionOperation(int, int) override {}
    QRect WorkRect() const override { return {}; }
    void Repaint() override { ++Repaints; }
    void HomePosition() override {}
    int CopySelectionToPattern(TBitmap&) override { return 0; }
    void ReduceColors(int) override {}
    void GrayScale() override {}
    void BlackWhite(int) override {}
    void ResizePicture() override {}
    int CountColors() override { return 0; }
    void WritePicture(const QString&, int) override {}
    void WriteExchangePicture(const QString&, bool) override {}
    void ReadExchangePicture(const QString&) override {}
    void LoadPicture(const QString& FileName, int) override { LoadImageFile(FileName); }
    void NewPicture(int Width, int Length) override { NewImage(Width, Length); }
    void TakePicture(TImageIO& Source) override { AdoptPicture(Source); }
    void RefreshView() override {}
    int Repaints = 0;

protected:
    void closeEvent(QCloseEvent* Event) override {
        if (RefuseClose) {
            Event->ignore();
            return;
        }
        CloseAsDrawing(*this, FMain, *Event);
    }

public:
    // Refuses to close (its save failed on the way, say).
    bool RefuseClose = false;

private:
    TFormMain& FMain;
};

class ProjectFactory : public MBusFactory {
public:
    ProjectFactory() : FOld(BusFactory()) { SetBusFactory(this); }
    ~ProjectFactory() override { SetBusFactory(FOld); }
    MBusDrawing* CreateDrawing(TFormMain& Main) override {
        auto* d = new FakeBoard(Main);
        d->setAttribute(Qt::WA_DeleteOnClose);
        return d;
    }
    MBusProject* CreateProject(TFormMain& Main) override { return NewProjectContainer(Main); }

private:
    MBusFactory* FOld;
};

// A module window that records what its container asks of it.
class TestWindow : public QWidget, public MProjectChild {
public:
    TestWindow(TPrjContainer& Project, int Index, std::vector<std::string>& Log)
        : FProject(Project), FIndex(Index), FLog(Log) {}
    ~TestWindow() override {
        // The project is still whole while its windows go.
        if (ReadOnDestroy)
            *ReadOnDestroy = FProject.Program().Z.Count();
    }
    bool ApplyEdit() override {
        FLog.push_back("apply " + std::to_string(FIndex));
        if (Invalid)
            throw EInvalidOperation(QStringLiteral("invalid row"));
        return !Refuses;
    }
    void GotoItem(int Number) override {
        FLog.push_back("goto " + std::to_string(FIndex) + " " + std::to_string(Number));
    }
    void ReloadRows() override { FLog.push_back("reload " + std::to_string(FIndex)); }
    bool EditPending() const override { return Pending; }
    bool Invalid = false;
    bool Refuses = false;
    // The row being edited differs from its entry.
    bool Pending = false;
    int* ReadOnDestroy = nullptr;

private:
    TPrjContainer& FProject;
    int FIndex;
    std::vector<std::string>& FLog;
};

// A station whose projects are real containers over boards, with test windows behind every module
// button.
struct ProjectFixture : StationFixture {
    ProjectFixture() {
        for (int i = 0; i <= prjwin::C; ++i)
            TPrjContainer::SetChildCreator(i, [this, i](TPrjContainer& C) {
                auto* w = new TestWindow(C, i, Log);
                Windows.push_back(w);
                return w;
            });
        TPrjContainer::SaveAsDialog = [this](const TSaveImageRequest& R, QString& Name) {
            Requests.push_back(R);
            if (SaveAsAnswers.empty())
                return false;
            Name = SaveAsAnswers.front();
            SaveAsAnswers.pop_front();
            return !Name.isEmpty();
        };
    }
    ~ProjectFixture() {
        for (int i = 0; i <= prjwin::C; ++i)
            TPrjContainer::SetChildCreator(i, nullptr);
        TPrjContainer::SaveAsDialog = nullptr;
        MModalForm::ModalHook = nullptr;
    }
    TPrjContainer* Open(const QString& Name) {
        return static_cast<TPrjContainer*>(Main().OpenProjectFile(Name));
    }
    // A saved new project (740, gauge 7, 20 x 10) under Dir/Base.
    QString MakeProject(const QString& Base) {
        auto files = NewProjectFiles(740, 7, 20, 10);
        return SaveProjectFiles(Dir.filePath(Base + QStringLiteral(".LST")), *files).HeaderFile;
    }
    QWidget* Frame(QWidget* W) {
        auto* sub = qobject_cast<QMdiSubWindow*>(W->parentWidget());
        return sub ? static_cast<QWidget*>(sub) : W;
    }
    ProjectFactory Projects;
    std::vector<std::string> Log;
    std::vector<QPointer<TestWindow>> Windows;
    std::deque<QString> SaveAsAnswers;
    std::vector<TSaveImageRequest> Requests;
};

} // namespace prjtest
