// fuzz_paths: any source and target path (any wide characters, dots anywhere, each as long as
// its buffer holds, so that together they run past the output's room) gives the documented
// output path, the target followed by the source's suffix from its last '.' or by "(2)", or is
// refused when that does not fit; and the names of the spare files beside that output fit their
// room. The input holds the source, a zero byte and the target. Output and spare names go to
// buffers of exactly their room, so a write past one stops AddressSanitizer.
#include "codec.h"
#include "files.h"
#include "utf8.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cwchar>
#include <vector>

// Puts bytes into a path buffer as UTF-8 when they are, else one character per byte, cut to the
// 254 characters that the buffer holds.
static void Put(wchar_t *buffer, const std::string &bytes) {
    std::wstring path;
    if (!DecodeUtf8(bytes, path))
        for (unsigned char b : bytes)
            path += static_cast<wchar_t>(b);
    path.resize(std::min<size_t>(path.size(), PathRoom - 1));
    std::wmemcpy(buffer, path.c_str(), path.size() + 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const size_t zero = std::min(bytes.find('\0'), size);
    Put(bufOpen, bytes.substr(0, zero));
    Put(bufSave, bytes.substr(std::min(zero + 1, size)));
    const std::wstring source = bufOpen;
    const size_t dot = source.rfind(L'.');
    const std::wstring want = bufSave + (dot == std::wstring::npos ? L"(2)" : source.substr(dot));
    const bool fits = want.size() < size_t{PathRoom};
    std::vector<wchar_t> out(PathRoom);
    assert(OutputPath(out.data()) == fits && out.data() == (fits ? want : L""));
    if (!fits)
        return 0;
    const std::wstring folder = want.substr(0, want.rfind(L'/') + 1);
    for (unsigned n : {0u, SpareNames - 1}) {
        std::vector<wchar_t> spare(SpareRoom);
        assert(SpareName(out.data(), n, spare.data(), SpareRoom) &&
               spare.data() == folder + L"~tv" + std::to_wstring(n) + L".tmp");
    }
    return 0;
}
