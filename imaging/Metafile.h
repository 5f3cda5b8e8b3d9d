#pragma once
// Drawings and clip art in the two metafile formats, WMF (with its placeable header) and EMF, played
// by our own player over QPainter. Loading recognises the format by content and walks every record
// header once, so that drawing never meets a record that does not lie inside the data; drawing maps
// the picture's frame (EMF) or box (WMF) onto a target rectangle and plays the records the drawings
// and clip art use, aliased, as the platform drew metafiles: a drawing of five colours stays five
// colours plus the background, which matters because colours are yarns. Records of other kinds are
// skipped by their size.

#include "imaging/Bitmap.h"

#include <QByteArray>
#include <QRect>
#include <QString>

#include <cstdint>

class QImage;
class QPainter;

class TMetafile {
public:
    // The text of every failure to recognise or load a metafile.
    static QString UnrecognizedText() { return QStringLiteral("unrecognized WMF or EMF"); }

    TMetafile() = default;

    // Takes the data of a metafile. Anything that is not an EMF or a WMF with its placeable header,
    // or whose records do not all lie inside the data, raises EInvalidGraphic (UnrecognizedText);
    // the metafile then stays as it was.
    void LoadFromData(const QByteArray& data);
    // Reads the file and loads its data; a file that cannot be read raises EReadError.
    void LoadFromFile(const QString& fileName);

    bool Empty() const { return FData.isEmpty(); }
    // True for an EMF, false for a WMF.
    bool Enhanced() const { return FEnhanced; }
    // The size at the given resolution in dots per inch: EMF from its frame (hundredths of a
    // millimetre), WMF from its box and units per inch. 0 for an empty metafile.
    int WidthAt(int dpi) const;
    int HeightAt(int dpi) const;
    // The size at the screen's resolution (ScreenPixelsPerInch).
    int Width() const;
    int Height() const;
    // The number of records walked at loading, the end record included.
    int RecordCount() const { return FRecordCount; }

    // Plays the records onto a picture: the frame or box fills target (picture coordinates; it may
    // reach past the picture, which clips). The picture keeps what lies under transparent parts.
    // An RGB32 or ARGB32 picture is drawn into directly; a 24-bit bitmap is drawn in bands through
    // such a picture so that a large one needs little extra memory. Other bitmap formats are left
    // alone.
    void Draw(QImage& picture, const QRect& target) const;
    void Draw(TBitmap& bitmap, const QRect& target) const;

private:
    void Play(QPainter& painter, const QRect& target, const QRect& picture) const;

    QByteArray FData;
    bool FEnhanced = false;
    int FRecordCount = 0;
    // Offset of the first record after the headers.
    int FFirstRecord = 0;
    // WMF: the placeable box (left, top, right, bottom) and its units per inch. EMF: the frame in
    // hundredths of a millimetre, the reference device in pixels and in millimetres.
    int FBoxLeft = 0, FBoxTop = 0, FBoxRight = 0, FBoxBottom = 0;
    int FInch = 0;
    std::int64_t FFrameLeft = 0, FFrameTop = 0, FFrameRight = 0, FFrameBottom = 0;
    std::int64_t FDevicePixelsX = 0, FDevicePixelsY = 0, FDeviceMmX = 0, FDeviceMmY = 0;
    int FObjectCount = 0;
};
