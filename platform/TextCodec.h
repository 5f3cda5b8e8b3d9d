#pragma once
// Texts stored in files keep their bytes; these turn them into readable text and back. Stored
// texts of the station are UTF-8 or, from older files, the Arabic Windows code page 1256.

#include <QByteArray>
#include <QString>

// UTF-8 when the bytes are valid UTF-8, else Windows-1256 (Latin-1 where that code page is not
// available).
QString DecodeStoredText(const QByteArray& bytes);
// Windows-1256 when every character has a place in it, else UTF-8.
QByteArray EncodeStoredText(const QString& text);
