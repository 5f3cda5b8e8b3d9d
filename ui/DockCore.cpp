#include "ui/DockCore.h"

#include "platform/SysColors.h"
#include "ui/DockCmn.h"

#include <QFontMetrics>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>

int MulDiv(int A, int B, int C) {
    if (C == 0)
        return -1;
    const std::int64_t product = std::int64_t(A) * std::int64_t(B);
    const bool negative = (product < 0) != (C < 0);
    const std::uint64_t p = product < 0 ? std::uint64_t(-(product + 1)) + 1 : std::uint64_t(product);
    const std::uint64_t c = C < 0 ? std::uint64_t(-(std::int64_t(C))) : std::uint64_t(C);
    // Half away from zero: (2p + c) / 2c; 2p stays below 2^63.
    const std::uint64_t q = (2 * p + c) / (2 * c);
    if (negative)
        return q > std::uint64_t(INT_MAX) + 1 ? -1 : int(-std::int64_t(q));
    return q > std::uint64_t(INT_MAX) ? -1 : int(q);
}

// ---- Rows.

namespace {
int Clamp32(std::int64_t V) {
    return int(std::clamp<std::int64_t>(V, INT_MIN, INT_MAX));
}

int LengthAlong(const TDockBarSlot* B, bool Vertical) {
    return Vertical ? B->Height : B->Width;
}

// The bars of each row from 0 to the highest, in list order.
std::vector<std::vector<TDockBarSlot*>> BarsByRow(const std::vector<TDockBarSlot*>& Bars) {
    std::vector<std::vector<TDockBarSlot*>> rows(std::size_t(HighestDockRow(Bars) + 1));
    for (TDockBarSlot* b : Bars)
        if (b->DockRow >= 0)
            rows[std::size_t(b->DockRow)].push_back(b);
    return rows;
}
} // namespace

int HighestDockRow(const std::vector<TDockBarSlot*>& Bars) {
    int highest = -1;
    for (const TDockBarSlot* b : Bars)
        highest = std::max(highest, b->DockRow);
    return highest;
}

void CloseEmptyDockRows(std::vector<TDockBarSlot*>& Bars) {
    // Rank of every distinct row number; never walks the numbers in between.
    std::map<int, int> ranks;
    for (const TDockBarSlot* b : Bars)
        ranks.emplace(b->DockRow, 0);
    int next = 0;
    for (auto& [row, rank] : ranks)
        rank = next++;
    for (TDockBarSlot* b : Bars)
        b->DockRow = ranks[b->DockRow];
}

void OpenDockRow(std::vector<TDockBarSlot*>& Bars, int Row) {
    for (TDockBarSlot* b : Bars)
        if (b->DockRow >= Row && b->DockRow < INT_MAX)
            ++b->DockRow;
}

std::vector<int> BuildDockRowSizes(const std::vector<TDockBarSlot*>& Bars) {
    std::vector<int> sizes(std::size_t(std::max(HighestDockRow(Bars) + 1, 0)), 0);
    for (const TDockBarSlot* b : Bars) {
        if (!b->Shown || b->DockRow < 0)
            continue;
        int& size = sizes[std::size_t(b->DockRow)];
        size = std::max({size, b->Thickness, 8});
    }
    return sizes;
}

TDockArrangeResult ArrangeDockBars(std::vector<TDockBarSlot*>& Bars, const TDockArrangeInput& In) {
    TDockArrangeResult result;
    const bool anyShown =
        std::any_of(Bars.begin(), Bars.end(), [](const TDockBarSlot* b) { return b->Shown; });
    if (!anyShown) {
        result.Thickness = In.FixAlign ? 1 : 0;
        return result;
    }
    const int clientLength = std::max(In.Vertical ? In.Height - In.FrameHeight : In.Width - In.FrameWidth, 0);

    if (In.LimitToOneRow)
        for (TDockBarSlot* b : Bars)
            b->DockRow = 0;
    CloseEmptyDockRows(Bars);
    SortList(Bars, [](const TDockBarSlot* a, const TDockBarSlot* b) {
        if (a->DockRow != b->DockRow)
            return a->DockRow < b->DockRow ? -1 : 1;
        return a->DockPos < b->DockPos ? -1 : (a->DockPos > b->DockPos ? 1 : 0);
    });

    // Full-size bars take rows of their own.
    for (int row = 0; row <= HighestDockRow(Bars); ++row) {
        for (TDockBarSlot* b : Bars) {
            if (b->DockRow != row || !b->FullSize)
                continue;
            const bool shared = std::any_of(
                Bars.begin(), Bars.end(), [&](const TDockBarSlot* o) { return o != b && o->DockRow == row; });
            if (shared)
                for (TDockBarSlot* o : Bars)
                    if (o != b && o->DockRow >= row)
                        ++o->DockRow;
        }
    }

    result.RowSizes = BuildDockRowSizes(Bars);
    const auto rows = BarsByRow(Bars);

    // Overlaps removed in the stored positions.
    for (const auto& row : rows) {
        std::int64_t running = 0;
        for (TDockBarSlot* b : row) {
            if (!b->Shown)
                continue;
            if (b->FullSize)
                b->DockPos = 0;
            else if (running < b->DockPos)
                running = b->DockPos;
            else
                b->DockPos = Clamp32(running);
            running += LengthAlong(b, In.Vertical);
        }
    }

    // Positions shown: pushed back to fit the dock from the far end, then forward so that none starts
    // before 0 or overlaps another.
    std::int64_t cross = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<TDockBarSlot*> free;
        for (TDockBarSlot* b : rows[r])
            if (b->Shown && !b->FullSize)
                free.push_back(b);
        std::vector<std::int64_t> shown(free.size());
        std::int64_t limit = clientLength;
        for (std::size_t i = free.size(); i-- > 0;) {
            shown[i] = std::min<std::int64_t>(free[i]->DockPos, limit - LengthAlong(free[i], In.Vertical));
            limit = shown[i];
        }
        std::int64_t running = 0;
        for (std::size_t i = 0; i < free.size(); ++i) {
            shown[i] = std::max(shown[i], running);
            running = shown[i] + LengthAlong(free[i], In.Vertical);
        }
        if (In.ClipPositions)
            for (std::size_t i = 0; i < free.size(); ++i)
                free[i]->DockPos = Clamp32(shown[i]);

        const int size = result.RowSizes[r];
        const int rowThickness = size != 0 ? size + 4 : 0;
        std::size_t k = 0;
        for (TDockBarSlot* b : rows[r]) {
            if (!b->Shown)
                continue;
            const int pos = b->FullSize ? 0 : Clamp32(shown[k++]);
            const int length = b->FullSize ? clientLength : LengthAlong(b, In.Vertical);
            b->Bounds = In.Vertical ? QRect(Clamp32(cross), pos, rowThickness, length)
                                    : QRect(pos, Clamp32(cross), length, rowThickness);
        }
        cross += rowThickness;
    }
    result.Thickness = Clamp32(cross + (In.Vertical ? In.FrameWidth : In.FrameHeight));
    return result;
}

TRowAtPosition DockRowAtPosition(const std::vector<int>& RowSizes, int Pos) {
    const int highest = int(RowSizes.size()) - 1;
    std::int64_t y = 0;
    for (int r = 0; r <= highest + 1; ++r) {
        const int size = r <= highest ? RowSizes[std::size_t(r)] : 0;
        if (r <= highest && size == 0)
            continue;
        if (Pos < y + 5)
            return {r, true};
        if (r > highest)
            return {r, false};
        const std::int64_t end = y + size + 4;
        if (Pos < end - 5)
            return {r, false};
        y = end;
    }
    return {highest + 1, false};
}

// ---- Frames.

int DragHandleSize(bool CloseButtonWhenDocked, TDragHandleStyle Style) {
    if (CloseButtonWhenDocked)
        return 14;
    switch (Style) {
    case TDragHandleStyle::dhDouble:
        return 9;
    case TDragHandleStyle::dhNone:
        return 0;
    case TDragHandleStyle::dhSingle:
        return 6;
    }
    return 0;
}

int DragHandleOffset(bool CloseButtonWhenDocked, TDragHandleStyle Style) {
    switch (Style) {
    case TDragHandleStyle::dhDouble:
        return CloseButtonWhenDocked ? 3 : 2;
    case TDragHandleStyle::dhNone:
        return 0;
    case TDragHandleStyle::dhSingle:
        return CloseButtonWhenDocked ? 5 : 1;
    }
    return 0;
}

TFrameSize DockedFrameSize(bool Vertical, bool AllowDrag, bool CloseButtonWhenDocked,
                           TDragHandleStyle Style) {
    TFrameSize f{2, 2, 2, 2};
    if (AllowDrag) {
        const int handle = DragHandleSize(CloseButtonWhenDocked, Style);
        (Vertical ? f.Top : f.Left) += handle;
    }
    return f;
}

int FloatingBorderSize(bool Resizable) {
    return Resizable ? smFrame : smDlgFrame;
}

TFrameSize FloatingFrameSize(bool Resizable, bool ShowCaption) {
    const int b = FloatingBorderSize(Resizable);
    return {b, b + (ShowCaption ? smSmallCaption : 0), b, b};
}

QRect DockedCloseButtonRect(bool Vertical, int ClientWidth, bool CloseButtonWhenDocked,
                            TDragHandleStyle Style) {
    if (!CloseButtonWhenDocked)
        return {};
    const int side = DragHandleSize(CloseButtonWhenDocked, Style) - 3;
    return Vertical ? QRect(ClientWidth + 2 - side, 3, side, side) : QRect(3, 2, side, side);
}

QRect FloatingCaptionRect(bool Resizable, int ClientWidth, bool CloseButton) {
    const int b = FloatingBorderSize(Resizable);
    const int height = smSmallCaption - 1;
    return QRect(b, b, std::max(ClientWidth - (CloseButton ? height : 0), 0), height);
}

QRect FloatingCloseButtonRect(bool Resizable, int ClientWidth) {
    const int b = FloatingBorderSize(Resizable);
    const int side = smSmallCaption - 1;
    return QRect(b + ClientWidth - side, b, side, side);
}

// ---- Hit tests.

TDockHit FloatingHitTest(const TFloatingHitInput& In, QPoint P) {
    const int w = In.WindowSize.width(), h = In.WindowSize.height();
    const TFrameSize f = FloatingFrameSize(In.Resizable, In.ShowCaption);
    const int b = FloatingBorderSize(In.Resizable);
    if (P.x() < 0 || P.y() < 0 || P.x() >= w || P.y() >= h)
        return TDockHit::Nowhere;
    if (QRect(f.Left, f.Top, w - f.X(), h - f.Y()).contains(P))
        return TDockHit::Client;
    const int clientWidth = w - f.X();
    if (In.ShowCaption && QRect(b, b, clientWidth, smSmallCaption).contains(P)) {
        if (In.CloseButton && FloatingCloseButtonRect(In.Resizable, clientWidth).contains(P))
            return TDockHit::Close;
        return TDockHit::Client;
    }
    if (!In.Resizable)
        return TDockHit::Nowhere;
    const bool left = P.x() < b, right = P.x() >= w - b, top = P.y() < b, bottom = P.y() >= h - b;
    const int corner = smSmallCaption - 1 + b;
    const bool nearTop = In.EightCorners && P.y() < corner,
               nearBottom = In.EightCorners && P.y() >= h - corner;
    const bool nearLeft = In.EightCorners && P.x() < corner,
               nearRight = In.EightCorners && P.x() >= w - corner;
    if (left)
        return nearTop ? TDockHit::TopLeft : nearBottom ? TDockHit::BottomLeft : TDockHit::Left;
    if (right)
        return nearTop ? TDockHit::TopRight : nearBottom ? TDockHit::BottomRight : TDockHit::Right;
    if (top)
        return nearLeft ? TDockHit::TopLeft : nearRight ? TDockHit::TopRight : TDockHit::Top;
    if (bottom)
        return nearLeft ? TDockHit::BottomLeft : nearRight ? TDockHit::BottomRight : TDockHit::Bottom;
    return TDockHit::Nowhere;
}

TDockHit DockedHitTest(const QRect& CloseButton, bool HasCloseButton, QPoint P) {
    if (HasCloseButton && CloseButton.contains(P))
        return TDockHit::Close;
    return TDockHit::Client;
}

int SizingEdgeOfHit(TDockHit Hit) {
    switch (Hit) {
    case TDockHit::Left:
        return 0;
    case TDockHit::Right:
        return 1;
    case TDockHit::Top:
        return 2;
    case TDockHit::TopLeft:
        return 3;
    case TDockHit::TopRight:
        return 4;
    case TDockHit::Bottom:
        return 5;
    case TDockHit::BottomLeft:
        return 6;
    case TDockHit::BottomRight:
        return 7;
    default:
        return -1;
    }
}

QString CutCaption(const QString& Text, const QFontMetrics& Metrics, int Width) {
    if (Metrics.horizontalAdvance(Text) <= Width)
        return Text;
    QString s = Text + QStringLiteral("...");
    while (s.size() >= 5 && Metrics.horizontalAdvance(s) > Width)
        s.remove(s.size() - 4, 1);
    return s;
}

// ---- Dragging.

QRect PlaceAroundCursor(QPoint Pos, QSize Size, QPoint Grab, QSize StartMinusOne) {
    const int dx = MulDiv(Size.width() - 1, Grab.x(), StartMinusOne.width());
    const int dy = MulDiv(Size.height() - 1, Grab.y(), StartMinusOne.height());
    return QRect(Pos.x() - dx, Pos.y() - dy, Size.width(), Size.height());
}

bool DockCatches(QRect R, bool Vertical, bool Empty, QSize Candidate, QPoint Grab, QSize StartMinusOne,
                 QPoint Pos) {
    if (Empty)
        R = Vertical ? R.adjusted(-1, 0, 1, 0) : R.adjusted(0, -1, 0, 1);
    const int left = R.x(), top = R.y(), right = R.x() + R.width(), bottom = R.y() + R.height();
    const int s = MulDiv(32, Grab.x(), StartMinusOne.width());
    const int t = MulDiv(20, Grab.y(), StartMinusOne.height());
    if (!(left - (32 - s) <= Pos.x() && Pos.x() <= right - 1 + s))
        return false;
    if (Vertical && !(top <= Pos.y() && Pos.y() < bottom))
        return false;
    if (!(top - (20 - t) <= Pos.y() && Pos.y() <= bottom - 1 + t))
        return false;
    return PlaceAroundCursor(Pos, Candidate, Grab, StartMinusOne).intersects(R);
}

QRect LimitFloatingOutline(QRect O, QRect WorkArea, int BorderSize, int FrameTop) {
    const int m = BorderSize + 4;
    const QRect w = WorkArea.adjusted(m, m, -m, -m);
    const int wl = w.x(), wt = w.y(), wr = w.x() + w.width(), wb = w.y() + w.height();
    if (O.y() + O.height() < wt)
        O.translate(0, wt - (O.y() + O.height()));
    if (O.y() > wb)
        O.translate(0, wb - O.y());
    if (O.x() + O.width() < wl)
        O.translate(wl - (O.x() + O.width()), 0);
    if (O.x() > wr)
        O.translate(wr - O.x(), 0);
    const int minTop = WorkArea.y() + 4 - FrameTop;
    if (O.y() < minTop)
        O.translate(0, minTop - O.y());
    return O;
}

QRect KeepRectOnScreen(QRect R, QRect A, bool OnlyIfFullyOffscreen) {
    if (OnlyIfFullyOffscreen && R.intersects(A))
        return R;
    const int ar = A.x() + A.width(), ab = A.y() + A.height();
    if (R.x() + R.width() > ar)
        R.moveLeft(ar - R.width());
    if (R.y() + R.height() > ab)
        R.moveTop(ab - R.height());
    if (R.x() < A.x())
        R.moveLeft(A.x());
    if (R.y() < A.y())
        R.moveTop(A.y());
    return R;
}

QRect SizeRect(QRect Start, int Edge, QPoint Delta, QSize Minimum) {
    const bool left = Edge == 0 || Edge == 3 || Edge == 6;
    const bool right = Edge == 1 || Edge == 4 || Edge == 7;
    const bool top = Edge == 2 || Edge == 3 || Edge == 4;
    const bool bottom = Edge == 5 || Edge == 6 || Edge == 7;
    std::int64_t l = Start.x(), t = Start.y(), r = std::int64_t(Start.x()) + Start.width(),
                 b = std::int64_t(Start.y()) + Start.height();
    if (left)
        l += Delta.x();
    if (right)
        r += Delta.x();
    if (top)
        t += Delta.y();
    if (bottom)
        b += Delta.y();
    if (r - l < Minimum.width()) {
        if (left)
            l = r - Minimum.width();
        else
            r = l + Minimum.width();
    }
    if (b - t < Minimum.height()) {
        if (top)
            t = b - Minimum.height();
        else
            b = t + Minimum.height();
    }
    return QRect(Clamp32(l), Clamp32(t), Clamp32(r - l), Clamp32(b - t));
}

bool WantsToShow(const TShowState& S) {
    if (!S.Showing || S.HideCount > 0)
        return false;
    if (S.Docked)
        return true;
    if (S.FloatingMode == TFloatingMode::fmOnTopOfParentForm) {
        if (!S.FormExists || !S.FrameExists || S.AppMinimized || !S.FormVisible || S.FormMinimized)
            return false;
        if (!S.FrameIsForm && (!S.FrameVisible || S.FrameMinimized))
            return false;
    }
    return !S.HideWhenInactive || S.AppActive;
}
