#include "platform/DurableFileSteps.hpp"

#include "platform/SharingRetry-win32.hpp"

#include <algorithm>
#include <string>
#include <windows.h>

namespace {

// As a text-mode file would be written on this system: each line feed goes out as CR LF.
std::string withTextLineEnds(std::string_view content)
{
    std::string text;
    text.reserve(content.size() + content.size() / 8);
    for (const char byte : content) {
        if (byte == '\n') {
            text += '\r';
        }
        text += byte;
    }
    return text;
}

// Always a new file: CREATE_NEW fails on anything that already stands at the name, a link
// included, so nothing there is ever written through.
HANDLE createNewFile(const std::filesystem::path& path)
{
    return ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool writeAll(HANDLE file, std::string_view content)
{
    while (!content.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1U << 20U));
        DWORD written = 0;
        if (::WriteFile(file, content.data(), chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        content.remove_prefix(written);
    }
    return true;
}

bool isFileOnDisk(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information{};
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &information) != 0
        && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool writeFlushAndClose(HANDLE file, std::string_view content)
{
    const bool written = writeAll(file, content) && ::FlushFileBuffers(file) != 0;
    const bool closed = ::CloseHandle(file) != 0;
    return written && closed;
}

} // namespace

namespace durable {

// A save that is a link to a file elsewhere is saved through the link: the file it points at is
// replaced and the link stays, as the player set it up. What stands there must be a file on a
// disk: a folder or a device is never replaced.
std::optional<std::filesystem::path> fileToReplace(const std::filesystem::path& target)
{
    const HANDLE file
        = ::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return target;
    }
    if (!isFileOnDisk(file)) {
        ::CloseHandle(file);
        return std::nullopt;
    }
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length >= path.size()) {
        path.resize(length);
        length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
    }
    ::CloseHandle(file);
    if (length == 0 || length >= path.size()) {
        return target;
    }
    path.resize(length);
    return path;
}

// One rename, written through to the disk before it returns. A save another program holds open
// for a moment is waited for; Windows refuses to replace a file in use as "access denied".
bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return retryWhileShared([&] {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
            return true;
        }
        if (::GetLastError() == ERROR_ACCESS_DENIED) {
            ::SetLastError(ERROR_SHARING_VIOLATION);
        }
        return false;
    });
}

// A new file takes its access rules from its folder, as the file it replaces did, so
// `destination` is not needed here.
NewFile writeNewFile(
    const std::filesystem::path& temporary, const std::filesystem::path& /*destination*/, std::string_view content)
{
    const HANDLE file = createNewFile(temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return ::GetLastError() == ERROR_FILE_EXISTS ? NewFile::nameTaken : NewFile::notCreated;
    }
    return writeFlushAndClose(file, withTextLineEnds(content)) ? NewFile::written : NewFile::notWritten;
}

} // namespace durable
