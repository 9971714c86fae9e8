#pragma once
// vantrel-export run as a user runs it: in a folder, on a device root, with
// its exit status and its two outputs.

#include "support/raw_file.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

struct ToolRun {
    int status = -1;
    std::string out, err;
};

// Runs `tool` (a path) with `arguments` in `folder` on the device `root`;
// `medium` is a shell command that runs the tool (its $0 and $@) on the medium it prepares.
inline ToolRun RunExportTool(const std::filesystem::path& tool, const std::filesystem::path& folder,
                             const std::filesystem::path& root, const std::string& arguments,
                             const std::string& medium = "") {
    const std::filesystem::path out = folder / "out.txt", err = folder / "err.txt";
    const std::string command = "cd '" + folder.string() + "' && " + medium + " '" + tool.string() + "' --root '" +
                                root.string() + "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileBytes(out), FileBytes(err)};
}
