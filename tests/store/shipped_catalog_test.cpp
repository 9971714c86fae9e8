// The catalogue file the program ships imports whole, and every test in it
// carries what the dialogs read: the six sections and, for each result, a
// normal range and a unit, one of its analyte's where the unit table knows
// the result (or its values would never convert).

#include "store/test_info_import.h"

#include "platform/device.h"
#include "platform/memory_listing.h"
#include "platform/recording_surface.h"
#include "platform/text.h"
#include "review/goal_reading.h"
#include "store/catalog_store.h"
#include "store_fixture.h"
#include "units/unit_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

namespace {

// Both sexes' halves of a normal value read as a goal with two finite ends.
bool IsNormalValue(std::u16string_view text) {
    for (const bool female : {false, true}) {
        const std::optional<Goal> goal = ReadGoal(text, ValueReading{kPlainNumbers, female});
        if (!goal || !std::isfinite(goal->low) || !std::isfinite(goal->high)) return false;
    }
    return true;
}

class ShippedCatalogTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        const std::filesystem::path file = ResolveDevicePath(kTestInfoFilePath);
        std::filesystem::create_directories(file.parent_path());
        std::filesystem::copy_file(std::filesystem::path(VANTREL_SOURCE_DIR) / "res" / "BrennicTests.txt", file);
    }

    static std::u16string Entry(std::u16string_view test, std::u16string_view key) {
        std::u16string text;
        GetTestEntry(test, key, text);
        return text;
    }
};

TEST_F(ShippedCatalogTest, EveryTestIsComplete) {
    RecordingSurface progress;
    ASSERT_TRUE(ImportTestInfo(progress));

    MemoryListing tests(true);
    ListResultTests(tests);
    EXPECT_GE(tests.Items().size(), 40u);
    EXPECT_EQ(progress.texts.size(), 2 * tests.Items().size()) << "one block per test, no name twice";

    int known = 0;
    for (const std::u16string& test : tests.Items()) {
        SCOPED_TRACE(TextToUtf8(test));
        for (const char16_t* section : {u"other name", u"why", u"when", u"how", u"normal results", u"home test"})
            EXPECT_FALSE(Entry(test, section).empty()) << TextToUtf8(section);

        const std::u16string countText = Entry(test, u"number of results");
        EXPECT_EQ(IntToText(TextToInt(countText)), countText);
        const int count = TextToInt(countText);
        MemoryListing names;
        EXPECT_EQ(ListResultNames(test, names), count);
        for (int i = 1; i <= count; ++i) {
            const std::u16string number = IntToText(i);
            const std::u16string value = Entry(test, u"resultvalue" + number);
            EXPECT_TRUE(IsNormalValue(value)) << "resultvalue" << i << ": " << TextToUtf8(value);
            const std::u16string unit = Entry(test, u"resultunit" + number);
            EXPECT_FALSE(unit.empty()) << "resultunit" << i;
            if (const Analyte* analyte = ShippedUnitTable().FindAnalyte(Entry(test, u"resultname" + number))) {
                ++known;
                EXPECT_NE(analyte->FindUnit(unit), nullptr) << "resultunit" << i << ": " << TextToUtf8(unit);
            }
            if (static_cast<std::size_t>(i) <= names.Items().size()) {
                EXPECT_EQ(Entry(test, u"resultname" + number), names.Items()[i - 1]);
            }
        }
    }
    EXPECT_GT(known, 30);
}

}  // namespace
