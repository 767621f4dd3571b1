// Host tool: writes the update benchmark's payload file.
//
//   benchfile MIB OUTPUT
#include "BenchPayload.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    long mib = argc == 3 ? std::atol(argv[1]) : 0;
    if (mib <= 0) {
        std::fprintf(stderr, "usage: benchfile MIB OUTPUT\n");
        return 2;
    }
    std::vector<unsigned char> data = MakeBenchPayload(static_cast<size_t>(mib) << 20);
    FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(data.data(), 1, data.size(), out) != data.size() || std::fclose(out)) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
