#pragma once
// The file layer the object store opens its files through: the system's own,
// never following a link, with a switch that makes every write fail as on a
// full disk.

// The name to open connections with; registers the layer on first use.
const char* StoreVfsName();
// Whether writes are being made to fail (see record_store_testing.h).
bool StoreWritesFail();
// Whether the record about to be added must fail (see record_store_testing.h).
bool StoreAddRefused();
// Whether `path` is a symbolic link, which the layer refuses to open.
bool IsLink(const char* path);
