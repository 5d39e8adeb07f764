// The Windows program: its entry, the window class that gives the main dialog its icon, the
// dialog procedures, the file dialogs on the record opf, and the Screen and Platform over
// USER32 and COMDLG32. Everything the dialog decides is in dialog.cpp; this file only carries
// messages there and operations back.
#include "codec.h"
#include "dialog.h"
#include "platform.h"
#include "resource.h"
#include "screen.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

// The release is 32-bit; these records must have the sizes that its system expects.
#ifdef __i386__
static_assert(sizeof(OPENFILENAMEW) == 88, "OPENFILENAMEW");
static_assert(sizeof(WNDCLASSEXW) == 48, "WNDCLASSEXW");
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "INITCOMMONCONTROLSEX");
#endif

static HINSTANCE hInst;
static HWND hMain; // the main dialog

// The controls' handles by ID: hCtl[n] is control 4000 + n. So henc is hCtl[8], listHeslo
// hCtl[10], hres hCtl[37], and the keypad keys h11 to h63 are the rest from hCtl[9] on.
static HWND hCtl[63];

static OPENFILENAMEW opf;
static wchar_t szFile[260];

static const wchar_t OpenFilter[] = L"All\0*.*\0"
                                    L"Text   *.txt;*.doc\0*.TXT;*.DOC\0"
                                    L"Picture   *.bmp;*.jpg;*gif\0*.BMP;*JPG;*.GIF\0"
                                    L"Music   *.mp3;*.wmp\0*.MP3;*.WMP\0";
static const wchar_t SaveFilter[] = L"All\0*.*\0";

// Prepares opf for a file dialog: an empty name, the first filter, and the main dialog as
// owner, so that nothing else in it can be started while the file dialog is open.
static void PrepareOpf(const wchar_t *filter, DWORD flags) {
    opf = OPENFILENAMEW();
    opf.lStructSize = sizeof opf;
    opf.hwndOwner = hMain;
    opf.lpstrFilter = filter;
    opf.nFilterIndex = 1;
    szFile[0] = 0;
    opf.lpstrFile = szFile;
    opf.nMaxFile = sizeof szFile / sizeof szFile[0];
    opf.Flags = flags;
}

static void Init() {
    PrepareOpf(OpenFilter, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
}

static void InitSave() {
    PrepareOpf(SaveFilter, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT);
}

static const wchar_t *AskOpen() {
    Init();
    return GetOpenFileNameW(&opf) ? szFile : nullptr;
}

static const wchar_t *AskSave() {
    InitSave();
    return GetSaveFileNameW(&opf) ? szFile : nullptr;
}

// The Help and About boxes: only a close request ends them.
static INT_PTR CALLBACK HelpProced(HWND hHelp, UINT msg, WPARAM, LPARAM) {
    if (msg != WM_CLOSE)
        return FALSE;
    EndDialog(hHelp, 0);
    return TRUE;
}

static void RunBox(int templateId) {
    DialogBoxParamW(hInst, MAKEINTRESOURCEW(templateId), hMain, HelpProced, 0);
}

static const Platform winPlatform = {AskOpen, AskSave, RunBox};

static HWND Control(int id) {
    return id > 4000 && id < 4063 ? hCtl[id - 4000] : nullptr;
}

static void SetText(int id, const wchar_t *text) {
    SetWindowTextW(Control(id), text);
}

static void Enable(int id, bool on) {
    EnableWindow(Control(id), on);
}

// Failure messages have no owner, so the dialog stays usable; the closing message is owned.
static void Message(const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
    MessageBoxW(owner == OwnerDialog ? hMain : nullptr, text, caption, MB_OK);
}

static void End(int result) {
    EndDialog(hMain, result);
}

static const Screen winScreen = {SetText, Enable, Message, End};

// The main dialog. The handles are looked up afresh on every message, so they are always
// those of this dialog when a command uses them.
static INT_PTR CALLBACK MainDlgProc(HWND hwndDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    hMain = hwndDlg;
    for (int n = 1; n < 63; n++)
        hCtl[n] = GetDlgItem(hwndDlg, 4000 + n);
    switch (uMsg) {
    case WM_INITDIALOG:
        InitDialog();
        return TRUE; // the system puts the focus on Help
    case WM_COMMAND:
        Command(LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        CloseDialog();
        return TRUE;
    case WM_SIZE:
        return TRUE;
    }
    return FALSE;
}

// The dialog's window class: the system's dialog class with the program's icon.
static bool RegisterTarvixClass() {
    WNDCLASSEXW wcx;
    wcx.cbSize = sizeof wcx;
    if (!GetClassInfoExW(nullptr, WC_DIALOG, &wcx))
        return false;
    wcx.hInstance = hInst;
    wcx.hIcon = static_cast<HICON>(
        LoadImageW(hInst, MAKEINTRESOURCEW(IDI_TARVIX), IMAGE_ICON, 48, 48, LR_CREATEDIBSECTION));
    wcx.hIconSm = static_cast<HICON>(
        LoadImageW(hInst, MAKEINTRESOURCEW(IDI_TARVIX), IMAGE_ICON, 48, 48, LR_CREATEDIBSECTION));
    wcx.lpszClassName = L"TarvixClass";
    return RegisterClassExW(&wcx) != 0;
}

// Declares the program aware of the screen's DPI, so that above 96 DPI Windows lays the dialog
// out by its font at full resolution instead of stretching a 96-DPI bitmap of it. The calls are
// looked up at run time, so that a system that lacks them starts the program all the same,
// unaware: Windows XP has neither, Vista to 8.1 only the second.
static void DeclareDpiAware() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    // Through void (*)(): a plain cast between unrelated function types draws a warning.
    using SetContext = BOOL(WINAPI *)(DPI_AWARENESS_CONTEXT);
    auto setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (setContext && (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
                       setContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE)))
        return;
    using SetAware = BOOL(WINAPI *)();
    auto setAware = reinterpret_cast<SetAware>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetProcessDPIAware")));
    if (setAware)
        setAware();
}

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    hInst = hInstance;
    DeclareDpiAware(); // before any window, which keeps the awareness it was created with
    INITCOMMONCONTROLSEX icc;
    icc.dwSize = sizeof icc;
    icc.dwICC = 0xFF; // every class from list views to animations
    InitCommonControlsEx(&icc);
    // A start that failed must not look like a normal end, which is 0.
    if (!RegisterTarvixClass())
        return 1;
    SetScreen(&winScreen);
    SetPlatform(&winPlatform);
    return static_cast<int>(
        DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDlgProc, 0));
}
