#include "app/UMainSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <optional>

#include <sys/stat.h>

namespace {

const QString Section = QStringLiteral("JXW777");

// A decimal integer of the stored text; none when the text is not one or does not fit.
std::optional<long long> StoredInteger(const QSettings& Store, const char* Name) {
    const QVariant v = Store.value(QLatin1String(Name));
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const long long n = v.toString().trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return n;
}

int ReadInteger(const QSettings& Store, const char* Name, int Default, int Low, int High) {
    const auto n = StoredInteger(Store, Name);
    if (!n || *n < Low || *n > High)
        return Default;
    return int(*n);
}

bool ReadSwitch(const QSettings& Store, const char* Name, bool Default) {
    const QVariant v = Store.value(QLatin1String(Name));
    if (!v.isValid())
        return Default;
    const QString s = v.toString().trimmed().toLower();
    if (s == QLatin1String("1") || s == QLatin1String("true"))
        return true;
    if (s == QLatin1String("0") || s == QLatin1String("false"))
        return false;
    return Default;
}

QString ReadText(const QSettings& Store, const char* Name) {
    return Store.value(QLatin1String(Name)).toString();
}

QString Switch(bool Value) {
    return Value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

int ClampDeskTopMinutes(long long Minutes) {
    return int(std::clamp<long long>(Minutes, MinDeskTopMinutes, MaxDeskTopMinutes));
}

void TMainSettings::ApplyDefaultPaths(const QString& AppFolder) {
    QString app = QDir::cleanPath(AppFolder);
    if (Jxw666Path.isEmpty()) {
        QString parent = QDir::cleanPath(app + QStringLiteral("/.."));
        if (!parent.endsWith(QLatin1Char('/')))
            parent += QLatin1Char('/');
        Jxw666Path = parent + QStringLiteral("jxw666A/jxw.exe");
    }
    if (ZodeZidadedPath.isEmpty())
        ZodeZidadedPath = app + QStringLiteral("/ZodeZidaded/ZodeZidaded.EXE");
}

bool SettingsFileUsable(const QString& File) {
    struct stat st {};
    if (::stat(QFile::encodeName(File).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

QString DefaultSettingsFile() {
    // The place of the user's INI file, named without opening it: a settings object reads its file
    // as it is made, and would wait for ever on a pipe standing in its place.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Korvane/JXW777.ini");
}

TMainSettings ReadMainSettings(QSettings& Store, int Languages) {
    TMainSettings s;
    Store.beginGroup(Section);
    s.LangID = ReadInteger(Store, "LangID", s.LangID, 0, std::max(Languages, 1) - 1);
    s.BrowserPath = ReadText(Store, "BrowserPath");
    s.Jxw666Path = ReadText(Store, "regJxw666Path");
    s.ZodeZidadedPath = ReadText(Store, "regZodeZidadedPath");
    s.OpenImagePath = ReadText(Store, "openImagePath");
    s.OpenProjectPath = ReadText(Store, "openProjectPath");
    s.SaveImagePath = ReadText(Store, "SaveLmagePath");
    s.SaveProjectPath = ReadText(Store, "SaveProjectPath");
    s.ListsAutoValidate = ReadSwitch(Store, "ListsAutoValidate", s.ListsAutoValidate);
    s.ListBoxShowHint = ReadSwitch(Store, "ListBoxShowHint", s.ListBoxShowHint);
    // Minutes out of range are held to the range the Options dialog allows: 0 would copy on every
    // tick, a huge number would overflow the tick limit.
    if (const auto m = StoredInteger(Store, "DeskTopMinutes"))
        s.DeskTopMinutes = ClampDeskTopMinutes(*m);
    s.AutoHideToolBars = ReadSwitch(Store, "AutoHideToolBars", s.AutoHideToolBars);
    s.MachineIndex = ReadInteger(Store, "MachineIndex", s.MachineIndex, -1, 0x7FFF);
    s.GaugeIndex = ReadInteger(Store, "GaugeIndex", s.GaugeIndex, -1, 0x7FFF);
    Store.endGroup();
    return s;
}

void WriteMainSettings(QSettings& Store, const TMainSettings& s) {
    Store.beginGroup(Section);
    Store.setValue(QStringLiteral("LangID"), QString::number(s.LangID));
    Store.setValue(QStringLiteral("BrowserPath"), s.BrowserPath);
    Store.setValue(QStringLiteral("regJxw666Path"), s.Jxw666Path);
    Store.setValue(QStringLiteral("regZodeZidadedPath"), s.ZodeZidadedPath);
    Store.setValue(QStringLiteral("openImagePath"), s.OpenImagePath);
    Store.setValue(QStringLiteral("openProjectPath"), s.OpenProjectPath);
    Store.setValue(QStringLiteral("SaveLmagePath"), s.SaveImagePath);
    Store.setValue(QStringLiteral("SaveProjectPath"), s.SaveProjectPath);
    Store.setValue(QStringLiteral("ListsAutoValidate"), Switch(s.ListsAutoValidate));
    Store.setValue(QStringLiteral("ListBoxShowHint"), Switch(s.ListBoxShowHint));
    Store.setValue(QStringLiteral("DeskTopMinutes"), QString::number(s.DeskTopMinutes));
    Store.setValue(QStringLiteral("AutoHideToolBars"), Switch(s.AutoHideToolBars));
    Store.setValue(QStringLiteral("MachineIndex"), QString::number(s.MachineIndex));
    Store.setValue(QStringLiteral("GaugeIndex"), QString::number(s.GaugeIndex));
    Store.endGroup();
    Store.sync();
}
