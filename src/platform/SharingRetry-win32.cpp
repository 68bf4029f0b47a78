#include "platform/SharingRetry-win32.hpp"

#include <windows.h>

namespace {

constexpr ULONGLONG patienceMilliseconds = 2000;
constexpr DWORD pauseMilliseconds = 50;

bool isSharingConflict(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

bool retryWhileShared(const std::function<bool()>& attempt)
{
    const ULONGLONG deadline = ::GetTickCount64() + patienceMilliseconds;
    while (!attempt()) {
        const DWORD error = ::GetLastError();
        if (!isSharingConflict(error) || ::GetTickCount64() >= deadline) {
            ::SetLastError(error);
            return false;
        }
        ::Sleep(pauseMilliseconds);
    }
    return true;
}
