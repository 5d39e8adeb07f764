// What the web page's browser test takes from the native side, so that it checks the page
// against the same table as the dialog tests rather than a copy of its own:
//   web_helper states            the controls enabled in each screen state, the labels' texts
//                                and each key's caption and number of symbols, as JSON
//   web_helper gen SIZE SEED OUT the golden corpus's document gen:SIZE:SEED, written to OUT
#include "documents.h"
#include "screen_states.h"
#include "utf8.h"

#include <iostream>

static std::string Quote(const std::wstring &text) {
    std::string quoted = "\"";
    for (char c : EncodeUtf8(text))
        quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return quoted + "\"";
}

static void PrintStates() {
    std::cout << "{\"enabled\": [";
    for (State s : {Start, SourceChosen, TargetChosen, PasswordReady}) {
        std::cout << (s == Start ? "[" : ", [");
        const char *comma = "";
        for (int id = IDC_WEB; id <= IDC_KEY_RPAREN; id++)
            if (Enabled(s, id)) {
                std::cout << comma << id;
                comma = ", ";
            }
        std::cout << "]";
    }
    std::cout << "],\n\"launchSource\": " << Quote(LaunchSource)
              << ", \"noSource\": " << Quote(NoSource) << ", \"noTarget\": " << Quote(NoTarget)
              << ", \"placeholder\": " << Quote(Placeholder) << ",\n\"masks\": [";
    for (int n = 0; n <= 20; n++)
        std::cout << (n ? ", " : "") << Quote(Mask(n));
    std::cout << "],\n\"keys\": {";
    for (const Key &k : Keypad)
        std::cout << (&k == Keypad ? "" : ", ") << "\"" << k.id
                  << "\": {\"caption\": " << Quote(k.caption)
                  << ", \"symbols\": " << (k.code2 ? 2 : 1) << "}";
    std::cout << "}}\n";
}

int main(int argc, char **argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "states" && argc == 2) {
        PrintStates();
        return 0;
    }
    if (what == "gen" && argc == 5) {
        WriteFile(argv[4], RandomBytes(std::stoul(argv[2]), std::stoul(argv[3])));
        return 0;
    }
    std::cerr << "usage: web_helper states | web_helper gen SIZE SEED OUT\n";
    return 2;
}
