// fuzz_keys: the command-line key parser and the UTF-8 conversion accept exactly the valid
// inputs. Bytes that decode come back unchanged when encoded again, so no malformed form passes
// as UTF-8; any wide text of whole code points comes back from UTF-8, so no valid form is
// refused; and keys are taken exactly when every character is a keypad caption or a space, each
// naming the key that the documented layout gives that caption.
#include "keys.h"
#include "utf8.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

// The captions of keys 4011 to 4036, then 4038 to 4062; the space names key 4009.
static const std::wstring Captions = L"BNCPAQDEFGIJOSRHTUVWKXLYMZ1234567890@\u00A3$=<>+-x/%!?()";

static int KeyOf(wchar_t c) {
    const size_t at = Captions.find(c);
    if (at == std::wstring::npos)
        return c == L' ' ? 4009 : 0;
    return int(at < 26 ? 4011 + at : 4038 + at - 26);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    std::wstring text, back, error;
    if (DecodeUtf8(bytes, text)) {
        assert(WellFormed(text) && EncodeUtf8(text) == bytes);
        std::vector<int> want, ids;
        int symbols = 0;
        for (wchar_t c : text) {
            want.push_back(KeyOf(c));
            symbols += c == L'>' ? 2 : 1;
        }
        const bool all = std::count(want.begin(), want.end(), 0) == 0;
        assert(ParseKeys(text, ids, error) == all && error.empty() == all);
        assert(!all || (ids == want && CountSymbols(ids) == symbols));
    }
    // The same bytes as 21-bit code units, three bytes each: values past U+10FFFF and lone
    // surrogates among them.
    std::wstring units;
    bool whole = true;
    for (size_t i = 0; i + 3 <= size; i += 3) {
        const long u = data[i] | data[i + 1] << 8 | (data[i + 2] & 0x1F) << 16;
        whole = whole && !(u >= 0xD800 && u <= 0xDFFF) && u <= 0x10FFFF;
        units += static_cast<wchar_t>(u);
    }
    assert(WellFormed(units) == whole && DecodeUtf8(EncodeUtf8(units), back));
    assert(!whole || back == units);
    return 0;
}
