// What the Windows tests that drive a program from outside share: waiting for the state they
// need, never for a fixed time, and reading what the program wrote. TV_SLOWNESS says how many
// times longer than on a native machine a step may take, for a program run under emulation.
#pragma once

#include <windows.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// True once done() is, false when it is not within 20 s times the slowness.
template <class Done> bool WaitFor(Done done) {
    const wchar_t *slowness = _wgetenv(L"TV_SLOWNESS");
    const DWORD limit = 20000 * (slowness ? std::wcstoul(slowness, nullptr, 10) : 1);
    for (const DWORD start = GetTickCount(); !done(); Sleep(20))
        if (GetTickCount() - start >= limit)
            return false;
    return true;
}

// The exit code of a process once it has ended; STILL_ACTIVE while it goes on.
inline DWORD ExitCode(HANDLE process) {
    WaitFor([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; });
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

inline std::string Read(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
