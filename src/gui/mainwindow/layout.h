#pragma once

#include <QRect>
#include <optional>
#include <vector>

// The main window's layout rules, in twips, as plain functions of the sizes involved.
namespace Layout {

constexpr int kMinWindowWidth = 3000;
constexpr int kMinClientWidth = 11565;
constexpr int kMinClientHeight = 8300;
constexpr int kSplitterMargin = 1500; // the splitter keeps this far from both window edges
constexpr int kDragMargin = 500;      // the drag bar keeps this far from both edges
constexpr int kViewButtonTop = 720;
constexpr int kViewButtonStep = 360;
constexpr int kViewButtonHeight = 375;
constexpr int kViewButtonCount = 5;
// The record panel's two columns, relative to the panel: the User Name field's right edge,
// and the Tracking Number field's distance from the panel's right edge.
constexpr int kUserNameRight = 4600;
constexpr int kTrackingFromRight = 4000;

struct Input
{
    int windowWidth = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int toolbarHeight = 0;
    int statusBarHeight = 0;
    bool statusBarVisible = true;
};

struct Result
{
    int splitterX = 0;        // X after clamping
    bool moved = false;       // false: the client area is too small and nothing moves
    bool widenWindow = false; // true: widen the window by 200 and lay out again
    QRect viewButtons[kViewButtonCount];
    QRect tree;
    QRect panels;
    QRect splitter; // at X in both branches, so the boundary can always be dragged back
};

// The whole layout for splitter position x.
Result sizeControls(const Input &in, int x);

// Where the drag bar goes for a pointer at `p` (splitter left + mouse x).
int dragBarLeft(int p, int windowWidth);

// The width of each of `columns` columns in a list `listWidth` wide; nothing for a list
// without columns.
std::optional<int> listColumnWidth(int listWidth, int columns);

// The widths of a list's columns, one per header width in `needs`: the equal shares above,
// except that no column gets less than its header needs. Those take their need and the
// others share what is left; where the headers need more than the list has, each gets its
// need and the list scrolls sideways.
std::vector<int> listColumnWidths(int listWidth, const std::vector<int> &needs);

} // namespace Layout
