#pragma once
// Files of the transfer tests: a machine program file and a picture the station's readers take,
// and a folder's contents to compare before and after.

#include "model/ULstFile.h"
#include "model/UunvList.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

// The machine program file of an empty program, with zero bytes after it up to Size.
inline QByteArray MachineFileBytes(qsizetype Size = 0) {
    MProgramLists program;
    QByteArray bytes = MachineFileImage(program.Machine, program.Lists());
    bytes.append(QByteArray(std::max<qsizetype>(0, Size - bytes.size()), '\0'));
    return bytes;
}

// A 24-bit BMP of w x h pixels, with zero bytes after it up to Size.
inline QByteArray PictureBytes(int w, int h, qsizetype Size = 0) {
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(Qt::blue);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.bmp"));
    EXPECT_TRUE(image.save(path, "BMP"));
    QByteArray bytes = kdstest::ReadFile(path);
    bytes.append(QByteArray(std::max<qsizetype>(0, Size - bytes.size()), '\0'));
    return bytes;
}

// Every entry under a folder with its bytes ("<dir>" for folders).
inline std::map<QString, QByteArray> Snapshot(const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = QFileInfo(path).isFile() ? kdstest::ReadFile(path) : QByteArray("<dir>");
    }
    return files;
}
