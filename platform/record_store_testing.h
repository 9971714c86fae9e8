#pragma once
// Test hooks of the record store service.

// While on, every write to the object store's files fails as it would on a
// full disk (SQLITE_FULL), so the file stays as it was.
void SetStoreWriteFailureForTesting(bool on);
