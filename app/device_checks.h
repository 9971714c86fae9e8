#pragma once
// Start-up checks of the device root. Each refusal is told in one message box,
// before anything is written to the object store.

class DeviceLock;

// Makes sure the device root exists and is writable, takes `lock` on it and
// asks the object store whether it can be used. False when the program must
// stop; the user has then seen why.
bool PrepareDevice(DeviceLock& lock);

// From here on, a record the store passes over because it cannot be read is
// told in one message per database, and a data file that turns out unusable
// (a damaged page read) in one message, from the event loop.
void TellUnreadableRecords();
