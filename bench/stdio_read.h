// The baselines' read of a whole file with plain stdio, shared by the
// benchmarks that measure reading against it.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace lumo::bench {

// Reads the file at `path` into `bytes`, which gets `size + spare` bytes of
// new memory when `fresh` is set or it holds none yet; returns the size.
inline std::size_t stdio_read_all(const std::string& path, std::unique_ptr<char[]>& bytes, bool fresh,
                                  std::size_t spare = 0) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    const auto size = static_cast<std::size_t>(std::ftell(f));
    std::fseek(f, 0, SEEK_SET);
    if (fresh || !bytes) bytes.reset(new char[size + spare]);
    benchmark::DoNotOptimize(std::fread(bytes.get(), 1, size, f));
    std::fclose(f);
    benchmark::ClobberMemory();
    return size;
}

}  // namespace lumo::bench
