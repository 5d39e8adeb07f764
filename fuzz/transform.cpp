// fuzz_transform: any document of 4 bytes to a few kilobytes under any password of up to 20
// symbols comes back byte for byte from a second transform with the same password, and any
// order of the first 19 symbols gives the same output. The input's first byte gives the number
// of symbols, the next bytes their codes, the rest is the document. The transform runs in
// memory through the Run's own stages: loading, Kodovac and packing.
#include "codec.h"
#include "flip.h"
#include "password.h"
#include "pipeline.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <random>
#include <vector>

static std::vector<uint8_t> Scramble(const std::vector<uint8_t> &doc,
                                     const std::vector<int> &codes) {
    ResetHeslo();
    for (int c : codes)
        Heslo(c);
    POC = static_cast<uint32_t>(doc.size());
    randCislo = SizeClass(POC);
    pBuf = TakeBitBuffer(POC);
    pocet = 0;
    for (uint8_t b : doc)
        PrintBinToPoint(b);
    Kodovac();
    std::vector<uint8_t> out(doc.size());
    for (size_t i = 0; i < out.size(); i++)
        out[i] = static_cast<uint8_t>(PackByte(pBuf + 8 * i));
    std::free(pBuf);
    pBuf = nullptr;
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const size_t symbols = size ? std::min<size_t>(data[0] % 21, size - 1) : 0;
    std::vector<int> codes;
    for (size_t i = 1; i <= symbols; i++)
        codes.push_back(1 + data[i] % 52);
    const std::vector<uint8_t> doc(data + std::min<size_t>(1 + symbols, size), data + size);
    if (doc.size() < MinPOC)
        return 0;
    const std::vector<uint8_t> out = Scramble(doc, codes);
    assert(Scramble(out, codes) == doc);
    std::shuffle(codes.begin(), codes.begin() + std::min<size_t>(symbols, 19), std::mt19937(size));
    assert(Scramble(doc, codes) == out);
    return 0;
}
