// Arguments, standard streams and the terminal, once for POSIX and once for Windows. While
// echo is off, an interrupt restores the terminal before the program ends, so the user's shell
// is never left without echo.
#include "console.h"

#include "utf8.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

bool ReadFirstLine(FILE *f, std::string &line) {
#ifdef _WIN32
    if (f == stdin)
        _setmode(_fileno(stdin), _O_BINARY);
#endif
    line.clear();
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == '\n' && !line.empty() && line.back() == '\r')
        line.pop_back();
    return !std::ferror(f);
}

// Writes UTF-8 to a stream that is not a console.
static bool WriteBytes(FILE *f, const std::wstring &text) {
    std::string bytes = EncodeUtf8(text);
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fflush(f) == 0 && written;
}

#ifdef _WIN32

std::vector<Arg> WideArgs(int argc, wchar_t **argv) {
    std::vector<Arg> args;
    for (int i = 0; i < argc; i++)
        args.push_back({argv[i], WellFormed(argv[i])});
    return args;
}

static bool IsConsole(HANDLE h) {
    DWORD mode;
    return GetConsoleMode(h, &mode) != 0;
}

bool Write(Channel channel, const std::wstring &text) {
    HANDLE h = GetStdHandle(channel == Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    FILE *f = channel == Out ? stdout : stderr;
    if (!IsConsole(h))
        return WriteBytes(f, text);
    std::fflush(f);
    DWORD written;
    return WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool StdinIsTerminal() {
    return IsConsole(GetStdHandle(STD_INPUT_HANDLE));
}

static HANDLE hiddenInput;
static DWORD savedMode;

static BOOL WINAPI RestoreOnBreak(DWORD) {
    SetConsoleMode(hiddenInput, savedMode);
    return FALSE; // the default handler then ends the program
}

bool ReadHiddenLine(const std::wstring &prompt, std::string &line) {
    hiddenInput = GetStdHandle(STD_INPUT_HANDLE);
    if (!GetConsoleMode(hiddenInput, &savedMode))
        return false;
    SetConsoleCtrlHandler(RestoreOnBreak, TRUE);
    SetConsoleMode(hiddenInput, (savedMode | ENABLE_LINE_INPUT) & ~ENABLE_ECHO_INPUT);
    Write(Err, prompt);
    // One character at a time up to the line end, so that nothing of the line is left for
    // whatever reads the console next.
    std::wstring wide;
    wchar_t c;
    DWORD got;
    bool ok;
    while ((ok = ReadConsoleW(hiddenInput, &c, 1, &got, nullptr) != 0) && got == 1 && c != L'\n')
        wide += c;
    SetConsoleMode(hiddenInput, savedMode);
    SetConsoleCtrlHandler(RestoreOnBreak, FALSE);
    Write(Err, L"\n");
    if (!wide.empty() && wide.back() == L'\r')
        wide.pop_back();
    line = EncodeUtf8(wide);
    return ok;
}

#else

std::vector<Arg> WideArgs(int argc, char **argv) {
    std::vector<Arg> args;
    for (int i = 0; i < argc; i++) {
        Arg a;
        a.ok = DecodeUtf8(argv[i], a.text);
        args.push_back(a);
    }
    return args;
}

bool Write(Channel channel, const std::wstring &text) {
    return WriteBytes(channel == Out ? stdout : stderr, text);
}

bool StdinIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

static struct termios savedTerminal;

// The signals that end the program from the terminal, each with what it did before the prompt.
static struct {
    int sig;
    struct sigaction before;
} interrupts[] = {{SIGINT, {}}, {SIGTERM, {}}, {SIGHUP, {}}, {SIGQUIT, {}}};

static void RestoreOnSignal(int sig) {
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

bool ReadHiddenLine(const std::wstring &prompt, std::string &line) {
    bool hidden = tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
    if (hidden) {
        struct sigaction restore = {};
        restore.sa_handler = RestoreOnSignal;
        for (auto &in : interrupts)
            sigaction(in.sig, &restore, &in.before);
        struct termios quiet = savedTerminal;
        quiet.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    Write(Err, prompt);
    bool ok = ReadFirstLine(stdin, line);
    if (hidden) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
        for (auto &in : interrupts)
            sigaction(in.sig, &in.before, nullptr);
        Write(Err, L"\n");
    }
    return ok;
}

#endif
