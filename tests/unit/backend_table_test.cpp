// Every backend table the build compiles fills every entry, so nothing the
// dispatcher calls is a null pointer; one left out is named.
#include <gtest/gtest.h>

#include "platform/backend.h"

TEST(BackendTable, EveryCompiledTableFillsEveryEntry) {
    const std::vector<const BackendTable*> tables = compiled_backends();
    ASSERT_GE(tables.size(), 2u);  // the system's window backend and the template at least
    for (const BackendTable* table : tables) {
        ASSERT_NE(table->name, nullptr);
        EXPECT_EQ(backend_missing_entries(*table), std::vector<std::string>{}) << table->name;
    }
    EXPECT_STREQ(tables.back()->name, "template");
}

TEST(BackendTable, AnEntryLeftOutIsNamed) {
    BackendTable table = template_backend;
    table.sound_play = nullptr;
    EXPECT_EQ(backend_missing_entries(table), std::vector<std::string>{"sound_play"});
    CaptureTable capture = no_capture;
    capture.caught_signal = nullptr;
    table = template_backend;
    table.capture = &capture;
    EXPECT_EQ(backend_missing_entries(table), std::vector<std::string>{"capture.caught_signal"});
}
