#include "ui/ToolbarCore.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// Sizes beyond this are not laid out any further (a widget is never larger).
constexpr std::int64_t MaxExtent = 1 << 24;

int ClampExtent(std::int64_t V) {
    return int(std::clamp<std::int64_t>(V, 0, MaxExtent));
}

int SepLength(const TToolbarItem& It, bool Vertical) {
    return std::max(Vertical ? It.SizeVert : It.SizeHorz, 1);
}

} // namespace

std::vector<TToolbarGroup> BuildToolbarGroups(const std::vector<TToolbarItem>& Items) {
    std::vector<TToolbarGroup> groups;
    bool open = false;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (!open) {
            groups.emplace_back();
            open = true;
        }
        TToolbarGroup& g = groups.back();
        g.Items.push_back(int(i));
        if (Items[i].Separator) {
            open = false;
        } else {
            g.Width = ClampExtent(std::int64_t(g.Width) + std::max(Items[i].Width, 0));
            g.Height = ClampExtent(std::int64_t(g.Height) + std::max(Items[i].Height, 0));
        }
    }
    return groups;
}

int ToolbarDockedThickness(const std::vector<TToolbarItem>& Items, int DockType) {
    int t = 8;
    for (const TToolbarItem& it : Items)
        if (!it.Separator)
            t = std::max(t, DockType == 2 ? it.Width : it.Height);
    return t;
}

QSize LayOutToolbar(std::vector<TToolbarItem>& Items, const TToolbarLayoutInput& Input,
                    std::vector<TToolbarRowLine>* Lines) {
    const bool floating = Input.DockType == 0;
    const bool vertical = Input.DockType == 2;
    const bool apply = Input.Apply;

    // The wrap limit, raised so that every control fits a row on its own.
    std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    if (floating && Input.WrapWidth > 0) {
        limit = Input.WrapWidth;
        for (const TToolbarItem& it : Items)
            if (!it.Separator)
                limit = std::max<std::int64_t>(limit, std::int64_t(it.Width) + 8);
    }

    const int thickness = ToolbarDockedThickness(Items, Input.DockType);
    const int crossSize = Input.CrossSize > 0 ? Input.CrossSize : thickness;
    const std::vector<TToolbarGroup> groups = BuildToolbarGroups(Items);
    if (apply && Lines)
        Lines->clear();

    const int leftMargin = floating ? 4 : 0;
    const int rightMargin = floating ? 4 : 0;
    const int topMargin = floating ? 2 : 0;
    const int bottomMargin = floating ? 1 : 0;

    std::int64_t pos = leftMargin;
    std::int64_t cross = topMargin;
    std::int64_t widest = leftMargin;
    bool breakPending = false;
    // The row holds a control (not only separators).
    bool rowHasControl = false;
    // The separators after the row's last control, and the widest row before the first of them.
    std::vector<std::size_t> trailingSeps;
    std::int64_t widestBeforeSeps = leftMargin;

    for (const TToolbarGroup& g : groups) {
        const bool hasControl = std::any_of(g.Items.begin(), g.Items.end(),
                                            [&](int i) { return !Items[std::size_t(i)].Separator; });
        if (floating && (breakPending || pos + g.Width + rightMargin > limit)) {
            if (!hasControl) {
                // Separators alone (a group whose buttons are hidden) never make a row: they stay at
                // the end of this one and the break waits for the next control.
                breakPending = true;
            } else {
                breakPending = false;
                pos = leftMargin;
                // The separators that end the row shrink to nothing where its last control ends and
                // no longer count for the widest row; the row line takes the last one's Blank.
                if (!trailingSeps.empty()) {
                    widest = widestBeforeSeps;
                    if (apply)
                        for (std::size_t i : trailingSeps) {
                            QRect& b = Items[i].Bounds;
                            b = QRect(Items[trailingSeps.front()].Bounds.x(), b.y(), 0, b.height());
                        }
                }
                // A row of separators alone is not kept: the next controls start at its place.
                if (rowHasControl) {
                    cross += thickness + 6;
                    if (apply && Lines && !trailingSeps.empty())
                        Lines->push_back({std::int16_t(std::clamp<std::int64_t>(cross, 0, 32767)),
                                          Items[trailingSeps.back()].Blank});
                }
                rowHasControl = false;
                trailingSeps.clear();
            }
        }
        for (int idx : g.Items) {
            TToolbarItem& it = Items[std::size_t(idx)];
            const int w = std::max(it.Width, 0);
            const int h = std::max(it.Height, 0);
            const int length = it.Separator ? SepLength(it, vertical) : (vertical ? h : w);
            if (floating && !it.Separator && pos + length + rightMargin > limit) {
                pos = leftMargin;
                cross += thickness;
                breakPending = true;
            }
            if (apply) {
                const int p = ClampExtent(pos);
                const int c = ClampExtent(cross);
                if (it.Separator) {
                    it.Bounds = vertical ? QRect(c, p, crossSize, length) : QRect(p, c, length, crossSize);
                } else if (vertical) {
                    it.Bounds = QRect(c + (crossSize - w) / 2, p, w, h);
                } else {
                    it.Bounds = QRect(p, c + (crossSize - h) / 2, w, h);
                }
            }
            if (it.Separator) {
                if (trailingSeps.empty())
                    widestBeforeSeps = widest;
                trailingSeps.push_back(std::size_t(idx));
            } else {
                rowHasControl = true;
                trailingSeps.clear();
            }
            pos += length;
            widest = std::max(widest, pos);
        }
    }
    if (groups.empty())
        widest = leftMargin + 8;

    const int length = ClampExtent(widest + rightMargin);
    const int across = ClampExtent(cross + thickness + bottomMargin);
    return vertical ? QSize(across, length) : QSize(length, across);
}

std::vector<QSize> BuildToolbarFloatingSizes(std::vector<TToolbarItem>& Items) {
    const int smallest = ToolbarDockedThickness(Items, 0) + 8;
    TToolbarLayoutInput in;
    in.DockType = 0;
    in.WrapWidth = 0;
    std::vector<QSize> list{LayOutToolbar(Items, in)};
    int x = list.front().width() - 1;
    while (x >= smallest) {
        in.WrapWidth = x;
        const QSize s = LayOutToolbar(Items, in);
        if (s.width() > x)
            break;
        if (s.width() == x) {
            // A narrower arrangement of the same height replaces the wider one.
            if (list.size() >= 2 && list.back().height() == s.height())
                list.pop_back();
            if (std::find(list.begin(), list.end(), s) == list.end())
                list.push_back(s);
            --x;
        } else {
            x = s.width();
        }
    }
    return list;
}

// ---- Sizing

TToolbarSizing::TToolbarSizing(int Edge, const std::vector<QSize>& ClientSizes, QSize Frame, int FrameLeft,
                               QSize Current, int CurrentWrap)
    : FEdge(Edge), FHorizontal(Edge == 0 || Edge == 1), FFrameLeft(FrameLeft), FWrapWidth(CurrentWrap) {
    for (const QSize& s : ClientSizes)
        FSizes.push_back(s + Frame);
    if (!FSizes.empty())
        FOneRow = FSizes.front();
    std::stable_sort(FSizes.begin(), FSizes.end(),
                     [this](QSize a, QSize b) { return Extent(a) > Extent(b); });
    const auto at = std::find(FSizes.begin(), FSizes.end(), Current);
    if (at != FSizes.end()) {
        const std::size_t i = std::size_t(at - FSizes.begin());
        auto lower = [&](std::size_t j) {
            FSensitivity = std::min(FSensitivity, std::max(std::abs(Extent(FSizes[j]) - Extent(*at)) - 1, 0));
        };
        if (i > 0)
            lower(i - 1);
        if (i + 1 < FSizes.size())
            lower(i + 1);
    }
}

QRect TToolbarSizing::Step(const QRect& Requested, const QRect& Start) {
    if (FSizes.empty())
        return Start;
    int request = Extent(Requested.size());
    const int current = Extent(Start.size());
    const int direction = request > current ? 1 : request < current ? -1 : 0;
    if (!(FSnapped && direction == FLastDirection) && request >= current - FSensitivity &&
        request < current + FSensitivity)
        request = current;
    const bool growing = request > current;
    const int n = int(FSizes.size());
    int k;
    if (growing) {
        // The smallest arrangement larger than the request.
        k = 0;
        for (int i = 0; i < n; ++i)
            if (i == 0 || Extent(FSizes[std::size_t(i)]) > request)
                k = i;
    } else {
        // The largest arrangement that fits the request.
        k = n - 1;
        for (int i = n - 1; i >= 0; --i)
            if (i == n - 1 || Extent(FSizes[std::size_t(i)]) <= request)
                k = i;
    }
    const QSize size = FSizes[std::size_t(k)];
    QRect r(Start.topLeft(), size);
    if (FEdge == 0)
        r.moveLeft(Start.x() + Start.width() - size.width());
    else if (FEdge == 2 || FEdge == 3 || FEdge == 4)
        r.moveTop(Start.y() + Start.height() - size.height());
    FWrapWidth = size == FOneRow ? 0 : size.width() - 2 * FFrameLeft;
    FSnapped = r != Start;
    FLastDirection = direction;
    return r;
}
