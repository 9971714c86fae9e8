#pragma once
// The first-run import of the test information file "\windows\BrennicTests.txt".

#include <string>
#include <string_view>

class PaintSurface;

inline constexpr std::u16string_view kTestInfoFilePath = u"\\windows\\BrennicTests.txt";

// Imports the whole file into the catalogues as one atomic unit, drawing
// "Loading <test>" on `progress` at (20, 150) after each block. True when the
// whole file was read and stored; false at once when the catalogue exists.
bool ImportTestInfo(PaintSurface& progress);
bool ParseNameLine(std::u16string_view line, std::u16string& name);
void ParseEntryLine(std::u16string_view line, std::u16string& key, std::u16string& value);
