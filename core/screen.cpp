// Dispatch of the screen operations to whatever front end is installed.
#include "screen.h"

static void NoText(int, const wchar_t *) {}
static void NoEnable(int, bool) {}
static void NoMessage(const wchar_t *, const wchar_t *, MessageOwner) {}
static void NoEnd(int) {}

static const Screen silentScreen = {NoText, NoEnable, NoMessage, NoEnd};
static const Screen *screen = &silentScreen;

void SetScreen(const Screen *s) {
    screen = s ? s : &silentScreen;
}

void ScreenSetText(int id, const wchar_t *text) {
    screen->setText(id, text);
}
void ScreenEnable(int id, bool on) {
    screen->enable(id, on);
}
void ScreenMessage(const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
    screen->message(text, caption, owner);
}
void ScreenEndDialog(int result) {
    screen->endDialog(result);
}
