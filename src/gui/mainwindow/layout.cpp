#include "layout.h"

#include <algorithm>

namespace Layout {

Result sizeControls(const Input &in, int x)
{
    Result r;
    if (x < kSplitterMargin)
        x = kSplitterMargin;
    if (x > in.windowWidth - kSplitterMargin)
        x = in.windowWidth - kSplitterMargin;
    r.splitterX = x;
    if (in.clientHeight < kMinClientHeight || in.clientWidth < kMinClientWidth)
        return r;
    r.moved = true;

    for (int i = 0; i < kViewButtonCount; ++i)
        r.viewButtons[i] = QRect(0, kViewButtonTop + i * kViewButtonStep, x, kViewButtonHeight);
    const QRect &lowest = r.viewButtons[kViewButtonCount - 1];

    const int treeWidth = x;
    r.panels = QRect(x + 60, kViewButtonTop, in.windowWidth - (treeWidth + 240),
                     in.clientHeight - (in.toolbarHeight + in.statusBarHeight + 220));

    const int status = in.statusBarVisible ? in.statusBarHeight : 0;
    const int treeTop = lowest.top() + lowest.height() + 90;
    r.tree = QRect(0, treeTop, treeWidth,
                   in.clientHeight - (lowest.top() + lowest.height() + status + 190));

    r.splitter = QRect(x, kViewButtonTop, 60, r.panels.height());
    r.widenWindow = kUserNameRight + 100 > r.panels.width() - kTrackingFromRight;
    return r;
}

int dragBarLeft(int p, int windowWidth)
{
    if (p < kDragMargin)
        return kDragMargin;
    if (p > windowWidth - kDragMargin)
        return windowWidth - kDragMargin;
    return p;
}

std::optional<int> listColumnWidth(int listWidth, int columns)
{
    if (columns <= 0)
        return std::nullopt;
    return listWidth / columns - 30;
}

std::vector<int> listColumnWidths(int listWidth, const std::vector<int> &needs)
{
    const size_t n = needs.size();
    std::vector<int> widths(n, 0);
    std::vector<bool> ownWidth(n, false);
    int room = listWidth - 30 * int(n); // what the columns share
    size_t sharing = n;
    while (sharing > 0) {
        // A column fixed at its need only lowers the share of the rest, so every column over
        // the share of this round is over the next one's too.
        const int share = room / int(sharing);
        bool fixed = false;
        for (size_t c = 0; c < n; ++c) {
            if (!ownWidth[c] && needs[c] > share) {
                ownWidth[c] = true;
                room -= needs[c];
                --sharing;
                fixed = true;
            }
        }
        if (!fixed) {
            for (size_t c = 0; c < n; ++c)
                widths[c] = ownWidth[c] ? needs[c] : share;
            return widths;
        }
    }
    return needs;
}

} // namespace Layout
