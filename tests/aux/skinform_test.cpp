#include "aux/skinform.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A picture drawn as text, one character per pixel: '.' is the background colour that the
// top-left corner carries, '#' the panel and 'o' a second panel colour.
QImage picture(const QStringList &rows)
{
    QImage image(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows[y].size(); ++x) {
            const QChar c = rows[y][x];
            image.setPixel(x, y, c == '.' ? qRgb(255, 0, 255)
                                 : c == 'o' ? qRgb(10, 20, 30)
                                            : qRgb(250, 240, 200));
        }
    }
    return image;
}

// Every pixel is inside the region exactly when its character is not `outside`.
void expectRegionIs(const QRegion &region, const QStringList &rows, QChar outside = '.')
{
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            EXPECT_EQ(region.contains(QPoint(x, y)), rows[y][x] != outside)
                << "pixel (" << x << ", " << y << ")";
    EXPECT_TRUE(region.boundingRect().isEmpty() ||
                QRect(0, 0, int(rows.first().size()), int(rows.size()))
                    .contains(region.boundingRect()));
}

QRegion row(const QRegion &region, int y, int width)
{
    return region.intersected(QRect(0, y, width, 1));
}

} // namespace

TEST(SkinRegion, TheCornerColourIsCutOutWhereverItIsUsed)
{
    const QStringList art{
        "........",
        ".######.",
        ".#..#o#.",
        ".######.",
        "........",
    };
    QColor used;
    const QRegion region = SkinForm::regionFromSkin(picture(art), {}, &used);
    expectRegionIs(region, art);
    EXPECT_EQ(used, QColor(255, 0, 255));
    // The hole splits its row in two; the other colour is part of the panel.
    EXPECT_EQ(row(region, 2, 8).rectCount(), 2);
    EXPECT_TRUE(region.contains(QPoint(5, 2)));
}

TEST(SkinRegion, EmptyRowsAddNothingAndFullRowsOneRectangle)
{
    const QStringList art{
        "..##..",
        "######",
        "......",
        "#....#",
        ".#..#.",
    };
    const QRegion region = SkinForm::regionFromSkin(picture(art));
    expectRegionIs(region, art);
    EXPECT_TRUE(row(region, 2, 6).isEmpty());
    const QRegion full = row(region, 1, 6);
    ASSERT_EQ(full.rectCount(), 1);
    EXPECT_EQ(*full.begin(), QRect(0, 1, 6, 1));
    // One-pixel runs against both edges of the picture are kept.
    const QRegion edges = row(region, 3, 6);
    EXPECT_EQ(edges, QRegion(0, 3, 1, 1) + QRegion(5, 3, 1, 1));
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 6, 5));
}

TEST(SkinRegion, AGivenColourOverridesTheCorner)
{
    const QStringList art{
        ".#.",
        "#o#",
        "...",
    };
    QColor used;
    const QRegion region = SkinForm::regionFromSkin(picture(art), QColor(250, 240, 200), &used);
    expectRegionIs(region, art, '#');
    EXPECT_EQ(used, QColor(250, 240, 200));
}

TEST(SkinRegion, SameShapeWhateverThePictureFormat)
{
    const QStringList art{
        "......",
        ".####.",
        "##..##",
        "......",
    };
    const QImage rgb = picture(art);
    const QRegion expected = SkinForm::regionFromSkin(rgb);
    for (QImage::Format f : {QImage::Format_Indexed8, QImage::Format_ARGB32, QImage::Format_RGB888}) {
        const QImage converted = rgb.convertToFormat(f);
        EXPECT_EQ(SkinForm::regionFromSkin(converted), expected) << int(f);
    }
    expectRegionIs(expected, art);
}

TEST(SkinRegion, NoPictureGivesNoShape)
{
    EXPECT_TRUE(SkinForm::regionFromSkin(QImage()).isEmpty());
    // A one-colour picture is all background.
    EXPECT_TRUE(SkinForm::regionFromSkin(picture({"...", "..."})).isEmpty());

    QWidget w;
    w.resize(50, 40);
    SkinForm::shapeWindow(&w, QImage());
    EXPECT_TRUE(w.mask().isEmpty()); // unshaped, not invisible
    EXPECT_EQ(w.size(), QSize(50, 40));
}

TEST(SkinRegion, ShapingSizesTheWindowToItsSkin)
{
    const QStringList art{
        "....",
        ".##.",
        "####",
    };
    QWidget w;
    SkinForm::shapeWindow(&w, picture(art));
    EXPECT_EQ(w.size(), QSize(4, 3));
    EXPECT_EQ(w.mask(), SkinForm::regionFromSkin(picture(art)));
}

TEST(SkinRegion, TheProgramsSkinsAreRoundedPanelsOnTheirCornerColour)
{
    const struct
    {
        const char *file;
        QSize size;
    } skins[] = {{":/skins/notes.png", {382, 324}},
                 {":/skins/balloon.png", {330, 181}},
                 {":/skins/splash.png", {0, 0}}};
    for (const auto &s : skins) {
        const QImage skin = SkinForm::loadSkin(QString::fromLatin1(s.file));
        ASSERT_FALSE(skin.isNull()) << s.file;
        if (!s.size.isEmpty()) {
            EXPECT_EQ(skin.size(), s.size) << s.file;
        }
        const QRegion region = SkinForm::regionFromSkin(skin);
        const QRect r = skin.rect();
        for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            EXPECT_FALSE(region.contains(corner)) << s.file;
        EXPECT_TRUE(region.contains(QPoint(r.width() / 2, r.height() / 3))) << s.file;
        // Most of the picture is window.
        qint64 area = 0;
        for (const QRect &rect : region)
            area += qint64(rect.width()) * rect.height();
        EXPECT_GT(area, qint64(r.width()) * r.height() * 3 / 4) << s.file;
    }
}

// ---------------------------------------------------------------------------

class SkinDragTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.setGeometry(100, 100, 200, 150);
        heading = new QLabel(QStringLiteral("Heading"), &window);
        heading->setGeometry(0, 0, 200, 20);
        list = new QListWidget(&window);
        list->setGeometry(0, 30, 200, 100);
        drag = new SkinDrag(&window);
        drag->setSystemMoveAllowed(false);
        drag->watch(heading);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        start = window.pos();
    }

    // Sends one mouse event to `target` with the pointer at `global` on the screen.
    static void mouse(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                      Qt::MouseButtons held, QPoint global)
    {
        QMouseEvent e(type, QPointF(target->mapFromGlobal(global)), QPointF(global), button,
                      held, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
    // Presses `button` at `from` (in target's coordinates), moves the pointer by `by` with it
    // held, releases.
    static void dragWith(QWidget *target, Qt::MouseButton button, QPoint from, QPoint by)
    {
        const QPoint g = target->mapToGlobal(from);
        mouse(target, QEvent::MouseButtonPress, button, button, g);
        mouse(target, QEvent::MouseMove, Qt::NoButton, button, g + by / 2);
        mouse(target, QEvent::MouseMove, Qt::NoButton, button, g + by);
        mouse(target, QEvent::MouseButtonRelease, button, Qt::NoButton, g + by);
    }

    QWidget window;
    QLabel *heading = nullptr;
    QListWidget *list = nullptr;
    SkinDrag *drag = nullptr;
    QPoint start;
};

TEST_F(SkinDragTest, OnlyTheLeftButtonMovesTheWindow)
{
    dragWith(&window, Qt::RightButton, QPoint(50, 140), QPoint(40, 25));
    EXPECT_EQ(window.pos(), start);
    EXPECT_FALSE(drag->dragging());
    dragWith(&window, Qt::MiddleButton, QPoint(50, 140), QPoint(40, 25));
    EXPECT_EQ(window.pos(), start);

    // A press starts the move and the window follows the pointer from where it was, so it
    // does not jump to the pointer.
    const QPoint g = window.mapToGlobal(QPoint(50, 140));
    mouse(&window, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, g);
    EXPECT_TRUE(drag->dragging());
    mouse(&window, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, g);
    EXPECT_EQ(window.pos(), start);
    mouse(&window, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, g + QPoint(40, 25));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
    mouse(&window, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, g + QPoint(40, 25));
    EXPECT_FALSE(drag->dragging());

    // After the release, moving the pointer leaves the window alone.
    const QPoint moved = window.pos();
    mouse(&window, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, g + QPoint(90, 90));
    EXPECT_EQ(window.pos(), moved);
}

TEST_F(SkinDragTest, ARightPressDuringADragNeitherStopsNorStartsOne)
{
    const QPoint g = heading->mapToGlobal(QPoint(5, 5));
    mouse(heading, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, g);
    mouse(heading, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, g);
    EXPECT_FALSE(drag->dragging());
    mouse(heading, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, g);
    mouse(heading, QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, g);
    EXPECT_TRUE(drag->dragging());
    mouse(heading, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, g + QPoint(20, 10));
    EXPECT_EQ(window.pos(), start + QPoint(20, 10));
    mouse(heading, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, g + QPoint(20, 10));
    EXPECT_FALSE(drag->dragging());
}

TEST_F(SkinDragTest, WatchedChildrenDragButOtherControlsKeepTheirPresses)
{
    dragWith(heading, Qt::LeftButton, QPoint(5, 5), QPoint(-30, 12));
    EXPECT_EQ(window.pos(), start + QPoint(-30, 12));

    const QPoint before = window.pos();
    list->addItems({QStringLiteral("a"), QStringLiteral("b")});
    dragWith(list->viewport(), Qt::LeftButton, QPoint(5, 5), QPoint(30, 30));
    EXPECT_EQ(window.pos(), before);
}
