// The main dialog's logic. The screen states are not stored anywhere: each flow switches
// every control it changes, and the state is what the controls show.
#include "dialog.h"

#include "codec.h"
#include "ids.h"
#include "password.h"
#include "pipeline.h"
#include "platform.h"
#include "resource.h"
#include "screen.h"

#include <cwchar>

// Shown in the source and target labels when no path is chosen.
static const wchar_t *const OpenPrompt = L" To start press the 'Open ' buton ";
static const wchar_t *const SavePrompt = L" Choose where you want to save the 'new' document.";

static const wchar_t *NoFile() {
    return nullptr;
}
static void NoBox(int) {}
static const Platform silentPlatform = {NoFile, NoFile, NoBox};
static const Platform *platform = &silentPlatform;

void SetPlatform(const Platform *p) {
    platform = p ? p : &silentPlatform;
}

void InitDialog() {
    InitHeslo();
}

void Command(int id) {
    switch (id) {
    case IDC_HELPBUTTON:
        platform->runBox(IDD_HELP);
        break;
    case IDC_ABOUT:
        platform->runBox(IDD_ABOUT);
        break;
    case IDC_OPEN:
        OpenFlow();
        break;
    case IDC_SAVEAS:
        SaveFlow();
        break;
    case IDC_RUN:
        RunPipeline();
        break;
    case IDC_RESET:
        ResetHeslo();
        ScreenEnable(IDC_RUN, false);
        break;
    default:
        PressKey(id); // does nothing for an ID that is no keypad key
        break;
    }
}

void CloseDialog() {
    ScreenEndDialog(0);
}

// Copies a path chosen in a file dialog into buf (a path buffer). A path that does not fit is
// refused with a message rather than cut, since a cut path names another file.
static bool TakePath(const wchar_t *chosen, wchar_t *buf, const wchar_t *tooLong) {
    if (!chosen)
        return false;
    size_t length = std::wcslen(chosen);
    if (length >= static_cast<size_t>(PathRoom)) {
        ScreenMessage(tooLong, L"Warring", OwnerNone);
        return false;
    }
    std::wcscpy(buf, chosen);
    return true;
}

// After a cancel: the keypad closes on an empty password and the mask label shows the
// placeholder again.
static void ClosePassword() {
    Skry();
    ResetHeslo();
    ScreenSetText(IDC_MASK, bufHeslo);
}

void OpenFlow() {
    if (TakePath(platform->askOpen(), bufOpen,
                 L"The path of this file is too long. Please choose a file with a shorter path")) {
        ScreenSetText(IDC_SOURCE, bufOpen);
        ScreenEnable(IDC_SAVEAS, true);
        ScreenEnable(IDC_TARGET, true);
        return;
    }
    std::wcscpy(bufOpen, OpenPrompt);
    std::wcscpy(bufSave, SavePrompt);
    std::wcscpy(bufHeslo, Placeholder);
    ScreenEnable(IDC_SAVEAS, false);
    ScreenEnable(IDC_TARGET, false);
    ScreenEnable(IDC_RUN, false);
    ScreenEnable(IDC_MASK, false);
    ScreenSetText(IDC_SOURCE, bufOpen);
    ScreenSetText(IDC_TARGET, bufSave);
    ClosePassword();
}

void SaveFlow() {
    if (TakePath(platform->askSave(), bufSave,
                 L"The save path is too long. Please choose a shorter one")) {
        ScreenSetText(IDC_TARGET, bufSave);
        Ukaz();
        ResetHeslo();
        ScreenEnable(IDC_MASK, true);
        // The password is empty again, so Run waits for five new symbols.
        ScreenEnable(IDC_RUN, false);
        return;
    }
    std::wcscpy(bufSave, SavePrompt);
    std::wcscpy(bufHeslo, Placeholder);
    ScreenEnable(IDC_RUN, false);
    ScreenEnable(IDC_MASK, false);
    ScreenSetText(IDC_TARGET, bufSave);
    ClosePassword();
}

// The keypad keys in the order of their handles h11 to h63 (h37 is the Reset password button
// and skipped), then Reset password: handle hN is control 4000 + N, except that h51 is the key
// without caption (4009) and h52 to h63 are controls 4051 to 4062.
static void SwitchKeypad(bool on) {
    for (int n = 11; n <= 63; n++) {
        if (n == 37)
            continue;
        ScreenEnable(n < 51 ? 4000 + n : n == 51 ? IDC_KEY_BLANK : 3999 + n, on);
    }
    ScreenEnable(IDC_RESET, on);
}

void Skry() {
    SwitchKeypad(false);
}

void Ukaz() {
    SwitchKeypad(true);
}
