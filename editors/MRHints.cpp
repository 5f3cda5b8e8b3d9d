#include "editors/MRHints.h"

#include "model/Ucommon.h"
#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/LanguagePack.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QProxyStyle>
#include <QScreen>
#include <QTextOption>

#include <cmath>
#include <exception>

std::uint8_t HintShape = 0;
std::uint8_t HintShadowOffset = 0;
std::uint8_t HintTail = 0;
std::uint8_t HintTextAlign = 0;

const std::array<TColor, 11> HintMarkerColors = {0x000000, 0x0000FF, 0xFF0000, 0x008000, 0x00FF00, 0x000080,
                                                 0xFF00FF, 0x808000, 0xFFFF00, 0x800080, 0x800000};

THintOptions THintOptions::Installed() {
    return THintOptions{HintShape, HintShadowOffset, HintTail, HintTextAlign};
}

// ---- The text.

QString StripHintMarkers(const QString& Hint) {
    QString out;
    out.reserve(Hint.size());
    bool marker = false;
    for (const QChar c : Hint) {
        if (c == QLatin1Char('@'))
            marker = !marker;
        else if (!marker)
            out += c;
    }
    return out;
}

QString HintHeadText(const QString& Text) {
    const qsizetype at = Text.indexOf(QLatin1Char('@'));
    QString head = at < 0 ? Text : Text.left(at);
    if (head.size() >= 2 && head.at(head.size() - 2) == QLatin1Char('\n')) {
        head.chop(2);
        if (head.endsWith(QLatin1Char('\r')))
            head.chop(1);
    }
    return head;
}

QString FieldHelpMarkup(const QString& Text) {
    const qsizetype at = Text.indexOf(QLatin1Char('@'));
    if (at < 0 || Text.mid(at + 1, 2) != QLatin1String("S@"))
        return QString();
    QString out;
    for (qsizetype i = at + 3; i < Text.size(); ++i) {
        const QChar c = Text.at(i);
        if (c == QLatin1Char('\n'))
            out += QLatin1String("@L@");
        else if (c != QLatin1Char('\r'))
            out += c;
    }
    if (!out.isEmpty())
        out += QLatin1String("@E@");
    return out;
}

bool IsNotDigitMarker(const QString& Marker) {
    return Marker.isEmpty() || Marker.at(0) < QLatin1Char('0') || Marker.at(0) > QLatin1Char('9');
}

// ---- Size and place.

namespace {
Qt::Alignment MeasureAlignment(int TextAlign) {
    switch (TextAlign) {
    case 1:
        return Qt::AlignRight | Qt::AlignAbsolute;
    case 2:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft | Qt::AlignAbsolute;
    }
}

// What is drawn of a text: carriage returns are ignored.
QString DrawnText(QString Text) {
    Text.remove(QLatin1Char('\r'));
    return Text;
}

TRect Moved(TRect R, int Dx, int Dy) {
    return TRect{R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy};
}

int RoundHalfEven(double V) {
    return int(std::nearbyint(V));
}
} // namespace

QSize MeasureHintText(const QString& Hint, int MaxWidth, const QFontMetrics& Metrics, int TextAlign) {
    QString s = DrawnText(StripHintMarkers(Hint));
    // Line breaks that end the text add no line: the head drops them when it is drawn.
    while (s.endsWith(QLatin1Char('\n')))
        s.chop(1);
    if (s.isEmpty())
        return QSize(0, 0);
    const QRect r = Metrics.boundingRect(QRect(0, 0, std::max(MaxWidth, 1), 0),
                                         int(MeasureAlignment(TextAlign) | Qt::TextWordWrap), s);
    return r.size();
}

THintGeometry HintGeometry(QSize TextSize, const THintOptions& Options) {
    THintGeometry g;
    const TRect r{0, 0, TextSize.width() + 8, TextSize.height() + 5};
    g.BodyRect = r;
    g.TextRect = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    if (Options.TextAlign == 1)
        g.TextRect = Moved(g.TextRect, -4, 0);
    else if (Options.TextAlign == 2)
        g.TextRect = Moved(g.TextRect, -1, 0);
    g.CornerSize = std::max(6, std::min(RectWidth(r), RectHeight(r)) / 4);
    if (Options.Shape == 1) {
        const int d = g.CornerSize / 4;
        g.BodyRect = TRect{r.Left - d, r.Top - d, r.Right + d, r.Bottom + d};
    } else if (Options.Shape == 2) {
        // The ellipse through the corners of the body whose vertical half-axis is h + k.
        const double w = RectWidth(r) / 2.0, h = RectHeight(r) / 2.0;
        const int k = RoundHalfEven(4.0 / 3.0 * h);
        const double hk = h + k;
        const int a = RoundHalfEven(std::sqrt(w * w * hk * hk / (hk * hk - h * h)));
        const int dx = a - RoundHalfEven(w);
        g.BodyRect = TRect{r.Left - dx, r.Top - k, r.Right + dx, r.Bottom + k};
    }
    // Body at (0, 0).
    const int dx = -g.BodyRect.Left, dy = -g.BodyRect.Top;
    g.BodyRect = Moved(g.BodyRect, dx, dy);
    g.TextRect = Moved(g.TextRect, dx, dy);
    g.Bounds = TRect{0, 0, RectWidth(g.BodyRect) + Options.ShadowOffset,
                     RectHeight(g.BodyRect) + Options.ShadowOffset};
    if (Options.Tail) {
        g.TailWidth = 4;
        g.TailHeight = 10;
        g.Bounds.Right += g.TailWidth;
        g.Bounds.Bottom += g.TailHeight;
    }
    return g;
}

THintPlacement PlaceHint(QSize Size, QPoint Proposed, QPoint Cursor, const QRect& Screen,
                         const THintOptions& Options) {
    const int w = Size.width(), h = Size.height();
    const int sl = Screen.left(), st = Screen.top();
    const int sr = Screen.left() + Screen.width(), sb = Screen.top() + Screen.height();
    const QPoint p = Cursor;
    int left = Proposed.x(), top = Proposed.y();
    if (Options.Tail) {
        if (p.y() - h - 3 >= st)
            top = p.y() - h - 3;
        if (p.x() + 1 >= sl)
            left = p.x() + 1;
    }
    if (top + h > sb) {
        top = sb - h;
        if (top <= p.y())
            top = p.y() - h - 3;
    }
    if (left + w > sr) {
        left = sr - w;
        if (left <= p.x())
            left = p.x() - w - 3;
    }
    // A window larger than the room beside the cursor stays at the edge.
    if (left < sl)
        left = sl;
    if (top < st)
        top = st;
    THintPlacement place;
    place.TopLeft = QPoint(left, top);
    if (Options.Shaped()) {
        if (top + h < p.y())
            place.TailPosition = tpBottomLeft;
        if (left + w < p.x())
            place.TailPosition = place.TailPosition == tpTopLeft ? tpTopRight : tpBottomRight;
    }
    return place;
}

void MoveForTail(THintGeometry& Geometry, int TailPosition, const THintOptions& Options) {
    if (!Options.Tail)
        return;
    const int dy = TailPosition == tpTopLeft || TailPosition == tpTopRight ? Geometry.TailHeight : 0;
    const int dx = TailPosition == tpBottomLeft || TailPosition == tpTopLeft ? Geometry.TailWidth : 0;
    Geometry.BodyRect = Moved(Geometry.BodyRect, dx, dy);
    Geometry.TextRect = Moved(Geometry.TextRect, dx, dy);
}

QRegion BuildHintRegion(const THintGeometry& Geometry, int TailPosition, bool Shadow,
                        const THintOptions& Options) {
    const int offset = Shadow ? Options.ShadowOffset : 0;
    const TRect b = Moved(Geometry.BodyRect, offset, offset);
    const QRect body = b.ToQRect();
    QRegion region;
    if (Options.Shape == 1) {
        QPainterPath path;
        path.addRoundedRect(QRectF(body), Geometry.CornerSize / 2.0, Geometry.CornerSize / 2.0);
        region = QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
    } else if (Options.Shape == 2) {
        region = QRegion(body, QRegion::Ellipse);
    } else {
        region = QRegion(body);
    }
    if (!Options.Tail)
        return region;
    const TRect r = Moved(Geometry.TextRect, offset, offset);
    const int windowWidth = RectWidth(Geometry.Bounds), windowHeight = RectHeight(Geometry.Bounds);
    int x = TailPosition == tpBottomRight || TailPosition == tpTopRight ? windowWidth : 0;
    if (Shadow)
        x += Options.ShadowOffset;
    const int t = std::min(std::max(8, std::min(RectWidth(r), RectHeight(r)) / 4), RectWidth(r) / 2);
    QPolygon tail;
    switch (TailPosition) {
    case tpBottomLeft:
        tail << QPoint(x, windowHeight - Options.ShadowOffset) << QPoint(r.Left + t / 4, r.Bottom)
             << QPoint(r.Left + 2 * t, r.Bottom);
        break;
    case tpBottomRight:
        tail << QPoint(x, windowHeight - Options.ShadowOffset) << QPoint(r.Right - t / 4, r.Bottom)
             << QPoint(r.Right - 2 * t, r.Bottom);
        break;
    case tpTopLeft:
        tail << QPoint(x, 0) << QPoint(r.Left + t / 4, r.Top) << QPoint(r.Left + 2 * t, r.Top);
        break;
    default:
        tail << QPoint(x, 0) << QPoint(r.Right - t / 4, r.Top) << QPoint(r.Right - 2 * t, r.Top);
        break;
    }
    return region.united(QRegion(tail, Qt::WindingFill));
}

// ---- Drawing the text.

THintText LayoutHintText(const QString& Text, const QRect& R, int TextDirection,
                         const QFontMetrics& Metrics) {
    THintText out;
    const int left0 = R.left(), right0 = R.left() + R.width(), bottom0 = R.top() + R.height();
    constexpr int tall = 1 << 20;
    out.Head = DrawnText(HintHeadText(Text));
    if (TextDirection == 0) {
        const QRect m =
            Metrics.boundingRect(QRect(R.left(), R.top(), std::max(R.width(), 1), tall),
                                 int(Qt::AlignRight | Qt::AlignAbsolute | Qt::TextWordWrap), out.Head);
        out.HeadRect = QRect(R.left(), R.top(), R.width(), out.Head.isEmpty() ? 0 : m.height());
        out.HeadRightToLeft = true;
    } else {
        const int l = R.left() + 4;
        const QRect m =
            Metrics.boundingRect(QRect(l, R.top(), std::max(right0 - l, 1), tall),
                                 int(Qt::AlignLeft | Qt::AlignAbsolute | Qt::TextWordWrap), out.Head);
        out.HeadRect =
            out.Head.isEmpty() ? QRect(l, R.top(), 0, 0) : QRect(l, R.top(), m.width(), m.height());
    }
    const QString help = FieldHelpMarkup(Text);
    if (help.isEmpty())
        return out;
    int top = out.HeadRect.top() + out.HeadRect.height();
    out.Separator = true;
    out.SeparatorLine = QLine(left0 + 2, top + 1, right0, top + 1);
    top += 2;

    const int lineLeft = left0 + 4;
    int x = lineLeft, y = top;
    TColor color = HintMarkerColors[0];
    QString pending, marker;
    bool inMarker = false;
    bool pieceOnLine = false;
    QRect last;
    for (const QChar c : help) {
        if (c != QLatin1Char('@')) {
            (inMarker ? marker : pending) += c;
            continue;
        }
        inMarker = !inMarker;
        if (inMarker)
            continue;
        // A closing "@": the text before the marker is drawn, then the marker acts.
        if (!pending.isEmpty()) {
            // A piece that fits on the line is one line high; a longer one wraps.
            const int width = Metrics.horizontalAdvance(pending);
            if (width <= right0 - x) {
                last = QRect(x, y, width, Metrics.height());
            } else {
                last =
                    Metrics.boundingRect(QRect(x, y, std::max(right0 - x, 1), std::max(bottom0 - y, 1)),
                                         int(Qt::AlignLeft | Qt::AlignAbsolute | Qt::TextWordWrap), pending);
                last.moveTopLeft(QPoint(x, y));
            }
            out.Runs.push_back(THintRun{pending, last, color});
            pending.clear();
            pieceOnLine = true;
        }
        if (marker == QLatin1String("L")) {
            // A line without text still takes a line.
            y = pieceOnLine ? last.top() + last.height() : y + Metrics.height();
            x = lineLeft;
            pieceOnLine = false;
        } else if (marker == QLatin1String("E")) {
            break;
        } else {
            // The text goes on to the right of the piece before the marker (any marker, so that an
            // unknown one never draws two pieces over each other); a digit marker sets the colour.
            if (pieceOnLine)
                x = last.left() + last.width();
            bool ok = false;
            const int n = IsNotDigitMarker(marker) ? -1 : marker.toInt(&ok);
            if (ok && n >= 0 && n < int(HintMarkerColors.size()))
                color = HintMarkerColors[std::size_t(n)];
        }
        marker.clear();
    }
    return out;
}

// ---- The window.

QWidget* HintControlAtCursor(QWidget* Under) {
    for (QWidget* w = Under; w; w = w->parentWidget()) {
        if (!w->toolTip().isEmpty())
            return w;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

namespace {
int GHintPause = 500;
int GHintHidePause = 2500;

// The system's fixed font in 8 points.
QFont HintFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(8);
    return f;
}

int CurrentLanguage() {
    return DMLanguagePack ? DMLanguagePack->OLanguagePack->LanguageNumber() : LanguageEnglish;
}
} // namespace

MRHintWindow::MRHintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(HintFont());
    FHideTimer.setSingleShot(true);
    connect(&FHideTimer, &QTimer::timeout, this, &MRHintWindow::ReleaseHint);
}

QSize MRHintWindow::MeasureHint(int MaxWidth, const QString& Hint) {
    FOptions = THintOptions::Installed();
    FText = Hint;
    FGeometry =
        HintGeometry(MeasureHintText(Hint, MaxWidth, QFontMetrics(font()), FOptions.TextAlign), FOptions);
    FTailPosition = tpTopLeft;
    return FGeometry.Bounds.ToQRect().size();
}

bool MRHintWindow::ActivateHint(QWidget* Control, const QPoint& Cursor) {
    if (!Control || Control->toolTip().isEmpty()) {
        ReleaseHint();
        return false;
    }
    QString text = Control->toolTip();
    if (auto* row = dynamic_cast<MFieldHintRow*>(Control->parentWidget())) {
        if (!ListBoxShowHint) {
            ReleaseHint();
            return false;
        }
        QString help;
        row->GetFieldHint(Control, help);
        text += help;
        TextDirection = row->FieldHintLanguage() == LanguageArabic ? 0 : 1;
    } else {
        TextDirection = CurrentLanguage() == LanguageArabic ? 0 : 1;
    }
    FControl = Control;
    const QScreen* screen = QGuiApplication::screenAt(Cursor);
    if (!screen)
        screen = Control->screen() ? Control->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QSize size = MeasureHint(area.width(), text);
    // The place the hint would take without a tail: below the cursor.
    const THintPlacement place = PlaceHint(size, Cursor + QPoint(0, 20), Cursor, area, FOptions);
    FTailPosition = place.TailPosition;
    MoveForTail(FGeometry, FTailPosition, FOptions);
    setGeometry(QRect(place.TopLeft, size));
    if (FOptions.Shaped()) {
        QRegion mask = BuildHintRegion(FGeometry, FTailPosition, false, FOptions);
        if (FOptions.ShadowOffset > 0)
            mask = mask.united(BuildHintRegion(FGeometry, FTailPosition, true, FOptions));
        setMask(mask);
    } else {
        clearMask();
    }
    update();
    show();
    raise();
    if (GHintHidePause > 0)
        FHideTimer.start(GHintHidePause);
    return true;
}

void MRHintWindow::ReleaseHint() {
    FHideTimer.stop();
    FControl = nullptr;
    hide();
}

QImage MRHintWindow::Render() const {
    const QSize size = FGeometry.Bounds.ToQRect().size();
    QImage image = NewImage(size.width(), size.height(), clBtnFace);
    if (image.isNull())
        return image;
    const QRegion body = BuildHintRegion(FGeometry, FTailPosition, false, FOptions);
    QPainter p(&image);
    if (FOptions.ShadowOffset > 0) {
        p.setClipRegion(BuildHintRegion(FGeometry, FTailPosition, true, FOptions));
        p.fillRect(image.rect(), QBrush(CreateCheckerPattern(clBtnFace, clWindowText)));
    }
    p.setClipRegion(body);
    p.fillRect(image.rect(), SysQColor(clInfoBk));
    if (FOptions.Shape != 0 || FOptions.Tail) {
        // A one-pixel frame along the region: its pixels next to a pixel outside it.
        const QRegion inner = body.intersected(body.translated(1, 0))
                                  .intersected(body.translated(-1, 0))
                                  .intersected(body.translated(0, 1))
                                  .intersected(body.translated(0, -1));
        p.setClipRegion(body.subtracted(inner));
        p.fillRect(image.rect(), SysQColor(clInfoText));
        p.setClipping(false);
    } else {
        p.setClipping(false);
        p.end();
        TRect r = FGeometry.BodyRect;
        Frame3D(image, r, cl3DLight, cl3DDkShadow);
        p.begin(&image);
    }
    TRect tr = FGeometry.TextRect;
    if (FOptions.TextAlign == 0)
        tr.Left += 2;
    p.setFont(font());
    const THintText t = LayoutHintText(FText, tr.ToQRect(), TextDirection, QFontMetrics(font()));
    p.setPen(toQColor(HintHeadColor));
    QTextOption head(Qt::AlignAbsolute | (t.HeadRightToLeft ? Qt::AlignRight : Qt::AlignLeft));
    head.setWrapMode(QTextOption::WordWrap);
    head.setTextDirection(t.HeadRightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    p.drawText(QRectF(t.HeadRect), t.Head, head);
    if (t.Separator) {
        p.setPen(toQColor(HintMarkerColors[0]));
        p.drawLine(t.SeparatorLine.p1(), t.SeparatorLine.p2() - QPoint(1, 0));
    }
    const QFontMetrics fm(font());
    for (const THintRun& run : t.Runs) {
        p.setPen(toQColor(run.Color));
        const Qt::LayoutDirection direction = run.Text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
        if (run.Rect.height() <= fm.height()) {
            // One line: drawn at its baseline.
            p.setLayoutDirection(direction);
            p.drawText(QPointF(run.Rect.left(), run.Rect.top() + fm.ascent()), run.Text);
            continue;
        }
        QTextOption o(Qt::AlignLeft | Qt::AlignAbsolute);
        o.setWrapMode(QTextOption::WordWrap);
        o.setTextDirection(direction);
        p.drawText(QRectF(run.Rect), run.Text, o);
    }
    return image;
}

void MRHintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}

// ---- Installing.

namespace {

// The wake-up delay of Qt's tool tips is the hint pause.
class MHintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* Return) const override {
        if (Hint == QStyle::SH_ToolTip_WakeUpDelay)
            return GHintPause;
        return QProxyStyle::styleHint(Hint, Option, Widget, Return);
    }
};

// Takes the tool-tip events of controls with a hint and hides the hint when the mouse leaves its
// control, a key or button is pressed, or the window goes.
class MHintDispatcher : public QObject {
public:
    explicit MHintDispatcher(MRHintWindow* Window) : FWindow(Window) {}

    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (!FWindow || !Watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(Watched);
        switch (Event->type()) {
        case QEvent::ToolTip: {
            QWidget* control = HintControlAtCursor(widget);
            if (!control)
                return false;
            const QPoint cursor = static_cast<QHelpEvent*>(Event)->globalPos();
            if (FWindow->isVisible() && FWindow->HintControl() == control)
                return true;
            try {
                FWindow->ActivateHint(control, cursor);
            } catch (...) {
                // A hint that cannot be shown is simply not shown.
                FWindow->ReleaseHint();
            }
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::WindowDeactivate:
            if (FWindow->isVisible())
                FWindow->ReleaseHint();
            return false;
        case QEvent::Leave:
            if (FWindow->isVisible() && widget == FWindow->HintControl())
                FWindow->ReleaseHint();
            return false;
        case QEvent::MouseMove:
            if (FWindow->isVisible() && HintControlAtCursor(widget) != FWindow->HintControl())
                FWindow->ReleaseHint();
            return false;
        default:
            return false;
        }
    }

private:
    QPointer<MRHintWindow> FWindow;
};

MRHintWindow* GWindow = nullptr;
MHintDispatcher* GDispatcher = nullptr;

void ReleaseHintWindow() {
    delete GDispatcher;
    GDispatcher = nullptr;
    delete GWindow;
    GWindow = nullptr;
}

} // namespace

void InstallHintWindow(std::uint8_t Shape, std::uint8_t ShadowOffset, std::uint8_t Tail,
                       std::uint8_t TextAlign) {
    HintShape = Shape;
    HintShadowOffset = ShadowOffset;
    HintTail = Tail;
    HintTextAlign = TextAlign;
    if (GWindow) {
        GWindow->ReleaseHint();
        return;
    }
    GWindow = new MRHintWindow;
    GDispatcher = new MHintDispatcher(GWindow);
    qApp->installEventFilter(GDispatcher);
    if (!dynamic_cast<MHintStyle*>(QApplication::style()))
        QApplication::setStyle(new MHintStyle(NewStationStyle()));
    // The window goes while the application is still whole.
    qAddPostRoutine(ReleaseHintWindow);
}

MRHintWindow* ApplicationHintWindow() {
    return GWindow;
}

void SetHintDelays(int Pause, int HidePause) {
    GHintPause = std::max(Pause, 0);
    GHintHidePause = std::max(HidePause, 0);
}

int HintPause() {
    return GHintPause;
}

int HintHidePause() {
    return GHintHidePause;
}
