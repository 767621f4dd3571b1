#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <string>
#include <vector>

class TempFolder {
public:
    // Made below base (default: the system's temporary folder).
    explicit TempFolder(const std::string& base = std::string());
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }     // no trailing backslash
    std::string File(const std::string& name) const;        // Path() + "\" + name
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;        // "" when missing
    std::vector<std::string> Names() const;                 // sorted file names in the folder

private:
    std::string path_;
};

// Sorted names of the files in folder that match pattern (wildcards as FindFirstFile takes them).
std::vector<std::string> FileNames(const std::string& folder, const std::string& pattern = "*");
