// A seeded, time-bounded robustness run: mutated containers through ReadContainerHeader and
// DecompressContainer (and DecompressBlock, which must agree). Each must decode or fail with one
// of the decoder's messages; none may crash, hang, or touch memory outside the source and the
// destination.
//
//   ZA2_FUZZ_SEED=n     another seed (the failing seed and case are printed on a failure)
//   ZA2_FUZZ_MS=n       run time in milliseconds (default 3000; at least kMinCases cases run)
#include "ContainerTestSupport.h"
#include "support/Mutator.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace payloadtest;

namespace {

constexpr unsigned kMinCases = 2000;
constexpr unsigned kMaxCases = 200000;
constexpr long kDestLimit = 1 << 20;   // larger declared sizes go to a counting sink

// Memory whose end touches an inaccessible page: a read or write past size faults at once.
class GuardedBlock {
public:
    explicit GuardedBlock(size_t size)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        page_ = si.dwPageSize;
        usable_ = (size + page_ - 1) / page_ * page_;
        base_ = static_cast<unsigned char*>(
            VirtualAlloc(nullptr, usable_ + page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!base_)
            throw std::runtime_error("VirtualAlloc failed");
        DWORD old = 0;
        VirtualProtect(base_ + usable_, page_, PAGE_NOACCESS, &old);
        data_ = base_ + usable_ - size;
    }
    ~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;
    unsigned char* Data() { return data_; }

private:
    size_t page_ = 0, usable_ = 0;
    unsigned char* base_ = nullptr;
    unsigned char* data_ = nullptr;
};

// A destination of exactly capacity bytes in a guarded block; it refuses to grow.
class GuardedSink : public TStream {
public:
    explicit GuardedSink(long capacity) : block_(static_cast<size_t>(capacity)), capacity_(capacity) {}
    long Read(void*, long) override { return 0; }
    long Write(const void* buffer, long count) override
    {
        if (count <= 0)
            return 0;
        if (count > capacity_ - position_) {
            overrun = true;
            return 0;
        }
        std::memcpy(block_.Data() + position_, buffer, count);
        position_ += count;
        return count;
    }
    long Seek(long offset, SeekOrigin origin) override
    {
        position_ = origin == SeekOrigin::Begin ? offset
                  : origin == SeekOrigin::Current ? position_ + offset : capacity_ + offset;
        return position_;
    }
    const unsigned char* Data() { return block_.Data(); }
    bool overrun = false;

private:
    GuardedBlock block_;
    long capacity_;
    long position_ = 0;
};

// Counts what it is given and throws it away (declared sizes too large to hold).
class CountingSink : public TStream {
public:
    long Read(void*, long) override { return 0; }
    long Write(const void*, long count) override
    {
        total += count;
        return count;
    }
    long Seek(long offset, SeekOrigin) override { return offset == 0 ? static_cast<long>(total) : 0; }
    long long total = 0;
};

std::vector<Bytes> Seeds()
{
    std::vector<Bytes> seeds;
    seeds.push_back(MakeContainer(SampleData(5915, 1)));                       // dynamic Huffman
    seeds.push_back(MakeContainer(SampleData(300, 2), Z_BEST_SPEED));          // fixed Huffman
    seeds.push_back(MakeContainer(SampleData(2000, 3), Z_NO_COMPRESSION));     // stored
    seeds.push_back(MakeContainer(Bytes()));                                   // empty data
    seeds.push_back(MakeContainer(Bytes(70000, 'A')));                         // long matches, 2 chunks
    Bytes noise(4000);
    Rng r(99);
    for (auto& b : noise)
        b = static_cast<unsigned char>(r.Next());
    seeds.push_back(MakeContainer(noise));                                     // incompressible
    return seeds;
}

// The size field after the signature, and the zlib header and first bytes of data.
const MutationSpots kContainerSpots{{13}, 17, 16, kDestLimit};

std::uint32_t SettingFromEnv(const char* name, std::uint32_t fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? static_cast<std::uint32_t>(std::strtoul(v, nullptr, 0)) : fallback;
}

} // namespace

TEST(ContainerFuzz, MutatedContainersDecodeOrFailCleanly)
{
    const std::uint32_t seed = SettingFromEnv("ZA2_FUZZ_SEED", 20000115);
    const std::uint32_t budgetMs = SettingFromEnv("ZA2_FUZZ_MS", 3000);
    const std::vector<Bytes> seeds = Seeds();
    Rng rng(seed);
    const DWORD start = GetTickCount();
    unsigned cases = 0, containers = 0, decoded = 0, zlibErrors = 0, readErrors = 0, writeErrors = 0;
    for (; cases < kMaxCases; ++cases) {
        if (cases >= kMinCases && GetTickCount() - start >= budgetMs)
            break;
        Bytes c = seeds[rng.Below(static_cast<std::uint32_t>(seeds.size()))];
        Mutate(c, rng, kContainerSpots);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", case " + std::to_string(cases));

        GuardedBlock sourceBlock(c.size());
        if (!c.empty())
            std::memcpy(sourceBlock.Data(), c.data(), c.size());
        BytesStream source(sourceBlock.Data(), static_cast<long>(c.size()));
        long size = 0x5EED;
        bool isContainer = ReadContainerHeader(source, size);
        if (!isContainer) {
            ASSERT_EQ(0x5EED, size);
            ASSERT_EQ(0, source.Position());
            continue;
        }
        ++containers;
        ASSERT_EQ(17, source.Position());

        std::string message;
        bool ok = false;
        long long written = 0;
        bool overrun = false;
        Bytes sunk;
        try {
            if (size >= 0 && size <= kDestLimit) {
                GuardedSink dest(size);
                try {
                    DecompressContainer(source, dest, size);
                    ok = true;
                } catch (...) {
                    written = dest.Position();
                    overrun = dest.overrun;
                    throw;
                }
                written = dest.Position();
                overrun = dest.overrun;
                sunk.assign(dest.Data(), dest.Data() + size);
            } else {
                CountingSink dest;
                try {
                    DecompressContainer(source, dest, size);
                    ok = true;
                } catch (...) {
                    written = dest.total;
                    throw;
                }
                written = dest.total;
            }
        } catch (const EWriteError& e) {
            message = e.Message();
        } catch (const Exception& e) {
            message = e.Message();
        }
        ASSERT_FALSE(overrun);
        ASSERT_LE(written, static_cast<long long>(std::max(size, 0L)));
        if (ok) {
            ++decoded;
            ASSERT_EQ(static_cast<long long>(size), written);
        } else if (message == kZlibErrorText) {
            ++zlibErrors;
        } else if (message == kReadErrorText) {
            ++readErrors;
        } else {
            ++writeErrors;
            FAIL() << "unexpected failure: " << message;
        }
        ASSERT_LE(source.Position(), static_cast<long>(c.size()));

        // The one-pass decoder of a stream in memory agrees: the same failure, the same bytes.
        if (size >= 0 && size <= kDestLimit) {
            GuardedBlock block(static_cast<size_t>(size));
            std::string blockMessage;
            try {
                DecompressBlock(sourceBlock.Data() + kContainerHeaderSize,
                                static_cast<long>(c.size()) - kContainerHeaderSize, block.Data(),
                                size);
            } catch (const Exception& e) {
                blockMessage = e.Message();
            }
            ASSERT_EQ(message, blockMessage);
            if (ok) {
                ASSERT_TRUE(Bytes(block.Data(), block.Data() + size) == sunk);
            }
        }
    }
    std::printf("payload fuzz: seed %u, %u cases in %lu ms: %u containers, %u decoded, %u \"error\", "
                "%u read errors\n",
                static_cast<unsigned>(seed), cases, static_cast<unsigned long>(GetTickCount() - start),
                containers, decoded, zlibErrors, readErrors);
    EXPECT_GE(cases, kMinCases);
    EXPECT_GT(decoded, 0u);
    EXPECT_GT(zlibErrors, 0u);
    EXPECT_GT(readErrors, 0u);
    (void)writeErrors;
}
