#pragma once

#include <QObject>

#include <functional>

namespace Guard {

// Runs one handler of ours. Every failure stops here: EAbort silently, anything
// else in the exception display. Nothing ever unwinds into Qt. Returns false when
// the handler did not run to its end.
bool run(const std::function<void()> &handler) noexcept;

}

// The one way a signal reaches a handler of ours: through the guard, with the
// object that raised it as the handler's sender.
template <typename Sender, typename Signal, typename Receiver>
QMetaObject::Connection connectHandler(Sender *sender, Signal signal, Receiver *receiver,
                                       void (Receiver::*handler)(QObject *))
{
    return QObject::connect(sender, signal, receiver, [sender, receiver, handler] {
        Guard::run([&] { (receiver->*handler)(sender); });
    });
}
