#pragma once
// The small folder pictures of the folder list, drawn with GDI (no picture files): an open
// folder for the current folder and its ancestors, a closed one for its sub-folders.
#include <windows.h>

enum class TFolderPicture { Open, Closed };

// The cell a picture takes; the list places the name after it.
constexpr int kFolderPictureWidth = 16;
constexpr int kFolderPictureHeight = 13;

// Draws the picture with its top-left corner at (x, y); the DC's objects are left as found.
void DrawFolderPicture(HDC dc, int x, int y, TFolderPicture picture);
