#include "mainwindow/layout.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

Layout::Input roomy(int width = 15000, int height = 10000)
{
    Layout::Input in;
    in.windowWidth = width + 120;
    in.clientWidth = width;
    in.clientHeight = height;
    in.toolbarHeight = 600;
    in.statusBarHeight = 400;
    return in;
}

} // namespace

TEST(SizeControls, SplitterAndItsDragBarAreClampedToBothEdges)
{
    const Layout::Input in = roomy();
    for (const auto &[asked, x] :
         {std::pair{200, 1500}, {1500, 1500}, {4000, 4000}, {14000, in.windowWidth - 1500}})
        EXPECT_EQ(Layout::sizeControls(in, asked).splitterX, x) << asked;
    for (const auto &[asked, x] : {std::pair{-300, 500}, {499, 500}, {6000, 6000}, {11800, 11500}})
        EXPECT_EQ(Layout::dragBarLeft(asked, 12000), x) << asked;
}

TEST(SizeControls, LeftColumnPanelsAndTreeFollowTheSplitter)
{
    const Layout::Input in = roomy();
    const Layout::Result r = Layout::sizeControls(in, 2000);
    ASSERT_TRUE(r.moved);
    ASSERT_FALSE(r.widenWindow);
    for (const QRect &b : r.viewButtons)
        EXPECT_EQ(b.width(), 2000);
    EXPECT_EQ(r.viewButtons[0].top(), 720);
    EXPECT_EQ(r.viewButtons[4].top(), 2160);
    EXPECT_EQ(r.panels, QRect(2060, 720, in.windowWidth - 2240, 10000 - 1220));
    EXPECT_EQ(r.tree.top(), 2160 + 375 + 90);
    EXPECT_EQ(r.tree.height(), 10000 - (2160 + 375 + 400 + 190));
    EXPECT_EQ(r.splitter.left(), 2000);
    EXPECT_EQ(r.splitter.top(), 720);
    EXPECT_EQ(r.splitter.height(), r.panels.height());

    Layout::Input hidden = in;
    hidden.statusBarVisible = false;
    EXPECT_EQ(Layout::sizeControls(hidden, 2000).tree.height(), 10000 - (2160 + 375 + 190));
}

TEST(SizeControls, TooSmallAClientAreaMovesNothing)
{
    EXPECT_FALSE(Layout::sizeControls(roomy(11564, 9000), 2000).moved);
    EXPECT_FALSE(Layout::sizeControls(roomy(12000, 8299), 2000).moved);
    EXPECT_TRUE(Layout::sizeControls(roomy(11565, 8300), 2000).moved);
    // The clamp still applies, so the caller keeps a sane splitter position.
    EXPECT_EQ(Layout::sizeControls(roomy(11000, 8000), 100).splitterX, 1500);
}

TEST(SizeControls, ARecordPanelTooNarrowForItsColumnsWidensTheWindow)
{
    // Panel width = window width - (x + 240); the columns need 4600 + 100 + 4000.
    const Layout::Input in = roomy(12000);
    const int fits = in.windowWidth - 240 - 8700;
    EXPECT_FALSE(Layout::sizeControls(in, fits).widenWindow);
    const Layout::Result wider = Layout::sizeControls(in, fits + 1);
    EXPECT_TRUE(wider.widenWindow);
    // The splitter stands at X in this branch too: a window that cannot widen keeps its
    // boundary where the tree ends, so it can be dragged back.
    EXPECT_EQ(wider.splitter, QRect(fits + 1, 720, 60, wider.panels.height()));
    EXPECT_EQ(wider.tree.right() + 1, wider.splitter.left());
}

TEST(ResizeListview, ColumnsShareTheWidth)
{
    EXPECT_EQ(Layout::listColumnWidth(5150, 5), 1000);
    EXPECT_EQ(Layout::listColumnWidth(3000, 4), 720);
    EXPECT_EQ(Layout::listColumnWidth(5150, 0), std::nullopt);
}

TEST(ResizeListview, AColumnNeverGetsLessThanItsHeaderNeeds)
{
    const struct
    {
        const char *what;
        int listWidth;
        std::vector<int> needs;
        std::vector<int> widths;
    } cases[] = {
        {"every header fits its share",
         5150,
         {400, 900, 1000, 200, 0},
         {1000, 1000, 1000, 1000, 1000}},
        {"one wide header, the rest share what is left",
         5150,
         {400, 1600, 300, 300, 300},
         {850, 1600, 850, 850, 850}},
        {"a smaller share makes a second header too wide",
         5150,
         {900, 1900, 300, 300, 300},
         {900, 1900, 733, 733, 733}},
        {"the headers need more than the list has: it scrolls",
         3000,
         {1000, 1200, 900},
         {1000, 1200, 900}},
        {"no columns", 3000, {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Layout::listColumnWidths(c.listWidth, c.needs), c.widths);
    }
}
