#pragma once
// Replaces a file as a whole: the new bytes go to a temporary file in the same folder, which takes
// the old file's place only once it is completely written. A failure at any point leaves the old
// file byte for byte as it was and no temporary file behind.
#include <string>

// Raises EFCreateError (path) when the file cannot be created or replaced (folder missing, file
// in use, access denied) and EWriteError when writing fails (disk full).
void ReplaceFileContents(const std::string& path, const void* data, long size);
