#pragma once

#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QThreadPool>

#include <functional>
#include <map>

namespace Model {

// Makes the thumbnails of stroke drawings. A thumbnail takes a pass over the
// drawing's whole coverage, which costs a view that shows many new cells at
// once (the exposure sheet while stepping through a long scene) more than
// the rest of a step; such a view lets the thumbnails it lacks be made on
// worker threads while it goes on, and paints them once ready() says so.
//
// Results are kept by the drawing's number and coverage version, the size
// and the colour table, so that a drawing changed or gone meanwhile never
// receives a stale one. The maker is made on the GUI thread (ready() is
// delivered there); its functions may be called from any thread.
class ThumbnailMaker : public QObject
{
    Q_OBJECT

public:
    static ThumbnailMaker* instance();

    // While one lives, on the thread that made it, drawings asked for a
    // thumbnail they have not made yet hand the work to this maker and
    // answer a null image; scopes nest.
    class Deferral
    {
    public:
        Deferral();
        ~Deferral();
        Deferral(Deferral const&) = delete;
        Deferral& operator=(Deferral const&) = delete;
    };
    static bool isDeferring();

    // The thumbnail of 8-bit coverage through the colour table, fitted into
    // size, with faint coverage made stronger so that thin lines stay
    // visible. Safe on any thread.
    static QImage make(QImage const& coverage, QSize const& size, QList<unsigned int> const& colors);

    // The finished thumbnail of owner's coverage version at that size and in
    // those colours, handed over once; otherwise a null image, and the work
    // is started unless it already runs. coverage gives the coverage on a
    // worker thread, so it must hold its own copy of what it reads.
    QImage take(quint64 owner, quint64 version, QSize const& size, QList<unsigned int> const& colors,
                std::function<QImage()> coverage);
    // Drops what was made or is being made for owner; nothing to do while no
    // maker was ever used.
    static void forget(quint64 owner);
    // No work waits or runs.
    bool isIdle() const;
    // Thumbnails were made that no one has taken yet.
    bool hasResultsWaiting() const;

signals:
    // Thumbnails were finished since the last signal: views ask again.
    void ready();

private:
    ThumbnailMaker();
    ~ThumbnailMaker() override;

    struct Request
    {
        quint64 version = 0;
        QSize size;
        QList<unsigned int> colors;
        quint64 ticket = 0;
        QImage result;
        bool finished = false;
    };
    void finish(quint64 owner, quint64 ticket, QImage const& result);
    void stop();

    QThreadPool m_pool;
    mutable QMutex m_mutex;
    std::multimap<quint64, Request> m_requests;
    quint64 m_nextTicket = 0;
};

} // namespace Model
