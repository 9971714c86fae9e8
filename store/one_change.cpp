#include "store/one_change.h"

#include "platform/records/record_store.h"

bool AsOneChange(const std::function<bool()>& change) {
    StoreTransaction unit;
    return change() && unit.Commit();
}
