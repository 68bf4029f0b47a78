#include "platform/Process.hpp"

#include <filesystem>
#include <string>
#include <windows.h>

namespace {

// A console of its own means Explorer started the game (a double-click), not a command prompt
// that would share its console with it.
bool startedInItsOwnConsole()
{
    DWORD processes[2] = {};
    return ::GetConsoleProcessList(processes, 2) == 1;
}

std::filesystem::path programFile()
{
    std::wstring name(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

} // namespace

void prepareProcess()
{
    // Explorer starts a program in a folder of its own choosing; the game's files lie beside it.
    if (startedInItsOwnConsole()) {
        const std::filesystem::path folder = programFile().parent_path();
        if (!folder.empty()) {
            ::SetCurrentDirectoryW(folder.c_str());
        }
    }
}
