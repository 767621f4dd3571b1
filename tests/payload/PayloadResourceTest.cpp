// The payload resources built into every program of the project (resources/payload): each is a
// container of one release file, RCDATA in Japanese, and decodes to exactly that file.
#include "ContainerTestSupport.h"
#include "PayloadFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

using namespace payloadtest;

namespace {

// The payload resources of the update's files, and the uncompressed files that went into them.
const char* const kResNames[] = {ZA2_PAYLOAD_RESOURCES};
const char* const kFiles[] = {ZA2_PAYLOAD_SOURCES};

Bytes FileBytes(const char* path)
{
    TMemoryStream m;
    m.LoadFromFile(path);
    return Contents(m);
}

// The stream decoder's pattern (the compressed-bitmap loader's).
Bytes DecodeResource(const char* resName, long* declared = nullptr)
{
    TResourceStream r(GetModuleHandleA(nullptr), resName, MAKEINTRESOURCEA(10));
    long size = -1;
    if (!ReadContainerHeader(r, size))
        throw std::runtime_error(std::string(resName) + " is not a container");
    if (declared)
        *declared = size;
    TMemoryStream t;
    t.SetSize(size);
    DecompressContainer(r, t, size);
    t.SetPosition(0);
    return Contents(t);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

// The parameter is the index of a file of the update.
class PayloadResource : public testing::TestWithParam<size_t> {};

std::string ItemName(const testing::TestParamInfo<size_t>& info)
{
    return kResNames[info.param];
}

} // namespace

TEST_P(PayloadResource, IsAJapaneseRcdataContainer)
{
    std::vector<WORD> languages;
    EnumResourceLanguagesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(10), kResNames[GetParam()],
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(std::vector<WORD>{1041}, languages);

    TResourceStream r(GetModuleHandle(nullptr), kResNames[GetParam()], RT_RCDATA);
    long size = -1;
    ASSERT_TRUE(ReadContainerHeader(r, size));
    EXPECT_EQ(17, r.Position());
    const auto* bytes = static_cast<const unsigned char*>(r.Memory());
    EXPECT_EQ(0x78, bytes[17]);
    EXPECT_EQ(0xDA, bytes[18]);
}

TEST_P(PayloadResource, DecodesToTheFileThatWentIn)
{
    Bytes expected = FileBytes(kFiles[GetParam()]);
    long declared = -1;
    Bytes decoded = DecodeResource(kResNames[GetParam()], &declared);
    EXPECT_EQ(static_cast<long>(expected.size()), declared);
    EXPECT_TRUE(decoded == expected) << kResNames[GetParam()] << ": " << decoded.size()
                                     << " bytes decoded, " << expected.size() << " expected";
}

TEST_P(PayloadResource, TheZlibStreamEndsWithTheResource)
{
    TResourceStream r(GetModuleHandle(nullptr), kResNames[GetParam()], RT_RCDATA);
    long size = -1;
    ASSERT_TRUE(ReadContainerHeader(r, size));
    z_stream zs{};
    ASSERT_EQ(Z_OK, inflateInit(&zs));
    Bytes out(static_cast<size_t>(size) + 1);
    zs.next_in = static_cast<Bytef*>(r.Memory()) + 17;
    zs.avail_in = static_cast<uInt>(r.Size() - 17);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(Z_STREAM_END, inflate(&zs, Z_FINISH));
    EXPECT_EQ(static_cast<uLong>(size), zs.total_out);
    EXPECT_EQ(0u, zs.avail_in);   // nothing after the stream
    inflateEnd(&zs);
}

INSTANTIATE_TEST_SUITE_P(All, PayloadResource, testing::Range<size_t>(0, std::size(kResNames)),
                         ItemName);

TEST(PayloadResources, AreTheFourOfTheUpdateList)
{
    for (const char* resName : kResNames)
        EXPECT_NE(nullptr, FindResourceA(GetModuleHandleA(nullptr), resName, MAKEINTRESOURCEA(10)))
            << resName;
}

#if ZA2_PAYLOAD_IS_SAMPLE

TEST(SamplePayload, TheExecutableIsRelease202)
{
    Bytes exe = DecodeResource("ZANDERA2_EXE");
    ASSERT_GT(exe.size(), 2u);
    EXPECT_EQ('M', exe[0]);
    EXPECT_EQ('Z', exe[1]);

    char folder[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, folder));
    char path[MAX_PATH];
    ASSERT_NE(0u, GetTempFileNameA(folder, "za2", 0, path));
    {
        TMemoryStream m;
        m.WriteBuffer(exe.data(), static_cast<long>(exe.size()));
        m.SaveToFile(path);
    }
    DWORD handle = 0;
    DWORD infoSize = GetFileVersionInfoSizeA(path, &handle);
    std::vector<char> info(infoSize ? infoSize : 1);
    bool read = infoSize && GetFileVersionInfoA(path, 0, infoSize, info.data());
    DeleteFileA(path);
    ASSERT_TRUE(read);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0x00020000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00020000u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x00020000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00020000u, fixed->dwFileVersionLS);
}

TEST(SamplePayload, TheReadmeIsShiftJisWithCrLf)
{
    Bytes text = DecodeResource("README_TXT");
    const std::string title = "ザンデラ2 バージョン 2.02";   // CP932 in this program
    ASSERT_GE(text.size(), title.size());
    EXPECT_EQ(title, std::string(text.begin(), text.begin() + title.size()));
    std::string s(text.begin(), text.end());
    EXPECT_NE(std::string::npos, s.find("\r\n"));
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n') {
            ASSERT_TRUE(i > 0 && s[i - 1] == '\r') << "bare LF at " << i;
        }
    }
    // It reads back as CP932 text without a replacement character.
    int wide = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                                   nullptr, 0);
    EXPECT_GT(wide, 0);
}

TEST(SamplePayload, TheDataFilesAreSomeKilobytes)
{
    EXPECT_EQ(48u * 1024, DecodeResource("ZANDERA2_HLP").size());
    EXPECT_EQ(16u * 1024, DecodeResource("ZANDERA2_PPR").size());
}

#endif
