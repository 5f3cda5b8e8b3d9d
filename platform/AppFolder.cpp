#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString& FolderOverride() {
    static QString folder;
    return folder;
}

QString WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// The entry of dir whose name equals name without regard to case; exact spelling first.
QString MatchEntry(const QString& dir, const QString& name) {
    if (QFileInfo::exists(dir + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return name;
}
} // namespace

QString AppFolder() {
    if (!FolderOverride().isEmpty())
        return FolderOverride();
    if (QCoreApplication::instance())
        return WithSlash(QCoreApplication::applicationDirPath());
    return WithSlash(QDir::currentPath());
}

void SetAppFolder(const QString& folder) {
    FolderOverride() = folder.isEmpty() ? QString() : WithSlash(folder);
}

QString ResolvePath(const QString& base, const QString& relative) {
    QString result = WithSlash(base);
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = rel.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == QLatin1String("."))
            continue;
        result += (part == QLatin1String("..")) ? part : MatchEntry(result, part);
        if (i + 1 < parts.size() || rel.endsWith(QLatin1Char('/')))
            result += QLatin1Char('/');
    }
    return result;
}

QString AppFile(const QString& relative) {
    return ResolvePath(AppFolder(), relative);
}

QString FileNamePart(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}
