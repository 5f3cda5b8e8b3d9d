#pragma once
// Starting the station: the program-wide objects in their order (the language pack, the main window,
// the module clipboard, the dialing window) and the main window's start-up. main() and the tests
// start it alike; what the station meets outside (its folder, the settings file, the dialogs, the
// answers of the boxes) is given in TStationOptions.

#include "app/UMain.h"

#include <QString>
#include <QStringList>

#include <memory>

class TDMLanguagePack;
class TMUnvClipBoard;
class TformDialing;

struct TStationOptions {
    // The application folder; empty: the folder of the executable.
    QString AppFolder;
    // The main window's services; the dialogs left empty get the station's own.
    TMainServices Services;
};

class TStation {
public:
    ~TStation();
    TStation(const TStation&) = delete;
    TStation& operator=(const TStation&) = delete;

    std::unique_ptr<TDMLanguagePack> DMLanguagePack;
    std::unique_ptr<TFormMain> FormMain;
    std::unique_ptr<TMUnvClipBoard> MUnvClipBoard;
    std::unique_ptr<TformDialing> FormDialing;

private:
    friend std::unique_ptr<TStation> StartStation(TStationOptions Options);
    TStation() = default;
};

// Creates the program-wide objects and runs the main window's start-up; the window is not shown yet.
// An error of the start-up is shown and answers null.
std::unique_ptr<TStation> StartStation(TStationOptions Options);

// The station's dialogs as the program has them: Save Image As (a non-native file dialog listing names
// without regard to case) and the colour dialog.
bool ExecuteSaveImageDialog(const TSaveImageRequest& Request, QString& FileName, int& FilterIndex);

// The station's bus factory: the project containers and the drawings of the real program.
MBusFactory& StationFactory();

// The program: the application object, the station, the shown frame and the message loop. Exit code 1
// when the start-up failed.
int RunStation(int argc, char** argv);
