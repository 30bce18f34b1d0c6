#include "logging/EventTracer.h"

#include <QDebug>
#include <QEvent>
#include <QWidget>

namespace {
constexpr int MaxEventType = 65535;

bool toEventType(const QByteArray& text, int* out)
{
    bool ok = false;
    const int n = text.toInt(&ok, 10);
    if (!ok || n < 0 || n > MaxEventType)
        return false;
    *out = n;
    return true;
}
} // namespace

EventTracer::EventTracer(QObject* parent)
    : QObject(parent)
    , m_types(parse(qgetenv("KW_TRACE_EVENTS")))
{
}

QList<int> EventTracer::parse(const QByteArray& value)
{
    QList<int> types;
    for (const QByteArray& raw : value.split(',')) {
        const QByteArray item = raw.simplified();
        int n = 0;
        if (toEventType(item, &n)) {
            types << n;
            continue;
        }
        if (!item.contains('-'))
            continue;
        const QList<QByteArray> parts = item.split('-');
        int a = 0;
        int b = 0;
        if (parts.size() == 2 && toEventType(parts[0], &a) && toEventType(parts[1], &b) && a <= b) {
            for (int t = a; t <= b; ++t)
                types << t;
        }
    }
    return types;
}

bool EventTracer::eventFilter(QObject* watched, QEvent* event)
{
    if (m_types.isEmpty() || !m_types.contains(int(event->type())))
        return false;

    qDebug() << event << "->" << watched;

    if (auto* widget = qobject_cast<QWidget*>(watched)) {
        QList<QObject*> chain;
        for (QObject* o = widget; o; o = o->parent())
            chain.prepend(o);
        for (int i = 0; i < chain.size(); ++i) {
            const QString prefix = i == 0 ? QStringLiteral("| ")
                                          : QStringLiteral("|") + QString(2 * i - 1, QLatin1Char(' '))
                                                + QStringLiteral("`-");
            qDebug().nospace().noquote() << prefix << chain[i];
        }
    }
    return false;
}
