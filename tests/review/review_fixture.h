#pragma once
// Review tests run against real stores in a fresh device root with the clock
// fixed at 15 March 2024, 10:30.

#include "platform/datetime.h"
#include "platform/device.h"
#include "store/test_record_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class ReviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-review-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        SetDeviceRoot(root_);
        SetLocalTimeForTesting(&now_);
    }
    void TearDown() override {
        SetLocalTimeForTesting(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // The midnight date `daysAgo` days before the fixed clock.
    static SystemTime DaysAgo(int daysAgo) {
        FileTime today = 0;
        SystemTimeToFileTime(MakeDate(kNow.year, kNow.month, kNow.day), today);
        constexpr std::int64_t kDay = 864000000000LL;  // file-time units
        SystemTime date;
        FileTimeToSystemTime(static_cast<FileTime>(static_cast<std::int64_t>(today) - daysAgo * kDay), date);
        return MakeDate(date.year, date.month, date.day);
    }

    static void Store(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                      std::u16string_view result, std::u16string_view value, std::u16string_view goal,
                      std::u16string_view unit = u"", std::u16string_view comment = u"") {
        ASSERT_TRUE(AddResult(user, test, comment, date, result, value, goal, unit));
    }

    static constexpr SystemTime kNow{2024, 3, 5, 15, 10, 30, 0, 0};

private:
    std::filesystem::path root_;
    SystemTime now_ = kNow;
};
