#include "app/controller.h"
#include "sysinfo/field_details.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "app/duration.h"
#include "fakes/fake_controller_services.h"
#include "fakes/fake_dialog_host.h"
#include "res/resource.h"

namespace {

using Texts = std::vector<std::string>;

const int kResultFields[] = {IDC_CPU_SPEED_RESULT, IDC_FLOPS_RESULT, IDC_MEMORY_RESULT,
                             IDC_DISK_RESULT};

class ControllerTest : public ::testing::Test {
  protected:
    FakeDialogHost host;
    FakeControllerServices services;
    MainDialog dialog = MakeMainDialog(host, services);

    void SetUp() override {
        g_TestDuration = 3000;
        g_AboutMenuAdded = 0;
    }
    void RunTimerToEnd() {
        for (int guard = 0; guard < 10 && host.timers.count(IDT_RUN_ALL); ++guard)
            OnDialogTimer(&dialog, IDT_RUN_ALL);
    }
};

TEST_F(ControllerTest, OpeningFillsEveryFieldInOrderThenInstallsLabelsAndCentres) {
    std::strcpy(services.summary.cpuDetails, "Some CPU");
    std::strcpy(services.summary.cores, "2");
    std::strcpy(services.summary.osVersion, "  \"Windows 7\" version 6.1.7601 ");
    OnDialogOpened(&dialog);
    EXPECT_EQ(host.log, (Texts{"SetCaption Kelvane 0.4", "SetSmallIcon", "ApplyDialogFont",
                               "SetText 1004 Some CPU", "SetText 1005 ", "SetText 1006 ",
                               "SetText 1007 ", "SetText 1018 ", "SetText 1013 ", "SetText 1014 2",
                               "SetText 1016 ", "SetText 1019 ", "SetText 1017 ",
                               "SetText 1021   \"Windows 7\" version 6.1.7601 ",
                               "StartTimer 1002 50", "InstallStatusLine 1022", "InstallLink 1020",
                               "SetText 1020 www.kelvane.example", "CenterOnDesktop"}));
    EXPECT_EQ(host.texts.count(IDC_STATUS_LINE), 0u) << "no time stamp before the first run";
}

TEST_F(ControllerTest, DetailsBecomeTooltipsOfTheirFieldsAndEmptyOnesNone) {
    std::strcpy(services.details.instructions, "Instruction sets: MMX, SSE,\nAVX2");
    std::strcpy(services.details.cores, "2 processors this program may use");
    OnDialogOpened(&dialog);
    EXPECT_TRUE(host.tips.empty()) << "the tips wait until the dialog shows";
    EXPECT_EQ(host.timers[IDT_FIELD_DETAILS], static_cast<unsigned>(kFieldDetailsDelayMs));
    OnDialogTimer(&dialog, IDT_FIELD_DETAILS);
    EXPECT_EQ(host.tips,
              (std::map<int, std::string>{{IDC_INSTRUCTIONS, "Instruction sets: MMX, SSE,\nAVX2"},
                                          {IDC_CORES, "2 processors this program may use"}}));
    EXPECT_EQ(host.texts[IDC_INSTRUCTIONS], "") << "the field keeps its own text";
}

TEST(FieldDetailsText, ListsWrapAtTheirSeparators) {
    const std::tuple<const char*, size_t, const char*> cases[] = {
        {"Sets: MMX, SSE, SSE2, SSE3", 12, "Sets: MMX,\nSSE, SSE2,\nSSE3"},
        {"Sets: MMX, SSE", 80, "Sets: MMX, SSE"},
        {"OneVeryLongNameWithoutBreaks", 5, "OneVeryLongNameWithoutBreaks"},
        {"A, B\nC, D, E", 4, "A, B\nC,\nD, E"}};
    for (const auto& [in, width, out] : cases) {
        char text[64];
        std::strcpy(text, in);
        WrapListText(text, width);
        EXPECT_STREQ(text, out) << in;
    }
}

// No drive: nothing selected and the disk run gets an empty one; the longest duration is
// doubled without wrapping.
TEST_F(ControllerTest, EmptyDriveListAndLongestDuration) {
    services.summary.drives.selected = -1;
    OnDialogOpened(&dialog);
    EXPECT_EQ(host.selectedItem, -1);
    OnDialogCommand(&dialog, IDC_RUN_DISK);
    g_TestDuration = kMaxTestDuration;
    OnDialogCommand(&dialog, IDC_RUN_MEMORY);
    EXPECT_EQ(services.runs, (Texts{"disk  6000", "memory 7200000"}));
}

// Each button stamps the time, disables itself, shows the progress and then the result,
// drops the input queued meanwhile, and comes back enabled with the focus.
TEST_F(ControllerTest, DriveListThenEachBenchmarkButtonStampsRunsShowsTheResultAndFocuses) {
    const std::tuple<int, int, const char*, const char*> cases[] = {
        {IDC_RUN_CPU_SPEED, IDC_CPU_SPEED_RESULT, "cpu", "2.99 GHz"},
        {IDC_RUN_FLOPS, IDC_FLOPS_RESULT, "flops 3000", "1.23 Gigaflops"},
        {IDC_RUN_MEMORY, IDC_MEMORY_RESULT, "memory 6000", "9 GB/second"},
        {IDC_RUN_DISK, IDC_DISK_RESULT, "disk C: 6000", "512 MB/second"}};
    DriveList& drives = services.summary.drives;
    for (const char* drive : {"A:", "C:", "E:"}) std::strcpy(drives.names[drives.count++], drive);
    drives.selected = 1;
    OnDialogOpened(&dialog);
    EXPECT_EQ(host.listItems, (Texts{"A:", "C:", "E:"}));
    EXPECT_EQ(host.selectedItem, 1);
    for (const auto& [button, field, run, result] : cases) {
        host.log.clear();
        services.runs.clear();
        EXPECT_EQ(OnDialogCommand(&dialog, static_cast<uint32_t>(button)), 1) << run;
        const std::string b = std::to_string(button), f = std::to_string(field);
        EXPECT_EQ(host.log,
                  (Texts{"SetText 1022 Time Stamp:  April 3, 2009 at 18:33:49", "Invalidate 1022",
                         "Enable " + b + " 0", "SetText " + f + " running " + run, "Repaint " + f,
                         "SetText " + f + " " + result, "Repaint " + f, "DiscardQueuedInput",
                         "Enable " + b + " 1", "Focus " + b}));
        EXPECT_EQ(services.runs, Texts{run});
    }
}

TEST_F(ControllerTest, DiskFailureShowsTheErrorBoxBeforeTheField) {
    services.disk = FakeControllerServices::Result("There is not enough space on the disk.", false);
    services.disk.showErrorBox = true;
    OnDialogCommand(&dialog, IDC_RUN_DISK);
    EXPECT_EQ(host.messages,
              Texts{"Disk Benchmark Error|error|There is not enough space on the disk."});
    auto at = [&](const char* entry) { return std::find(host.log.begin(), host.log.end(), entry); };
    EXPECT_LT(at("ShowMessage Disk Benchmark Error"),
              at("SetText 1003 There is not enough space on the disk."));
}

// Once the run is over, commands work again.
TEST_F(ControllerTest, CommandDuringARunIsDropped) {
    services.context = &dialog;
    services.duringRun = [](void* p) {
        static int nested = 0;  // a run not dropped would recurse
        if (nested++) return;
        auto* d = static_cast<MainDialog*>(p);
        OnDialogCommand(d, IDC_RUN_CPU_SPEED);
        OnDialogCommand(d, IDC_RUN_ALL);
    };
    OnDialogCommand(&dialog, IDC_RUN_CPU_SPEED);
    services.duringRun = nullptr;
    EXPECT_EQ(services.runs, Texts{"cpu"});
    EXPECT_TRUE(host.timers.empty());
    OnDialogCommand(&dialog, IDC_RUN_FLOPS);
    EXPECT_EQ(services.runs.size(), 2u);
}

// Its order, and a run by hand in a pause, the Qt dialog's test checks with real timers.
TEST_F(ControllerTest, RunAllPausesStampsNothingEndsAfterTheDiskAndRunsAgain) {
    OnDialogCommand(&dialog, IDC_RUN_ALL);
    for (int field : kResultFields) EXPECT_EQ(host.texts[field], "...");
    EXPECT_EQ(host.timers[IDT_RUN_ALL], 100u);
    EXPECT_TRUE(host.texts.count(IDC_STATUS_LINE) == 0) << "Run All itself stamps nothing";
    RunTimerToEnd();
    EXPECT_EQ(host.Entries("StartTimer"), (Texts{"StartTimer 1001 100", "StartTimer 1001 250",
                                                 "StartTimer 1001 250", "StartTimer 1001 250"}));
    EXPECT_TRUE(host.timers.empty()) << "the sequence ends after the disk";
    for (int field : kResultFields) EXPECT_NE(host.texts[field], "...") << field;
    OnDialogCommand(&dialog, IDC_RUN_ALL);
    RunTimerToEnd();
    EXPECT_EQ(services.runs.size(), 8u);
}

TEST_F(ControllerTest, OtherTimersAndCommandsDoNothing) {
    OnDialogTimer(&dialog, 7);
    EXPECT_EQ(host.log, Texts{"StopTimer 7"}) << "it only stops itself";
    host.log.clear();
    for (uint32_t command : {0u, 1012u, 1012u | (1u << 16), 4242u})
        EXPECT_EQ(OnDialogCommand(&dialog, command), 1);
    EXPECT_TRUE(host.log.empty());
    EXPECT_TRUE(services.runs.empty());
}

TEST_F(ControllerTest, AboutEntryIsAddedOnceAndAloneShowsTheBox) {
    OnDialogMenuPopup(&dialog);
    OnDialogMenuPopup(&dialog);
    EXPECT_EQ(host.menuEntries, Texts{"9876 About Kelvane..."});
    EXPECT_EQ(g_AboutMenuAdded, 1);
    OnDialogSystemCommand(&dialog, 0xF060);  // SC_CLOSE keeps its default handling
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.endResult, -1);
    OnDialogSystemCommand(&dialog, IDM_ABOUT);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("About Kelvane|information|Kelvane 0.4\n\n", 0), 0u)
        << host.messages[0];
}

TEST_F(ControllerTest, CloseAndEscapeEndTheDialogWhateverTheNotification) {
    for (uint32_t command : {1u, 2u, 0x00010001u, 0x03000002u}) {
        FakeDialogHost fresh;
        MainDialog d = MakeMainDialog(fresh, services);
        EXPECT_EQ(OnDialogCommand(&d, command), 1);
        EXPECT_EQ(fresh.endResult, 1) << command;
    }
}

TEST(TimeStampTest, Format) {
    const std::tuple<LocalTime, const char*, size_t, const char*> cases[] = {
        {{2009, 4, 3, 18, 33, 49}, "April", 260, "Time Stamp:  April 3, 2009 at 18:33:49"},
        {{2026, 12, 31, 9, 5, 7}, "December", 260, "Time Stamp:  December 31, 2026 at 9:05:07"},
        {{2026, 1, 1, 0, 0, 0}, "", 260, "Time Stamp:   1, 2026 at 0:00:00"},
        {{2009, 4, 3, 18, 33, 49}, "April", 12, "Time Stamp:"}};  // cut to the capacity
    for (const auto& [time, month, capacity, expected] : cases) {
        char out[260];
        FormatTimeStamp(time, month, out, capacity);
        EXPECT_STREQ(out, expected);
    }
}

// The rights line names the licence the project is published under.
TEST(AboutTextTest, EndsWithTheBuildDateAndTime) {
    char out[512];
    FormatAboutText("Apr  3 2009", "18:33:49", out, sizeof out);
    const std::string text = out, tail = "\n\nBuild Date: Apr  3 2009  Time: 18:33:49";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_NE(text.find("\nwww.kelvane.example\n"), std::string::npos);
    EXPECT_NE(text.find("\nCopyright (c) 2026 the Kelvane developers. MIT License.\n\n"),
              std::string::npos);
}

}  // namespace
