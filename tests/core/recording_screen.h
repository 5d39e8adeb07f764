// A Screen for the tests: every call the core makes to the screen, in order, as plain records.
// onMessage, when set, runs while a message is shown, as a user could act while a message box
// without an owner is open.
#pragma once

#include "pipeline.h"
#include "screen.h"

#include <functional>
#include <string>
#include <vector>

struct Call {
    char kind; // 't' label text, 'e' control switched, 'm' message, 'x' end of the dialog
    int id;    // the control, or the dialog's result
    bool on;   // 'e': switched on
    std::wstring text, caption;
    MessageOwner owner;
    bool held; // 'm': a bit buffer was held while the message was shown
};

inline std::vector<Call> calls;
inline std::function<void()> onMessage;

inline const Screen Recorder = {
    [](int id, const wchar_t *text) {
        calls.push_back({'t', id, false, text, L"", OwnerNone, false});
    },
    [](int id, bool on) {
        calls.push_back({'e', id, on, L"", L"", OwnerNone, false});
    },
    [](const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
        calls.push_back({'m', 0, false, text, caption, owner, pBuf != nullptr});
        if (onMessage)
            onMessage();
    },
    [](int result) {
        calls.push_back({'x', result, false, L"", L"", OwnerNone, false});
    },
};
