// What the Windows tests that drive a program from outside share: the program started in a
// folder of the test's own, waits for the state the test needs rather than for a fixed time, and
// what the program wrote. TV_SLOWNESS says how many times longer than on a native machine a step
// may take, for a program run under emulation.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

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

inline std::string Read(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Driving : public ::testing::Test {
  protected:
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tv-driven-" + std::to_string(GetCurrentProcessId()));
    PROCESS_INFORMATION pi = {};

    void SetUp() override { std::filesystem::create_directory(dir); }

    // The program stays only when a test failed before it ended.
    void TearDown() override {
        TerminateProcess(pi.hProcess, 99);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Starts the program that the environment names in variable, in the test's folder.
    void Launch(const wchar_t *variable, const std::wstring &arguments, DWORD flags) {
        const wchar_t *program = _wgetenv(variable);
        ASSERT_TRUE(program) << "no program to test in the environment";
        std::wstring command = L"\"" + std::wstring(program) + L"\" " + arguments;
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        ASSERT_TRUE(CreateProcessW(program, &command[0], nullptr, nullptr, FALSE, flags, nullptr,
                                   dir.wstring().c_str(), &si, &pi));
    }

    // The program's exit code once it has ended; STILL_ACTIVE while it goes on.
    DWORD ExitCode() {
        WaitFor([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; });
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }

    // Writes a file of the test's folder; its path.
    std::wstring Put(const std::wstring &name, const std::string &bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).wstring();
    }
};
