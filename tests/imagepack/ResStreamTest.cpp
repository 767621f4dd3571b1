// Resource streams: a resource file beside the program wins over the module's own resources;
// entries are found by ordinal or by name without case; damaged files fail, never hang.
#include "support/ResFileBuilder.h"
#include "support/TempFolder.h"
#include "imagepack/UResStream.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

#include <string>

using namespace resfile;

namespace {

std::string Contents(TStream& stream)
{
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    if (!bytes.empty())
        stream.ReadBuffer(&bytes[0], static_cast<long>(bytes.size()));
    return bytes;
}

std::string NotFoundText(const std::string& name)
{
    return Exception(SResNotFound, {name}).Message();
}

class ResStream : public ::testing::Test {
protected:
    // Writes a resource file and returns its path.
    std::string File(const std::string& bytes)
    {
        folder_.Write("Za2Image.res", bytes);
        return folder_.File("Za2Image.res");
    }
    std::string Find(const std::string& file, const char* type, const std::string& name)
    {
        TResStream stream(File(file), name, type);
        return Contents(stream);
    }
    std::string Missing() const { return folder_.File("Za2Image.res"); }

    TempFolder folder_;
};

}   // namespace

TEST_F(ResStream, WithoutTheFileTheModuleResourceIsRead)
{
    TResStream absent(Missing(), "MODULEDATA", RT_RCDATA);
    EXPECT_EQ("module bytes", Contents(absent));
    TResStream noFile("", "moduledata", RT_RCDATA);
    EXPECT_EQ("module bytes", Contents(noFile));
    TResStream byName("", "MODULEPIC", "jpeg");
    EXPECT_EQ("module jpeg", Contents(byName));
    // A module resource is read-only.
    EXPECT_THROW(absent.Write("x", 1), EStreamError);
}

TEST_F(ResStream, MissingModuleResourceNamesIt)
{
    try {
        TResStream stream("", "NOSUCHRES", RT_RCDATA);
        FAIL() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(NotFoundText("NOSUCHRES"), e.Message());
    }
    // rt_rcdata in lower case is a type name, not the predefined type.
    EXPECT_THROW(TResStream("", "MODULEDATA", "rt_rcdata"), EResNotFound);
}

TEST_F(ResStream, TheFileWinsAndNamesMatchWithoutCase)
{
    const std::string file = Start() + Entry(Id(2), Id("logo"), "from file");
    TResStream stream(File(file), "LOGO", RT_BITMAP);
    EXPECT_EQ("from file", Contents(stream));
    // The copy from a file may be changed in memory; the file stays as it was.
    stream.SetPosition(0);
    EXPECT_EQ(4, stream.Write("FROM", 4));
    EXPECT_EQ("FROM file", Contents(stream));
    EXPECT_EQ(file, folder_.Read("Za2Image.res"));
}

TEST_F(ResStream, EntriesAreSkippedByTheirRoundedSizes)
{
    const std::string file = Start() +
                             Entry(Id(2), Id("LOGOX"), "odd!!", 1) +     // odd HeaderSize, DataSize
                             Entry(Id(10), Id("LOGO"), "seven..", 3) +
                             Entry(Id(2), Id("LOGO"), "the third");
    EXPECT_EQ("the third", Find(file, RT_BITMAP, "LOGO"));
    EXPECT_EQ("seven..", Find(file, RT_RCDATA, "Logo"));
    EXPECT_EQ(0, static_cast<int>(RoundUp4(0)));
    EXPECT_EQ(8, static_cast<int>(RoundUp4(5)));
    EXPECT_EQ(8, static_cast<int>(RoundUp4(8)));
}

TEST_F(ResStream, OnlyTheWholeNameMatches)
{
    const std::string file = Start() + Entry(Id(2), Id("LOGO2"), "x") + Entry(Id(2), Id("LOG"), "y");
    try {
        Find(file, RT_BITMAP, "LOGO");
        FAIL() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(NotFoundText("LOGO"), e.Message());
    }
    // An ordinal type is not matched by its predefined name.
    EXPECT_THROW(Find(file, "rt_bitmap", "LOGO2"), EResNotFound);
    EXPECT_THROW(Find(file, "2", "LOGO2"), EResNotFound);
}

TEST_F(ResStream, TypeNamesMatchWithoutCase)
{
    const std::string file = Start() + Entry(Id("JPEG"), Id("PHOTO"), "jpeg data") +
                             Entry(Id("METAFILE"), Id("PHOTO"), "emf data");
    EXPECT_EQ("jpeg data", Find(file, "jpeg", "photo"));
    EXPECT_EQ("emf data", Find(file, "Metafile", "PHOTO"));
    EXPECT_THROW(Find(file, MAKEINTRESOURCE(2), "PHOTO"), EResNotFound);
}

TEST_F(ResStream, DoubleByteTypeNamesAreFollowedByTheirName)
{
    // Two characters of two bytes each: the name must be read right after the type's NUL.
    const std::string file = Start() + Entry(Id("画像"), Id("ロゴ"), "wrong") +
                             Entry(Id("画像"), Id("LOGO"), "found");
    EXPECT_EQ("found", Find(file, "画像", "logo"));
    EXPECT_EQ("wrong", Find(file, "画像", "ロゴ"));
}

TEST_F(ResStream, EmptyDataIsFoundEmpty)
{
    const std::string file = Start() + Entry(Id(2), Id("LOGO"), "") + Entry(Id(2), Id("NEXT"), "n");
    EXPECT_EQ("", Find(file, RT_BITMAP, "LOGO"));
    EXPECT_EQ("n", Find(file, RT_BITMAP, "NEXT"));
}

TEST_F(ResStream, DamagedFilesFailWithoutHanging)
{
    const std::string good = Entry(Id(2), Id("LOGO"), "data");
    const std::string tail = Entry(Id(2), Id("OTHER"), "other");
    std::string overlongData = Entry(Id(2), Id("LOGO"), "data");
    overlongData.replace(0, 4, Dword(1000));
    std::string overlongOther = tail;
    overlongOther.replace(0, 4, Dword(1000));
    std::string overlongHeader = tail;
    overlongHeader.replace(4, 4, Dword(5000));
    std::string idsPastHeader = good;
    idsPastHeader.replace(4, 4, Dword(28));   // Type and Name alone take 20 of these

    const std::string damaged[] = {
        Start() + Dword(0) + Dword(0) + std::string(24, '\0'),   // sizes 0: would never advance
        std::string(64, '\0'),
        Start() + Dword(0) + Dword(8) + std::string(24, '\0'),   // header without its fields
        Start() + Dword(4) + Dword(20) + Id(2) + Id("LOGO") + "data",
        Start() + overlongOther + good,     // a skipped entry runs past the end
        Start() + overlongData,             // the matching entry's data is not all there
        Start() + overlongHeader + good,
        Start() + tail + std::string("\x04\0\0", 3),   // cut inside the sizes
        Start() + idsPastHeader,
    };
    int index = 0;
    for (const std::string& file : damaged) {
        EXPECT_THROW(Find(file, RT_BITMAP, "LOGO"), EReadError) << "file " << index;
        ++index;
    }
}

TEST_F(ResStream, ReadResourceFromFileAppendsTheDataOnly)
{
    const std::string path = File(Start() + Entry(Id("JPEG"), Id("A"), "abc"));
    TMemoryStream dest;
    ReadResourceFromFile(dest, path, "JPEG", "a");
    EXPECT_EQ("abc", Contents(dest));
    EXPECT_THROW(ReadResourceFromFile(dest, folder_.File("none.res"), "JPEG", "a"), EFOpenError);
}
