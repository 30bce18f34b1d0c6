#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#define QUILLMERE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMERE_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef QUILLMERE_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>

#include <dlfcn.h>
#include <link.h>
#endif

namespace TestSupport {

namespace {

// A "Vm...:   123 kB" line of the process status, in bytes; -1 without it.
qint64 statusBytes(QByteArray const& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray const& line : status.readAll().split('\n')) {
        if (!line.startsWith(key))
            continue;
        QList<QByteArray> const fields = line.mid(key.size()).simplified().split(' ');
        bool ok = false;
        qint64 const kilobytes = fields.value(0).toLongLong(&ok);
        return ok ? kilobytes * 1024 : -1;
    }
    return -1;
}

} // namespace

PeakMemory::PeakMemory()
{
#ifdef QUILLMERE_ADDRESS_SANITIZER
    // The address sanitizer keeps freed memory aside and adds its shadow:
    // the resident size then tells little of the program's own needs.
#else
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    // "5" restarts the high-water mark at the present resident size.
    if (reset.open(QIODevice::WriteOnly) && reset.write("5") == 1 && reset.flush())
        m_start = statusBytes("VmRSS:");
#endif
}

qint64 PeakMemory::rise() const
{
    qint64 const peak = statusBytes("VmHWM:");
    return m_start < 0 || peak < 0 ? -1 : std::max<qint64>(0, peak - m_start);
}

void isolateSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillmere.org"));
}

void clearSettings()
{
    QSettings settings;
    settings.clear();
    settings.sync();
}

QByteArray fileContents(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage noise(QSize const& size, quint32 seed)
{
    QImage image(size, QImage::Format_ARGB32);
    quint32 state = seed;
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            line[x] = state;
        }
    }
    return image;
}

bool deliverPostedEvents(int timeoutMs)
{
    // Posted events are delivered in the order they were posted; the flag
    // outlives a wait that gives up.
    auto const delivered = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        qApp, [delivered] { *delivered = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([delivered] { return *delivered; }, timeoutMs);
}

void keepGraphicsDriversLoaded()
{
#ifdef QUILLMERE_ADDRESS_SANITIZER
    // The drivers are found among the libraries loaded by now, by the
    // "<name>_dri.so" file names they all have: whichever one the X server
    // and the environment chose. Opening one again without loading it, but
    // marked never to be unloaded, keeps it and the libraries it needs.
    QList<QByteArray> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found) {
            QByteArray const name(info->dlpi_name ? info->dlpi_name : "");
            if (name.endsWith("_dri.so"))
                static_cast<QList<QByteArray>*>(found)->append(name);
            return 0;
        },
        &drivers);
    // Not from within the walk, which holds the loader's lock.
    for (QByteArray const& driver : std::as_const(drivers))
        dlopen(driver.constData(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
#endif
}

void checkLeaks()
{
#ifdef QUILLMERE_ADDRESS_SANITIZER
    __lsan_do_leak_check();
#endif
}

LeaksIgnored::LeaksIgnored()
{
#ifdef QUILLMERE_ADDRESS_SANITIZER
    __lsan_disable();
#endif
}

LeaksIgnored::~LeaksIgnored()
{
#ifdef QUILLMERE_ADDRESS_SANITIZER
    __lsan_enable();
#endif
}

} // namespace TestSupport
