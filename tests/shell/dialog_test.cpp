// The main dialog's logic against a fake platform: a screen that starts as the dialog's
// template and changes only through the core's Screen, file dialogs that answer from a queue,
// and a log of boxes, messages and the end of the dialog.
#include "dialog.h"
#include "platform.h"
#include "resource.h"
#include "screen_states.h"

#include "codec.h"
#include "pipeline.h"
#include "screen.h"

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>

namespace fs = std::filesystem;

namespace {

struct Control {
    bool on;
    std::wstring text;
};
std::map<int, Control> screen;
std::deque<std::optional<std::wstring>> answers; // the file dialogs' next answers; none: cancel
std::vector<std::wstring> events; // "box 1002", "Warring: text" (+ " [owned]"), "end 0"

const wchar_t *Answer() {
    static std::wstring chosen;
    if (answers.empty() || !answers.front()) {
        if (!answers.empty())
            answers.pop_front();
        return nullptr;
    }
    chosen = *answers.front();
    answers.pop_front();
    return chosen.c_str();
}

const Platform fakePlatform = {Answer, Answer,
                               [](int id) { events.push_back(L"box " + std::to_wstring(id)); }};

const Screen fakeScreen = {
    [](int id, const wchar_t *text) { screen.at(id).text = text; },
    [](int id, bool on) { screen.at(id).on = on; },
    [](const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
        events.push_back(std::wstring(caption) + L": " + text +
                         (owner == OwnerDialog ? L" [owned]" : L""));
    },
    [](int result) { events.push_back(L"end " + std::to_wstring(result)); },
};

// The labels' texts of one screen.
struct Labels {
    std::wstring source, target, mask;
};

const std::wstring P1 = L"C:\\docs\\report.txt", P2 = L"D:\\new\\letter.doc",
                   T1 = L"C:\\out\\result", T2 = L"C:\\out\\other";

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override { Launch(); }

    // The program as it starts: the core at program start, the screen as the template has it.
    static void Launch() {
        ResetProgramState();
        SetScreen(&fakeScreen);
        SetPlatform(&fakePlatform);
        answers.clear();
        events.clear();
        // The template: Help, About, Open and the source label enabled, every label with its
        // caption.
        screen.clear();
        for (int id = IDC_WEB; id <= IDC_KEY_RPAREN; id++)
            screen[id] = {
                id == IDC_HELPBUTTON || id == IDC_ABOUT || id == IDC_OPEN || id == IDC_SOURCE, L""};
        screen[IDC_SOURCE].text = LaunchSource;
        screen[IDC_TARGET].text = NoTarget;
        screen[IDC_MASK].text = Placeholder;
        InitDialog();
    }

    static void Open(std::optional<std::wstring> path) {
        answers.push_back(path);
        Command(IDC_OPEN);
    }
    static void Save(std::optional<std::wstring> path) {
        answers.push_back(path);
        Command(IDC_SAVEAS);
    }
    static void Keys(int n) {
        for (int i = 0; i < n; i++)
            Command(IDC_KEY_A);
    }

    // From launch to state s, with source P1, target T1 and 2 symbols (Target chosen) or 5
    // (Password ready).
    static Labels Reach(State s) {
        if (s >= SourceChosen)
            Open(P1);
        if (s >= TargetChosen) {
            Save(T1);
            Keys(2);
        }
        if (s == PasswordReady)
            Keys(3);
        const std::wstring sources[] = {LaunchSource, P1, P1, P1};
        const std::wstring masks[] = {Placeholder, Placeholder, Mask(2), Mask(5)};
        return {sources[s], s >= TargetChosen ? T1 : NoTarget, masks[s]};
    }

    static void Expect(State s, const Labels &l) {
        ExpectScreen(
            s, [](int id) { return screen.at(id).on; }, [](int id) { return screen.at(id).text; },
            l.source, l.target, l.mask);
    }
};

// Every transition of the screen, from every state it can start in: both flows with their
// cancels, the keypad, Reset password, and the commands that change nothing.
TEST_F(DialogTest, EveryTransitionFromEveryState) {
    const Labels start = {NoSource, NoTarget, Placeholder};
    const struct {
        const char *event;
        std::function<void()> act;
        State from; // the first state it can happen in
        State (*to)(State);
        std::function<Labels(const Labels &)> labels;
    } rows[] = {
        {"Open cancelled", [] { Open(std::nullopt); }, Start, [](State) { return Start; },
         [&](const Labels &) { return start; }},
        // Past Source chosen, the state stays as it was, with the new source.
        {"Open chosen", [] { Open(P2); }, Start, [](State s) { return std::max(s, SourceChosen); },
         [](Labels l) {
             return Labels{P2, l.target, l.mask};
         }},
        {"Save as cancelled", [] { Save(std::nullopt); }, SourceChosen,
         [](State) { return SourceChosen; },
         [](const Labels &l) {
             return Labels{l.source, NoTarget, Placeholder};
         }},
        // The password is emptied, so Run is disabled too.
        {"Save as chosen", [] { Save(T2); }, SourceChosen, [](State) { return TargetChosen; },
         [](const Labels &l) {
             return Labels{l.source, T2, Mask(0)};
         }},
        {"Reset password", [] { Command(IDC_RESET); }, TargetChosen,
         [](State) { return TargetChosen; },
         [](const Labels &l) {
             return Labels{l.source, l.target, Mask(0)};
         }},
    };
    for (const auto &row : rows) {
        for (State s : {Start, SourceChosen, TargetChosen, PasswordReady}) {
            if (s < row.from)
                continue;
            SCOPED_TRACE(std::string(row.event) + " in state " + std::to_string(s));
            Launch();
            const Labels before = Reach(s);
            row.act();
            Expect(row.to(s), row.labels(before));
            EXPECT_TRUE(events.empty());
        }
    }
}

// Help and About open their boxes; Esc (IDCANCEL), the three labels and an ID without a
// command do nothing; a close request ends the dialog with 0. None changes the screen.
TEST_F(DialogTest, CommandsThatLeaveTheScreenAsItWas) {
    for (State s : {Start, SourceChosen, TargetChosen, PasswordReady}) {
        SCOPED_TRACE(s);
        Launch();
        const Labels before = Reach(s);
        for (int id :
             {IDC_HELPBUTTON, IDC_ABOUT, 2, IDC_SOURCE, IDC_TARGET, IDC_MASK, IDC_WEB, 4063})
            Command(id);
        CloseDialog();
        Expect(s, before);
        EXPECT_EQ(events, (std::vector<std::wstring>{L"box 1002", L"box 1003", L"end 0"}));
    }
}

// The keypad by control ID: ">" enters two symbols, so ">" twice and the key without caption
// make the five that enable Run; symbols past the 20th change nothing.
TEST_F(DialogTest, KeypadKeysEnterTheirSymbols) {
    Reach(TargetChosen);
    Command(IDC_RESET);
    Command(IDC_KEY_GREATER);
    Command(IDC_KEY_GREATER);
    Expect(TargetChosen, {P1, T1, Mask(4)});
    Command(IDC_KEY_BLANK);
    Expect(PasswordReady, {P1, T1, Mask(5)});
    const int codes[] = {0, 43, 44, 43, 44, 40}, occurrences[] = {0, 1, 1, 2, 2, 1};
    for (int n = 0; n <= 5; n++) {
        EXPECT_EQ(heslotxt[n], codes[n]) << "position " << n;
        EXPECT_EQ(HesloS[n].poradie, occurrences[n]) << "position " << n;
    }
    Keys(16);
    Expect(PasswordReady, {P1, T1, Mask(20)});
    EXPECT_EQ(hesloPoc, 20);
}

// A path that does not fit the path buffers is refused with a message and then handled as a
// cancel of its dialog; it is never cut. One character less fits.
TEST_F(DialogTest, PathsLongerThanTheBuffersAreRefused) {
    const std::wstring fits = L"C:\\" + std::wstring(251, L'a'), tooLong = fits + L"b";
    Open(tooLong);
    Expect(Start, {NoSource, NoTarget, Placeholder});
    Open(fits);
    Save(tooLong);
    Expect(SourceChosen, {fits, NoTarget, Placeholder});
    Save(fits);
    Expect(TargetChosen, {fits, fits, Mask(0)});
    EXPECT_EQ(events, (std::vector<std::wstring>{
                          L"Warring: The path of this file is too long. Please choose a file "
                          L"with a shorter path",
                          L"Warring: The save path is too long. Please choose a shorter one"}));
}

// A stopped Run leaves the screen and the password as they were; a completed one shows the
// closing message, owned by the dialog, and ends the dialog with 0.
TEST_F(DialogTest, RunsStopOrEndTheDialog) {
    const fs::path dir =
        fs::temp_directory_path() / ("tv-shell-" + std::to_string(std::random_device()()));
    fs::create_directories(dir);
    std::ofstream(dir / "small.txt") << "abc";
    std::ofstream(dir / "doc.txt") << "abcd";
    Open((dir / "small.txt").wstring());
    Save((dir / "out").wstring());
    Keys(5);
    const Labels ready = {(dir / "small.txt").wstring(), (dir / "out").wstring(), Mask(5)};
    Command(IDC_RUN);
    Expect(PasswordReady, ready);
    EXPECT_EQ(hesloPoc, 5);
    Open((dir / "doc.txt").wstring());
    Command(IDC_RUN);
    EXPECT_TRUE(fs::exists(dir / "out.txt"));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], L"Small file: Small file.Please open bigger file");
    EXPECT_EQ(events[1].substr(0, 14), L" Closing......");
    EXPECT_EQ(events[1].substr(events[1].size() - 8), L" [owned]");
    EXPECT_EQ(events[2], L"end 0");
    fs::remove_all(dir);
}

} // namespace

#ifdef _WIN32
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int);

// A start that fails (here: the window class is taken) must not end like a normal run, with 0.
TEST(WinMainTest, AFailedStartIsNotReportedAsSuccess) {
    WNDCLASSEXW wcx = {};
    wcx.cbSize = sizeof wcx;
    wcx.lpfnWndProc = DefWindowProcW;
    wcx.hInstance = GetModuleHandleW(nullptr);
    wcx.lpszClassName = L"TarvixClass";
    ASSERT_NE(RegisterClassExW(&wcx), 0);
    EXPECT_EQ(wWinMain(GetModuleHandleW(nullptr), nullptr, nullptr, 0), 1);
}
#endif
