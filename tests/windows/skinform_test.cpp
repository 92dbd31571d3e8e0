#include "windows/skinform.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A picture drawn as text, one character per pixel: '.' is the background colour (the
// top-left corner's), '#' the panel and 'o' a second panel colour.
QImage picture(const QStringList &rows)
{
    QImage image(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            image.setPixel(x, y,
                           rows[y][x] == '.'   ? qRgb(255, 0, 255)
                           : rows[y][x] == 'o' ? qRgb(10, 20, 30)
                                               : qRgb(250, 240, 200));
    return image;
}

// Every pixel is inside the region exactly when its character is not `outside`.
void expectRegionIs(const QRegion &region, const QStringList &rows, QChar outside = '.')
{
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            EXPECT_EQ(region.contains(QPoint(x, y)), rows[y][x] != outside) << x << "," << y;
    EXPECT_TRUE(
        QRect(0, 0, int(rows[0].size()), int(rows.size())).contains(region.boundingRect()) ||
        region.isEmpty());
}

} // namespace

TEST(SkinRegion, TheCornerColourIsCutOutInAnyPictureFormatAndNoPictureLeavesTheWindowUnshaped)
{
    // A hole and a second panel colour; an empty row, full rows and pixels on the edges.
    const QStringList arts[] = {{"........", ".######.", ".#..#o#.", ".######.", "........"},
                                {"..##..", "######", "......", "#....#", ".#..#."}};
    for (const QStringList &art : arts) {
        for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_Indexed8,
                                 QImage::Format_ARGB32, QImage::Format_RGB888}) {
            SCOPED_TRACE(int(f));
            QColor used;
            expectRegionIs(SkinForm::regionFromSkin(picture(art).convertToFormat(f), {}, &used),
                           art);
            EXPECT_EQ(used, QColor(255, 0, 255));
        }
    }
    // A colour given by the caller wins over the corner.
    QColor used;
    expectRegionIs(SkinForm::regionFromSkin(picture(arts[0]), QColor(250, 240, 200), &used),
                   arts[0], '#');
    EXPECT_EQ(used, QColor(250, 240, 200));
    EXPECT_TRUE(SkinForm::regionFromSkin(QImage()).isEmpty());
    EXPECT_TRUE(SkinForm::regionFromSkin(picture({"...", "..."})).isEmpty());
    // Without a skin a window keeps its size and stays unshaped rather than invisible.
    QWidget w;
    w.resize(50, 40);
    SkinForm::shapeWindow(&w, QImage());
    EXPECT_TRUE(w.mask().isEmpty());
    EXPECT_EQ(w.size(), QSize(50, 40));
    const QStringList art{"......", ".####.", "##..##", "......"};
    SkinForm::shapeWindow(&w, picture(art));
    EXPECT_EQ(w.size(), QSize(6, 4));
    EXPECT_EQ(w.mask(), SkinForm::regionFromSkin(picture(art)));
}

TEST(SkinRegion, TheProgramsSkinsAreRoundedPanelsOnTheirCornerColour)
{
    for (const char *file : {":/skins/notes.png", ":/skins/balloon.png", ":/skins/splash.png"}) {
        const QImage skin = SkinForm::loadSkin(QString::fromLatin1(file));
        ASSERT_FALSE(skin.isNull()) << file;
        const QRegion region = SkinForm::regionFromSkin(skin);
        const QRect r = skin.rect();
        for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            EXPECT_FALSE(region.contains(corner)) << file;
        qint64 area = 0;
        for (const QRect &rect : region)
            area += qint64(rect.width()) * rect.height();
        EXPECT_GT(area, qint64(r.width()) * r.height() * 3 / 4) << file;
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
    // One mouse event to `target` with the pointer at `global` on the screen.
    static void mouse(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                      Qt::MouseButtons held, QPoint global)
    {
        QMouseEvent e(type, QPointF(target->mapFromGlobal(global)), QPointF(global), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
    // Presses `button` on `target`, moves the pointer by `by` with it held, releases.
    static void dragWith(QWidget *target, Qt::MouseButton button, QPoint by)
    {
        const QPoint g = target->mapToGlobal(QPoint(5, 5));
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

TEST_F(SkinDragTest, OnlyTheLeftButtonMovesTheWindowFromItOrAWatchedChild)
{
    // A right press does not even begin a move (a desktop move would follow any button).
    mouse(&window, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton,
          window.mapToGlobal(QPoint(5, 5)));
    EXPECT_FALSE(drag->dragging());
    mouse(&window, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton,
          window.mapToGlobal(QPoint(5, 5)));
    dragWith(&window, Qt::RightButton, QPoint(40, 25));
    dragWith(&window, Qt::MiddleButton, QPoint(40, 25));
    EXPECT_EQ(window.pos(), start);
    EXPECT_FALSE(drag->dragging());

    // The window follows the pointer from where it was, without jumping to it; a right
    // release on the way does not end the move.
    const QPoint g = window.mapToGlobal(QPoint(50, 140));
    mouse(&window, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, g);
    mouse(&window, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, g);
    EXPECT_EQ(window.pos(), start);
    mouse(&window, QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, g);
    mouse(&window, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, g + QPoint(40, 25));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
    mouse(&window, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, g + QPoint(40, 25));
    EXPECT_FALSE(drag->dragging());
    mouse(&window, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, g + QPoint(90, 90));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
    // Watched children drag too; other controls keep their presses.
    dragWith(heading, Qt::LeftButton, QPoint(-30, 12));
    EXPECT_EQ(window.pos(), start + QPoint(10, 37));
    list->addItems({QStringLiteral("a"), QStringLiteral("b")});
    dragWith(list->viewport(), Qt::LeftButton, QPoint(30, 30));
    EXPECT_EQ(window.pos(), start + QPoint(10, 37));
}
