// What the art tools share: saving a drawn picture as a 24-bit BMP and the frame of their main,
// which takes the resources folder, makes the folder the pictures go into and reports a failure.
#pragma once

#include "imaging/Bitmap.h"
#include "imaging/ImageIO.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <exception>
#include <functional>

inline void SaveArt(const QImage& Image, const QString& Path) {
    TBitmap bitmap(Image.width(), Image.height(), pf24bit);
    {
        QImage target = bitmap.WrapQImage();
        QPainter p(&target);
        p.drawImage(0, 0, Image);
    }
    TImageIO io;
    io.SetAttachedBitmap(&bitmap);
    io.SaveBMP(Path);
}

// Runs TOOL RESOURCES-FOLDER: makes Folder under the resources folder, then calls Draw with the
// resources folder. Returns the exit code: 2 for a wrong call, 1 for a failure.
inline int RunArt(int argc, char** argv, const char* Tool, const QString& Folder,
                  const std::function<void(const QDir&)>& Draw) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCES-FOLDER\n", Tool);
        return 2;
    }
    try {
        const QDir root(QString::fromLocal8Bit(argv[1]));
        const QString target = root.filePath(Folder);
        if (!QDir().mkpath(target)) {
            std::fprintf(stderr, "%s: cannot make %s\n", Tool, qPrintable(target));
            return 1;
        }
        Draw(root);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", Tool, e.what());
        return 1;
    }
    return 0;
}
