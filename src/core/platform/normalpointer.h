#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <vector>

// The normal pointer for the length of a scope, whatever hourglasses are up: a box that
// waits for the user. They come back, in their order, however the scope ends. Without a
// desktop application there is no pointer to lift.
class NormalPointer
{
public:
    NormalPointer()
    {
        if (!hasPointer())
            return;
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

    // Whether the hourglass is up now.
    static bool busy() { return hasPointer() && QGuiApplication::overrideCursor() != nullptr; }

private:
    static bool hasPointer() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()); }
    std::vector<QCursor> m_lifted;
};
