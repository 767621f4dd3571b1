// Payload decoding benchmark, one run on the same data:
//   decoder   ReadContainerHeader + DecompressContainer into a TMemoryStream sized first
//             (the callers' pattern of the update run and the bitmap loader);
//   zlib      a plain inflate loop over the same container: 65,536-byte input blocks straight
//             from memory, output straight into one block of the same kind of memory.
// Target: decoder / zlib <= 1.10 (median of the rounds).
//
//   payload_bench [MiB] [rounds]      defaults: 64 MiB, 7 rounds
#include "BenchPayload.h"
#include "payload/UZLIB.h"
#include "framework/core/GlobalMemory.h"
#include "framework/core/Stream.h"

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

Bytes MakeContainer(const Bytes& data)
{
    Bytes out(ContainerMagic, ContainerMagic + kContainerMagicSize);
    std::uint32_t n = static_cast<std::uint32_t>(data.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(n >> (8 * i)));
    uLongf zsize = compressBound(static_cast<uLong>(data.size()));
    Bytes z(zsize);
    if (compress2(z.data(), &zsize, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK) {
        std::fprintf(stderr, "compress2 failed\n");
        std::exit(1);
    }
    out.insert(out.end(), z.begin(), z.begin() + zsize);
    return out;
}

// The source as the program has it: a memory stream over the container (a TResourceStream is a
// custom memory stream over the loaded image; this one owns a copy).
class ContainerSource : public TCustomMemoryStream {
public:
    explicit ContainerSource(const Bytes& bytes) { SetPointer(const_cast<unsigned char*>(bytes.data()), static_cast<long>(bytes.size())); }
    long Write(const void*, long) override { return 0; }
};

struct BenchData {
    Bytes original;
    Bytes container;
};

struct Case {
    std::string name;
    // Decodes data.container once; returns false when the output is wrong.
    std::function<bool(const BenchData&)> run;
    std::vector<double> seconds;
};

bool RunDecoder(const BenchData& data)
{
    ContainerSource source(data.container);
    long size = 0;
    if (!ReadContainerHeader(source, size))
        return false;
    TMemoryStream t;
    t.SetSize(size);
    DecompressContainer(source, t, size);
    return t.Size() == static_cast<long>(data.original.size())
        && std::memcmp(t.Memory(), data.original.data(), data.original.size()) == 0;
}

bool RunPlainZlib(const BenchData& data)
{
    const long size = static_cast<long>(data.original.size());
    TOwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));   // what TMemoryStream holds
    TGlobalLock locked = LockGlobal(block.Get());
    auto* out = static_cast<Bytef*>(locked.Get());
    z_stream zs{};
    inflateInit(&zs);
    zs.next_out = out;
    zs.avail_out = static_cast<uInt>(size);
    size_t at = kContainerHeaderSize;
    int ret = Z_OK;
    while (ret == Z_OK) {
        if (zs.avail_in == 0) {
            size_t n = std::min<size_t>(kDecompressInputBlock, data.container.size() - at);
            if (n == 0)
                break;
            zs.next_in = const_cast<Bytef*>(data.container.data() + at);
            zs.avail_in = static_cast<uInt>(n);
            at += n;
        }
        ret = inflate(&zs, Z_NO_FLUSH);
    }
    inflateEnd(&zs);
    return ret == Z_STREAM_END && zs.total_out == static_cast<uLong>(size)
        && std::memcmp(out, data.original.data(), data.original.size()) == 0;
}

// ---- Hook for the lead: further cases on the same data ----
// Add the UpdateFiles comparison here, e.g.
//   cases.push_back({"UpdateFiles", [](const BenchData& d) { ...; return ok; }, {}});
// d.container holds the whole container (header included), d.original what it must decode to.
// Cases are run in the order given, interleaved round by round; the ratio of each case to the
// "zlib" case is printed at the end.
void AddMoreCases(std::vector<Case>& cases)
{
    (void)cases;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const long mib = argc > 1 ? std::atol(argv[1]) : 64;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (mib <= 0 || mib > 512 || rounds <= 0) {
        std::fprintf(stderr, "usage: payload_bench [MiB 1..512] [rounds]\n");
        return 2;
    }
    BenchData data;
    double t0 = Now();
    data.original = MakeBenchPayload(static_cast<size_t>(mib) << 20);
    double t1 = Now();
    data.container = MakeContainer(data.original);
    double t2 = Now();
    std::printf("payload: %ld MiB (%zu bytes), container %zu bytes (%.1f %%), zlib header %02X %02X\n",
                mib, data.original.size(), data.container.size(),
                100.0 * data.container.size() / data.original.size(), data.container[17],
                data.container[18]);
    std::printf("setup: data %.2f s, compress2 level 9 %.2f s\n", t1 - t0, t2 - t1);

    std::vector<Case> cases;
    cases.push_back({"zlib", RunPlainZlib, {}});
    cases.push_back({"decoder", RunDecoder, {}});
    AddMoreCases(cases);

    // One warm-up pass of each, then the timed rounds, interleaved.
    for (Case& c : cases)
        if (!c.run(data)) {
            std::fprintf(stderr, "%s: wrong output\n", c.name.c_str());
            return 1;
        }
    for (int r = 0; r < rounds; ++r)
        for (Case& c : cases) {
            double start = Now();
            bool ok = c.run(data);
            c.seconds.push_back(Now() - start);
            if (!ok) {
                std::fprintf(stderr, "%s: wrong output\n", c.name.c_str());
                return 1;
            }
        }

    const double base = Median(cases[0].seconds);
    const double mb = static_cast<double>(data.original.size()) / (1 << 20);
    std::printf("%-12s %10s %10s %10s %8s\n", "case", "median s", "min s", "MiB/s", "ratio");
    for (const Case& c : cases) {
        double med = Median(c.seconds);
        double min = *std::min_element(c.seconds.begin(), c.seconds.end());
        std::printf("%-12s %10.3f %10.3f %10.1f %8.3f\n", c.name.c_str(), med, min, mb / med, med / base);
    }
    double ratio = Median(cases[1].seconds) / base;
    double minRatio = *std::min_element(cases[1].seconds.begin(), cases[1].seconds.end())
                    / *std::min_element(cases[0].seconds.begin(), cases[0].seconds.end());
    std::printf("decoder/zlib ratio: median %.3f, best %.3f (target <= 1.10): %s\n", ratio, minRatio,
                ratio <= 1.10 ? "met" : "NOT met");
    return 0;
}
