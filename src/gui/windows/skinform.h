#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <initializer_list>

class QWidget;

// Shaped windows: a window takes its outline from a skin picture with one transparent
// colour, and is moved by dragging anywhere on its surface.
namespace SkinForm {

// The pixels of `skin` whose colour is not `transparent`, as a union of one-pixel-high
// rectangles, one per run of such pixels in a row. An invalid `transparent` means the
// colour of the pixel (0, 0); the colour actually used is handed back through `used`.
QRegion regionFromSkin(const QImage &skin, QColor transparent = {}, QColor *used = nullptr);

// Sizes `window` to its skin and gives it the skin's region as its shape. An empty skin
// leaves the window unshaped rather than invisible.
void shapeWindow(QWidget *window, const QImage &skin, QColor transparent = {});

// A skinned window's size and shape, and its picture: the skin when it loaded, otherwise
// a plain window of `unskinnedSize` painted `unskinnedColour`.
void applySkin(QWidget *window, const QImage &skin, QSize unskinnedSize);
void paintSkin(QWidget *window, const QImage &skin, QColor unskinnedColour);

// A skin from the program's resources (":/skins/notes.png"), or an empty picture.
QImage loadSkin(const QString &resource);

// Centres `window` on its screen (the primary screen when it has none yet).
void centreOnScreen(QWidget *window);

} // namespace SkinForm

// Lets the user move a frameless window by pressing the left button on any of the widgets
// it watches and dragging. The desktop moves the window when it can (a system move);
// otherwise the window follows the pointer until the button is released. Other buttons do
// nothing.
class SkinDrag : public QObject
{
    Q_OBJECT
public:
    explicit SkinDrag(QWidget *window);
    // Watches `handle` (the window itself, its background label, a heading...).
    void watch(QWidget *handle);
    void watch(std::initializer_list<QWidget *> handles);

    // Off: always follow the pointer ourselves (window managers without system moves, tests).
    void setSystemMoveAllowed(bool allowed) { m_systemMove = allowed; }
    bool dragging() const { return m_dragging; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    bool m_systemMove = true;
    bool m_dragging = false;
    QPoint m_grabOffset; // pointer position minus window position, in screen pixels
};
