#pragma once

// The process's own memory figures, from /proc/self.
#include <QByteArray>
#include <QFile>

namespace ProcessMemory {

// A figure of /proc/self/status in bytes: "VmRSS:" is the resident memory,
// "VmHWM:" its peak since the start or the last resetPeak().
inline qint64 statusBytes(QByteArray const& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray const& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

inline qint64 resident()
{
    return statusBytes("VmRSS:");
}

inline qint64 peak()
{
    return statusBytes("VmHWM:");
}

// Starts the peak again from the present resident memory.
inline void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace ProcessMemory
