#include "common/IncomingConnections.h"

#include <QObject>

namespace UI {

namespace {

void cutFromTree(QObject const* sender, QObject* receiver)
{
    QObject::disconnect(sender, nullptr, receiver, nullptr);
    for (QObject const* child : sender->findChildren<QObject*>())
        QObject::disconnect(child, nullptr, receiver, nullptr);
}

} // namespace

void IncomingConnections::cut(QObject* receiver, std::initializer_list<QObject const*> senders)
{
    if (!receiver)
        return;
    cutFromTree(receiver, receiver);
    for (QObject const* sender : senders) {
        if (sender)
            cutFromTree(sender, receiver);
    }
}

} // namespace UI
