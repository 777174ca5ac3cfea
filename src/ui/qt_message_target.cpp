#include "ui/qt_message_target.h"

#include <QCoreApplication>

TStatusEvent::TStatusEvent(std::uint32_t msg, TStatusMessage message)
    : QEvent(eventType()), FMsg(msg), FMessage(message) {}

QEvent::Type TStatusEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TQtMessageTarget::TQtMessageTarget(QObject* receiver)
    : FHandle(registerMessageTarget([receiver](std::uint32_t msg, TStatusMessage message) {
          // Called on the worker's thread: postEvent is thread-safe and never blocks.
          QCoreApplication::postEvent(receiver, new TStatusEvent(msg, message));
      })) {}

TQtMessageTarget::~TQtMessageTarget() {
    unregisterMessageTarget(FHandle);
}
