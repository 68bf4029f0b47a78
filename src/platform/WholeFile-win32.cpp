#include "platform/WholeFile.hpp"

#include "platform/SharingRetry-win32.hpp"
#include "platform/WholeFileRead.hpp"
#include "text/Utf16.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// The shared loop's steps are far below what a DWORD holds.
std::optional<std::size_t> readSome(HANDLE handle, char* into, std::size_t count)
{
    DWORD got = 0;
    if (::ReadFile(handle, into, static_cast<DWORD>(count), &got, nullptr) == 0) {
        return std::nullopt;
    }
    return got;
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
        const wholefile::Read read = wholefile::readRegularFile(sizeOf(information), file.bytes,
            [handle](char* into, std::size_t count) { return readSome(handle, into, count); });
        done = read != wholefile::Read::failed;
        if (read == wholefile::Read::tooLarge) {
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
