// The real tarvix-vantor.exe under Wine, driven from outside as a user drives it: clicks on its
// buttons, names typed into the real Open and Save-as dialogs, the keypad, the Help and About
// boxes and the message boxes, with the screen read back from the program's own windows. Needs
// a display; TV_PROGRAM names the program, as Wine sees it.
#include "../driving.h"
#include "screen_states.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>

namespace {

// With TV_SHOTS naming a folder of the build machine, asks tools/screenshots for a picture of
// the display by that name, and waits until it is taken.
void Shot(const wchar_t *name) {
    const wchar_t *folder = _wgetenv(L"TV_SHOTS");
    if (!folder)
        return;
    const std::wstring ask = L"Z:" + std::wstring(folder) + L"/" + name + L".ask";
    CloseHandle(CreateFileW(ask.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(
        WaitFor([&] { return GetFileAttributesW(ask.c_str()) == INVALID_FILE_ATTRIBUTES; }));
}

class SessionTest : public Driving {
  protected:
    HWND main = nullptr;

    void SetUp() override {
        Driving::SetUp();
        ASSERT_NO_FATAL_FAILURE(Launch(L"TV_PROGRAM", L"", 0));
        ASSERT_TRUE(WaitFor([&] {
            main = FindWindowW(L"TarvixClass", L"Tarvix-Vantor");
            return main && IsWindowVisible(main);
        })) << "the main dialog did not show";
        WaitFor([&] { return WaitForInputIdle(pi.hProcess, 0) == 0; });
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
    // Where the program's keyboard focus is.
    HWND Focus() {
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(pi.dwThreadId, &gui);
        return gui.hwndFocus;
    }
    // The program's visible window, other than the main dialog, for which match holds, once it
    // shows. Looked for among its windows, not taken as the active one: under emulation a box
    // may show before it is activated, or never be.
    HWND Shown(const std::function<bool(HWND)> &match) {
        HWND w;
        EXPECT_TRUE(WaitFor([&] {
            for (w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr));)
                if (w != main && GetWindowThreadProcessId(w, nullptr) == pi.dwThreadId &&
                    IsWindowVisible(w) && match(w))
                    return true;
            return false;
        }));
        return w;
    }
    // A click on button opens the box with caption, owned by owner: the main dialog, which is
    // disabled meanwhile, or nobody. The box, once it shows.
    HWND Open(int button, const std::wstring &caption, HWND owner) {
        PostMessageW(Item(button), BM_CLICK, 0, 0);
        HWND box = Shown([&](HWND w) { return Text(w) == caption; });
        EXPECT_TRUE(box && GetWindow(box, GW_OWNER) == owner) << caption;
        EXPECT_EQ(IsWindowEnabled(main) != FALSE, owner == nullptr);
        return box;
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

    // Chooses path in the file dialog that button opens; a file that is there already is
    // replaced once the dialog has asked. The file dialog is owned by the main dialog, which is
    // disabled while it is open, and starts with an empty name and the first of its filters.
    void Choose(int button, const std::wstring &path, bool replace = false) {
        HWND dlg = Open(button, button == IDC_OPEN ? L"Open" : L"Save As", main);
        HWND name = reinterpret_cast<HWND>(
            SendMessageW(GetDlgItem(dlg, 1148), CBEM_GETEDITCONTROL, 0, 0)); // the name field
        ASSERT_TRUE(name);
        EXPECT_EQ(Text(name), L"");
        HWND filters = GetDlgItem(dlg, 1136);
        EXPECT_EQ(SendMessageW(filters, CB_GETCOUNT, 0, 0), button == IDC_OPEN ? 4 : 1);
        EXPECT_EQ(SendMessageW(filters, CB_GETCURSEL, 0, 0), 0);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        if (replace) {
            HWND ask = Shown([&](HWND w) { return GetWindow(w, GW_OWNER) == dlg; });
            PostMessageW(ask, WM_COMMAND, IDYES, 0);
        }
        Ended(dlg);
        EXPECT_TRUE(IsWindowEnabled(main));
    }
};

// At start: the focus on Help. Help and About disable the main dialog and end only on a close
// request; a close request to the main dialog ends the program with 0. (That every control is
// visible is in its style, which the resource test reads.)
TEST_F(SessionTest, StartBoxesAndClose) {
    Expect(Start, {LaunchSource, NoTarget, Placeholder});
    Shot(L"start");
    EXPECT_TRUE(WaitFor([&] { return Focus() == Item(IDC_HELPBUTTON); }));
    for (const wchar_t *caption : {L"Tarvix-Help", L"About Tarvix"}) {
        HWND box = Open(caption[0] == L'T' ? IDC_HELPBUTTON : IDC_ABOUT, caption, main);
        Shot(caption[0] == L'T' ? L"help" : L"about");
        SendMessageW(box, WM_COMMAND, IDOK, 0);
        SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(IsWindowVisible(box)) << "only a close request ends a box";
        Close(box, WM_SYSCOMMAND, SC_CLOSE);
        EXPECT_TRUE(IsWindowEnabled(main));
    }
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

// The whole job: Open, Save as onto a file that is there already (the file dialog asks first),
// the keypad with a reset, a Run that stops on a source too small with a message that has no
// owner, the right source, and a Run that completes with the closing message owned by the main
// dialog and exit code 0. The output is the golden corpus's for the same document and keys.
TEST_F(SessionTest, AWholeJobFromOpenToExit) {
    const std::string golden = TV_TESTDATA "/golden/";
    const std::wstring small = Put(L"Dopis \u0148a stole.txt", "abc"),
                       target = Put(L"secret", "an older file"),
                       source = Put(L"note.txt", Read(golden + "note.txt"));
    Choose(IDC_OPEN, small);
    Expect(SourceChosen, {small, NoTarget, Placeholder});
    Shot(L"source-chosen");
    Choose(IDC_SAVEAS, target, true);
    Expect(TargetChosen, {small, target, Mask(0)});
    Press(IDC_KEY_Q);
    Press(IDC_KEY_Q);
    Shot(L"target-chosen");
    Press(IDC_RESET);
    Expect(TargetChosen, {small, target, Mask(0)});
    // The keys of note.txt in the golden corpus; ">" enters two symbols, and the last four keys
    // find the password full.
    const int keys[] = {4015, 4053, 4054, 4009, 4049, 4056, 4017, 4017, 4053, 4038, 4047,
                        4062, 4061, 4022, 4031, 4036, 4050, 4048, 4060, 4059, 4058, 4057};
    int symbols = 0;
    for (int id : keys) {
        Press(id);
        symbols = std::min(20, symbols + (id == IDC_KEY_GREATER ? 2 : 1));
        Expect(symbols < 5 ? TargetChosen : PasswordReady, {small, target, Mask(symbols)});
    }
    Shot(L"password-ready");
    Close(Open(IDC_RUN, L"Small file", nullptr), WM_COMMAND, IDOK);
    Choose(IDC_OPEN, source);
    Expect(PasswordReady, {source, target, Mask(20)});
    PostMessageW(Open(IDC_RUN, L" Closing......", main), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(Read(target + L".txt"), Read(golden + "note.txt.out"));
}

} // namespace
