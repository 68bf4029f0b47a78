#include "platform/WholeFile.hpp"

#include "platform/SharingRetry-win32.hpp"
#include "text/Utf16.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <windows.h>

namespace {

// The system's message for an error, in the system's language, without its full stop and line
// end, so it reads like the end of the game's own sentence.
std::string systemReason(DWORD error)
{
    std::array<wchar_t, 512> text{};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        text.data(), static_cast<DWORD>(text.size()), nullptr);
    std::wstring_view message(text.data(), length);
    while (!message.empty() && std::wstring_view(L"\r\n .").find(message.back()) != std::wstring_view::npos) {
        message.remove_suffix(1);
    }
    return message.empty() ? "error " + std::to_string(error)
                           : utf16ToUtf8(std::u16string(message.begin(), message.end()));
}

// Reads to the end, or to one byte past the limit, so a file that grows meanwhile is cut off.
bool readAll(HANDLE handle, std::string& bytes)
{
    constexpr std::size_t readStep = std::size_t{64} * 1024;
    while (bytes.size() <= maxWholeFileBytes) {
        const std::size_t before = bytes.size();
        const auto step = static_cast<DWORD>(std::min(readStep, maxWholeFileBytes + 1 - before));
        bytes.resize(before + step);
        DWORD got = 0;
        const bool readSome = ::ReadFile(handle, bytes.data() + before, step, &got, nullptr) != 0;
        bytes.resize(before + got);
        if (!readSome || got == 0) {
            return readSome;
        }
    }
    return true;
}

std::uint64_t sizeOf(const BY_HANDLE_FILE_INFORMATION& information)
{
    return (std::uint64_t{information.nFileSizeHigh} << 32U) | information.nFileSizeLow;
}

// One try: open, look at what stands there, read it. False leaves the system's error set.
bool readOnce(const std::filesystem::path& path, WholeFile& file)
{
    file = {};
    // Sharing everything, so the game never stands in another program's way; backup semantics
    // let a folder be opened too, to be recognised as one.
    const HANDLE handle
        = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    bool done = ::GetFileInformationByHandle(handle, &information) != 0;
    if (done && ::GetFileType(handle) == FILE_TYPE_DISK
        && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        file.outcome = WholeFile::Outcome::read;
        if (sizeOf(information) <= maxWholeFileBytes) {
            file.bytes.reserve(static_cast<std::size_t>(sizeOf(information)) + 1);
            done = readAll(handle, file.bytes);
        }
        if (sizeOf(information) > maxWholeFileBytes || file.bytes.size() > maxWholeFileBytes) {
            file = {WholeFile::Outcome::failed, {}, std::string(fileTooLargeReason)};
        }
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    ::SetLastError(error);
    return done;
}

} // namespace

WholeFile readWholeFile(const std::filesystem::path& path)
{
    WholeFile file;
    if (retryWhileShared([&] { return readOnce(path, file); })) {
        return file;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return {};
    }
    return {WholeFile::Outcome::failed, {}, systemReason(error)};
}
