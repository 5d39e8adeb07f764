// Timings of a Run and of its stages on documents of several sizes, up to the largest a Run
// accepts. Run: build/bench/transform_bench (configure with -DTV_BENCHMARKS=ON).
#include "codec.h"
#include "flip.h"
#include "password.h"
#include "pipeline.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A document of n bytes in a fresh directory, named in bufOpen, with bufSave beside it.
static void PrepareDocument(uint32_t n) {
    ResetProgramState();
    fs::path dir = fs::temp_directory_path() / "tv-bench";
    fs::create_directories(dir);
    std::string source = (dir / "source.bin").string();
    std::vector<unsigned char> bytes(n);
    for (uint32_t i = 0; i < n; i++)
        bytes[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
    FILE *f = std::fopen(source.c_str(), "wb");
    std::fwrite(bytes.data(), 1, n, f);
    std::fclose(f);
    std::wstring wsource = (dir / "source.bin").wstring(), wtarget = (dir / "out").wstring();
    wsource.copy(bufOpen, wsource.size());
    bufOpen[wsource.size()] = 0;
    wtarget.copy(bufSave, wtarget.size());
    bufSave[wtarget.size()] = 0;
}

// Nineteen symbols, the most that reach the flips.
static void EnterLongPassword() {
    ResetHeslo();
    for (int c = 1; c <= 19; c++)
        Heslo(c * 2);
}

static void BM_Run(benchmark::State &state) {
    PrepareDocument(static_cast<uint32_t>(state.range(0)));
    EnterLongPassword();
    for (auto _ : state)
        benchmark::DoNotOptimize(RunPipeline());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Run)->Arg(4300)->Arg(1800300)->Arg(2800000)->Unit(benchmark::kMillisecond);

static void BM_Load(benchmark::State &state) {
    PrepareDocument(static_cast<uint32_t>(state.range(0)));
    POC = static_cast<uint32_t>(state.range(0));
    std::vector<int32_t> buffer(8 * static_cast<size_t>(POC));
    pBuf = buffer.data();
    for (auto _ : state)
        benchmark::DoNotOptimize(TextBinary());
    pBuf = nullptr;
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Load)->Arg(2800000)->Unit(benchmark::kMillisecond);

static void BM_Kodovac(benchmark::State &state) {
    ResetProgramState();
    POC = static_cast<uint32_t>(state.range(0));
    randCislo = SizeClass(POC);
    std::vector<int32_t> buffer(8 * static_cast<size_t>(POC), 48);
    pBuf = buffer.data();
    EnterLongPassword();
    for (auto _ : state) {
        Kodovac();
        benchmark::ClobberMemory();
    }
    pBuf = nullptr;
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Kodovac)->Arg(2800000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
