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

#include <algorithm>
#include <map>
#include <optional>

namespace {

std::map<int, std::pair<bool, std::wstring>> screen; // by control ID: enabled, text
std::optional<std::wstring> answer; // the next file dialog's answer; none: cancelled
std::vector<std::wstring> events;   // "box 1002", "Warring: text" (+ " [owned]"), "end 0"

const wchar_t *Answer() {
    return answer ? answer->c_str() : nullptr;
}

const Platform fakePlatform = {Answer, Answer,
                               [](int id) { events.push_back(L"box " + std::to_wstring(id)); }};

const Screen fakeScreen = {
    [](int id, const wchar_t *text) { screen.at(id).second = text; },
    [](int id, bool on) { screen.at(id).first = on; },
    [](const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
        events.push_back(std::wstring(caption) + L": " + text +
                         (owner == OwnerDialog ? L" [owned]" : L""));
    },
    [](int result) { events.push_back(L"end " + std::to_wstring(result)); },
};

const std::wstring P1 = L"C:\\docs\\report.txt", P2 = L"D:\\new\\letter.doc",
                   T1 = L"C:\\out\\result", T2 = L"C:\\out\\other";

// The program as it starts: the core at program start, the screen as the template has it.
void Launch() {
    ResetProgramState();
    SetScreen(&fakeScreen);
    SetPlatform(&fakePlatform);
    events.clear();
    for (int id = IDC_WEB; id <= IDC_KEY_RPAREN; id++)
        screen[id] = {Enabled(Start, id), L""};
    screen[IDC_SOURCE].second = LaunchSource;
    screen[IDC_TARGET].second = NoTarget;
    screen[IDC_MASK].second = Placeholder;
    InitDialog();
}

// Open or Save as, whose file dialog answers path, or is cancelled for none.
void Ask(int id, std::optional<std::wstring> path) {
    answer = path;
    Command(id);
}

// From launch to state s, with source P1, target T1 and 4 symbols (Target chosen) or 5
// (Password ready): ">" enters two, so ">" twice and the key without caption make five.
Labels Reach(State s) {
    if (s >= SourceChosen)
        Ask(IDC_OPEN, P1);
    if (s >= TargetChosen) {
        Ask(IDC_SAVEAS, T1);
        Command(IDC_KEY_GREATER);
        Command(IDC_KEY_GREATER);
    }
    if (s == PasswordReady)
        Command(IDC_KEY_BLANK);
    const std::wstring masks[] = {Placeholder, Placeholder, Mask(4), Mask(5)};
    return {s == Start ? LaunchSource : P1, s >= TargetChosen ? T1 : NoTarget, masks[s]};
}

std::wstring Or(const std::wstring &label, const std::wstring &kept) {
    return label.empty() ? kept : label;
}

// The screen, and the password that its mask shows: none behind the placeholder.
void Expect(State s, const Labels &labels) {
    ExpectScreen(
        s, [](int id) { return screen.at(id).first; }, [](int id) { return screen.at(id).second; },
        labels);
    EXPECT_EQ(hesloPoc, labels.mask == Placeholder
                            ? 0
                            : std::count(labels.mask.begin(), labels.mask.end(), L'*'));
}
// Every transition of the screen from every state it can start in: the state it ends in, and
// its labels, an empty one kept as it was. Run is disabled after a chosen Save as too, since the
// password is emptied. Keys past the 20th symbol are ignored.
TEST(DialogTest, EveryTransitionFromEveryState) {
    const struct {
        const char *event;
        void (*act)();
        State to[4]; // from Start, Source chosen, Target chosen, Password ready
        Labels labels;
    } rows[] = {
        {"Open cancelled",
         [] { Ask(IDC_OPEN, std::nullopt); },
         {Start, Start, Start, Start},
         {NoSource, NoTarget, Placeholder}},
        {"Open chosen",
         [] { Ask(IDC_OPEN, P2); },
         {SourceChosen, SourceChosen, TargetChosen, PasswordReady},
         {P2, L"", L""}},
        {"Save as cancelled",
         [] { Ask(IDC_SAVEAS, std::nullopt); },
         {None, SourceChosen, SourceChosen, SourceChosen},
         {L"", NoTarget, Placeholder}},
        {"Save as chosen",
         [] { Ask(IDC_SAVEAS, T2); },
         {None, TargetChosen, TargetChosen, TargetChosen},
         {L"", T2, Mask(0)}},
        {"Reset password",
         [] { Command(IDC_RESET); },
         {None, None, TargetChosen, TargetChosen},
         {L"", L"", Mask(0)}},
        {"21 keys",
         [] {
             for (int i = 0; i < 21; i++)
                 Command(IDC_KEY_A);
         },
         {None, None, PasswordReady, PasswordReady},
         {L"", L"", Mask(20)}},
    };
    for (const auto &row : rows) {
        for (State s : {Start, SourceChosen, TargetChosen, PasswordReady}) {
            if (row.to[s] == None)
                continue;
            SCOPED_TRACE(std::string(row.event) + " in state " + std::to_string(s));
            Launch();
            const Labels before = Reach(s);
            row.act();
            const Labels &l = row.labels;
            Expect(row.to[s], {Or(l.source, before.source), Or(l.target, before.target),
                               Or(l.mask, before.mask)});
            EXPECT_TRUE(events.empty());
        }
    }
}

// Help and About open their boxes; Esc (IDCANCEL), the three labels and an ID without a
// command do nothing; a Run that stops (no source file here) shows its message; a close
// request ends the dialog with 0. None changes the screen or the password.
TEST(DialogTest, CommandsThatLeaveTheScreenAsItWas) {
    for (State s : {Start, SourceChosen, TargetChosen, PasswordReady}) {
        SCOPED_TRACE(s);
        Launch();
        const Labels before = Reach(s);
        for (int id : {IDC_HELPBUTTON, IDC_ABOUT, 2, IDC_SOURCE, IDC_TARGET, IDC_MASK, IDC_WEB,
                       4063, IDC_RUN})
            Command(id);
        CloseDialog();
        Expect(s, before);
        EXPECT_EQ(events, (std::vector<std::wstring>{L"box 1002", L"box 1003",
                                                     L"Warring: Can't open file 1", L"end 0"}));
    }
}

// A path that does not fit the path buffers is refused with a message and then handled as a
// cancel of its dialog; it is never cut. One character less fits.
TEST(DialogTest, PathsLongerThanTheBuffersAreRefused) {
    Launch();
    const std::wstring fits = L"C:\\" + std::wstring(251, L'a'), tooLong = fits + L"b";
    Ask(IDC_OPEN, tooLong);
    Expect(Start, {NoSource, NoTarget, Placeholder});
    Ask(IDC_OPEN, fits);
    Ask(IDC_SAVEAS, tooLong);
    Expect(SourceChosen, {fits, NoTarget, Placeholder});
    Ask(IDC_SAVEAS, fits);
    Expect(TargetChosen, {fits, fits, Mask(0)});
    EXPECT_EQ(events, (std::vector<std::wstring>{
                          L"Warring: The path of this file is too long. Please choose a file "
                          L"with a shorter path",
                          L"Warring: The save path is too long. Please choose a shorter one"}));
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
