// Host tool: wraps a file in the payload container.
//
//   zcontainer INPUT OUTPUT
//
// OUTPUT = "ZLIBCompress" 0x1A, the input's size as a little-endian signed 32-bit number, and
// one zlib stream of the input at level 9 (header 0x78 0xDA), with nothing after the stream.
// The result is inflated again and compared before it is written; OUTPUT is replaced only
// when everything succeeded.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const unsigned char kMagic[13] = {'Z', 'L', 'I', 'B', 'C', 'o', 'm', 'p', 'r', 'e', 's', 's', 0x1A};

int Fail(const std::string& text)
{
    std::fprintf(stderr, "zcontainer: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return Fail("usage: zcontainer INPUT OUTPUT");
    const std::string inPath = argv[1], outPath = argv[2];

    std::ifstream in(inPath, std::ios::binary);
    if (!in)
        return Fail("cannot open " + inPath);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad())
        return Fail("cannot read " + inPath);
    if (data.size() > 0x7FFFFFFFu)
        return Fail(inPath + " is larger than a container can declare (2 GiB - 1)");

    uLongf packedSize = compressBound(static_cast<uLong>(data.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, data.data(), static_cast<uLong>(data.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return Fail("compression failed for " + inPath);
    packed.resize(packedSize);
    if (packed.size() < 6 || packed[0] != 0x78 || packed[1] != 0xDA)
        return Fail("unexpected zlib header");

    // Self-check: the stream inflates to exactly the input and ends there.
    std::vector<unsigned char> back(data.size() + 1);
    uLongf backSize = static_cast<uLongf>(back.size());
    if (uncompress(back.data(), &backSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK
        || backSize != data.size() || std::memcmp(back.data(), data.data(), data.size()) != 0)
        return Fail("round trip check failed for " + inPath);

    const std::uint32_t size = static_cast<std::uint32_t>(data.size());
    const unsigned char field[4] = {static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
                                    static_cast<unsigned char>(size >> 16),
                                    static_cast<unsigned char>(size >> 24)};
    const std::string tmpPath = outPath + ".tmp";
    {
        std::ofstream out(tmpPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(kMagic), sizeof kMagic);
        out.write(reinterpret_cast<const char*>(field), sizeof field);
        out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
        out.close();
        if (!out) {
            std::remove(tmpPath.c_str());
            return Fail("cannot write " + tmpPath);
        }
    }
    if (std::rename(tmpPath.c_str(), outPath.c_str()) != 0) {
        std::remove(tmpPath.c_str());
        return Fail("cannot replace " + outPath);
    }
    return 0;
}
