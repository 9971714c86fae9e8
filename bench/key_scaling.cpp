#include "key_scaling.h"

#include "bench_steps.h"
#include "heavy_device.h"
#include "process_steps.h"
#include "timing.h"

#include "platform/records/record_store.h"
#include "platform/text.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// 40 first names by 250 family names: 10,000 people, named as people are.
const char* const kFirst[] = {"Anna",  "Ben",    "Carla", "Daniel", "Elena", "Farid", "Grace", "Hugo",
                              "Ines",  "Jonas",  "Kira",  "Liam",   "Maya",  "Noah",  "Olga",  "Pavel",
                              "Quinn", "Rosa",   "Sami",  "Tavi",   "Uma",   "Viktor", "Wen",  "Xavier",
                              "Yara",  "Zane",   "Aiko",  "Bruno",  "Chloe", "Dmitri", "Emma", "Felix",
                              "Gita",  "Hassan", "Ivy",   "Jorge",  "Kofi",  "Lena",  "Mateo", "Nadia"};
const char* const kFamily[] = {"Berg", "Ruiz", "Liu", "Haddad", "Rossi", "Orlenska", "Novak", "Silva", "Kowalski",
                               "Nguyen"};

std::string PersonName(int n) {
    const int first = n % 40, family = (n / 40) % 10, generation = n / 400;
    std::string name = kFirst[first];
    name.append(" ").append(kFamily[family]);
    // Families of 25 generations: a second name tells the people apart.
    if (generation > 0) name.append(" ").append(kFirst[(generation * 7) % 40]);
    return name;
}

// `users` people with `results` results each: a Complete Blood Count of three
// results on each of their days, from 1 January 2000 on.
void WriteCsv(const fs::path& file, int users, int results, bool onePerson) {
    static const char* const kRows[][4] = {{"WBC", "7.1", "4.5-11.0", "x10^3/uL"},
                                           {"Hemoglobin", "14.2", "13.8-17.2", "g/dL"},
                                           {"Hematocrit", "44", "40.7-50.3", "%"}};
    std::ofstream out(file);
    out << "user,test,date,result,value,goal,unit,comment\n";
    for (int user = 0; user < users; ++user) {
        for (int n = 0; n < results; ++n) {
            const int day = n / 3;
            char date[16];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d", 2000 + day / 336, 1 + day / 28 % 12, 1 + day % 28);
            const auto& row = kRows[n % 3];
            out << (onePerson ? "Tavi Orlenska" : PersonName(user)) << ",Complete Blood Count," << date << ',' << row[0]
                << ',' << row[1] << ',' << row[2] << ',' << row[3] << ",\n";
        }
    }
    if (!out) throw std::runtime_error("writing the bench's CSV failed");
}

double Megabytes(const fs::path& file) { return static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0); }

// A fresh device holding the catalogue, as the import needs.
fs::path FreshDevice(const fs::path& root) {
    fs::remove_all(root);
    fs::create_directories(root);
    PlaceCatalogue(root);
    return root;
}

enum Row {
    kImport,
    kImportOnePerson,
    kShellImport,
    kFileSize,
    kShellFileSize,
    kFirstPaint,
    kSwitchUser,
    kList,
    kImport50k,
    kShellImport50k,
    kRowCount
};

}  // namespace

const std::vector<KeyRow>& KeyRows() {
    static const std::vector<KeyRow> rows = {
        {"vantrel-export import, 3 results per user", "< 3x one user", true},
        {"the same results for one user", "-", true},
        {"floor: the sqlite3 shell's .import of the file", "-", true},
        {"the data file (MB)", "< 3x floor", true},
        {"floor: the sqlite3 shell's file (MB)", "-", true},
        {"a new process to the main window's first paint", "flat (1.5x)", true},
        {"Switch User opens", "flat (1.5x)", true},
        {"vantrel-export list", "flat (1.5x)", true},
        {"vantrel-export import of 50,000 results for one user", "< 5x floor", false},
        {"floor: the sqlite3 shell's .import of that file", "-", false},
    };
    return rows;
}

std::vector<std::vector<double>> MeasureKeys(const fs::path& scratch, int repetitions) {
    std::vector<std::vector<double>> figures(kRowCount, std::vector<double>(std::size(kKeyUsers), 0));
    const fs::path device = scratch / "keys-device", shell = scratch / "keys-shell.sqlite";
    const auto importInto = [&](const fs::path& csv) {
        return MedianOf(repetitions, [&] { return RunExport(FreshDevice(device), {"import", csv.string()}).ms; });
    };
    const auto shellImport = [&](const fs::path& csv) {
        return MedianOf(repetitions, [&] {
            fs::remove(shell);
            return TimeSqliteImport(shell, csv);
        });
    };
    for (std::size_t column = 0; column < std::size(kKeyUsers); ++column) {
        const int users = kKeyUsers[column];
        const fs::path many = scratch / "keys-many.csv", one = scratch / "keys-one.csv";
        WriteCsv(one, 1, 3 * users, true);
        WriteCsv(many, users, 3, false);
        figures[kImportOnePerson][column] = importInto(one);
        figures[kShellImport][column] = shellImport(many);
        figures[kShellFileSize][column] = Megabytes(shell);
        figures[kImport][column] = importInto(many);
        figures[kFileSize][column] = Megabytes(device / "object-store.sqlite");
        std::fprintf(stderr, "  %d users: import %.1f ms (one user %.1f, shell %.1f), %.2f MB (shell %.2f)\n", users,
                     figures[kImport][column], figures[kImportOnePerson][column], figures[kShellImport][column],
                     figures[kFileSize][column], figures[kShellFileSize][column]);
        const int processes = std::min(repetitions, 7);
        figures[kFirstPaint][column] = MedianOf(processes, [&] { return TimeFirstPaint(device); });
        figures[kSwitchUser][column] =
            MedianOf(repetitions, [&] { return TimeSwitchUserOpens(device, Utf8ToText(PersonName(0))); });
        CloseObjectStore();
        figures[kList][column] = MedianOf(processes, [&] { return RunExport(device, {"list"}).ms; });
    }
    const fs::path big = scratch / "keys-50000.csv";
    WriteCsv(big, 1, 50000, true);
    figures[kImport50k][0] = importInto(big);
    figures[kShellImport50k][0] = shellImport(big);
    return figures;
}
