// The web page's front end: the core's Screen and the shell's Platform for a page in a browser.
// The main dialog's logic (shell/dialog.cpp) runs here unchanged. What it shows goes to the
// page's script through a few small JavaScript calls, which only draw; the script sends what the
// user does back through the functions exported at the end. The document and the output live in
// one folder of the page's memory (Emscripten's in-memory file system) and nowhere else.
#include "codec.h"
#include "dialog.h"
#include "ids.h"
#include "password.h"
#include "pipeline.h"
#include "platform.h"
#include "screen.h"
#include "utf8.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The page's script, handed to the module as Module.page, holds the controls and the boxes.
EM_JS(void, DrawText, (int id, const char *text), { Module.page.setText(id, UTF8ToString(text)); });
EM_JS(void, DrawCount, (int id, const char *text), { Module.page.count(id, UTF8ToString(text)); });
EM_JS(void, DrawEnabled, (int id, int on), { Module.page.enable(id, on != 0); });
EM_JS(void, DrawMessage, (const char *text, const char *caption),
      { Module.page.message(UTF8ToString(text), UTF8ToString(caption)); });
EM_JS(void, DrawEnd, (), { Module.page.end(); });
EM_JS(void, DrawBox, (int templateId), { Module.page.box(templateId); });

// The folder that holds the document and the output under the names the user gave them, so
// that the labels show those names and the output takes the source's suffix.
static const char *const Folder = "/documents";

// What a screen reader says of the mask, whose asterisks it would read out one by one: how many
// symbols it shows, as a sighted user counts them. The placeholder shows none.
static void ShowCount(const wchar_t *mask) {
    const bool placeholder = std::wcscmp(mask, Placeholder) == 0;
    const long n = placeholder ? 0 : std::count(mask, mask + std::wcslen(mask), L'*');
    const std::string count = n == 0   ? "no symbols entered"
                              : n == 1 ? "1 symbol entered"
                                       : std::to_string(n) + " symbols entered";
    DrawCount(IDC_MASK, count.c_str());
}

static void SetText(int id, const wchar_t *text) {
    DrawText(id, EncodeUtf8(text).c_str());
    if (id == IDC_MASK)
        ShowCount(text);
}

static void Enable(int id, bool on) {
    DrawEnabled(id, on);
}

// Every message is a modal box of the page: it cannot stop the script until it is answered, so
// the closing message is followed at once by the end of the dialog, which the page carries out
// once the message has been answered.
static void Message(const wchar_t *text, const wchar_t *caption, MessageOwner) {
    DrawMessage(EncodeUtf8(text).c_str(), EncodeUtf8(caption).c_str());
}

static void EndDialog(int) {
    DrawEnd();
}

static const Screen pageScreen = {SetText, Enable, Message, EndDialog};

// What the user chose in the page's own Open or Save-as step, for the file dialog that the
// dialog's flow asks during that one command (Ask); any other ask is a cancel.
static std::wstring answer;
static bool answered;

static const wchar_t *Answer() {
    return answered ? answer.c_str() : nullptr;
}

static const Platform pagePlatform = {Answer, Answer, DrawBox};

// The command of Open or Save as, whose file dialog answers name (UTF-8), or is cancelled for
// nullptr.
static void Ask(int id, const char *name) {
    answered = name && DecodeUtf8(name, answer);
    Command(id);
    answered = false;
}

// Removes every file of the folder but the one named keep: the page holds one document.
static void KeepOnly(const wchar_t *keep) {
    const std::string kept = EncodeUtf8(keep);
    std::vector<std::string> names;
    if (DIR *folder = opendir(".")) {
        while (dirent *e = readdir(folder))
            if (e->d_type == DT_REG && kept != e->d_name)
                names.push_back(e->d_name);
        closedir(folder);
    }
    for (const std::string &name : names)
        std::remove(name.c_str());
}

extern "C" {

// The program starts: the dialog is initialised in the folder of the page's memory.
EMSCRIPTEN_KEEPALIVE void tv_launch() {
    mkdir(Folder, 0700);
    chdir(Folder);
    SetScreen(&pageScreen);
    SetPlatform(&pagePlatform);
    InitDialog();
    ShowCount(Placeholder);
}

// The command of the control with this ID, as the dialog receives it.
EMSCRIPTEN_KEEPALIVE void tv_command(int id) {
    Command(id);
}

// How much of a document the script puts into the folder: one byte more than a Run accepts, so
// that a bigger document is refused as the program refuses it, without taking all its memory.
EMSCRIPTEN_KEEPALIVE unsigned tv_read_limit() {
    return MaxPOC + 1;
}

// Once a document's size is known, and while the user picks a name and enters the password, the
// page takes the memory that its Run will take and touches every page of it, then gives it back.
// The Run then finds it ready: a browser's first touch of fresh memory would otherwise cost its
// first Run some 300 ms for the largest document, four times the rest of that Run.
EMSCRIPTEN_KEEPALIVE void tv_prepare(unsigned size) {
    if (size < MinPOC || size > MaxPOC)
        return;
    int32_t *block = TakeBitBuffer(size);
    if (!block)
        return;
    // Written through a volatile pointer, since a block freed at once might otherwise never be.
    volatile char *bytes = reinterpret_cast<char *>(block);
    for (size_t at = 0; at < size_t{size} * 8 * sizeof *block; at += 4096)
        bytes[at] = 0;
    std::free(block);
}

// Open, with the file that the script has put into the folder under its own name, or with the
// name of one it could not read (read 0), which then fails to open at the Run as a file that
// vanished would, even where an earlier document bore that name; nullptr for a cancel.
EMSCRIPTEN_KEEPALIVE void tv_open(const char *name, int read) {
    if (name && !read)
        std::remove(name);
    Ask(IDC_OPEN, name);
    KeepOnly(bufOpen);
}

// Save as, with the name typed in the page's name box, or nullptr for a cancel. A browser saves
// by name only, into its own folder, so an empty name or one that holds a path separator is
// refused (0) and the name box stays, as a file dialog stays on a name it cannot take.
EMSCRIPTEN_KEEPALIVE int tv_save(const char *name) {
    if (name && (!*name || std::strpbrk(name, "/\\"))) {
        ScreenMessage(L"Please type a name for the 'new' document, without / or \\", L"Warring",
                      OwnerNone);
        return 0;
    }
    Ask(IDC_SAVEAS, name);
    return 1;
}

// The output's name in the folder (UTF-8), for its download: the target name followed by the
// source's suffix, or "" when there is none.
EMSCRIPTEN_KEEPALIVE const char *tv_output() {
    static std::string name;
    wchar_t path[PathRoom];
    name = OutputPath(path) ? EncodeUtf8(path) : "";
    return name.c_str();
}

// Once the output is downloaded: the document, the output and the password are forgotten and
// the dialog starts again, as the program would by exiting and being started anew.
EMSCRIPTEN_KEEPALIVE void tv_forget() {
    KeepOnly(L"");
    ResetProgramState();
    InitDialog();
    ShowCount(Placeholder);
}
}
