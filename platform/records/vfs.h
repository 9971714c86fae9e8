#pragma once
// The file layer the object store opens its files through: the system's own,
// never following a link nor writing through a second name of a file, with a switch that makes every write fail as on a
// full disk.

// The name to open connections with; registers the layer on first use.
const char* StoreVfsName();
// Whether writes are being made to fail (see testing.h).
bool StoreWritesFail();
// Whether the record about to be added must fail (see testing.h).
bool StoreAddRefused();
// Whether `path` is a symbolic link, or a file with another name (a hard
// link) through which writes would reach someone else's file: the layer
// refuses to open either.
bool IsLink(const char* path);
