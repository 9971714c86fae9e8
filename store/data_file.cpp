#include "store/data_file.h"

#include "platform/records/record_store.h"

std::u16string DataFileProblem() { return ObjectStoreProblem(); }

void OnDataFileProblem(std::function<void(const std::u16string&)> found) { OnObjectStoreProblem(std::move(found)); }

std::u16string DataFileProblemOf(const std::filesystem::path& file) { return ObjectStoreFileProblem(file); }

std::u16string UnreadableRecordIn(const std::filesystem::path& file) { return UndecodableRecordProblem(file); }

void SetDataFileReadOnly(bool on) { SetObjectStoreReadOnly(on); }

void CloseDataFile() { CloseObjectStore(); }

void OnPassedOverRecord(std::function<void(const PassedOverRecord&)> met) {
    if (!met) {
        OnUnreadableRecord(nullptr);
        return;
    }
    OnUnreadableRecord([met = std::move(met)](const UnreadableRecord& record) {
        met(PassedOverRecord{record.file, record.database, record.sortText, record.id, UnreadableRecordProblem(record)});
    });
}

void ReadEveryStoredRecord() { ReadEveryRecord(); }
