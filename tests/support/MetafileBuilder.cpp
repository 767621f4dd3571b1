#include "support/MetafileBuilder.h"

#include <cstring>

namespace {

template <class T>
std::string Bytes(const T& value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

template <class Word>
std::string Words(std::initializer_list<Word> words)
{
    std::string bytes;
    for (Word w : words)
        bytes += Bytes(w);
    return bytes;
}

}  // namespace

std::string emf::Record(DWORD type, std::initializer_list<DWORD> words, const std::string& tail)
{
    std::string body = Words(words) + tail;
    body.resize((body.size() + 3) / 4 * 4, '\0');
    return Bytes(EMR{type, static_cast<DWORD>(sizeof(EMR) + body.size())}) + body;
}

std::string emf::Metafile(const std::vector<std::string>& records,
                          const std::function<void(ENHMETAHEADER&)>& edit)
{
    ENHMETAHEADER header{};
    header.iType = EMR_HEADER;
    header.nSize = sizeof(header);
    header.rclBounds = {0, 0, 79, 39};
    header.rclFrame = {0, 0, 2000, 1000};
    header.dSignature = ENHMETA_SIGNATURE;
    header.nVersion = 0x10000;
    header.nHandles = 4;
    header.szlDevice = {1000, 1000};
    header.szlMillimeters = {250, 250};
    std::string body;
    for (const std::string& record : records)
        body += record;
    body += Record(EMR_EOF, {0, 16, 20});
    header.nBytes = static_cast<DWORD>(sizeof(header) + body.size());
    header.nRecords = 1;
    for (size_t at = 0; at < body.size(); ++header.nRecords)
        at += reinterpret_cast<const EMR*>(body.data() + at)->nSize;
    if (edit)
        edit(header);
    return Bytes(header) + body;
}

std::string wmf::Record(WORD function, std::initializer_list<WORD> words, const std::string& tail)
{
    std::string body = Words(words) + tail;
    body.resize((body.size() + 1) / 2 * 2, '\0');
    const DWORD size = static_cast<DWORD>(3 + body.size() / 2);
    return Bytes(size) + Bytes(function) + body;
}

std::string wmf::Metafile(const std::vector<std::string>& records, WORD objects,
                          const std::function<void(METAHEADER&)>& edit)
{
    const WORD placeable[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 50, 96, 0, 0, 0};
    std::string body = Record(META_SETWINDOWEXT, {50, 100});   // the frame's units
    DWORD largest = 5;
    for (const std::string& record : records) {
        body += record;
        largest = std::max<DWORD>(largest, static_cast<DWORD>(record.size() / 2));
    }
    body += Record(0, {});
    METAHEADER header{1, 9, 0x300, static_cast<DWORD>(9 + body.size() / 2), objects, largest, 0};
    if (edit)
        edit(header);
    return std::string(reinterpret_cast<const char*>(placeable), sizeof(placeable)) +
           Bytes(header) + body;
}

std::string SmallDib()
{
    BITMAPINFOHEADER info{sizeof(info), 4, 2, 1, 24, BI_RGB, 2 * 12, 0, 0, 0, 0};
    return Bytes(info) + std::string(2 * 12, '\x7F');
}
