#pragma once
// vantrel-export run as a user would run it, against a device the test builds.

#include "platform/recording_surface.h"
#include "platform/records/record_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/test_info_import.h"
#include "store/test_record_layout.h"
#include "support/stored_results.h"

#include "store/store_fixture.h"
#include "support/export_tool.h"
#include "support/raw_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

class ExportTool : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        SetObjectStoreReadOnly(false);
        ASSERT_TRUE(AddPatient(u"Tavi Orlenska", u"Female", MakeDate(1980, 6, 1), u"30", u"Line"));
        ASSERT_TRUE(AddPatient(u"Ben, \"the\" Second", u"Male", MakeDate(1980, 6, 1), u"0", u"Bar"));
        ASSERT_TRUE(CreateSettings(u"Tavi Orlenska"));
        Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 3, 1), u"after a run, \"tired\"\nsecond line",
              u"LDL cholesterol", u"130", u"0-99", u"mg/dL (fasting)");
        Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 3, 1), u"after a run, \"tired\"\nsecond line",
              u"HDL cholesterol", u"55", u"50-100", u"mg/dL");
        Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 1, 5), u"", u"LDL cholesterol", u"150", u"0-99",
              u"mg/dL");
        Store(u"Ben, \"the\" Second", u"Ferritin", MakeDate(2023, 12, 24), u"", u"Ferritin", u"80", u"24-336",
              u"ng/mL");
    }

    // Stores one result on the device, then leaves the device to the tool alone.
    void Store(std::u16string_view user, std::u16string_view test, const SystemTime& date, std::u16string_view comment,
               std::u16string_view result, std::u16string_view value, std::u16string_view goal,
               std::u16string_view unit) const {
        SetDeviceRoot(root_);
        ASSERT_TRUE(StoreResult(user, test, comment, date, result, value, goal, unit));
        SetDeviceRoot(folder_ / "elsewhere");
    }

    ToolRun Tool(const std::string& arguments, const std::string& medium = "") const {
        // The locale is set for the whole command, which may be a pipeline.
        return RunExportTool(VANTREL_EXPORT, folder_, root_, arguments, "export LC_ALL=" + language_ + " && " + medium);
    }

    // Runs a command that must fail, naming `cause` on its error output.
    void ExpectRefused(const std::string& args, const std::string& cause) const {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_NE(run.err.find(cause), std::string::npos) << run.err;
    }

    std::string StoreBytes() const { return FileBytes(root_ / "object-store.sqlite"); }

    // The prefix that runs a command in a mount namespace of its own, where
    // it may mount a small disk at Disk(); empty where none can be made.
    std::string MountNamespace() const {
        const std::string isolated = ::geteuid() == 0 ? "unshare -m" : "unshare -rm";
        std::filesystem::create_directories(Disk());
        const std::string tried = isolated + " mount -t tmpfs tmpfs " + Disk().string() + " 2>/dev/null";
        return std::system(tried.c_str()) == 0 ? isolated : "";
    }
    std::filesystem::path Disk() const { return folder_ / "disk"; }

    // The desktop's language the tool runs in, set here rather than taken from the machine.
    std::string language_ = "en_US.UTF-8";
};

// One test of the catalogue, as the device's test information file holds it.
constexpr const char* kCatalogueFile =
    "Test>Lipid Panel\n<other name>lipids\n<why>fats\n<when>yearly\n<how>blood\n<normal results>low\n"
    "<home test>none\n<number of results>1\n<resultname1>LDL cholesterol\n<resultvalue1>0-99\n"
    "<resultunit1>mg/dL\n\n\n";

class ImportTool : public ExportTool {
protected:
    // The fixture's device as after its first run, catalogue imported.
    void SetUp() override {
        ExportTool::SetUp();
        UseEmptyDevice("device");
        SetDeviceRoot(root_);
        RecordingSurface progress;
        ASSERT_TRUE(ImportTestInfo(progress));
        SetDeviceRoot(folder_ / "elsewhere");
    }
    // A device that has never run: only its test information file.
    void UseEmptyDevice(const std::string& name) {
        root_ = folder_ / name;
        std::filesystem::create_directories(root_ / "windows");
        std::ofstream(root_ / "windows" / "BrennicTests.txt") << kCatalogueFile;
    }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    std::string Csv() const { return Tool("csv").out; }
};
