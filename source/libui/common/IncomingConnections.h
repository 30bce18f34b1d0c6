#pragma once

#include <initializer_list>

class QObject;

namespace UI {

// A widget's base-class destructors delete its children, and those still emit
// on the way (focus moves, hover leaves, header geometry). A slot of the
// half-destroyed widget must not run then, nor one connected to a sender that
// outlives it (the application, the clipboard, the settings): a destructor
// cuts those connections first.
class IncomingConnections
{
public:
    // Disconnects every signal of the receiver itself, of the given senders
    // and of all their descendants from the receiver's slots and functors.
    static void cut(QObject* receiver, std::initializer_list<QObject const*> senders = {});
};

} // namespace UI
