#pragma once
// The station's stored settings: fourteen values in the section "JXW777" of an INI file, all text
// (integers in decimal, switches "0" or "1"). A value that is missing or cannot be read gives its
// default; the autosave minutes are held to 1..99.

#include <QString>

class QSettings;

struct TMainSettings {
    int LangID = 1;
    QString BrowserPath;
    QString Jxw666Path;
    QString ZodeZidadedPath;
    QString OpenImagePath;
    QString OpenProjectPath;
    QString SaveImagePath;
    QString SaveProjectPath;
    bool ListsAutoValidate = true;
    bool ListBoxShowHint = true;
    int DeskTopMinutes = 3;
    bool AutoHideToolBars = true;
    int MachineIndex = -1;
    int GaugeIndex = -1;

    // The timer ticks (500 ms each) between two autosave passes.
    int TickLimit() const { return DeskTopMinutes * 120; }
    // Fills the two program paths that are empty with their places beside and under AppFolder.
    void ApplyDefaultPaths(const QString& AppFolder);
};

constexpr int MinDeskTopMinutes = 1;
constexpr int MaxDeskTopMinutes = 99;
int ClampDeskTopMinutes(long long Minutes);

// The settings file of the station: the user's INI file of organisation "Korvane", application
// "JXW777", unless a file is given.
QString DefaultSettingsFile();

// Whether the settings can be kept in File: a plain file, or none yet. A folder, a pipe or a device
// cannot (reading a pipe would wait for a writer for ever).
bool SettingsFileUsable(const QString& File);

// Reads the values from the section; Languages is the number of languages LangID may name.
TMainSettings ReadMainSettings(QSettings& Store, int Languages);
// Writes the fourteen values in their order.
void WriteMainSettings(QSettings& Store, const TMainSettings& Settings);
