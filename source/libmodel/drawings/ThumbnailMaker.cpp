#include "drawings/ThumbnailMaker.h"

#include <QCoreApplication>
#include <QMutexLocker>

#include <algorithm>
#include <atomic>
#include <climits>

namespace Model {

namespace {

// Deferral scopes of the current thread: only the thread that opened one
// hands its thumbnails over.
thread_local int deferrals = 0;

std::atomic<ThumbnailMaker*> made{nullptr};

// Two workers keep up with a sheet stepped through at playback speed
// without taking the cores that compositing and painting need.
constexpr int Workers = 2;

// The coverage bytes seen as colour indices, sharing the memory of image,
// which must outlive the view. Tables shorter than 256 entries are padded
// with transparent entries so that every byte names a colour.
QImage indexedView(QImage const& image, QList<unsigned int> const& colors)
{
    QImage view(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                QImage::Format_Indexed8);
    QList<QRgb> table(colors.cbegin(), colors.cend());
    while (table.size() < 256)
        table.append(0u);
    view.setColorTable(table);
    return view;
}

} // namespace

ThumbnailMaker::Deferral::Deferral()
{
    ++deferrals;
}

ThumbnailMaker::Deferral::~Deferral()
{
    --deferrals;
}

bool ThumbnailMaker::isDeferring()
{
    return deferrals > 0;
}

ThumbnailMaker* ThumbnailMaker::instance()
{
    // Never deleted, as the off-screen renderer: work still queued when the
    // application object goes is dropped and the running work waited for.
    static ThumbnailMaker* const maker = [] {
        auto* created = new ThumbnailMaker();
        made = created;
        qAddPostRoutine([] { made.load()->stop(); });
        return created;
    }();
    return maker;
}

ThumbnailMaker::ThumbnailMaker()
{
    m_pool.setMaxThreadCount(Workers);
}

ThumbnailMaker::~ThumbnailMaker()
{
    stop();
}

void ThumbnailMaker::stop()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QImage ThumbnailMaker::make(QImage const& coverage, QSize const& size,
                            QList<unsigned int> const& colors)
{
    if (coverage.isNull() || colors.isEmpty())
        return QImage();
    QImage image = indexedView(coverage, colors)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                       .scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (image.isNull())
        return QImage();
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Thin lines shrink to faint pixels; boosting their alpha keeps them
    // readable at thumbnail size.
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            int const alpha = qAlpha(line[x]);
            if (alpha == 0)
                continue;
            QRgb const colour = qUnpremultiply(line[x]);
            line[x] = qPremultiply(qRgba(qRed(colour), qGreen(colour), qBlue(colour),
                                         std::min(255, 8 * alpha)));
        }
    }
    return image;
}

QImage ThumbnailMaker::take(quint64 owner, quint64 version, QSize const& size,
                            QList<unsigned int> const& colors, std::function<QImage()> coverage)
{
    quint64 ticket = 0;
    {
        QMutexLocker lock(&m_mutex);
        auto [first, last] = m_requests.equal_range(owner);
        for (auto it = first; it != last;) {
            Request const& request = it->second;
            // An older version of the coverage is never shown again.
            if (request.version != version) {
                it = m_requests.erase(it);
                continue;
            }
            if (request.size == size && request.colors == colors) {
                if (!request.finished)
                    return QImage();
                QImage const result = request.result;
                // A thumbnail that could not be made is not tried again
                // on every paint.
                if (!result.isNull())
                    m_requests.erase(it);
                return result;
            }
            ++it;
        }
        ticket = ++m_nextTicket;
        m_requests.emplace(owner, Request{version, size, colors, ticket, QImage(), false});
    }
    // The latest asked for first: those are the cells now in view.
    int const priority = int(std::min<quint64>(ticket, INT_MAX));
    m_pool.start(
        [this, owner, ticket, size, colors, coverage = std::move(coverage)] {
            finish(owner, ticket, make(coverage(), size, colors));
        },
        priority);
    return QImage();
}

void ThumbnailMaker::finish(quint64 owner, quint64 ticket, QImage const& result)
{
    {
        QMutexLocker lock(&m_mutex);
        auto [first, last] = m_requests.equal_range(owner);
        auto const it = std::find_if(first, last, [ticket](auto const& entry) {
            return entry.second.ticket == ticket;
        });
        // Forgotten meanwhile: the drawing changed or went away.
        if (it == last)
            return;
        it->second.result = result;
        it->second.finished = true;
    }
    emit ready();
}

void ThumbnailMaker::forget(quint64 owner)
{
    ThumbnailMaker* const maker = made.load();
    if (!maker)
        return;
    QMutexLocker lock(&maker->m_mutex);
    maker->m_requests.erase(owner);
}

bool ThumbnailMaker::isIdle() const
{
    QMutexLocker lock(&m_mutex);
    return std::none_of(m_requests.begin(), m_requests.end(),
                        [](auto const& entry) { return !entry.second.finished; });
}

bool ThumbnailMaker::hasResultsWaiting() const
{
    QMutexLocker lock(&m_mutex);
    return std::any_of(m_requests.begin(), m_requests.end(), [](auto const& entry) {
        return entry.second.finished && !entry.second.result.isNull();
    });
}

} // namespace Model
