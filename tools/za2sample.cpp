// Host tool: writes the sample release's data files, the same bytes on every run.
//
//   za2sample hlp OUTPUT    a help-file-like ZANDERA2.HLP (48 KiB)
//   za2sample ppr OUTPUT    a paper-definition-like ZANDERA2.PPR (16 KiB)
//
// The bytes only have to look like data (a header, text and tables, so that they compress about
// as real files do); no program reads their structure.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Bytes {
public:
    void U8(unsigned v) { data_.push_back(static_cast<unsigned char>(v)); }
    void U16(unsigned v) { U8(v & 0xFF); U8(v >> 8 & 0xFF); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    void Text(const std::string& s) { data_.insert(data_.end(), s.begin(), s.end()); }
    void PadTo(size_t size, unsigned char fill) { data_.resize(size, fill); }
    void Put32(size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data_[at + i] = static_cast<unsigned char>(v >> (8 * i));
    }
    size_t Size() const { return data_.size(); }
    const std::vector<unsigned char>& Data() const { return data_; }

private:
    std::vector<unsigned char> data_;
};

// A fixed linear congruential generator: deterministic on every host.
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}
    std::uint32_t Next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

private:
    std::uint32_t state_;
};

const char* const kWords[] = {
    "label", "CD", "jacket", "print", "layout", "font", "picture", "text", "circle", "disc",
    "ZANDERA2", "paper", "margin", "rotate", "frame", "colour", "page", "preview", "printer",
    "setting", "template", "title", "track", "list", "size", "inch", "mm", "position", "open",
    "save", "file", "menu", "toolbar", "bitmap", "object", "select", "group", "align", "help",
};

Bytes MakeHelp()
{
    constexpr size_t kSize = 48 * 1024;
    Lcg rng(0x5A413248);   // "ZA2H"
    Bytes b;
    b.U32(0x00035F3F);     // help file magic
    b.U32(0x00000010);     // directory start
    b.U32(0xFFFFFFFF);     // first free block: none
    b.U32(0);              // file size, patched below
    b.Text("|SYSTEM");
    b.U8(0);
    b.U16(0x036C); b.U16(21); b.U16(1);   // magic, version, flags
    b.U32(0x386E2A00);                    // build time
    b.Text("ZANDERA2 Help (sample release 2.02)");
    b.U8(0);
    int topic = 0;
    while (b.Size() < kSize - 512) {
        b.Text("|TOPIC");
        b.U32(static_cast<std::uint32_t>(topic));
        b.U16(rng.Below(0x4000));
        std::string text = "Topic " + std::to_string(++topic) + ": ";
        unsigned words = 40 + rng.Below(80);
        for (unsigned i = 0; i < words; ++i) {
            text += kWords[rng.Below(sizeof kWords / sizeof kWords[0])];
            text += (rng.Below(12) == 0) ? ". " : " ";
        }
        b.Text(text);
        b.U8(0);
        unsigned links = rng.Below(8);
        for (unsigned i = 0; i < links; ++i)
            b.U32(rng.Next());   // hash of a linked topic
    }
    b.PadTo(kSize, 0);
    b.Put32(12, static_cast<std::uint32_t>(kSize));
    return b;
}

Bytes MakePaper()
{
    constexpr size_t kSize = 16 * 1024;
    Lcg rng(0x5A413250);   // "ZA2P"
    Bytes b;
    b.Text("ZANDERA2 PAPER");
    b.U8(0x1A);
    b.U8(0);
    b.U16(0x0202);   // format 2.02
    const size_t countAt = b.Size();
    b.U32(0);        // record count, patched below
    constexpr size_t kRecord = 96;
    std::uint32_t count = 0;
    while (b.Size() + kRecord <= kSize) {
        char name[33] = {};
        std::snprintf(name, sizeof name, "ZA2-%s-%03u", (count % 3 == 0) ? "CD" : (count % 3 == 1) ? "JK" : "IN",
                      static_cast<unsigned>(count));
        b.Text(std::string(name, sizeof name - 1));
        b.U16(2100 + rng.Below(200));   // paper width, 0.1 mm
        b.U16(2970 + rng.Below(200));   // paper height
        b.U16(rng.Below(8));            // labels per sheet
        for (int i = 0; i < 8; ++i) {
            b.U16(100 + 50 * i + rng.Below(20));   // label left
            b.U16(150 + 700 * (i % 4));            // label top
        }
        b.U16(1170); b.U16(410);   // outer and inner diameter
        while ((b.Size() - countAt - 4) % kRecord != 0)
            b.U8(0);
        ++count;
    }
    b.PadTo(kSize, 0xFF);
    b.Put32(countAt, count);
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "hlp") != 0 && std::strcmp(argv[1], "ppr") != 0)) {
        std::fprintf(stderr, "usage: za2sample hlp|ppr OUTPUT\n");
        return 1;
    }
    Bytes b = std::strcmp(argv[1], "hlp") == 0 ? MakeHelp() : MakePaper();
    FILE* f = std::fopen(argv[2], "wb");
    if (!f || std::fwrite(b.Data().data(), 1, b.Size(), f) != b.Size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "za2sample: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
