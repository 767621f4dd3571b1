// A seeded, time-bounded robustness run: mutated containers through ReadContainerHeader and
// DecompressContainer (and DecompressBlock, which must agree). Each must decode or fail with one
// of the decoder's messages; none may crash, hang, or touch memory outside the source and the
// destination.
//
//   ZA2_FUZZ_SEED=n     another seed (the failing seed and case are printed on a failure)
//   ZA2_FUZZ_MS=n       run time in milliseconds (default 3000; at least kMinCases cases run)
#include "ContainerTestSupport.h"

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

class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t Next()
    {
        // xorshift32
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint32_t Below(std::uint32_t n) { return n ? Next() % n : 0; }

private:
    std::uint32_t state_;
};

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

void Mutate(Bytes& c, Rng& rng)
{
    unsigned steps = 1 + rng.Below(4);
    for (unsigned s = 0; s < steps; ++s) {
        size_t n = c.size();
        switch (rng.Below(10)) {
        case 0:   // flip one bit
        case 1:
            if (n)
                c[rng.Below(static_cast<std::uint32_t>(n))] ^= static_cast<unsigned char>(1u << rng.Below(8));
            break;
        case 2:   // a random byte, mostly in the zlib header and first bytes of data
            if (n > 17)
                c[17 + rng.Below(static_cast<std::uint32_t>(std::min<size_t>(n - 17, rng.Below(2) ? 16 : n)))] =
                    static_cast<unsigned char>(rng.Next());
            break;
        case 3:   // truncate
            c.resize(rng.Below(static_cast<std::uint32_t>(n + 1)));
            break;
        case 4: {   // append noise
            unsigned extra = 1 + rng.Below(64);
            for (unsigned i = 0; i < extra; ++i)
                c.push_back(static_cast<unsigned char>(rng.Next()));
            break;
        }
        case 5: {   // another size field
            if (n < 17)
                break;
            std::int32_t old = static_cast<std::int32_t>(c[13] | c[14] << 8 | c[15] << 16 |
                                                         static_cast<std::uint32_t>(c[16]) << 24);
            std::int32_t v;
            switch (rng.Below(4)) {
            case 0: v = old + static_cast<std::int32_t>(rng.Below(200)) - 100; break;
            case 1: v = static_cast<std::int32_t>(rng.Next()); break;
            case 2: v = static_cast<std::int32_t>(rng.Below(kDestLimit)); break;
            default: {
                static const std::int32_t extremes[] = {0, -1, 1, INT32_MAX, INT32_MIN, 61440, 61441};
                v = extremes[rng.Below(7)];
            }
            }
            Bytes h = Header(v);
            std::copy(h.begin() + 13, h.end(), c.begin() + 13);
            break;
        }
        case 6:   // insert a byte
            c.insert(c.begin() + rng.Below(static_cast<std::uint32_t>(n + 1)),
                     static_cast<unsigned char>(rng.Next()));
            break;
        case 7:   // delete a range
            if (n) {
                size_t at = rng.Below(static_cast<std::uint32_t>(n));
                size_t len = std::min<size_t>(n - at, 1 + rng.Below(32));
                c.erase(c.begin() + at, c.begin() + at + len);
            }
            break;
        case 8:   // duplicate a range
            if (n) {
                size_t at = rng.Below(static_cast<std::uint32_t>(n));
                size_t len = std::min<size_t>(n - at, 1 + rng.Below(64));
                Bytes piece(c.begin() + at, c.begin() + at + len);
                c.insert(c.begin() + rng.Below(static_cast<std::uint32_t>(c.size() + 1)), piece.begin(), piece.end());
            }
            break;
        default:   // overwrite a run with one value
            if (n) {
                size_t at = rng.Below(static_cast<std::uint32_t>(n));
                size_t len = std::min<size_t>(n - at, 1 + rng.Below(16));
                std::memset(c.data() + at, rng.Below(2) ? 0 : 0xFF, len);
            }
            break;
        }
    }
}

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
        Mutate(c, rng);
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
