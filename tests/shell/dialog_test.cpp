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

// P2 and T2 fill the path buffers, which TooLong overflows by one character.
const std::wstring P1 = L"C:\\docs\\report.txt", T1 = L"C:\\out\\result",
                   P2 = L"D:\\" + std::wstring(251, L'p'), T2 = L"E:\\" + std::wstring(251, L't'),
                   TooLong = P2 + L"x";

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

void Press(int id, int times) {
    for (int i = 0; i < times; i++)
        Command(id);
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

// The screen in state s with these labels, an empty one kept as it was, and the password that
// its mask shows: none behind the placeholder.
void Expect(State s, Labels labels, const Labels &was) {
    for (auto [label, kept] : {std::pair{&labels.source, &was.source},
                               {&labels.target, &was.target},
                               {&labels.mask, &was.mask}})
        *label = label->empty() ? *kept : *label;
    ExpectScreen(
        s, [](int id) { return screen.at(id).first; }, [](int id) { return screen.at(id).second; },
        labels);
    EXPECT_EQ(hesloPoc, labels.mask == Placeholder
                            ? 0
                            : std::count(labels.mask.begin(), labels.mask.end(), L'*'));
}
// Commands that change nothing on the screen: Help and About open their boxes; Esc
// (IDCANCEL), the three labels and an ID without a command do nothing; a Run that stops (no
// source file here) shows its message.
void NoChange() {
    for (int id :
         {IDC_HELPBUTTON, IDC_ABOUT, 2, IDC_SOURCE, IDC_TARGET, IDC_MASK, IDC_WEB, 4063, IDC_RUN})
        Command(id);
}

// Every event from every state it can happen in: the state it leaves (Start, source chosen,
// target chosen, password ready; - where it cannot happen), the labels, an empty one kept as it
// was, and the messages, boxes and ends shown. Run is disabled after a chosen Save as too, since
// the password is emptied; keys past the 20th symbol are ignored; a path that does not fit the
// path buffers is refused and then handled as a cancel, never cut; a close request ends the
// dialog with 0.
TEST(DialogTest, EveryEventFromEveryState) {
    const std::wstring openLong = L"Warring: The path of this file is too long. Please choose a "
                                  L"file with a shorter path",
                       saveLong =
                           L"Warring: The save path is too long. Please choose a shorter one";
    const Labels prompts = {NoSource, NoTarget, Placeholder},
                 noTarget = {L"", NoTarget, Placeholder};
    const std::vector<std::wstring> noChange = {L"box 1002", L"box 1003",
                                                L"Warring: Can't open file 1"};
    const struct {
        const char *event;
        void (*act)();
        const char *to; // from each state, as S, O, T, P or -
        Labels labels;
        std::vector<std::wstring> shown;
    } rows[] = {
        {"Open cancelled", [] { Ask(IDC_OPEN, {}); }, "SSSS", prompts, {}},
        {"Open too long", [] { Ask(IDC_OPEN, TooLong); }, "SSSS", prompts, {openLong}},
        {"Open chosen", [] { Ask(IDC_OPEN, P2); }, "OOTP", {P2, L"", L""}, {}},
        {"Save as cancelled", [] { Ask(IDC_SAVEAS, {}); }, "-OOO", noTarget, {}},
        {"Save as too long", [] { Ask(IDC_SAVEAS, TooLong); }, "-OOO", noTarget, {saveLong}},
        {"Save as chosen", [] { Ask(IDC_SAVEAS, T2); }, "-TTT", {L"", T2, Mask(0)}, {}},
        {"Reset password", [] { Command(IDC_RESET); }, "--TT", {L"", L"", Mask(0)}, {}},
        {"21 keys", [] { Press(IDC_KEY_A, 21); }, "--PP", {L"", L"", Mask(20)}, {}},
        {"No change", NoChange, "SOTP", {}, noChange},
        {"Close request", CloseDialog, "SOTP", {}, {L"end 0"}},
    };
    for (const auto &row : rows) {
        for (State s : {Start, SourceChosen, TargetChosen, PasswordReady}) {
            if (row.to[s] == '-')
                continue;
            SCOPED_TRACE(std::string(row.event) + " in state " + std::to_string(s));
            Launch();
            const Labels before = Reach(s);
            row.act();
            Expect(State(std::string("SOTP").find(row.to[s])), row.labels, before);
            EXPECT_EQ(events, row.shown);
        }
    }
}

} // namespace

#ifdef _WIN32
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int);

// A start that fails (here: the window class is taken) must not end like a normal run, with 0.
TEST(WinMainTest, AFailedStartIsNotReportedAsSuccess) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarvixClass";
    ASSERT_NE(RegisterClassW(&wc), 0);
    EXPECT_EQ(wWinMain(GetModuleHandleW(nullptr), nullptr, nullptr, 0), 1);
}
#endif
