#pragma once

#include <functional>

// Windows only. Another program may hold a file open without sharing for a moment, as a virus
// scanner or a sync client does, and the system then refuses with a sharing or lock violation.
// Runs `attempt` again while it is refused so, every 50 ms for about two seconds. `attempt`
// returns false with the system's error set; the result is that of the last attempt, with its
// error still set.
bool retryWhileShared(const std::function<bool()>& attempt);
