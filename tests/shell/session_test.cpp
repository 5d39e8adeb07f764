// The real tarvix-vantor.exe under Wine, driven from outside as a user drives it: clicks on its
// buttons, names typed into the real Open and Save-as dialogs, the keypad, the Help and About
// boxes and the message boxes, with the screen read back from the program's own windows. Needs
// a display; the program's path is the first argument.
#include "screen_states.h"

#include "codec.h"
#include "pipeline.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

std::wstring appPath;

template <class Done> bool WaitFor(Done done) {
    for (int waited = 0; waited < 20000 && !done(); waited += 20)
        Sleep(20);
    return done();
}

std::wstring Widen(const std::string &ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::string Read(const std::wstring &path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The first descendant of parent of window class cls with control ID id (any ID for -1).
HWND Find(HWND parent, const wchar_t *cls, int id) {
    struct Query {
        const wchar_t *cls;
        int id;
        HWND found;
    } q = {cls, id, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            Query &q = *reinterpret_cast<Query *>(p);
            wchar_t name[64];
            GetClassNameW(w, name, 64);
            if (lstrcmpiW(name, q.cls) == 0 && (q.id < 0 || GetDlgCtrlID(w) == q.id)) {
                q.found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&q));
    return q.found;
}

// With TV_SHOTS naming a folder of the build machine, a screenshot of the display into it
// (tools/screenshots runs the tests so, inside a Wine desktop that draws the frames).
void Shot(const char *name) {
    const char *folder = getenv("TV_SHOTS");
    if (!folder)
        return;
    Sleep(500); // let the program finish painting
    const std::string png = std::string(folder) + "/" + name + ".png";
    const char *size = getenv("TV_SHOTS_SIZE"); // that of the Wine desktop, as WIDTHxHEIGHT
    std::string command =
        "import -window root -crop " + std::string(size ? size : "600x480") + "+0+0 +repage " + png;
    std::wstring wide = Widen(command), file = L"Z:" + Widen(png);
    DeleteFileW(file.c_str());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    // Wine starts a program of the build machine when given its path, but cannot wait for it:
    // the picture is taken once its file is there.
    ASSERT_TRUE(CreateProcessW(L"Z:\\usr\\bin\\import", &wide[0], nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(
        WaitFor([&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    Sleep(500);
}

class SessionTest : public ::testing::Test {
  protected:
    PROCESS_INFORMATION pi = {};
    HWND main = nullptr;
    std::wstring dir;

    void SetUp() override {
        if (!GetEnvironmentVariableW(L"DISPLAY", nullptr, 0))
            GTEST_SKIP() << "no display: run under Xvfb";
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir = temp + std::wstring(L"tv-session-") + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir.c_str(), nullptr);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring command = L"\"" + appPath + L"\"";
        ASSERT_TRUE(CreateProcessW(appPath.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &si, &pi));
        ASSERT_TRUE(WaitFor([&] {
            main = FindWindowW(L"TarvixClass", L"Tarvix-Vantor");
            return main && IsWindowVisible(main);
        })) << "the main dialog did not show";
        WaitForInputIdle(pi.hProcess, 5000);
    }

    void TearDown() override {
        if (pi.hProcess) {
            TerminateProcess(pi.hProcess, 99); // only if a test failed before the end
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    HWND Item(int id) { return GetDlgItem(main, id); }
    std::wstring Text(HWND w) {
        wchar_t text[300] = {};
        SendMessageW(w, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Expect(State s, const Labels &labels) {
        ExpectScreen(
            s, [&](int id) { return IsWindowEnabled(Item(id)) != FALSE; },
            [&](int id) { return Text(Item(id)); }, labels);
    }

    // A click that returns once the dialog has handled it.
    void Press(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // The program's visible dialog box that which picks, once it shows.
    HWND Shown(const std::function<bool(HWND)> &which) {
        struct Query {
            const std::function<bool(HWND)> &which;
            HWND found;
        } q = {which, nullptr};
        EXPECT_TRUE(WaitFor([&] {
            EnumThreadWindows(
                pi.dwThreadId,
                [](HWND w, LPARAM p) -> BOOL {
                    Query &q = *reinterpret_cast<Query *>(p);
                    wchar_t name[16];
                    GetClassNameW(w, name, 16);
                    if (IsWindowVisible(w) && lstrcmpW(name, L"#32770") == 0 && q.which(w))
                        q.found = w;
                    return !q.found;
                },
                reinterpret_cast<LPARAM>(&q));
            return q.found != nullptr;
        }));
        return q.found;
    }
    // A click on a button that opens a modal window, which is returned once it shows: a file
    // dialog for an empty caption.
    HWND Open(int id, const std::wstring &caption) {
        PostMessageW(Item(id), BM_CLICK, 0, 0);
        return Shown([&](HWND box) {
            return caption.empty() ? Find(box, L"ComboBoxEx32", 1148) != nullptr
                                   : Text(box) == caption;
        });
    }
    // Returns once a modal window has closed and the command that opened it has ended: the
    // program handles the message sent here only when it is back in the main dialog's loop.
    void Ended(HWND box) {
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        SendMessageW(main, WM_NULL, 0, 0);
    }
    void Close(HWND box, UINT msg, WPARAM wParam) {
        PostMessageW(box, msg, wParam, 0);
        Ended(box);
    }

    // Chooses path in the file dialog that button opens; a file already there is replaced once
    // the dialog has asked. The file dialog is owned by the main dialog, which is disabled while
    // it is open.
    void Choose(int button, const std::wstring &path, bool replace = false) {
        HWND dlg = Open(button, L"");
        ASSERT_TRUE(dlg);
        EXPECT_EQ(GetWindow(dlg, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main));
        HWND name = Find(Find(dlg, L"ComboBoxEx32", 1148), L"Edit", -1);
        ASSERT_TRUE(name);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        if (replace)
            PostMessageW(Shown([&](HWND box) { return GetWindow(box, GW_OWNER) == dlg; }),
                         WM_COMMAND, IDYES, 0);
        Ended(dlg);
        EXPECT_TRUE(IsWindowEnabled(main));
    }

    DWORD ExitCode() {
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
        DWORD code = 99;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }

    std::wstring Put(const std::wstring &name, const std::string &bytes) {
        std::ofstream(std::filesystem::path(dir + L"\\" + name), std::ios::binary) << bytes;
        return dir + L"\\" + name;
    }
};

// At start: DPI-aware, 62 controls visible, the focus on Help, Esc does nothing. Help and About
// disable the main dialog and end only on a close request. A stopped Run shows a message without
// owner and leaves the dialog as it was; a close request then ends the program with 0.
TEST_F(SessionTest, StartBoxesAStoppedRunAndClose) {
    // Wine 8 makes every program aware; Windows only one that declares itself so.
    EXPECT_GT(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(main)),
              DPI_AWARENESS_UNAWARE);
    for (int id = IDC_WEB; id <= IDC_KEY_RPAREN; id++)
        EXPECT_TRUE(IsWindowVisible(Item(id))) << "control " << id;
    Expect(Start, {LaunchSource, NoTarget, Placeholder});
    Shot("start");
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(pi.dwThreadId, &gui);
    EXPECT_EQ(gui.hwndFocus, Item(IDC_HELPBUTTON));
    PostMessageW(Item(IDC_HELPBUTTON), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(Item(IDC_HELPBUTTON), WM_KEYUP, VK_ESCAPE, 0);

    const std::pair<int, std::wstring> boxes[] = {{IDC_HELPBUTTON, L"Tarvix-Help"},
                                                  {IDC_ABOUT, L"About Tarvix"}};
    for (const auto &[button, caption] : boxes) {
        HWND box = Open(button, caption);
        ASSERT_TRUE(box);
        EXPECT_EQ(GetWindow(box, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main));
        Shot(button == IDC_HELPBUTTON ? "help" : "about");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(box)) << "only a close request ends a box";
        Close(box, WM_SYSCOMMAND, SC_CLOSE);
        EXPECT_TRUE(IsWindowEnabled(main));
    }
    Expect(Start, {LaunchSource, NoTarget, Placeholder}); // Esc did not close the dialog either

    const std::wstring small = Put(L"small.txt", "abc"), target = dir + L"\\out";
    Choose(IDC_OPEN, small);
    Choose(IDC_SAVEAS, target);
    for (int id : {IDC_KEY_A, IDC_KEY_B, IDC_KEY_C, IDC_KEY_D, IDC_KEY_E})
        Press(id);
    Expect(PasswordReady, {small, target, Mask(5)});
    HWND message = Open(IDC_RUN, L"Small file");
    ASSERT_TRUE(message);
    EXPECT_EQ(GetWindow(message, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main));
    Close(message, WM_COMMAND, IDOK);
    Expect(PasswordReady, {small, target, Mask(5)});
    EXPECT_EQ(GetFileAttributesW((target + L".txt").c_str()), INVALID_FILE_ATTRIBUTES);

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

// The whole job: Open, Save as onto a file already there (the file dialog asks first), the
// keypad with a reset, Run, the closing message owned by the main dialog, and exit code 0. The
// output is what the core writes for the same document and keys.
TEST_F(SessionTest, AWholeJobFromOpenToExit) {
    std::string doc;
    for (int i = 0; i < 5000; i++)
        doc += static_cast<char>(i * 7 % 251);
    const std::wstring source = Put(L"Dopis \u0148a stole.txt", doc),
                       target = Put(L"secret", "an older file");
    Choose(IDC_OPEN, source);
    Expect(SourceChosen, {source, NoTarget, Placeholder});
    Shot("source-chosen");
    Choose(IDC_SAVEAS, target, true);
    Expect(TargetChosen, {source, target, Mask(0)});
    Press(IDC_KEY_Q);
    Press(IDC_KEY_Q);
    Shot("target-chosen");
    Press(IDC_RESET);
    Expect(TargetChosen, {source, target, Mask(0)});
    const int keys[] = {IDC_KEY_T, IDC_KEY_A, IDC_KEY_R,     IDC_KEY_GREATER, IDC_KEY_LPAREN,
                        IDC_KEY_2, IDC_KEY_0, IDC_KEY_BLANK, IDC_KEY_RPAREN};
    int symbols = 0;
    for (int id : keys) {
        Press(id);
        symbols += id == IDC_KEY_GREATER ? 2 : 1;
        Expect(symbols < 5 ? TargetChosen : PasswordReady, {source, target, Mask(symbols)});
    }
    Shot("password-ready");
    HWND closing = Open(IDC_RUN, L" Closing......");
    ASSERT_TRUE(closing);
    EXPECT_EQ(GetWindow(closing, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main));
    PostMessageW(closing, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(), 0u);

    // The core itself on a copy of the same document, with the same keys.
    ResetProgramState();
    std::wcscpy(bufOpen, Put(L"copy.txt", doc).c_str());
    std::wcscpy(bufSave, (dir + L"\\core").c_str());
    for (int id : keys)
        PressKey(id);
    ASSERT_TRUE(RunPipeline());
    const std::string output = Read(target + L".txt");
    EXPECT_EQ(output.size(), doc.size());
    EXPECT_NE(output, doc);
    EXPECT_EQ(output, Read(dir + L"\\core.txt"));
}

} // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: session_test PROGRAM\n");
        return 2;
    }
    appPath = Widen(argv[1]);
    if (appPath[0] == L'/')
        appPath = L"Z:" + appPath; // a path of the build machine, as Wine sees it
    return RUN_ALL_TESTS();
}
