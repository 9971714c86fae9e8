#pragma once
// Review tests run against real stores in the store tests' fresh device, with
// the clock fixed at 15 March 2024, 10:30.

#include "store/store_fixture.h"
#include "support/stored_results.h"

class ReviewTest : public StoreFixture {
protected:
    static void Store(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                      std::u16string_view result, std::u16string_view value, std::u16string_view goal,
                      std::u16string_view unit = u"", std::u16string_view comment = u"") {
        ASSERT_TRUE(StoreResult(user, test, comment, date, result, value, goal, unit));
    }
};
