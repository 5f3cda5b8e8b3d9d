#pragma once
// The ink of a menu item's text in a grabbed menu: the columns of its dark pixels, so a test sees on
// which side of the menu the text stands.

#include <QImage>
#include <QRect>

#include <algorithm>
#include <utility>

namespace kdstest {

// The leftmost and rightmost columns of the dark pixels inside Item; (width, -1) when there are none.
inline std::pair<int, int> InkColumns(const QImage& Image, const QRect& Item) {
    int left = Image.width(), right = -1;
    for (int y = Item.top(); y <= Item.bottom(); ++y)
        for (int x = Item.left(); x <= Item.right(); ++x)
            if (qGray(Image.pixel(x, y)) < 100) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

} // namespace kdstest
