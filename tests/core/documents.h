// Documents as bytes, for the core's tests and the web page's: reading and writing them whole,
// and the documents that the golden corpus makes at test time.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

inline Bytes ReadFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const fs::path &p, const Bytes &b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), b.size());
}

// The low byte of each draw: std::mt19937 is defined exactly, so every platform gets the same.
inline Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    std::generate(b.begin(), b.end(), [&] { return static_cast<unsigned char>(gen() & 0xFF); });
    return b;
}
