#pragma once
// The Qt side of the message posting layer: a message target whose sink turns every status
// message posted by a worker into a TStatusEvent for a QObject, delivered on that object's
// thread in the order posted.

#include "comm/message_post.h"

#include <QEvent>

class QObject;

class TStatusEvent : public QEvent {
public:
    TStatusEvent(std::uint32_t msg, TStatusMessage message);
    static QEvent::Type eventType();

    std::uint32_t msg() const { return FMsg; }
    const TStatusMessage& message() const { return FMessage; }

private:
    std::uint32_t FMsg;
    TStatusMessage FMessage;
};

// Registers on construction, unregisters on destruction; after that no event is posted any
// more, and the events still queued go with the receiver when it is deleted.
class TQtMessageTarget {
public:
    explicit TQtMessageTarget(QObject* receiver);
    ~TQtMessageTarget();
    TQtMessageTarget(const TQtMessageTarget&) = delete;
    TQtMessageTarget& operator=(const TQtMessageTarget&) = delete;

    TWindowHandle handle() const { return FHandle; }

private:
    TWindowHandle FHandle;
};
