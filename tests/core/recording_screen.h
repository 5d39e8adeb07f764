// A Screen for the tests. It records every call the core makes to the screen, in call order:
// label texts, enabled or disabled controls, messages with their caption and owner, and the end
// of the dialog. A test can also act while a message is shown (onMessage), as a user could while
// a message box without an owner is open.
#pragma once

#include "pipeline.h"
#include "screen.h"

#include <functional>
#include <string>
#include <vector>

struct ScreenCall {
    enum Kind { Text, Enable, Message, End } kind = Text;
    int id = 0;                 // control of Text and Enable, result of End
    bool on = false;            // Enable
    std::wstring text, caption; // Text (text only) and Message
    MessageOwner owner = OwnerNone;
    bool bufferHeld = false; // Message: a bit buffer was held while it was shown
};

struct ScreenLog {
    std::vector<ScreenCall> calls;
    std::function<void(const ScreenCall &)> onMessage;

    std::vector<ScreenCall> Messages() const {
        std::vector<ScreenCall> out;
        for (const ScreenCall &c : calls)
            if (c.kind == ScreenCall::Message)
                out.push_back(c);
        return out;
    }
    std::vector<int> Ends() const {
        std::vector<int> out;
        for (const ScreenCall &c : calls)
            if (c.kind == ScreenCall::End)
                out.push_back(c.id);
        return out;
    }
    // How often the control was switched on (or off).
    int Switched(int id, bool on) const {
        int n = 0;
        for (const ScreenCall &c : calls)
            n += c.kind == ScreenCall::Enable && c.id == id && c.on == on;
        return n;
    }
    // The last text put into the control.
    std::wstring LastText(int id) const {
        for (auto c = calls.rbegin(); c != calls.rend(); ++c)
            if (c->kind == ScreenCall::Text && c->id == id)
                return c->text;
        return L"<none>";
    }
};

inline ScreenLog &Log() {
    static ScreenLog log;
    return log;
}

namespace recording {
inline ScreenCall &Add(ScreenCall::Kind kind, int id) {
    Log().calls.emplace_back();
    Log().calls.back().kind = kind;
    Log().calls.back().id = id;
    return Log().calls.back();
}
inline void SetText(int id, const wchar_t *text) {
    Add(ScreenCall::Text, id).text = text;
}
inline void Enable(int id, bool on) {
    Add(ScreenCall::Enable, id).on = on;
}
inline void Message(const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
    ScreenCall &call = Add(ScreenCall::Message, 0);
    call.text = text;
    call.caption = caption;
    call.owner = owner;
    call.bufferHeld = pBuf != nullptr;
    if (Log().onMessage)
        Log().onMessage(ScreenCall(call)); // a copy: the callback may add calls
}
inline void EndDialog(int result) {
    Add(ScreenCall::End, result);
}
} // namespace recording

inline const Screen RecordingScreen = {recording::SetText, recording::Enable, recording::Message,
                                       recording::EndDialog};

// Empties the log and installs the recording screen.
inline void StartRecording() {
    Log() = ScreenLog();
    SetScreen(&RecordingScreen);
}
