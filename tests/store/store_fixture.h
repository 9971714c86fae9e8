#pragma once
// A fresh device for each store test: an empty device root in a temporary
// folder (not yet created, so the store makes it) and the clock fixed at
// 15 March 2024, 10:30:00.

#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/records/testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class StoreFixture : public ::testing::Test {
protected:
    static SystemTime FixedNow() {
        SystemTime now = MakeDate(2024, 3, 15);
        now.hour = 10;
        now.minute = 30;
        return now;
    }

    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        root_ = folder_ / "device";
        SetDeviceRoot(root_);
        SetNow(FixedNow());
    }

    void TearDown() override {
        SetStoreWriteFailureForTesting(false);
        SetLocalTimeForTesting(nullptr);
        SetDeviceOwnerNameForTesting(nullptr);
        SetDeviceRoot(root_);  // closes the store before its folder goes
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void SetNow(const SystemTime& now) {
        now_ = now;
        SetLocalTimeForTesting(&now_);
    }

    // The moment `days` whole days (and `seconds` more) before the fixed clock.
    SystemTime DaysBeforeNow(int days, int seconds = 0) const {
        FileTime now = 0;
        SystemTimeToFileTime(now_, now);
        SystemTime then;
        FileTimeToSystemTime(now - (static_cast<FileTime>(days) * 86400 + seconds) * 10000000ULL, then);
        return then;
    }

    // The same, as a midnight date.
    SystemTime DateDaysBeforeNow(int days) const {
        SystemTime then = DaysBeforeNow(days);
        return MakeDate(then.year, then.month, then.day);
    }

    std::filesystem::path folder_;
    std::filesystem::path root_;
    SystemTime now_;
};
