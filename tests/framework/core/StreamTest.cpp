// Memory streams on global memory, resource streams read in place, and the stream errors'
// messages.
#include "framework/core/Stream.h"

#include "framework/core/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StreamTest, MemoryStreamGrowsInWholeStepsOfGlobalMemory)
{
    TMemoryStream m;
    EXPECT_EQ(0, m.Capacity());
    char byte = 'x';
    m.WriteBuffer(&byte, 1);
    EXPECT_EQ(8192, m.Capacity());
    std::vector<char> block(8192, 'y');
    m.WriteBuffer(block.data(), static_cast<long>(block.size()));
    EXPECT_EQ(8193, m.Size());
    EXPECT_EQ(16384, m.Capacity());
    HGLOBAL handle = GlobalHandle(m.Memory());
    ASSERT_NE(nullptr, handle);
    EXPECT_GE(GlobalSize(handle), 16384u);
    EXPECT_EQ('x', static_cast<char*>(m.Memory())[0]);
    m.Clear();
    EXPECT_EQ(0, m.Size());
    EXPECT_EQ(0, m.Capacity());
}

TEST(StreamTest, ResourceStreamReadsInPlace)
{
    HMODULE module = GetModuleHandleA(nullptr);
    TResourceStream r(module, "TFRMMAIN", "LAYOUT");
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    auto* memory = static_cast<const BYTE*>(r.Memory());
    EXPECT_GE(memory, base);
    EXPECT_LT(memory + r.Size(), base + nt->OptionalHeader.SizeOfImage);
    char text[5] = {};
    r.ReadBuffer(text, 4);
    EXPECT_STREQ("# Th", text);
    EXPECT_THROW(r.WriteBuffer("x", 1), EStreamError);
}

TEST(StreamTest, ErrorsCarryTheToolkitsMessages)
{
    TMemoryStream m;
    char buffer[4];
    try {
        m.ReadBuffer(buffer, 4);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ("ｽﾄﾘｰﾑからの読み込みｴﾗｰ", e.Message());
    }
    try {
        TResourceStream missing(GetModuleHandleA(nullptr), "NOSUCH", "LAYOUT");
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ("NOSUCH ﾘｿｰｽが見つかりません", e.Message());
    }
    try {
        TFileStream file("Z:\\no\\such\\folder\\file.bin", TFileStream::Mode::Create);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ("ﾌｧｲﾙ Z:\\no\\such\\folder\\file.bin を作成できません", e.Message());
    }
}
