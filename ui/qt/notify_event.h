#pragma once

#include <functional>

class QObject;

namespace ornavox {

// An event handler bound by the owner; receives the control that raised it.
// Unassigned handlers are skipped.
using TNotifyEvent = std::function<void(QObject* sender)>;

} // namespace ornavox
