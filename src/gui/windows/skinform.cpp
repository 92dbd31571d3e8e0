#include "skinform.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace SkinForm {

QRegion regionFromSkin(const QImage &skin, QColor transparent, QColor *used)
{
    if (skin.isNull()) {
        if (used)
            *used = transparent;
        return {};
    }
    // One pixel format whatever the file was (indexed GIF, RGB, ARGB), so that colours
    // compare as plain numbers.
    const QImage image = skin.convertToFormat(QImage::Format_ARGB32);
    if (!transparent.isValid())
        transparent = QColor::fromRgba(image.pixel(0, 0));
    if (used)
        *used = transparent;
    const QRgb key = transparent.rgba();

    QRegion region;
    const int rows = image.height();
    const int columns = image.width();
    for (int y = 0; y < rows; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int x = 0;
        while (x < columns) {
            while (x < columns && line[x] == key)
                ++x;
            if (x < columns) {
                const int start = x;
                while (x < columns && line[x] != key)
                    ++x;
                region += QRect(start, y, x - start, 1);
            }
        }
    }
    return region;
}

void shapeWindow(QWidget *window, const QImage &skin, QColor transparent)
{
    if (!window || skin.isNull())
        return;
    window->setFixedSize(skin.size());
    window->setMask(regionFromSkin(skin, transparent));
}

void applySkin(QWidget *window, const QImage &skin, QSize unskinnedSize)
{
    if (skin.isNull())
        window->setFixedSize(unskinnedSize);
    else
        shapeWindow(window, skin);
}

void paintSkin(QWidget *window, const QImage &skin, QColor unskinnedColour)
{
    QPainter p(window);
    if (skin.isNull())
        p.fillRect(window->rect(), unskinnedColour);
    else
        p.drawImage(0, 0, skin);
}

QImage loadSkin(const QString &resource)
{
    QImage image(resource);
    return image;
}

void centreOnScreen(QWidget *window)
{
    if (!window)
        return;
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.left() + (area.width() - window->width()) / 2,
                 area.top() + (area.height() - window->height()) / 2);
}

} // namespace SkinForm

SkinDrag::SkinDrag(QWidget *window) : QObject(window), m_window(window)
{
    watch(window);
}

void SkinDrag::watch(QWidget *handle)
{
    if (handle)
        handle->installEventFilter(this);
}

void SkinDrag::watch(std::initializer_list<QWidget *> handles)
{
    for (QWidget *h : handles)
        watch(h);
}

bool SkinDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (QWidget *grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
        QWindow *handle = m_window->windowHandle();
        if (m_systemMove && handle && handle->startSystemMove())
            return true;
        m_dragging = true;
        m_grabOffset = mouse->globalPosition().toPoint() - m_window->pos();
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_dragging)
            return false;
        if (!(mouse->buttons() & Qt::LeftButton)) {
            m_dragging = false;
            return false;
        }
        m_window->move(mouse->globalPosition().toPoint() - m_grabOffset);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !m_dragging)
            return false;
        m_dragging = false;
        return true;
    }
    default:
        return false;
    }
}
