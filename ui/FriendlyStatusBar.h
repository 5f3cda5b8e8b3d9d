#pragma once
// The status bar that holds controls: panels drawn from the left (text, width and bevel, sunken by
// default), and any child control the window places on it by position (the main window's needle and
// line read-out). A status tip, while one is shown, covers the panels and the placed controls. In a
// window laid out right to left (the Arabic one) a panel's text is justified the other way round, as
// the language justifies its texts: left-justified becomes right-justified.

#include "ui/BiDi.h"

#include <QPointer>
#include <QStatusBar>
#include <QString>

#include <vector>

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

struct TStatusPanel {
    QString Text;
    int Width = 50;
    TStatusPanelBevel Bevel = pbLowered;
    TAlignment Alignment = taLeftJustify;
};

class TFriendlyStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TFriendlyStatusBar(QWidget* Parent = nullptr);

    int PanelCount() const { return int(FPanels.size()); }
    TStatusPanel& Panel(int Index) { return FPanels.at(std::size_t(Index)); }
    // Adds a panel at the right end and returns its index.
    int AddPanel(const TStatusPanel& Panel);
    void SetPanelText(int Index, const QString& Text);
    void SetPanelWidth(int Index, int Width);
    void ClearPanels();
    // The rectangle of a panel: panels follow one another from the left, 2 pixels apart, each as wide
    // as its Width (negative counts as 0, at most 2^20), the last one running to the right end.
    QRect PanelRect(int Index) const;
    // Places a control on the bar at a rectangle of the bar's coordinates (not in the bar's own
    // layout, so the panels stay under it). A status tip, while shown, lies over it.
    void PlaceControl(QWidget* Control, const QRect& Bounds);
    // The justification a panel's text is drawn with in the bar's window.
    TAlignment ShownAlignment(int Index) const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void MessageChanged(const QString& Text);
    // Whether the window the bar lies on is laid out right to left; the bar itself keeps left to
    // right, so that its panels run from the left.
    bool RightToLeftWindow() const;
    void WatchParent();
    QPointer<QWidget> FWatched;
    std::vector<TStatusPanel> FPanels;
    // The status tip drawn over the panels and the placed controls, so that their own shown state,
    // which the window owns, is never touched.
    QWidget* FTip;
};
