// Timings of a Run without a screen and of each of its stages (count, load, flip, pack and
// write) on documents of 4 B up to the largest a Run accepts, beside the floor of the design:
// the same bit buffer, taken the same way, written once and read once, with the source read
// once and the output written once through the same kind of stream. bench/run runs it and
// prints the table; on its own: build/bench/transform_bench (configure with -DTV_BENCHMARKS=ON).
#include "codec.h"
#include "files.h"
#include "flip.h"
#include "password.h"
#include "pipeline.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Sets bufOpen to a document of n bytes (made once per size) and bufSave beside it, with the
// core otherwise as at program start.
static uint32_t PrepareDocument(const benchmark::State &state) {
    const uint32_t n = static_cast<uint32_t>(state.range(0));
    ResetProgramState();
    const fs::path dir = fs::temp_directory_path() / "tv-bench";
    const fs::path source = dir / ("doc" + std::to_string(n) + ".bin");
    std::error_code ec;
    if (fs::file_size(source, ec) != n) {
        fs::create_directories(dir);
        std::vector<unsigned char> bytes(n);
        for (uint32_t i = 0; i < n; i++)
            bytes[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
        FILE *f = std::fopen(source.string().c_str(), "wb");
        std::fwrite(bytes.data(), 1, n, f);
        std::fclose(f);
    }
    const std::wstring open = source.wstring(), save = (dir / "out").wstring();
    open.copy(bufOpen, open.size());
    bufOpen[open.size()] = 0;
    save.copy(bufSave, save.size());
    bufSave[save.size()] = 0;
    return n;
}

// Nineteen symbols, the most that reach the flips.
static void EnterLongPassword() {
    ResetHeslo();
    for (int c = 1; c <= 19; c++)
        Heslo(c * 2);
}

// A bit buffer for the stage benchmarks, taken as a Run takes it and loaded with the document.
static void TakeLoadedBuffer(uint32_t n) {
    POC = n;
    randCislo = SizeClass(n);
    pBuf = TakeBitBuffer(n);
    TextBinary();
}

static void ReleaseBuffer() {
    std::free(pBuf);
    pBuf = nullptr;
}

static void BM_Run(benchmark::State &state) {
    PrepareDocument(state);
    EnterLongPassword();
    for (auto _ : state)
        benchmark::DoNotOptimize(RunPipeline());
}

// What any Run of this design must do: take the buffer, read the source once writing every
// entry once, then read every entry once writing the output once, as the Run writes it: beside
// its place, synced to the disk, then moved there.
static void BM_Floor(benchmark::State &state) {
    const uint32_t n = PrepareDocument(state);
    wchar_t path[PathRoom], spare[SpareRoom];
    OutputPath(path);
    static char streamBuffer[StreamRoom];
    for (auto _ : state) {
        int32_t *entries = TakeBitBuffer(n);
        FILE *fr = OpenRead(bufOpen);
        std::setvbuf(fr, streamBuffer, _IOFBF, StreamRoom);
        // Each byte's 8 entries written and read as the Run's own passes do, at one go.
        int32_t *e = entries;
        for (int c; (c = GetByte(fr)) != EOF; e += 8)
            std::memcpy(e, entryTable.row[c], sizeof entryTable.row[c]);
        std::fclose(fr);
        FILE *fw = CreateSpare(path, spare, SpareRoom);
        std::setvbuf(fw, streamBuffer, _IOFBF, StreamRoom);
        e = entries;
        for (uint32_t i = 0; i < n; i++, e += 8)
            PutByte(PackByte(e), fw);
        CloseWritten(fw); // with the sync to the disk that a Run makes
        MoveOnto(spare, path);
        std::free(entries);
    }
}

static void BM_Count(benchmark::State &state) {
    PrepareDocument(state);
    uint32_t poc = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Pole(&poc));
}

static void BM_Load(benchmark::State &state) {
    TakeLoadedBuffer(PrepareDocument(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(TextBinary());
    ReleaseBuffer();
}

static void BM_Flip(benchmark::State &state) {
    TakeLoadedBuffer(PrepareDocument(state));
    EnterLongPassword();
    for (auto _ : state) {
        Kodovac();
        benchmark::ClobberMemory();
    }
    ReleaseBuffer();
}

static void BM_Write(benchmark::State &state) {
    TakeLoadedBuffer(PrepareDocument(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(BinaryText());
    ReleaseBuffer();
}

static void Sizes(benchmark::internal::Benchmark *b) {
    for (int64_t n : {4, 4300, 1800300, 2800000})
        b->Arg(n);
    b->Unit(benchmark::kMicrosecond)->UseRealTime();
}
BENCHMARK(BM_Run)->Apply(Sizes);
BENCHMARK(BM_Floor)->Apply(Sizes);
BENCHMARK(BM_Count)->Apply(Sizes);
BENCHMARK(BM_Load)->Apply(Sizes);
BENCHMARK(BM_Flip)->Apply(Sizes);
BENCHMARK(BM_Write)->Apply(Sizes);

BENCHMARK_MAIN();
