// Captions to keys, through the core's own keypad table, so a key typed here enters exactly
// what the same key enters in the dialog.
#include "keys.h"

#include "password.h"
#include "utf8.h"

#include <cwchar>
#include <iterator>

// The key whose caption is code point cp; the space stands for the key without caption.
static const Key *KeyOf(long cp) {
    for (const Key &k : Keypad) {
        bool blank = k.caption[0] == 0;
        if (blank ? cp == L' ' : (k.caption[0] == cp && k.caption[1] == 0))
            return &k;
    }
    return nullptr;
}

// Names character cp of the keys for an error: quoted when it prints, always with its number.
static std::wstring Describe(long cp, size_t position) {
    wchar_t number[12];
    std::swprintf(number, std::size(number), L"U+%04lX", cp);
    std::wstring name = number;
    if (cp > 0x20 && (cp < 0x7F || cp >= 0xA0)) { // not a control character, nor DEL
        name = L"\"";
        AppendCodePoint(name, cp);
        name += L"\" (" + std::wstring(number) + L")";
    }
    return name + L", character " + std::to_wstring(position) + L" of the keys";
}

bool ParseKeys(const std::wstring &text, std::vector<int> &ids, std::wstring &error) {
    ids.clear();
    size_t position = 0;
    for (size_t i = 0; i < text.size();) {
        long cp = NextCodePoint(text, i);
        position++;
        const Key *k = KeyOf(cp);
        if (k) {
            ids.push_back(k->id);
            continue;
        }
        if (cp >= L'a' && cp <= L'z')
            error = L"no key " + Describe(cp, position) +
                    L": letters are upper case (\"x\" is the times key)";
        else
            error = L"no key " + Describe(cp, position);
        return false;
    }
    return true;
}

int CountSymbols(const std::vector<int> &ids) {
    int symbols = 0;
    for (int id : ids)
        symbols += FindKey(id)->code2 ? 2 : 1;
    return symbols;
}

void EnterKeys(const std::vector<int> &ids) {
    for (int id : ids)
        PressKey(id);
}
