// The command-line program: one Run of the document transform. It takes the source and target
// paths and the keypad keys, fills the core's state as the dialog's Open, Save as and keypad
// would, and calls the same Run; a stopped Run's message goes to standard error, the output
// path of a completed one to standard output.
#include "codec.h"
#include "console.h"
#include "files.h"
#include "keys.h"
#include "pipeline.h"
#include "screen.h"
#include "utf8.h"

#include <cwchar>
#include <optional>

#define WIDEN2(text) L##text
#define WIDEN(text) WIDEN2(text)

static const std::wstring Name = L"tarvix-vantor-cli";

static const wchar_t *const HelpText =
    L"Usage: tarvix-vantor-cli [--keys KEYS | --keys-file FILE] SOURCE TARGET\n"
    L"\n"
    L"Scrambles the document SOURCE under a password of keypad keys; the same keys on the\n"
    L"scrambled copy restore it. The output goes to TARGET followed by the suffix of SOURCE\n"
    L"(from its last '.'), or by \"(2)\" when SOURCE has no '.'; a file already there is\n"
    L"replaced. The output path is printed on standard output.\n"
    L"\n"
    L"Options:\n"
    L"  --keys KEYS       the keys, given on the command line\n"
    L"  --keys-file FILE  read the keys from the first line of FILE ('-': standard input)\n"
    L"  --help            show this help and exit\n"
    L"  --version         show the version and exit\n"
    L"Without either option the keys are read from the first line of standard input; on a\n"
    L"terminal a prompt is shown and the keys are not echoed.\n"
    L"\n"
    L"Keys given with --keys can be seen by other users of this machine (in the list of\n"
    L"running processes, for instance). Prefer --keys-file or standard input.\n"
    L"\n"
    L"KEYS are the keypad captions in order: A to Z, 0 to 9, @ \u00A3 $ = < > + - x / % ! ? ( )\n"
    L"and a space for the key without caption. Letters are upper case; \"x\" is the times key.\n"
    L"The password needs 5 to 20 symbols; \">\" enters two.\n"
    L"\n"
    L"Not encryption: a document's first 29 bytes are enough to restore it without the keys.\n"
    L"\n"
    L"Exit status: 0 done, 1 the Run stopped (its message is on standard error), 2 usage error.\n";

// What the command line asks for. Exactly two paths are left in paths once it is read.
struct Options {
    std::optional<Arg> keys;     // --keys
    std::optional<Arg> keysFile; // --keys-file
    std::vector<Arg> paths;      // SOURCE, TARGET
};

// Status meaning "go on": every step below returns it or the status to exit with.
const int GoOn = -1;

static int Usage(const std::wstring &what) {
    Write(Err, Name + L": " + what + L"\nTry '" + Name + L" --help'.\n");
    return 2;
}

// Reads the value of option name at args[i], given as "--name VALUE" or "--name=VALUE", into
// slot. The keys may be given only once, by either option.
static int TakeOption(const std::vector<Arg> &args, size_t &i, const std::wstring &name,
                      std::optional<Arg> &slot, const Options &o) {
    const Arg &a = args[i];
    if (o.keys || o.keysFile)
        return Usage(L"give the keys only once, with --keys or with --keys-file");
    if (a.text.size() > name.size()) {
        slot = Arg{a.text.substr(name.size() + 1), a.ok};
        return GoOn;
    }
    if (++i == args.size())
        return Usage(L"option '" + name + L"' needs a value");
    slot = args[i];
    return GoOn;
}

// --help and --version: the text on standard output, and whether it could be written.
static int Show(const std::wstring &text) {
    return Write(Out, text) ? 0 : 1;
}

static bool IsOption(const std::wstring &a, const std::wstring &name) {
    return a.compare(0, name.size(), name) == 0 &&
           (a.size() == name.size() || a[name.size()] == L'=');
}

static int ParseArgs(const std::vector<Arg> &args, Options &o) {
    bool options = true;
    for (size_t i = 1; i < args.size(); i++) {
        const std::wstring &a = args[i].text;
        int status = GoOn;
        if (!options || a.size() < 2 || a[0] != L'-') {
            o.paths.push_back(args[i]);
        } else if (a == L"--") {
            options = false;
        } else if (a == L"--help") {
            return Show(HelpText);
        } else if (a == L"--version") {
            return Show(Name + L" " WIDEN(TV_VERSION) L"\n");
        } else if (IsOption(a, L"--keys")) {
            status = TakeOption(args, i, L"--keys", o.keys, o);
        } else if (IsOption(a, L"--keys-file")) {
            status = TakeOption(args, i, L"--keys-file", o.keysFile, o);
        } else {
            status = Usage(L"unknown option '" + a + L"'");
        }
        if (status != GoOn)
            return status;
    }
    if (o.paths.size() < 2)
        return Usage(o.paths.empty() ? L"SOURCE and TARGET are missing" : L"TARGET is missing");
    if (o.paths.size() > 2)
        return Usage(L"one SOURCE and one TARGET only; '" + o.paths[2].text + L"' is one more");
    return GoOn;
}

// A path must reach the core whole: refused, never cut, when it does not fit the dialog's
// buffer or has no UTF-8 form.
static int CheckPath(const Arg &path, const std::wstring &role) {
    if (!path.ok)
        return Usage(L"the " + role + L" path is not valid UTF-8");
    if (path.text.empty())
        return Usage(L"the " + role + L" path is empty");
    if (path.text.size() >= static_cast<size_t>(PathRoom))
        return Usage(L"the " + role + L" path has " + std::to_wstring(path.text.size()) +
                     L" characters; at most " + std::to_wstring(PathRoom - 1) + L" fit");
    return GoOn;
}

// The first line of the keys file, or of standard input (hidden when it is a terminal).
static int ReadKeyLine(const std::optional<Arg> &file, std::string &line) {
    if (file && file->text != L"-") {
        if (!file->ok)
            return Usage(L"the FILE path is not valid UTF-8");
        FILE *f = OpenRead(file->text.c_str());
        if (!f)
            return Usage(L"cannot open the keys file '" + file->text + L"'");
        bool read = ReadFirstLine(f, line);
        std::fclose(f);
        return read ? GoOn : Usage(L"cannot read the keys file '" + file->text + L"'");
    }
    bool read = StdinIsTerminal() ? ReadHiddenLine(L"Keys: ", line) : ReadFirstLine(stdin, line);
    return read ? GoOn : Usage(L"cannot read the keys from standard input");
}

// The keys as text: from --keys, or the line read, which may open with a byte order mark.
static int ReadKeys(const Options &o, std::wstring &text) {
    if (o.keys) {
        text = o.keys->text;
        return o.keys->ok ? GoOn : Usage(L"the keys are not valid UTF-8");
    }
    std::string line;
    int status = ReadKeyLine(o.keysFile, line);
    if (status != GoOn)
        return status;
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);
    return DecodeUtf8(line, text) ? GoOn : Usage(L"the keys are not valid UTF-8");
}

static int CheckCount(int symbols) {
    if (symbols >= 5 && symbols <= 20)
        return GoOn;
    return Usage(L"the password has " + std::to_wstring(symbols) +
                 (symbols == 1 ? L" symbol" : L" symbols") +
                 L"; it needs 5 to 20 (\">\" enters two)");
}

// The screen of this program: stops are reported on standard error; the closing message is
// left out so that a completed Run is quiet. A completed Run always ends the dialog with 0,
// which is then the exit status.
static void NoText(int, const wchar_t *) {}
static void NoEnable(int, bool) {}
static void Message(const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
    if (owner == OwnerNone)
        Write(Err, std::wstring(caption) + L": " + text + L"\n");
}
static void NoEnd(int) {}
static const Screen CliScreen = {NoText, NoEnable, Message, NoEnd};

// Open, Save as, the keys and Run, as in the dialog; then the output path.
static int Run(const Options &o, const std::vector<int> &keys) {
    const std::wstring &source = o.paths[0].text, &target = o.paths[1].text;
    std::wcscpy(bufOpen, source.c_str());
    std::wcscpy(bufSave, target.c_str());
    EnterKeys(keys);
    SetScreen(&CliScreen);
    if (!RunPipeline())
        return 1;
    wchar_t output[PathRoom];
    OutputPath(output);
    if (!Write(Out, std::wstring(output) + L"\n")) {
        Write(Err, Name + L": the output path could not be written to standard output\n");
        return 1;
    }
    return 0;
}

static int Cli(const std::vector<Arg> &args) {
    Options o;
    std::wstring text, error;
    std::vector<int> keys;
    int status = ParseArgs(args, o);
    if (status == GoOn)
        status = CheckPath(o.paths[0], L"SOURCE");
    if (status == GoOn)
        status = CheckPath(o.paths[1], L"TARGET");
    if (status == GoOn)
        status = ReadKeys(o, text);
    if (status == GoOn && !ParseKeys(text, keys, error))
        status = Usage(error);
    if (status == GoOn)
        status = CheckCount(CountSymbols(keys));
    return status == GoOn ? Run(o, keys) : status;
}

#ifdef _WIN32
int wmain(int argc, wchar_t **argv) {
    return Cli(WideArgs(argc, argv));
}
#else
int main(int argc, char **argv) {
    return Cli(WideArgs(argc, argv));
}
#endif
