// What the main dialog's logic needs of the platform beyond the core's Screen: the two file
// dialogs and the information boxes. The Windows program fills a Platform with the common
// dialogs and DialogBoxParamW, tests fill it with a fake. Until one is installed every file
// dialog is cancelled and no box opens, like the core's silent screen.
#pragma once

struct Platform {
    // Asks the user for an existing file to read. Its full path, or nullptr when the user
    // cancelled or the dialog failed. The path may be of any length; it stays valid until the
    // next call.
    const wchar_t *(*askOpen)();
    // Asks the user for a path to write, an existing file only once the user has agreed to its
    // replacement. As askOpen.
    const wchar_t *(*askSave)();
    // Runs the information box of this template modally, with the main dialog as owner, and
    // returns once it has ended.
    void (*runBox)(int templateId);
};

// Installs the platform's operations; nullptr returns to the silent platform.
void SetPlatform(const Platform *platform);
