#pragma once
// Metafiles built in the tests, record by record: enhanced metafiles with a header of our choice,
// and placeable Windows metafiles. Records are given as their type and 32-bit (enhanced) or
// 16-bit (Windows) parameter words; sizes, counts and the end record are filled in.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace emf {
// 80 x 40 device pixels: a frame of 20 x 10 mm on a device of 4 pixels a millimetre.
std::string Record(DWORD type, std::initializer_list<DWORD> words, const std::string& tail = {});
std::string Metafile(const std::vector<std::string>& records,
                     const std::function<void(ENHMETAHEADER&)>& edit = {});
}  // namespace emf

namespace wmf {
std::string Record(WORD function, std::initializer_list<WORD> words, const std::string& tail = {});
// Placeable, 100 x 50 units at 96 a inch (the window extent set first), with an object table
// of objects entries.
std::string Metafile(const std::vector<std::string>& records, WORD objects,
                     const std::function<void(METAHEADER&)>& edit = {});
}  // namespace wmf

// A packed 4 x 2 24-bit bitmap (header and pixels), for blits and brushes.
std::string SmallDib();
