#pragma once
// The first-run import of the test information file "\windows\BrennicTests.txt".

#include <string>
#include <string_view>

class PaintSurface;

inline constexpr std::u16string_view kTestInfoFilePath = u"\\windows\\BrennicTests.txt";

// Why an import that did not finish stopped, for the one message the user is
// shown. A file that is missing, or a catalogue already there, is no problem.
enum class ImportProblem { None, FileTooLarge, FileUnreadable, StoreRefused };

// Imports the whole file into the catalogues as one atomic unit, drawing
// "Loading <test>" on `progress` at (20, 150) after each block. True when the
// whole file was read and stored; false at once when the catalogue exists.
bool ImportTestInfo(PaintSurface& progress, ImportProblem* problem = nullptr);
// Whether the catalogue a completed import makes exists: a first run is over.
bool TestInfoImported();
bool ParseNameLine(std::u16string_view line, std::u16string& name);
void ParseEntryLine(std::u16string_view line, std::u16string& key, std::u16string& value);
