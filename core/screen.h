// The only way the core reaches a screen. A front end (the dialog, the command-line program, a
// test) fills a Screen with its own operations and installs it with SetScreen; until then every
// operation does nothing, so the core runs without any screen at all.
#pragma once

// Who owns a message box: nobody (failure messages, so the dialog stays usable) or the main
// dialog (the closing message, which disables the dialog until it is answered).
enum MessageOwner { OwnerNone, OwnerDialog };

struct Screen {
    // Replace the text of the control with this ID (a label).
    void (*setText)(int id, const wchar_t *text);
    // Enable (on = true) or disable the control with this ID.
    void (*enable)(int id, bool on);
    // Show text under caption with a single OK button and no icon; return once it is answered.
    void (*message)(const wchar_t *text, const wchar_t *caption, MessageOwner owner);
    // End the main dialog with this result; the program ends with it.
    void (*endDialog)(int result);
};

// Installs the front end's operations; nullptr returns to the silent screen.
void SetScreen(const Screen *screen);

void ScreenSetText(int id, const wchar_t *text);
void ScreenEnable(int id, bool on);
void ScreenMessage(const wchar_t *text, const wchar_t *caption, MessageOwner owner);
void ScreenEndDialog(int result);
