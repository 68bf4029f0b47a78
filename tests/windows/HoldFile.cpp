// Holds a file open without sharing, as a virus scanner or a sync client may for a moment: says
// "held" on standard output once it has the file, and lets go after the given milliseconds.
//   hold_file FILE MILLISECONDS
#include <cstdio>
#include <cstdlib>
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: hold_file FILE MILLISECONDS\n", stderr);
        return 2;
    }
    const HANDLE file = ::CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", argv[1], ::GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    ::CloseHandle(file);
    return 0;
}
