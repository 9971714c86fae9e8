#pragma once
// Puts the shipped test information file where the first-run import reads it,
// so a program started from a desktop menu finds it as the run script's does.

#include <filesystem>
#include <string>
#include <vector>

// Where the shipped file is looked for, first match wins: $VANTREL_DATA_DIR,
// share/vantrel beside the program's own folder (where an installed program
// and a built one keep it, so no build path is compiled in), then the data
// folder of the configured installation.
std::vector<std::filesystem::path> ShippedDataDirs();

// Copies BrennicTests.txt from the first of `sources` that holds it to the
// device's "\windows\BrennicTests.txt" when that is missing. True when the
// device file exists afterwards. Nothing is written through a link: a link
// where the folder, the file or its temporary copy belongs is refused, and
// `refusal` (when given) receives the message naming it.
bool SeedTestInfoFile(const std::vector<std::filesystem::path>& sources, std::u16string* refusal = nullptr);
