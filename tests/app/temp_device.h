#pragma once
// A fresh device root for one test, with the clock fixed and no owner's name,
// all put back when the test ends.

#include "platform/datetime.h"
#include "platform/device.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

class TempDevice {
public:
    TempDevice() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-app-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        SetDeviceRoot(root_);
        SetLocalTimeForTesting(&now_);
        SetOwnerName(u"");
    }
    ~TempDevice() {
        SetDeviceOwnerNameForTesting(nullptr);
        SetLocalTimeForTesting(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempDevice(const TempDevice&) = delete;
    TempDevice& operator=(const TempDevice&) = delete;

    const std::filesystem::path& Root() const { return root_; }

    void SetOwnerName(std::u16string name) {
        owner_ = std::move(name);
        SetDeviceOwnerNameForTesting(&owner_);
    }

    // Writes the device's test information file.
    void WriteTestInfoFile(const std::string& content) const {
        const std::filesystem::path file = ResolveDevicePath(u"\\windows\\BrennicTests.txt");
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }

    // 14 June 2026, 09:30, a Sunday.
    static constexpr SystemTime kNow{2026, 6, 0, 14, 9, 30, 0, 0};

private:
    std::filesystem::path root_;
    SystemTime now_ = kNow;
    std::u16string owner_;
};

// Two complete test blocks in the file's format.
inline const char* kSmallTestInfoFile =
    "<name>Glucose\n<other name>Blood sugar; fasting blood sugar\n<why>To check for diabetes\n"
    "<when>When you have symptoms of high blood sugar\n<how>A blood sample from a vein\n"
    "<normal results>70 to 100 mg/dL when fasting\n<home test>Yes\n<number of results>1\n"
    "<resultname1>Glucose\n<resultvalue1>100\n<resultunit1>mg/dL\n\n\n"
    "<name>Iron\n<other name>Serum iron\n<why>To check for anaemia\n<when>When you feel tired\n"
    "<how>A blood sample from a vein\n<normal results>60 to 170 mcg/dL\n<home test>No\n<number of results>0\n\n\n";
