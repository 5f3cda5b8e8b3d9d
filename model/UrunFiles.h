#pragma once
// The files a program run is made of: a machine program file with its pattern picture and palette,
// loaded into an in-memory project, each with its fallback. The run verbs of the shell load through
// it, and so can the program test and the graphic test when they run a file.
//
// The picture is the one named, else a new picture of the size given, else the machine file's sibling
// picture (its base name + ".BMP", any letter case); without one, or with a sibling that cannot be
// read, a new 100 x 100 picture with a note. New pictures are filled with the new-picture colour. The
// palette is that of the header of the project data file named, else of the machine file's sibling
// ".JXW", read by the project files' reader (a short file sets the colours it holds); one that
// cannot be read gives the default palette with a note.

#include "model/UProject.h"
#include "platform/Errors.h"

#include <QString>
#include <QStringList>

#include <functional>

// The colour a new picture is filled with.
constexpr TColor NewPictureColor = 0x00BB00;

// Reads a picture file into the project's drawing, as 24 bits; raises an Exception with the reason
// when it cannot. The image library, above the model, provides it.
using MPictureReader = std::function<void(MMemoryProject& Project, const QString& Path)>;

// What to load.
struct MRunFiles {
    QString File;       // the machine program file
    QString Picture;    // a picture file; empty: a blank picture or the sibling picture
    int BlankWidth = 0; // above 0 with BlankHeight: a new picture of that size
    int BlankHeight = 0;
    QString Palette; // a project data file whose header holds the palette; empty: the sibling .JXW
};

// A file of the run that cannot be had: the machine file, the picture named or the blank picture.
class ERunFiles : public Exception {
public:
    enum TPart { rfMachineFile, rfPicture, rfBlank };
    // The message is "<Name>: <Reason>".
    ERunFiles(TPart APart, const QString& AName, const QString& AReason);
    TPart Part;
    QString Name; // the file, or "<width>x<height>" for the blank picture
    QString Reason;
};

// Loads the files into Project (whose program, picture and palette they replace) and returns the
// notes on what was taken in place of a missing or unreadable sibling picture or palette. Raises
// ERunFiles when the machine file, the picture named or the blank picture cannot be had. Whether the
// program can run (its setup scheme) is the interpreter's to say.
QStringList LoadRunFiles(const MRunFiles& Files, MMemoryProject& Project, const MPictureReader& ReadPicture);
