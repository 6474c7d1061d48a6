#pragma once

#include <functional>

// Waits that keep the window alive: pending events (clicks, timers, socket
// data) run while the wait lasts. Used wherever a wait may be long enough for
// an operator to notice, so that Stop is never held up.

// Waits `ms` milliseconds while events run. Returns at once for ms <= 0.
void WaitWithEvents(double ms);

// As above, but returns early, within about 10 ms, once `abort` answers true.
// Returns true when the full time elapsed, false when aborted.
bool WaitWithEventsUnless(double ms, const std::function<bool()>& abort);

// Runs the events that are pending now, without waiting for new ones.
void ProcessPendingEvents();
