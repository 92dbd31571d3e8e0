#pragma once

#include <QCursor>
#include <QGuiApplication>
#include <vector>

// The hourglass for the length of a scope; the pointer comes back however the scope ends.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The normal pointer for the length of a scope, whatever hourglasses are up: a box that
// waits for the user. They come back, in their order, however the scope ends.
class NormalPointer
{
public:
    NormalPointer()
    {
        while (const QCursor *up = QGuiApplication::overrideCursor()) {
            m_lifted.push_back(*up);
            QGuiApplication::restoreOverrideCursor();
        }
    }
    ~NormalPointer()
    {
        for (auto it = m_lifted.rbegin(); it != m_lifted.rend(); ++it)
            QGuiApplication::setOverrideCursor(*it);
    }
    NormalPointer(const NormalPointer &) = delete;
    NormalPointer &operator=(const NormalPointer &) = delete;

private:
    std::vector<QCursor> m_lifted;
};
