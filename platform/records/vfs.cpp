#include "platform/records/vfs.h"

#include "platform/records/testing.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

bool gWritesFail = false;
bool gDiskFull = false;
int gAddsLeft = -1;  // no limit
int gMadeUpError = 0;  // the system's error a made-up failure stands for

sqlite3_vfs* Real(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;  // the system's file, placed right after this struct
};

sqlite3_file* RealFile(sqlite3_file* file) { return reinterpret_cast<ShimFile*>(file)->real; }

int Close(sqlite3_file* f) { return RealFile(f)->pMethods->xClose(RealFile(f)); }
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return RealFile(f)->pMethods->xRead(RealFile(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    if (StoreWritesFail()) return SQLITE_FULL;
    return RealFile(f)->pMethods->xWrite(RealFile(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    if (StoreWritesFail()) return SQLITE_FULL;
    return RealFile(f)->pMethods->xTruncate(RealFile(f), size);
}
int Sync(sqlite3_file* f, int flags) { return RealFile(f)->pMethods->xSync(RealFile(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return RealFile(f)->pMethods->xFileSize(RealFile(f), size); }
int Lock(sqlite3_file* f, int level) { return RealFile(f)->pMethods->xLock(RealFile(f), level); }
int Unlock(sqlite3_file* f, int level) { return RealFile(f)->pMethods->xUnlock(RealFile(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) {
    return RealFile(f)->pMethods->xCheckReservedLock(RealFile(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return RealFile(f)->pMethods->xFileControl(RealFile(f), op, arg);
}
int SectorSize(sqlite3_file* f) { return RealFile(f)->pMethods->xSectorSize(RealFile(f)); }
int DeviceCharacteristics(sqlite3_file* f) {
    return RealFile(f)->pMethods->xDeviceCharacteristics(RealFile(f));
}
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    sqlite3_file* real = RealFile(f);
    if (!gDiskFull || !extend) return real->pMethods->xShmMap(real, region, size, extend, out);
    // Mapping a region that is there needs no space; growing the index file does.
    const int rc = real->pMethods->xShmMap(real, region, size, 0, out);
    if (rc != SQLITE_OK || *out) return rc;
    gMadeUpError = ENOSPC;
    return SQLITE_IOERR_SHMSIZE;
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return RealFile(f)->pMethods->xShmLock(RealFile(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { RealFile(f)->pMethods->xShmBarrier(RealFile(f)); }
int ShmUnmap(sqlite3_file* f, int deleteFlag) { return RealFile(f)->pMethods->xShmUnmap(RealFile(f), deleteFlag); }
// Memory-mapped reads exist only in files of the third version.
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    if (RealFile(f)->pMethods->iVersion < 3) {
        *out = nullptr;
        return SQLITE_OK;
    }
    return RealFile(f)->pMethods->xFetch(RealFile(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
    if (RealFile(f)->pMethods->iVersion < 3) return SQLITE_OK;
    return RealFile(f)->pMethods->xUnfetch(RealFile(f), offset, page);
}

const sqlite3_io_methods kMethods = {
    3,        Close,   Read,     Write,  Truncate,   Sync,       FileSize, Lock,     Unlock,
    CheckReservedLock, FileControl, SectorSize, DeviceCharacteristics, ShmMap, ShmLock, ShmBarrier,
    ShmUnmap, Fetch,   Unfetch,
};

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    ShimFile* shim = reinterpret_cast<ShimFile*>(file);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->base.pMethods = nullptr;
    // A link planted in place of the file or its log would have the store written elsewhere.
    if (name && (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL)) && IsLink(name))
        return SQLITE_CANTOPEN;
    int rc = Real(vfs)->xOpen(Real(vfs), name, shim->real, flags, outFlags);
    // The file layer closes a file only when it was given methods.
    if (shim->real->pMethods) shim->base.pMethods = &kMethods;
    return rc;
}
int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) { return Real(vfs)->xDelete(Real(vfs), name, syncDir); }
int Access(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
    return Real(vfs)->xAccess(Real(vfs), name, flags, out);
}
int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
    return Real(vfs)->xFullPathname(Real(vfs), name, size, out);
}
void* DlOpen(sqlite3_vfs* vfs, const char* name) { return Real(vfs)->xDlOpen(Real(vfs), name); }
void DlError(sqlite3_vfs* vfs, int size, char* out) { Real(vfs)->xDlError(Real(vfs), size, out); }
void (*DlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
    return Real(vfs)->xDlSym(Real(vfs), handle, symbol);
}
void DlClose(sqlite3_vfs* vfs, void* handle) { Real(vfs)->xDlClose(Real(vfs), handle); }
int Randomness(sqlite3_vfs* vfs, int size, char* out) { return Real(vfs)->xRandomness(Real(vfs), size, out); }
int Sleep(sqlite3_vfs* vfs, int microseconds) { return Real(vfs)->xSleep(Real(vfs), microseconds); }
int CurrentTime(sqlite3_vfs* vfs, double* out) { return Real(vfs)->xCurrentTime(Real(vfs), out); }
int GetLastError(sqlite3_vfs* vfs, int size, char* out) {
    if (gMadeUpError) return gMadeUpError;
    return Real(vfs)->xGetLastError(Real(vfs), size, out);
}
int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
    return Real(vfs)->xCurrentTimeInt64(Real(vfs), out);
}

}  // namespace

bool IsLink(const char* path) {
    struct stat info {};
    return ::lstat(path, &info) == 0 && (S_ISLNK(info.st_mode) || (S_ISREG(info.st_mode) && info.st_nlink > 1));
}

const char* StoreVfsName() {
    static const char* name = [] {
        static sqlite3_vfs shim;
        sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
        std::memset(&shim, 0, sizeof shim);
        shim.iVersion = 2;
        shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + real->szOsFile;
        shim.mxPathname = real->mxPathname;
        shim.zName = "vantrel";
        shim.pAppData = real;
        shim.xOpen = Open;
        shim.xDelete = Delete;
        shim.xAccess = Access;
        shim.xFullPathname = FullPathname;
        shim.xDlOpen = DlOpen;
        shim.xDlError = DlError;
        shim.xDlSym = DlSym;
        shim.xDlClose = DlClose;
        shim.xRandomness = Randomness;
        shim.xSleep = Sleep;
        shim.xCurrentTime = CurrentTime;
        shim.xGetLastError = GetLastError;
        shim.xCurrentTimeInt64 = CurrentTimeInt64;
        sqlite3_vfs_register(&shim, 0);
        return shim.zName;
    }();
    return name;
}

void SetStoreWriteFailureForTesting(bool on) {
    gWritesFail = on;
    if (!on) gAddsLeft = -1;
}

void SetStoreDiskFullForTesting(bool on) {
    gDiskFull = on;
    gMadeUpError = 0;
}

void RefuseStoreAddsAfterForTesting(int allowed) { gAddsLeft = allowed; }

bool StoreWritesFail() { return gWritesFail || gDiskFull; }

bool StoreAddRefused() {
    if (gAddsLeft < 0) return false;
    if (gAddsLeft == 0) return true;
    --gAddsLeft;
    return false;
}
