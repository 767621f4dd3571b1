// The payload container: the header probe and the decoder.
#include "ContainerTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace payloadtest;

namespace {

// Runs the decoder and answers the failure's message ("" when it succeeded).
std::string DecodeMessage(TStream& source, TStream& dest, long count)
{
    try {
        DecompressContainer(source, dest, count);
        return "";
    } catch (const Exception& e) {
        return e.Message();
    }
}

// Probes bytes and decodes them into a memory stream sized first, as the callers do.
struct Decoded {
    bool isContainer = false;
    long size = -12345;
    std::string message;   // "" on success
    Bytes output;
    long destPosition = -1;
};

Decoded Decode(const Bytes& container)
{
    Decoded d;
    BytesStream source(container);
    d.isContainer = ReadContainerHeader(source, d.size);
    if (!d.isContainer)
        return d;
    TMemoryStream dest;
    if (d.size >= 0 && d.size <= (16 << 20))   // sized first, as the callers do (within reason)
        dest.SetSize(d.size);
    d.message = DecodeMessage(source, dest, d.size);
    d.destPosition = dest.Position();
    d.output = Contents(dest);
    return d;
}

} // namespace

// ---- ReadContainerHeader ----

TEST(ContainerHeader, MagicIsTheTwelveLettersAndEof)
{
    EXPECT_EQ(0, std::memcmp(ContainerMagic, "ZLIBCompress\x1A", 13));
}

TEST(ContainerHeader, AContainerGivesItsSizeAndStandsAtTheZlibStream)
{
    Bytes c = MakeContainer(SampleData(5915));
    BytesStream s(c);
    long size = 0;
    ASSERT_TRUE(ReadContainerHeader(s, size));
    EXPECT_EQ(5915, size);
    EXPECT_EQ(17, s.Position());
}

TEST(ContainerHeader, TwelveBytesAreNotAContainer)
{
    const char text[] = "ZLIBCompress";
    BytesStream s(text, 12);
    long size = 77;
    EXPECT_FALSE(ReadContainerHeader(s, size));
    EXPECT_EQ(77, size);
    EXPECT_EQ(0, s.Position());
}

TEST(ContainerHeader, AnEmptyStreamIsNotAContainer)
{
    BytesStream s(nullptr, 0);
    long size = 77;
    EXPECT_FALSE(ReadContainerHeader(s, size));
    EXPECT_EQ(77, size);
    EXPECT_EQ(0, s.Position());
}

TEST(ContainerHeader, AnotherThirteenthByteIsNotAContainerAndThePositionStays)
{
    Bytes c = MakeContainer(SampleData(100));
    for (unsigned char wrong : {0x00, 0x1B, 0x20, 0x9A}) {
        Bytes bad = c;
        bad[12] = wrong;
        bad.insert(bad.begin(), 3, 'x');
        BytesStream s(bad);
        s.SetPosition(3);
        long size = 77;
        EXPECT_FALSE(ReadContainerHeader(s, size)) << int(wrong);
        EXPECT_EQ(77, size);
        EXPECT_EQ(3, s.Position());
    }
}

TEST(ContainerHeader, TheSignatureIsCaseSensitiveAndHasNoZeroByte)
{
    Bytes c = MakeContainer(SampleData(100));
    for (size_t at : {0u, 4u, 11u}) {
        Bytes lower = c;
        lower[at] ^= 0x20;   // the other case of the letter
        Bytes zero = c;
        zero[at] = 0;
        for (const Bytes& bad : {lower, zero}) {
            BytesStream s(bad);
            long size = 77;
            EXPECT_FALSE(ReadContainerHeader(s, size)) << at;
            EXPECT_EQ(77, size);
            EXPECT_EQ(0, s.Position());
        }
    }
}

TEST(ContainerHeader, AProbeFromAnotherPositionLeavesTheStream17BytesFurther)
{
    Bytes data = SampleData(3000);
    Bytes c = MakeContainer(data);
    Bytes framed(40, 0xEE);
    framed.insert(framed.end(), c.begin(), c.end());
    TMemoryStream s;
    Fill(s, framed);
    s.SetPosition(40);
    long size = 0;
    ASSERT_TRUE(ReadContainerHeader(s, size));
    EXPECT_EQ(3000, size);
    EXPECT_EQ(57, s.Position());

    // And the decoder reads from there.
    TMemoryStream dest;
    dest.SetSize(size);
    DecompressContainer(s, dest, size);
    EXPECT_EQ(data, Contents(dest));
}

TEST(ContainerHeader, ASizeFieldCutShortIsNotAContainer)
{
    Bytes c = MakeContainer(SampleData(100));
    for (size_t keep = 13; keep < 17; ++keep) {
        Bytes cut(c.begin(), c.begin() + keep);
        BytesStream s(cut);
        long size = 77;
        EXPECT_FALSE(ReadContainerHeader(s, size)) << keep;
        EXPECT_EQ(77, size);
        EXPECT_EQ(0, s.Position());
    }
}

TEST(ContainerHeader, TheSizeIsSignedLittleEndian)
{
    for (std::int32_t declared : {0, 1, 0x01020304, -1, INT32_MIN, INT32_MAX}) {
        Bytes h = Header(declared);
        BytesStream s(h);
        long size = 77;
        ASSERT_TRUE(ReadContainerHeader(s, size));
        EXPECT_EQ(declared, size);
        EXPECT_EQ(17, s.Position());
    }
}

TEST(ContainerHeader, AReadThatFailsWithAnErrorRestoresThePositionFirst)
{
    Bytes c = MakeContainer(SampleData(100));
    c.insert(c.begin(), 5, 0);
    BytesStream inner(c);
    HookStream s(inner);
    s.SetPosition(5);
    for (size_t failing : {1u, 2u}) {
        s.readRequests.clear();
        s.onRead = [failing](size_t call) {
            if (call == failing)
                RaiseReadError();
        };
        long size = 77;
        EXPECT_THROW(ReadContainerHeader(s, size), EReadError);
        EXPECT_EQ(77, size);
        EXPECT_EQ(5, s.Position());
    }
}

// ---- DecompressContainer ----

TEST(Decompress, ASmallContainerDecodesToItsData)
{
    Bytes data = SampleData(5915);
    Bytes c = MakeContainer(data);
    EXPECT_EQ(0x78, c[17]);
    EXPECT_EQ(0xDA, c[18]);
    Decoded d = Decode(c);
    ASSERT_TRUE(d.isContainer);
    EXPECT_EQ("", d.message);
    EXPECT_EQ(data, d.output);
    EXPECT_EQ(5915, d.destPosition);
}

TEST(Decompress, WritesAtTheDestinationsPositionAndAdvancesItByCount)
{
    Bytes data = SampleData(1000);
    Bytes c = MakeContainer(data);
    BytesStream source(c);
    source.SetPosition(17);
    TMemoryStream dest;
    Fill(dest, Bytes(10, 'A'));
    dest.SetPosition(4);
    DecompressContainer(source, dest, 1000);
    EXPECT_EQ(1004, dest.Position());
    Bytes out = Contents(dest);
    ASSERT_EQ(1004u, out.size());
    EXPECT_EQ(Bytes(4, 'A'), Bytes(out.begin(), out.begin() + 4));
    EXPECT_EQ(data, Bytes(out.begin() + 4, out.end()));
}

TEST(Decompress, LargeDataIsCopiedInChunksOf61440AndReadInBlocksOf65536)
{
    for (int level : {Z_NO_COMPRESSION, Z_BEST_COMPRESSION}) {
        Bytes data = SampleData(300000, 7);
        Bytes c = MakeContainer(data, level);
        BytesStream inner(c);
        HookStream source(inner);
        source.SetPosition(17);
        TMemoryStream memory;
        memory.SetSize(300000);
        HookStream dest(memory);
        DecompressContainer(source, dest, 300000);
        EXPECT_EQ(data, Contents(memory)) << level;
        EXPECT_EQ((std::vector<long>{61440, 61440, 61440, 61440, 54240}), dest.writeRequests);
        ASSERT_FALSE(source.readRequests.empty());
        for (long r : source.readRequests)
            EXPECT_EQ(65536, r);
    }
}

TEST(Decompress, ChunkBoundariesDecodeExactly)
{
    for (size_t size : {1u, 61439u, 61440u, 61441u, 122880u, 122881u}) {
        Bytes data = SampleData(size, static_cast<std::uint32_t>(size));
        Decoded d = Decode(MakeContainer(data));
        EXPECT_EQ("", d.message) << size;
        EXPECT_EQ(data, d.output) << size;
    }
}

TEST(Decompress, TheSourceIsSoughtBackWhenSomeoneElseMovedIt)
{
    // A destination that moves the source on every write: the decoder must keep its place.
    Bytes data = SampleData(200000, 3);
    Bytes c = MakeContainer(data, Z_NO_COMPRESSION);   // many input blocks
    BytesStream source(c);
    source.SetPosition(17);
    TMemoryStream memory;
    memory.SetSize(200000);
    HookStream dest(memory);
    dest.onWrite = [&source](size_t) { source.SetPosition(3); };
    DecompressContainer(source, dest, 200000);
    EXPECT_EQ(data, Contents(memory));
}

TEST(Decompress, TruncatedZlibDataFailsWithTheStreamReadError)
{
    Bytes data = SampleData(200000, 5);
    Bytes c = MakeContainer(data);
    for (size_t keep : {17u, 18u, 19u, 100u, 30000u}) {
        Bytes cut(c.begin(), c.begin() + std::min(keep, c.size() - 10));
        Decoded d = Decode(cut);
        ASSERT_TRUE(d.isContainer);
        EXPECT_EQ(kReadErrorText, d.message) << keep;
    }
}

TEST(Decompress, TruncatedReadErrorIsAnEReadError)
{
    Bytes c = MakeContainer(SampleData(5000));
    c.resize(c.size() / 2);
    BytesStream source(c);
    source.SetPosition(17);
    TMemoryStream dest;
    EXPECT_THROW(DecompressContainer(source, dest, 5000), EReadError);
    EXPECT_EQ(0, dest.Size());
}

TEST(Decompress, ZeroedZlibHeaderFailsWithError)
{
    Bytes c = MakeContainer(SampleData(5915));
    c[17] = 0x00;
    c[18] = 0x00;
    Decoded d = Decode(c);
    ASSERT_TRUE(d.isContainer);
    EXPECT_EQ(kZlibErrorText, d.message);
}

TEST(Decompress, TheZlibErrorIsAnEDecompressionError)
{
    Bytes c = MakeContainer(SampleData(100));
    c[17] = 0x00;
    c[18] = 0x00;
    BytesStream source(c);
    source.SetPosition(17);
    TMemoryStream dest;
    EXPECT_THROW(DecompressContainer(source, dest, 100), EDecompressionError);
}

TEST(Decompress, AFlippedByteInTheDeflateDataFailsWithErrorBeforeAnythingIsWritten)
{
    // Stored blocks: a changed data byte changes one output byte, which only Adler-32 sees.
    Bytes data = SampleData(20000, 9);
    Bytes c = MakeContainer(data, Z_NO_COMPRESSION);
    for (size_t at : {size_t{17 + 2 + 5}, size_t{17 + 2 + 5 + 9999}, c.size() - 5}) {
        Bytes bad = c;
        bad[at] ^= 0x01;
        BytesStream source(bad);
        long size = 0;
        ASSERT_TRUE(ReadContainerHeader(source, size));
        TMemoryStream memory;
        HookStream dest(memory);
        EXPECT_EQ(kZlibErrorText, DecodeMessage(source, dest, size)) << at;
        EXPECT_TRUE(dest.writeRequests.empty()) << at;
    }
}

TEST(Decompress, AFlippedByteInCompressedDataFailsWithError)
{
    Bytes data = SampleData(20000, 9);
    Bytes c = MakeContainer(data);
    Bytes bad = c;
    bad[17 + 2 + 40] ^= 0x10;   // in the Huffman-coded data of the first block
    Decoded d = Decode(bad);
    EXPECT_EQ(kZlibErrorText, d.message);
}

TEST(Decompress, AFlippedByteInTheAdlerTrailerFailsWithErrorBeforeAnythingIsWritten)
{
    Bytes data = SampleData(5915);
    Bytes c = MakeContainer(data);
    for (size_t back = 1; back <= 4; ++back) {
        Bytes bad = c;
        bad[bad.size() - back] ^= 0x80;
        BytesStream source(bad);
        long size = 0;
        ASSERT_TRUE(ReadContainerHeader(source, size));
        TMemoryStream memory;
        HookStream dest(memory);
        EXPECT_EQ(kZlibErrorText, DecodeMessage(source, dest, size)) << back;
        EXPECT_TRUE(dest.writeRequests.empty()) << back;
    }
}

TEST(Decompress, AMultiChunkChecksumMismatchFailsBeforeTheLastChunk)
{
    Bytes data = SampleData(150000, 4);
    Bytes bad = MakeContainer(data);
    bad.back() ^= 0x01;
    BytesStream source(bad);
    long size = 0;
    ASSERT_TRUE(ReadContainerHeader(source, size));
    TMemoryStream memory;
    memory.SetSize(size);
    HookStream dest(memory);
    EXPECT_EQ(kZlibErrorText, DecodeMessage(source, dest, size));
    EXPECT_EQ((std::vector<long>{61440, 61440}), dest.writeRequests);   // not the last 27120
}

TEST(Decompress, AMissingAdlerTrailerFailsWithTheStreamReadError)
{
    Bytes c = MakeContainer(SampleData(5915));
    for (size_t cut = 1; cut <= 4; ++cut) {
        Bytes shortened(c.begin(), c.end() - cut);
        EXPECT_EQ(kReadErrorText, Decode(shortened).message) << cut;
    }
}

TEST(Decompress, DataBeyondTheDeclaredSizeIsIgnored)
{
    Bytes data = SampleData(100000, 11);
    Bytes c = MakeContainer(data);
    for (std::int32_t declared : {1, 4000, 61440, 61441, 99999}) {
        Decoded d = Decode(WithDeclared(c, declared));
        EXPECT_EQ("", d.message) << declared;
        EXPECT_EQ(Bytes(data.begin(), data.begin() + declared), d.output) << declared;
        EXPECT_EQ(declared, d.destPosition);
    }
}

TEST(Decompress, BytesAfterTheZlibStreamAreIgnored)
{
    Bytes data = SampleData(5000);
    Bytes c = MakeContainer(data);
    c.insert(c.end(), 300, 0x5A);
    Decoded d = Decode(c);
    EXPECT_EQ("", d.message);
    EXPECT_EQ(data, d.output);
}

TEST(Decompress, AStreamThatEndsBeforeTheDeclaredSizeFailsWithError)
{
    Bytes data = SampleData(5000);
    Bytes c = MakeContainer(data);
    Bytes withTail = c;
    withTail.insert(withTail.end(), 70000, 0x00);   // the source still has bytes to give
    for (std::int32_t declared : {5001, 61440, 70000, INT32_MAX}) {
        EXPECT_EQ(kZlibErrorText, Decode(WithDeclared(c, declared)).message) << declared;
        EXPECT_EQ(kZlibErrorText, Decode(WithDeclared(withTail, declared)).message) << declared;
    }
}

TEST(Decompress, SizeZeroReadsAndWritesNothing)
{
    Bytes c = WithDeclared(MakeContainer(SampleData(5000)), 0);
    BytesStream inner(c);
    HookStream source(inner);
    long size = 77;
    ASSERT_TRUE(ReadContainerHeader(source, size));
    ASSERT_EQ(0, size);
    source.readRequests.clear();
    TMemoryStream memory;
    HookStream dest(memory);
    DecompressContainer(source, dest, 0);
    EXPECT_TRUE(source.readRequests.empty());
    EXPECT_TRUE(dest.writeRequests.empty());
    EXPECT_EQ(17, source.Position());
    EXPECT_EQ(0, memory.Size());

    // Also a container of empty data, and one with no data at all.
    Decoded empty = Decode(MakeContainer(Bytes()));
    EXPECT_EQ("", empty.message);
    EXPECT_TRUE(empty.output.empty());
    Decoded bare = Decode(Header(0));
    EXPECT_EQ("", bare.message);
}

TEST(Decompress, ANegativeSizeFailsWithErrorAndWritesNothing)
{
    Bytes c = MakeContainer(SampleData(5000));
    for (std::int32_t declared : {-1, -5000, INT32_MIN}) {
        Bytes negative = WithDeclared(c, declared);
        BytesStream source(negative);
        long size = 0;
        ASSERT_TRUE(ReadContainerHeader(source, size));
        ASSERT_EQ(declared, size);
        TMemoryStream memory;
        HookStream dest(memory);
        EXPECT_EQ(kZlibErrorText, DecodeMessage(source, dest, size));
        EXPECT_TRUE(dest.writeRequests.empty());
    }
}

TEST(Decompress, ADestinationThatCannotTakeAChunkFailsWithTheStreamWriteError)
{
    Bytes data = SampleData(100000);
    Bytes c = MakeContainer(data);
    BytesStream source(c);
    source.SetPosition(17);
    TMemoryStream memory;
    HookStream dest(memory);
    dest.writeLimit = 1000;
    try {
        DecompressContainer(source, dest, 100000);
        ADD_FAILURE() << "no EWriteError";
    } catch (const EWriteError& e) {
        EXPECT_EQ(kWriteErrorText, e.Message());
    }
    EXPECT_EQ(1u, dest.writeRequests.size());
}

TEST(Decompress, AReadOnlyDestinationFails)
{
    Bytes c = MakeContainer(SampleData(100));
    BytesStream source(c);
    source.SetPosition(17);
    Bytes target(100);
    BytesStream dest(target);
    EXPECT_THROW(DecompressContainer(source, dest, 100), EWriteError);
}

TEST(Decompress, APresetDictionaryStreamFailsWithErrorAndDoesNotHang)
{
    Bytes data = SampleData(3000);
    z_stream zs{};
    ASSERT_EQ(Z_OK, deflateInit(&zs, Z_BEST_COMPRESSION));
    const char dictionary[] = "label disc print layout";
    ASSERT_EQ(Z_OK, deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dictionary),
                                         sizeof dictionary - 1));
    Bytes z(deflateBound(&zs, static_cast<uLong>(data.size())));
    zs.next_in = data.data();
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = z.data();
    zs.avail_out = static_cast<uInt>(z.size());
    ASSERT_EQ(Z_STREAM_END, deflate(&zs, Z_FINISH));
    z.resize(zs.total_out);
    deflateEnd(&zs);
    Bytes c = Header(3000);
    c.insert(c.end(), z.begin(), z.end());
    EXPECT_EQ(kZlibErrorText, Decode(c).message);
}

TEST(Decompress, RawDeflateWithoutZlibHeaderFailsWithError)
{
    Bytes data = SampleData(3000);
    Bytes z = ZlibStream(data);
    Bytes c = Header(3000);
    c.insert(c.end(), z.begin() + 2, z.end());   // header dropped
    EXPECT_EQ(kZlibErrorText, Decode(c).message);
}
