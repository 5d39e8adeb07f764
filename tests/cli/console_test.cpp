// The command-line program at the Windows console, as a user there sees it: each test starts it
// without keys on a console of its own, attaches to that console, and reads and types there once
// the prompt shows. TV_CLI names the program, as Wine sees it.
#include "../driving.h"

#include <windows.h>

namespace {

// The input or the screen of the console that the test is attached to.
HANDLE Console(const wchar_t *name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

class ConsoleTest : public Driving {
  protected:
    HANDLE in = nullptr, out = nullptr;
    DWORD before = 0; // the input mode of a new console, which the program finds

    void SetUp() override {
        Driving::SetUp();
        Put(L"zero.bin", std::string(4, '\0'));
        FreeConsole();
        AllocConsole();
        GetConsoleMode(Console(L"CONIN$"), &before);
        FreeConsole();
        SetConsoleCtrlHandler(nullptr, FALSE); // the program would inherit an ignored Ctrl-C
        ASSERT_NO_FATAL_FAILURE(Launch(L"TV_CLI", L"zero.bin out", CREATE_NEW_CONSOLE));
        ASSERT_TRUE(WaitFor([&] { return AttachConsole(pi.dwProcessId); }));
        SetConsoleCtrlHandler(nullptr, TRUE); // a Ctrl-C on the shared console spares the test
        in = Console(L"CONIN$");
        out = Console(L"CONOUT$");
        ASSERT_TRUE(Shows(L"Keys:"));
    }

    void TearDown() override {
        FreeConsole();
        Driving::TearDown();
    }

    // Everything the console shows, without the spaces at the end of its lines.
    std::wstring Screen() {
        CONSOLE_SCREEN_BUFFER_INFO info;
        GetConsoleScreenBufferInfo(out, &info);
        std::wstring cells(info.dwSize.X * info.dwSize.Y, L' '), shown;
        DWORD read;
        ReadConsoleOutputCharacterW(out, &cells[0], cells.size(), {0, 0}, &read);
        for (size_t at = 0; at < cells.size(); at += info.dwSize.X) {
            std::wstring line = cells.substr(at, info.dwSize.X);
            shown += line.erase(line.find_last_not_of(L' ') + 1) + L"\n";
        }
        return shown.erase(shown.find_last_not_of(L'\n') + 1);
    }

    bool Shows(const std::wstring &text) {
        return WaitFor([&] { return Screen().find(text) != std::wstring::npos; });
    }

    // Types text on the console's keyboard, "\r" for Enter: a key pressed for each character.
    void Type(const std::wstring &text) {
        for (wchar_t c : text) {
            INPUT_RECORD key = {KEY_EVENT, {}};
            key.Event.KeyEvent = {TRUE, 1, WORD(c == L'\r' ? VK_RETURN : 0), 0, {c}, 0};
            DWORD written;
            WriteConsoleInputW(in, &key, 1, &written);
        }
    }

    DWORD Mode() {
        DWORD mode = 0;
        GetConsoleMode(in, &mode);
        return mode;
    }
};

// The keys typed are not echoed, the line ended by Enter is read whole and gives the output, and
// the console is left as it was: its mode, and nothing of the line for the next program.
TEST_F(ConsoleTest, TheKeysAreReadHiddenAndTheConsoleIsLeftAsItWas) {
    EXPECT_EQ(Mode(), before & ~ENABLE_ECHO_INPUT);
    Type(L"BNB)C\r");
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(Screen(), L"Keys:\nout.bin");
    EXPECT_EQ(Mode(), before);
    EXPECT_EQ(Read(dir / "out.bin"), "\x4e\x16\xb1\x70");
    Type(L"Z\r");
    wchar_t next[8] = {};
    DWORD got;
    ReadConsoleW(in, next, 8, &got, nullptr);
    EXPECT_STREQ(next, L"Z\r\n") << "the program left some of its line";
}

// A Ctrl-C at the prompt ends the program, with echo on again.
TEST_F(ConsoleTest, CtrlCAtThePromptLeavesEchoOn) {
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    EXPECT_NE(ExitCode(), STILL_ACTIVE);
    EXPECT_EQ(Mode(), before);
}

// An error names a character beyond ASCII as the console shows it.
TEST_F(ConsoleTest, AnErrorShowsTheCharacterItNames) {
    Type(L"BN\u00e9C)\r");
    EXPECT_EQ(ExitCode(), 2u);
    EXPECT_TRUE(Shows(L"no key \"\u00e9\" (U+00E9), character 3 of the keys"));
}

} // namespace
