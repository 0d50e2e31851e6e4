// The real program's bench: every scene reports, and nothing but the report is written.
#include <gtest/gtest.h>

#include <sstream>

#include "support/e2e_process.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> report_names = {"titles", "city1",   "credits", "city2", "office",
                                               "lattice", "tunnel", "objects", "closing", "show"};

// The first word of every line after the two header lines.
std::vector<std::string> row_names(const std::string& table) {
    std::vector<std::string> names;
    std::istringstream lines(table);
    std::string line;
    for (int skip = 0; skip < 2 && std::getline(lines, line); ++skip) {
    }
    while (std::getline(lines, line)) names.push_back(line.substr(0, line.find(' ')));
    return names;
}

}  // namespace

TEST(Bench, EverySceneAndTheShowReportAndOnlyTheReportIsWritten) {
    const fs::path root = e2e::make_temp_dir("bench");
    const fs::path logs = e2e::make_temp_dir("bench_logs");
    ASSERT_TRUE(e2e::link_data_pack(root));
    const fs::path json = logs / "bench.json";
    const e2e::Outcome o =
        e2e::run({e2e::zelvo_binary(), "--dir", root.string(), "--bench", "--frames", "3", "--json", json.string()},
                 {}, logs, 120);
    ASSERT_TRUE(o.exited) << o.err;
    EXPECT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(row_names(o.out), report_names) << o.out;
    EXPECT_EQ(o.err, "");

    // One object a row, in the same order, each with every key.
    const std::string text = e2e::read_text(json);
    size_t at = 0;
    for (const std::string& name : report_names) {
        at = text.find("{\"scene\": \"" + name + "\", \"frames\": 3, \"median_ms\": ", at);
        ASSERT_NE(at, std::string::npos) << name << "\n" << text;
        const size_t end = text.find('}', at);
        for (const char* key : {"\"p95_ms\": ", "\"fps\": ", "\"limit_ms\": ", "\"ratio\": "})
            EXPECT_LT(text.find(key, at), end) << name << " " << key;
        at = end;
    }

    // The data folder holds the data pack and nothing more.
    for (const auto& entry : fs::directory_iterator(root)) EXPECT_EQ(entry.path().filename(), "data");
    fs::remove_all(root);
    fs::remove_all(logs);
}

TEST(Bench, OneSceneAlone) {
    const fs::path root = e2e::make_temp_dir("bench_one");
    ASSERT_TRUE(e2e::link_data_pack(root));
    const e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", root.string(), "--bench", "--frames", "2",
                                     "--scene", "tunnel", "--reference"},
                                    {}, root, 60);
    EXPECT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(row_names(o.out), std::vector<std::string>{"tunnel"}) << o.out;
    fs::remove_all(root);
}
