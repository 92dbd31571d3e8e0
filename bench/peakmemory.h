#pragma once

// The process's memory as Linux counts it in /proc/self/status, and setting its high-water
// mark back, so that each benchmark reports the peak of its own work.

#include <QByteArray>
#include <QFile>
#include <cstring>

// A "Name:  1234 kB" line of /proc/self/status, in kB; 0 when it cannot be read.
inline long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// VmHWM starts again from what is resident now.
inline void resetPeakMemory()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

inline double peakMemoryMB() { return double(statusKb("VmHWM:")) / 1024.0; }
