#pragma once
// The round shaded button: an elliptic push button whose face is shaded pixel by pixel as a lit
// dome, framed by up to two shaded bevel rings, an outline and a caption. Both looks (up and
// pressed) and the mask are made again from the properties whenever one of them or the size
// changes; painting only puts the made image over the background through the mask.
//
// THemisphereButton takes no focus and is painted over its parent; THemisphereCButton (HemiBtn2.h)
// is its focusable twin.

#include "platform/SysColors.h"
#include "ui/UComponents.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>

enum THemisphereBevel { hbNone = 0, hbLowered = 1, hbRaised = 2 };
enum THemisphereBorder { hbsNone = 0, hbsSingle = 1 };

// Everything the images are made from.
struct THemisphereParams {
    int Width = 25;
    int Height = 25;
    double AttenControl = 1.0;
    THemisphereBevel BevelInner = hbNone;
    THemisphereBevel BevelOuter = hbLowered;
    int BevelWidth = 2;
    TColor BorderColor = 0x808080;
    THemisphereBorder BorderStyle = hbsNone;
    QString Caption;
    QFont Font;
    TColor FontColor = clWindowText;
    TColor FaceColor = 0x808080;
    bool FaceShaded = true;
    bool FaceTransparent = false;
    QImage Glyph; // null: no glyph
    int GlyphIndex = 1;
    bool GlyphShaded = true;
    bool GlyphMapped = false;
    bool GlyphTransparent = true;
    int NumGlyphs = 1;
};

// The made images: the two looks (24-bit values in Format_RGB32), the mask (black where the button
// is opaque, white where the background shows) and the two looks ready to paint, with the mask as
// their alpha channel.
struct THemisphereImages {
    QImage ImageOut;
    QImage ImageIn;
    QImage ImageMask;
    QImage PaintOut;
    QImage PaintIn;
};

// Makes the images; false (Images untouched) when the width or height is below 2.
bool RebuildHemisphereImages(const THemisphereParams& P, THemisphereImages& Images);
// The face hit test: inside the ellipse within the bevels; false when the bevels fill half the
// width or height.
bool HemispherePointInFace(const THemisphereParams& P, double X, double Y);

// The common part of both buttons.
class TCustomHemisphereButton : public QWidget, public virtual MTag {
    Q_OBJECT
public:
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    double AttenControl() const { return P.AttenControl; }
    void SetAttenControl(double Value);
    THemisphereBevel BevelInner() const { return P.BevelInner; }
    void SetBevelInner(THemisphereBevel Value);
    THemisphereBevel BevelOuter() const { return P.BevelOuter; }
    void SetBevelOuter(THemisphereBevel Value);
    int BevelWidth() const { return P.BevelWidth; }
    // Refused below 1.
    void SetBevelWidth(int Value);
    TColor BorderColor() const { return P.BorderColor; }
    void SetBorderColor(TColor Value);
    THemisphereBorder BorderStyle() const { return P.BorderStyle; }
    void SetBorderStyle(THemisphereBorder Value);
    QString Caption() const { return P.Caption; }
    void SetCaption(const QString& Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    TColor FaceColor() const { return P.FaceColor; }
    void SetFaceColor(TColor Value);
    int FaceRed() const { return GetRValue(P.FaceColor); }
    int FaceGreen() const { return GetGValue(P.FaceColor); }
    int FaceBlue() const { return GetBValue(P.FaceColor); }
    bool FaceShaded() const { return P.FaceShaded; }
    void SetFaceShaded(bool Value);
    bool FaceTransparent() const { return P.FaceTransparent; }
    void SetFaceTransparent(bool Value);
    const QFont& Font() const { return P.Font; }
    void SetFont(const QFont& Value);
    TColor FontColor() const { return P.FontColor; }
    void SetFontColor(TColor Value);
    // A null image clears the glyph; any other is copied, NumGlyphs becomes width div height when
    // the width is a multiple of the height (else 1) and GlyphIndex 1.
    const QImage& Glyph() const { return P.Glyph; }
    void SetGlyph(const QImage& Value);
    bool GlyphValid() const { return !P.Glyph.isNull(); }
    int GlyphIndex() const { return P.GlyphIndex; }
    // Refused below 1 and, unless the owner is being built, above NumGlyphs.
    void SetGlyphIndex(int Value);
    bool GlyphMapped() const { return P.GlyphMapped; }
    void SetGlyphMapped(bool Value);
    bool GlyphShaded() const { return P.GlyphShaded; }
    void SetGlyphShaded(bool Value);
    bool GlyphTransparent() const { return P.GlyphTransparent; }
    void SetGlyphTransparent(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    int NumGlyphs() const { return P.NumGlyphs; }
    void SetNumGlyphs(int Value);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool Value) { setEnabled(Value); }

    const THemisphereParams& Params() const { return P; }
    // The made images, brought up to a size changed since the last look.
    const QImage& ImageOut() {
        CheckSize();
        return FImages.ImageOut;
    }
    const QImage& ImageIn() {
        CheckSize();
        return FImages.ImageIn;
    }
    const QImage& ImageMask() {
        CheckSize();
        return FImages.ImageMask;
    }
    bool Tracking() const { return FTracking; }
    // Makes the images again from the properties (nothing below 2 x 2).
    void RebuildImages();
    bool PointInFace(int X, int Y) const;
    // The control's click: a left release anywhere in the rectangle (caption buttons step on it).
    // The button's own OnClick needs a release on the face.
    virtual void Click() {}

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseDown;
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseUp;
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseMove;

protected:
    explicit TCustomHemisphereButton(QWidget* Parent);
    // Whether another component of the owner belongs to this button's groups.
    virtual bool IsGroupMate(QObject* Other) const = 0;
    QList<TCustomHemisphereButton*> GroupMates() const;

    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    virtual void Press(QMouseEvent* Event, bool Double);

private:
    void Changed();
    // A size that differs from the one last seen rebuilds the images (a hidden control is resized
    // without a resize event).
    void CheckSize();
    THemisphereParams P;
    THemisphereImages FImages;
    bool FAllowAllUp = false;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FTracking = false;
    bool FDownAtPress = false;
    int FLastWidth = -1;
    int FLastHeight = -1;
};

class THemisphereButton : public TCustomHemisphereButton {
    Q_OBJECT
public:
    explicit THemisphereButton(QWidget* Parent = nullptr);
    // Created with an owner (its groups are formed among the owner's components).
    THemisphereButton(QObject* Owner, QWidget* Parent);

protected:
    bool IsGroupMate(QObject* Other) const override;
};
