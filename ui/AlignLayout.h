#pragma once
// Edge alignment of child widgets: each child names the edge it sticks to (top, bottom, left, right)
// or the client area left over. Top items are placed first, from the top down, then bottom items from
// the bottom up, then left and right items in the height that remains, then client items in the
// rest; within one edge in the order the items were added. Each item keeps its own thickness across
// its edge and takes the whole length along it. Nothing is mirrored for right-to-left forms.
//
// The main window holds its four docks and its client area in one; a dock whose thickness changes
// asks its parent's layout to align again at once.

#include <QLayout>
#include <QList>

class QWidget;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The alignment a widget asks of its parent's AlignLayout (alNone by default). Setting it aligns
// the parent again.
void SetAlign(QWidget* Widget, TAlign Align);
TAlign AlignOf(const QWidget* Widget);

class AlignLayout : public QLayout {
    Q_OBJECT
public:
    explicit AlignLayout(QWidget* Parent = nullptr);
    ~AlignLayout() override;

    void addItem(QLayoutItem* Item) override;
    QLayoutItem* itemAt(int Index) const override;
    QLayoutItem* takeAt(int Index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& Rect) override;

    // Places the items again in the parent's client area, now.
    void Realign();
    // Realign() of the AlignLayout of W's parent, when it has one.
    static void RealignParentOf(QWidget* W);

private:
    void Place(const QRect& Rect);
    QList<QLayoutItem*> FItems;
    bool FPlacing = false;
    bool FAgain = false;
};
