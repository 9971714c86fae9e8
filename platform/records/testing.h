#pragma once
// Test hooks of the record store service.

// While on, every write to the object store's files fails as it would on a
// full disk (SQLITE_FULL), so the file stays as it was.
void SetStoreWriteFailureForTesting(bool on);
// After `allowed` more records are added, every addition fails as on a full
// disk, until SetStoreWriteFailureForTesting(false).
void RefuseStoreAddsAfterForTesting(int allowed);
// While on, the disk is full as a real one is: besides every write failing,
// a store whose shared-memory index beside it must first grow cannot even be
// read (SQLITE_IOERR_SHMSIZE, the system's error ENOSPC).
void SetStoreDiskFullForTesting(bool on);
