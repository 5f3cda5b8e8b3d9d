#pragma once
// The application folder and the one path helper that turns the program's "\"-separated relative
// names ("Dta\sysmsg.dta") into real paths, resolving each component without regard to case.

#include <QString>

// The folder of the executable, ending in "/". Tests may point it elsewhere.
QString AppFolder();
void SetAppFolder(const QString& folder);

// Resolves a relative name ("\" or "/" separated) under a base folder. Each component that exists
// in any letter case is taken with its real spelling; a component that does not exist keeps the
// spelling given, so the result can name a file still to be created.
QString ResolvePath(const QString& base, const QString& relative);

// ResolvePath under the application folder.
QString AppFile(const QString& relative);

// The file-name part of a path (after the last "/" or "\").
QString FileNamePart(const QString& path);
