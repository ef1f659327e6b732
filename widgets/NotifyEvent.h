// SPDX-License-Identifier: MIT
#pragma once
// Notification events of the visual components: a callable taking the sender.

#include <functional>

namespace morlith {

// A notification taking the object that sends it; an empty one is skipped.
template <class TSender>
using TNotifyEvent = std::function<void(TSender *sender)>;

// Calls `event` with `sender` if it is assigned. The handler runs from a copy, so it may
// destroy the sender (and with it the event member) while it runs.
template <class TSender>
void Fire(const TNotifyEvent<TSender> &event, TSender *sender)
{
    if (!event)
        return;
    const TNotifyEvent<TSender> handler = event;
    handler(sender);
}

} // namespace morlith
