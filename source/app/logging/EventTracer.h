#pragma once

#include <QList>
#include <QObject>

// Prints the events whose types KW_TRACE_EVENTS lists ("12, 2-5" traces 12, 2,
// 3, 4 and 5), with the ancestor chain of a widget receiver. Never consumes an
// event.
class EventTracer : public QObject
{
    Q_OBJECT

public:
    explicit EventTracer(QObject* parent = nullptr);

    // The traced types parsed from a variable's value. Numbers and ranges
    // outside 0..65535 (the range of event types) are ignored, so a value
    // such as "0-2000000000" cannot exhaust memory.
    static QList<int> parse(const QByteArray& value);

    QList<int> tracedTypes() const { return m_types; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<int> m_types;
};
