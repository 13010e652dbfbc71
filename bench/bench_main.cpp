// olvan-bench: the decoder, the packer and their rivals, side by side on the same files.
//
//   olvan-bench --input NAME=PATH [--input NAME=PATH ...] [Google Benchmark flags]
//
// Decode/CODEC/NAME: expanding the file's stream of that codec (olvan, zlib-9, lz4hc-12) and a
// memcpy of the same bytes, the limit; bytes_per_second counts output bytes.
// Pack/CODEC/NAME: packing the file (olvan: the optimal packer with its check; greedy-4k: the
// baseline; zlib-9; lz4hc-12); the counter stream_bytes is the result's size.
#include <lz4.h>
#include <lz4hc.h>
#include <zlib.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/greedy_pack.h"
#include "payload/expand.h"
#include "payload/record.h"
#include "tools/pack/files.h"
#include "tools/pack/pack.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes OlvanStream(const Bytes &data) {
    Bytes record;
    std::string error;
    if (!PackPayload(data, 0, &record, &error)) {
        std::fprintf(stderr, "olvan-bench: %s\n", error.c_str());
        std::exit(1);
    }
    return Bytes(record.begin() + PayloadHeaderSize, record.end());
}

Bytes ZlibStream(const Bytes &data) {
    uLongf size = compressBound(uLong(data.size()));
    Bytes out(size);
    compress2(out.data(), &size, data.data(), uLong(data.size()), 9);
    out.resize(size);
    return out;
}

Bytes Lz4Stream(const Bytes &data) {
    Bytes out(size_t(LZ4_compressBound(int(data.size()))));
    out.resize(size_t(LZ4_compress_HC(reinterpret_cast<const char *>(data.data()),
                                      reinterpret_cast<char *>(out.data()), int(data.size()),
                                      int(out.size()), 12)));
    return out;
}

struct Input {
    std::string name;
    Bytes data, olvan, zlib, lz4;
};

std::vector<Input> Inputs;
Bytes Output(ExpandBufferSize);

void Register(const Input &in) {
    const int64_t size = int64_t(in.data.size());
    auto decode = [&](const char *codec, auto expand) {
        benchmark::RegisterBenchmark((std::string("Decode/") + codec + "/" + in.name).c_str(),
                                     [&, size, expand](benchmark::State &state) {
                                         for (auto _ : state) {
                                             const int64_t n = expand();
                                             if (n != size) state.SkipWithError("wrong size");
                                             benchmark::DoNotOptimize(n);
                                             benchmark::ClobberMemory();
                                         }
                                         state.SetBytesProcessed(state.iterations() * size);
                                     })
            ->Repetitions(15)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics(
                "min",
                [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); })
            ->MinTime(0.2);
    };
    decode("olvan", [&] {
        return int64_t(ExpandPayload(ExpandBuffer, in.olvan.data(), int32_t(in.olvan.size())));
    });
    decode("zlib-9", [&] {
        uLongf n = uLongf(Output.size());
        uncompress(Output.data(), &n, in.zlib.data(), uLong(in.zlib.size()));
        return int64_t(n);
    });
    decode("lz4hc-12", [&] {
        return int64_t(LZ4_decompress_safe(reinterpret_cast<const char *>(in.lz4.data()),
                                           reinterpret_cast<char *>(Output.data()),
                                           int(in.lz4.size()), int(Output.size())));
    });
    decode("memcpy", [&, size] {
        std::memcpy(Output.data(), in.data.data(), in.data.size());
        return size;
    });

    auto pack = [&](const char *codec, auto packer) {
        benchmark::RegisterBenchmark((std::string("Pack/") + codec + "/" + in.name).c_str(),
                                     [&, packer](benchmark::State &state) {
                                         size_t streamSize = 0;
                                         for (auto _ : state) streamSize = packer().size();
                                         state.counters["stream_bytes"] = double(streamSize);
                                     })
            ->Iterations(1)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics(
                "min",
                [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); })
            ->Unit(benchmark::kMillisecond);
    };
    pack("olvan", [&] { return OlvanStream(in.data); });
    pack("greedy-4k", [&] { return GreedyPack(in.data); });
    pack("zlib-9", [&] { return ZlibStream(in.data); });
    pack("lz4hc-12", [&] { return Lz4Stream(in.data); });
}

} // namespace

int main(int argc, char **argv) {
    std::vector<char *> rest = {argv[0]};
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--input") == 0 && i + 1 < argc) {
            const std::string argument = argv[++i];
            const size_t eq = argument.find('=');
            Input in;
            in.name = argument.substr(0, eq);
            std::string error;
            if (eq == std::string::npos ||
                !ReadWholeFile(argument.substr(eq + 1), &in.data, &error)) {
                std::fprintf(stderr, "olvan-bench: bad input %s %s\n", argument.c_str(),
                             error.c_str());
                return 2;
            }
            in.olvan = OlvanStream(in.data);
            in.zlib = ZlibStream(in.data);
            in.lz4 = Lz4Stream(in.data);
            Inputs.push_back(std::move(in));
        } else {
            rest.push_back(argv[i]);
        }
    }
    for (const Input &in : Inputs) Register(in);
    int count = int(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
