#include "support/TempFolder.h"

#include "framework/core/FileHandle.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::string SystemTempFolder()
{
    char buffer[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, buffer);
    return buffer;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    TFindHandle find(FindFirstFileA((path + "\\*").c_str(), &data));
    if (find) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find.Get(), &data));
        find.Close();   // the folder goes only once nothing searches it
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

TempFolder::TempFolder(const std::string& base)
{
    std::string root = base.empty() ? SystemTempFolder() : base;
    if (!root.empty() && root.back() != '\\')
        root += '\\';
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
        std::string candidate = root + "za2test" + std::to_string(n % 1000000);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot make a test folder in " + root);
    }
}

TempFolder::~TempFolder()
{
    RemoveTree(path_);
}

std::string TempFolder::File(const std::string& name) const
{
    return path_ + "\\" + name;
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::Read(const std::string& name) const
{
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> TempFolder::Names() const
{
    return FileNames(path_);
}

std::vector<std::string> FileNames(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    TFindHandle find(FindFirstFileA((folder + "\\" + pattern).c_str(), &data));
    if (find) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(data.cFileName);
        } while (FindNextFileA(find.Get(), &data));
    }
    std::sort(names.begin(), names.end());
    return names;
}
