#include "imagepack/UResStream.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

#include <vector>

namespace {

// An ordinal field: the marker unit followed by the 16-bit ordinal.
constexpr WORD kOrdinalMarker = 0xFFFF;
constexpr long kOrdinalFieldSize = 2 * sizeof(WORD);

// Fixed parts of an entry header: DataSize and HeaderSize, the shortest Type and Name (an
// empty text, one NUL unit each), then data version, memory flags, language, version and
// characteristics.
constexpr unsigned long long kSizeFields = 2 * sizeof(DWORD);
constexpr unsigned long long kShortestId = sizeof(WCHAR);
constexpr unsigned long long kTrailingFields =
    sizeof(DWORD) + 2 * sizeof(WORD) + 2 * sizeof(DWORD);
constexpr unsigned long long kMinHeaderSize = kSizeFields + 2 * kShortestId + kTrailingFields;

bool IsFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MatchOrdinal(TStream& file, WORD ordinal)
{
    WORD field[2] = {};
    if (file.Read(field, kOrdinalFieldSize) != kOrdinalFieldSize)
        return false;
    return field[0] == kOrdinalMarker && field[1] == ordinal;
}

std::string UnitsToAnsi(const WCHAR* units, int count)
{
    if (count == 0)
        return {};
    int length = WideCharToMultiByte(CP_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, units, count, &text[0], length, nullptr, nullptr);
    return text;
}

bool MatchText(TStream& file, const std::string& sought)
{
    // A stored text of the same length (in units) as the sought one, with its NUL, fits in
    // this many units; a double-byte text needs fewer units than bytes.
    const long start = file.Position();
    std::vector<WCHAR> units(sought.size() + 1);
    const long wanted = static_cast<long>(units.size() * sizeof(WCHAR));
    if (file.Read(units.data(), wanted) != wanted)
        return false;
    int count = 0;
    while (count < static_cast<int>(units.size()) && units[count] != 0)
        ++count;
    if (count == static_cast<int>(units.size()))
        return false;   // no NUL: the stored text is longer
    if (lstrcmpiA(UnitsToAnsi(units.data(), count).c_str(), sought.c_str()) != 0)
        return false;
    // Just past the NUL, also when the text had double-byte characters.
    file.SetPosition(start + (count + 1) * static_cast<long>(sizeof(WCHAR)));
    return true;
}

// The header of one entry, checked against the file it lies in.
struct TEntry {
    unsigned long long start;
    unsigned long long headerSize;
    unsigned long long dataStart;
    unsigned long long dataSize;
    unsigned long long next;
};

TEntry ReadEntry(TStream& file, long start, long fileSize)
{
    DWORD sizes[2] = {};
    file.ReadBuffer(sizes, sizeof(sizes));
    TEntry entry{};
    entry.start = static_cast<unsigned long long>(start);
    entry.dataSize = sizes[0];
    entry.headerSize = sizes[1];
    entry.dataStart = entry.start + RoundUp4(entry.headerSize);
    entry.next = entry.dataStart + RoundUp4(entry.dataSize);
    // A header without its fixed fields would never advance the search, and data past the end
    // of the file is not there to be read: both mean a damaged file.
    if (entry.headerSize < kMinHeaderSize ||
        entry.dataStart + entry.dataSize > static_cast<unsigned long long>(fileSize))
        RaiseReadError();
    return entry;
}

bool EntryMatches(TStream& file, const TEntry& entry, const char* type, const char* name)
{
    if (!MatchResourceId(file, type) || !MatchResourceId(file, name))
        return false;
    // Type and Name must lie inside the header they belong to.
    const auto idsEnd = static_cast<unsigned long long>(file.Position());
    if (idsEnd + kTrailingFields > entry.start + entry.headerSize)
        RaiseReadError();
    return true;
}

}   // namespace

bool MatchResourceId(TStream& file, const char* id)
{
    if (IS_INTRESOURCE(id))
        return MatchOrdinal(file, LOWORD(reinterpret_cast<ULONG_PTR>(id)));
    return MatchText(file, id);
}

void ReadResourceFromFile(TMemoryStream& dest, const std::string& path, const char* type,
                          const std::string& name)
{
    TFileStream file(path, TFileStream::Mode::OpenRead);
    const long fileSize = file.Size();
    long position = 0;
    while (position < fileSize) {
        file.SetPosition(position);
        const TEntry entry = ReadEntry(file, position, fileSize);
        if (EntryMatches(file, entry, type, name.c_str())) {
            // CopyFrom would take a count of 0 for "the whole file".
            if (entry.dataSize > 0) {
                file.SetPosition(static_cast<long>(entry.dataStart));
                dest.CopyFrom(file, static_cast<long>(entry.dataSize));
            }
            return;
        }
        if (entry.next >= static_cast<unsigned long long>(fileSize))
            break;
        position = static_cast<long>(entry.next);
    }
    throw EResNotFound(SResNotFound, {name});
}

TResStream::TResStream(const std::string& path, const std::string& name, const char* type)
{
    if (!path.empty() && IsFile(path)) {
        auto memory = std::make_unique<TMemoryStream>();
        ReadResourceFromFile(*memory, path, type, name);
        memory->SetPosition(0);
        stream_ = std::move(memory);
    } else {
        stream_ = std::make_unique<TResourceStream>(GetModuleHandleA(nullptr), name.c_str(), type);
    }
}

TResStream::~TResStream() = default;

long TResStream::Read(void* buffer, long count)
{
    return stream_->Read(buffer, count);
}

long TResStream::Write(const void* buffer, long count)
{
    return stream_->Write(buffer, count);
}

long TResStream::Seek(long offset, SeekOrigin origin)
{
    return stream_->Seek(offset, origin);
}
