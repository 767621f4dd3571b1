// The global-memory stream over foreign blocks (clipboard data) and over blocks of its own.
#include "framework/win32/UGMEMStream.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

const char kRefusal[] = "should not realloc Global Handle";
constexpr SIZE_T kForeignRequest = 100;

UINT LockCount(HGLOBAL block)
{
    return GlobalFlags(block) & GMEM_LOCKCOUNT;
}

// A foreign moveable block filled with 0, 1, 2, ... and freed at the end of the test.
class ForeignBlock {
public:
    explicit ForeignBlock(SIZE_T bytes = kForeignRequest)
        : handle_(GlobalAlloc(GMEM_MOVEABLE, bytes))
    {
        auto* p = static_cast<unsigned char*>(GlobalLock(handle_));
        for (SIZE_T i = 0; i < GlobalSize(handle_); ++i)
            p[i] = static_cast<unsigned char>(i);
        GlobalUnlock(handle_);
    }
    ~ForeignBlock() { GlobalFree(handle_); }
    HGLOBAL get() const { return handle_; }
    unsigned char At(SIZE_T i) const
    {
        auto* p = static_cast<unsigned char*>(GlobalLock(handle_));
        unsigned char v = p[i];
        GlobalUnlock(handle_);
        return v;
    }

private:
    HGLOBAL handle_;
};

template <class F>
void ExpectRefused(F&& action)
{
    try {
        action();
        ADD_FAILURE() << "no EGMEMStream";
    } catch (const EGMEMStream& e) {
        EXPECT_EQ(kRefusal, e.Message());
    }
}

} // namespace

TEST(GMEMStream, AttachedStreamReadsTheWholeBlockInPlaceAndGivesItBackUnlocked)
{
    ForeignBlock block;
    ASSERT_NE(nullptr, block.get());
    const UINT locksBefore = LockCount(block.get());
    const long blockSize = static_cast<long>(GlobalSize(block.get()));
    {
        TGMEMStream stream(block.get());
        EXPECT_TRUE(stream.Attached());
        EXPECT_EQ(blockSize, stream.Size());
        EXPECT_EQ(0, stream.Position());
        EXPECT_EQ(locksBefore + 1, LockCount(block.get()));
        unsigned char bytes[4] = {};
        stream.Seek(10, SeekOrigin::Begin);
        stream.ReadBuffer(bytes, sizeof bytes);
        EXPECT_EQ(10, bytes[0]);
        EXPECT_EQ(13, bytes[3]);
    }
    EXPECT_EQ(locksBefore, LockCount(block.get()));
    EXPECT_EQ(static_cast<SIZE_T>(blockSize), GlobalSize(block.get())) << "block was freed";
    EXPECT_EQ(12, block.At(12));
}

TEST(GMEMStream, AttachedStreamWritesInsideButRefusesEveryResize)
{
    ForeignBlock block;
    const long size = static_cast<long>(GlobalSize(block.get()));
    const UINT locksBefore = LockCount(block.get());
    {
        TGMEMStream stream(block.get());
        const unsigned char one = 0xAB;
        stream.Seek(size - 1, SeekOrigin::Begin);
        stream.WriteBuffer(&one, 1);

        const unsigned char two[2] = {0xCD, 0xEF};
        stream.Seek(size - 1, SeekOrigin::Begin);
        ExpectRefused([&] { stream.Write(two, 2); });
        ExpectRefused([&] { stream.SetSize(size); });
        ExpectRefused([&] { stream.SetSize(1); });
        ExpectRefused([&] { stream.Clear(); });
        // Nothing of the refused calls reached the stream or the block.
        EXPECT_EQ(size, stream.Size());
        EXPECT_EQ(0xAB, block.At(size - 1));
    }
    EXPECT_EQ(locksBefore, LockCount(block.get()));
    EXPECT_EQ(static_cast<SIZE_T>(size), GlobalSize(block.get()));
}

TEST(GMEMStream, ReleaseHandleOfAnAttachedStreamReturnsTheForeignHandle)
{
    ForeignBlock block;
    const UINT locksBefore = LockCount(block.get());
    TGMEMStream stream(block.get());
    EXPECT_EQ(block.get(), stream.ReleaseHandle());
    EXPECT_FALSE(stream.Attached());
    EXPECT_EQ(locksBefore, LockCount(block.get()));
    EXPECT_EQ(0, stream.Size());
    // Usable as a new empty stream whose memory is its own.
    stream.WriteBuffer("xy", 2);
    EXPECT_NE(block.get(), GlobalHandle(stream.Memory()));
    EXPECT_EQ(0, block.At(0));
}

TEST(GMEMStream, OwnedStreamHandsOverAnUnlockedMoveableBlock)
{
    const char data[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    HGLOBAL handle = nullptr;
    {
        TGMEMStream stream;
        EXPECT_FALSE(stream.Attached());
        stream.WriteBuffer(data, sizeof data);
        EXPECT_EQ(TMemoryStream::kMemoryDelta, stream.Capacity());
        handle = stream.ReleaseHandle();
        ASSERT_NE(nullptr, handle);
        EXPECT_EQ(0, stream.Size());
        EXPECT_EQ(0, stream.Capacity());
        EXPECT_EQ(nullptr, stream.Memory());
    }
    // The stream is gone; the block is the caller's.
    EXPECT_EQ(static_cast<SIZE_T>(TMemoryStream::kMemoryDelta), GlobalSize(handle));
    EXPECT_EQ(0u, LockCount(handle));
    EXPECT_EQ(0u, GlobalFlags(handle) & GMEM_DISCARDED);
    void* p = GlobalLock(handle);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(0, std::memcmp(p, data, sizeof data));
    GlobalUnlock(handle);
    EXPECT_EQ(nullptr, GlobalFree(handle));
}

TEST(GMEMStream, ReleaseHandleOfAStreamThatNeverAllocatedIsNone)
{
    TGMEMStream stream;
    EXPECT_EQ(nullptr, stream.ReleaseHandle());
    stream.WriteBuffer("a", 1);
    EXPECT_EQ(1, stream.Size());
}

TEST(GMEMStream, UnlockableHandleGivesAnEmptyStreamThatRefusesToGrow)
{
    TGMEMStream stream(nullptr);
    EXPECT_EQ(0, stream.Size());
    char c;
    EXPECT_EQ(0, stream.Read(&c, 1));
    ExpectRefused([&] { stream.Write("a", 1); });
}

