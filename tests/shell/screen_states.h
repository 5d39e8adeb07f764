// The four states of the main dialog's screen, as a user sees them: which of the 62 controls
// are enabled and what the three labels show. Both the native tests, against a fake screen,
// and the session test, against the real program under Wine, check a screen against these.
#pragma once

#include "ids.h"
#include "password.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

enum State { Start, SourceChosen, TargetChosen, PasswordReady };

// What the source, target and mask labels show.
struct Labels {
    std::wstring source, target, mask;
};

// The source label's caption at launch; after a cancelled Open it shows the same text with a
// trailing space.
const std::wstring LaunchSource = L" To start press the 'Open ' buton";
const std::wstring NoSource = LaunchSource + L" ";
const std::wstring NoTarget = L" Choose where you want to save the 'new' document.";

// What the mask label shows for n symbols; before any password it shows the placeholder.
inline std::wstring Mask(int n) {
    return std::wstring(n, L'*') + std::wstring(20 - n, L' ');
}

// Whether the control with this ID is enabled in state s.
inline bool Enabled(State s, int id) {
    if (id == IDC_SAVEAS || id == IDC_TARGET)
        return s >= SourceChosen;
    if (id == IDC_RESET || id == IDC_MASK || FindKey(id))
        return s >= TargetChosen;
    return id == IDC_RUN
               ? s == PasswordReady
               : id == IDC_HELPBUTTON || id == IDC_ABOUT || id == IDC_OPEN || id == IDC_SOURCE;
}

// Checks every control of a screen, read through enabled and text, against state s with
// these labels.
inline void ExpectScreen(State s, const std::function<bool(int)> &enabled,
                         const std::function<std::wstring(int)> &text, const Labels &labels) {
    for (int id = IDC_WEB; id <= IDC_KEY_RPAREN; id++)
        EXPECT_EQ(enabled(id), Enabled(s, id)) << "control " << id << " in state " << s;
    EXPECT_EQ(text(IDC_SOURCE), labels.source);
    EXPECT_EQ(text(IDC_TARGET), labels.target);
    EXPECT_EQ(text(IDC_MASK), labels.mask);
}
