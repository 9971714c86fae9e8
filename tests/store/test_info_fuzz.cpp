// Feeds arbitrary bytes through the first-run import, as the test information
// file of a fresh device root, and through the line parsers. Any broken rule
// aborts, so both libFuzzer and the plain test run notice it.

#include "store/test_info_import.h"

#include "platform/device.h"
#include "platform/recording_surface.h"
#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/catalog_store.h"
#include "store/fuzz_root.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// What every stored or drawn text must be: bounded, one line, no NUL, whole pairs.
bool IsCleanText(std::u16string_view text) {
    // A lone half of a surrogate pair does not survive the trip through UTF-8.
    return text.size() <= kTextMax && text.find_first_of(std::u16string_view(u"\0\n\r", 3)) == text.npos &&
           Utf8ToText(TextToUtf8(text)) == text;
}

void CheckImport(const std::uint8_t* data, std::size_t size) {
    FreshFuzzRoot();
    const std::filesystem::path file = ResolveDevicePath(kTestInfoFilePath);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    RecordingSurface progress;
    Require(ImportTestInfo(progress), "any readable file imports");
    Require(PropertyDatabase::Exists(kTestCatalogDatabase), "the catalogue exists after an import");

    Require(progress.texts.size() % 2 == 0, "progress comes in pairs");
    for (std::size_t i = 0; i < progress.texts.size(); ++i) {
        const DrawnText& drawn = progress.texts[i];
        Require(drawn.x == 20 && drawn.y == 150, "progress is drawn at (20, 150)");
        Require(i % 2 ? drawn.color == kBlack && drawn.text.starts_with(u"Loading ")
                      : drawn.color == kWhite && drawn.text == std::u16string(52, u'a'),
                "the wipe in white, then the progress in black");
        Require(IsCleanText(drawn.text), "progress text is clean");
    }

    PropertyDatabase catalog;
    Require(catalog.Open(kTestCatalogDatabase), "the catalogue opens");
    catalog.SetAdvanceAfterRead(true);
    catalog.SeekToIndex(0);
    PropertyRecord record;
    while (catalog.ReadCurrent(record)) {
        for (const std::uint16_t id : {201, 202, 203}) {
            const Property* property = record.GetProperty(id);
            Require(property && IsCleanText(property->StringValue()), "stored texts are clean");
        }
    }
    catalog.Close();

    RecordingSurface again;
    Require(!ImportTestInfo(again) && again.texts.empty(), "a second import does nothing");
}

void CheckLine(const std::u16string& line) {
    const std::u16string_view body = std::u16string_view(line).substr(0, line.find(u'\n'));

    std::u16string key = u"old", value = u"old";
    ParseEntryLine(line, key, value);
    Require(key.size() <= kTextMax && value.size() <= kTextMax, "entry parts are bounded");
    Require(key.find(u'>') == std::u16string::npos, "a key holds no '>'");
    if (body.size() <= kTextMax) {
        const std::size_t open = body.find(u'<');
        const std::u16string_view afterOpen = open == body.npos ? body : body.substr(open + 1);
        const bool split = open != body.npos && afterOpen.find(u'>') != body.npos;
        Require(split ? afterOpen == key + u">" + value : key.empty() && afterOpen == value,
                "an entry line splits at its first '<' and the first '>' after it");
    }

    std::u16string name = u"unchanged";
    const bool found = ParseNameLine(line, name);
    Require(found == (body.find(u'>') != body.npos), "a name line needs a '>'");
    if (!found) Require(name == u"unchanged", "a failed name line leaves the name");
    if (found && body.size() <= kTextMax) Require(body.substr(body.find(u'>') + 1) == name, "the name follows the first '>'");
}

// The bytes read both ways a file may hold text: as 16-bit units and as UTF-8.
void CheckParsers(const std::uint8_t* data, std::size_t size) {
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < size; i += 2) wide.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    CheckLine(wide);
    CheckLine(Utf8ToText(std::string_view(reinterpret_cast<const char*>(data), size)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckImport(data, size);
    CheckParsers(data, size);
    return 0;
}
