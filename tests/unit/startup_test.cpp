#include "app/startup.h"

#include "app/settings_file.h"
#include "app/start_flags.h"
#include "measure/adapters.h"
#include "measure/sampler.h"
#include "res/resource.h"
#include "test_support.h"

namespace {

constexpr char PROGRAM[] = "C:\\Tools\\Velnorid.exe";
constexpr char SETTINGS[] = "C:\\Tools\\Velnorid.qnf";

class StartUpTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    MakeFolder("C:\\Tools");
    fakewin::AddMonitor({0, 0, 1920, 1080}, {0, 0, 1920, 1040});
    fakewin::SetInterfaces({fakewin::MakeInterface(1, IF_TYPE_SOFTWARE_LOOPBACK, true, "lo"),
                            fakewin::MakeInterface(2, IF_TYPE_ETHERNET_CSMACD, true, "eth")});
    // The user closes the window as soon as the program waits for input.
    fakewin::OnIdle([this] {
      if (!app.mainWindow) return;
      windowSeen = app.mainWindow;
      exStyle = DWORD(GetWindowLongPtrA(app.mainWindow, GWL_EXSTYLE));
      found = FindWindowA(programName, programName);
      PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    });
  }
  // Runs the entry procedure until it ends the process; returns the exit code.
  UINT Run(const char* commandLine) {
    fakewin::SetCommandLine(commandLine);
    try {
      StartUp();
    } catch (const fakewin::ProcessExit& exit) {
      return exit.code;
    }
    return 99;
  }
  Bytes StoredSettings(uint32_t options = 0x2D, uint32_t mode = 1, uint32_t interval = 1000) {
    Bytes file = ImageBytes(SettingsImage{});
    PutU32(file, 16, options);
    PutU32(file, 32, mode);
    PutU32(file, 44, interval);
    PutU32(file, 20, 555);  // totalRecvKiB
    PutU32(file, 28, 0x5B87);  // resetDate: a reset recorded on 2025-12-07
    return file;
  }
  // A window of another instance of the program.
  HWND RunningInstance() {
    WNDCLASSA c{};
    c.lpfnWndProc = DefWindowProcA;
    c.lpszClassName = programName;
    RegisterClassA(&c);
    return CreateWindowExA(0, programName, programName, WS_POPUP, 5, 5, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
  }
  HWND windowSeen = nullptr, found = nullptr;
  DWORD exStyle = 0;
};

TEST_F(StartUpTest, RunsUntilClosedAndLeavesNothingBehind) {
  fakewin::RefuseActivation(true);  // started in the background: Windows does not activate it
  EXPECT_EQ(Run(PROGRAM), 0u);
  ASSERT_NE(windowSeen, nullptr);
  ASSERT_FALSE(fakewin::LayeredCalls().empty()) << "a layered window shows nothing until its attributes are set";
  EXPECT_EQ(fakewin::LayeredCalls()[0].window, windowSeen);
  EXPECT_EQ(fakewin::LayeredCalls()[0].alpha, 204);
  EXPECT_EQ(found, windowSeen);  // class and title "Velnorid"
  EXPECT_EQ(exStyle, 0x80088u);
  EXPECT_EQ(fakewin::TimerCalls().back().period, 1000u);
  EXPECT_EQ(fakewin::TimerCalls().back().proc, &SampleTick);
  EXPECT_EQ(SelectedRow(), 1u);  // the only listed adapter, chosen by itself
  EXPECT_EQ(MenuText(IDM_REFRESH), "");  // the menus are gone
  EXPECT_EQ(fakewin::ImeDisableCalls(), 1);
  EXPECT_EQ(fakewin::CoInitializeCalls(), 1);
  EXPECT_EQ(fakewin::CoUninitializeCalls(), 1);
  EXPECT_TRUE(fakewin::CommonControlClasses() & ICC_UPDOWN_CLASS);

  Bytes saved = ReadFile(SETTINGS);
  ASSERT_EQ(saved.size(), 220u);
  EXPECT_NE(GetU32(saved, 28) & 0xFFFF, 0u);  // the first start recorded a reset moment
  EXPECT_EQ(fakewin::LiveGdiObjects(), 0);
  EXPECT_EQ(fakewin::LiveMenus(), 0);
  EXPECT_EQ(fakewin::LiveGlobalBlocks(), 0);
}

TEST_F(StartUpTest, ExtendedStyleFromTopMostAndTaskBar) {
  struct {
    uint32_t options;
    DWORD exStyle;
  } cases[] = {{0x2C, 0x80080}, {0x2D, 0x80088}, {0x3C, 0x80000}, {0x3D, 0x80008}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.options);
    WriteFile(SETTINGS, StoredSettings(c.options));
    Run(PROGRAM);
    EXPECT_EQ(exStyle, c.exStyle);
    NextCase();
  }
}

TEST_F(StartUpTest, AShortIntervalStartsTheTimerAtOneSecond) {
  struct {
    uint32_t stored, period;
  } cases[] = {{0, 1000}, {79, 1000}, {80, 80}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.stored);
    WriteFile(SETTINGS, StoredSettings(0x2D, 1, c.stored));
    Run(PROGRAM);
    EXPECT_EQ(fakewin::TimerCalls().back().period, c.period);
    EXPECT_EQ(GetU32(ReadFile(SETTINGS), 44), c.period);
    NextCase();
  }
}

TEST_F(StartUpTest, PlainAndColourKeyStartsReplaceTheModes) {
  struct {
    const char* options;
    uint32_t modes;
  } cases[] = {{"", MODE_OPAQUE | MODE_COLORKEY}, {" /J", 0}, {" /T", MODE_COLORKEY}, {" /J /T", MODE_COLORKEY}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.options);
    WriteFile(SETTINGS, StoredSettings(0x2D, MODE_OPAQUE | MODE_COLORKEY));
    Run((std::string(PROGRAM) + c.options).c_str());
    EXPECT_EQ(GetU32(ReadFile(SETTINGS), 32) & ~MODE_ACTIVE, c.modes);
    NextCase();
  }
}

TEST_F(StartUpTest, KeysHeldAtLaunchAndTheirLetters) {
  WriteFile(SETTINGS, StoredSettings());
  fakewin::HoldKey(VK_SHIFT, true);
  Run(PROGRAM);
  EXPECT_EQ(GetU32(ReadFile(SETTINGS), 20), 0u);  // Shift: totals reset

  NextCase();
  WriteFile(SETTINGS, StoredSettings());
  fakewin::HoldKey(VK_SHIFT, true);
  Run((std::string(PROGRAM) + " /r").c_str());
  EXPECT_EQ(GetU32(ReadFile(SETTINGS), 20), 555u);  // the letter cancels the key

  NextCase();
  fakewin::HoldKey(VK_NONCONVERT, true);
  Run(PROGRAM);
  EXPECT_EQ(fakewin::DpiAwareCalls(), 0);
  NextCase();
  Run((std::string(PROGRAM) + " /v").c_str());
  EXPECT_EQ(fakewin::DpiAwareCalls(), 0);
}

// A font of 18 pixels at the system's DPI: 27 tall on a 144-dpi monitor of a 96-dpi system, as wide as 16 of its
// characters; not with /V, without the new calls or when the process was made aware of the system's DPI before.
TEST_F(StartUpTest, TheWindowDrawsAtItsMonitorsDpiAndTheFileKeepsItsPixels) {
  struct { const char* options; UINT monitorDpi, systemDpi; int awareBefore; std::vector<LONG> heights; LONG right; }
      cases[] = {{"", 96, 96, 0, {-18, -27, -18}, 360}, {"", 144, 96, 0, {-27}, 10 + 16 * 27},
                 {" /v", 144, 96, 0, {-18}, 360}, {"", 0, 96, 0, {-18}, 360}, {"", 144, 144, 0, {-18, -18, -12}, 360},
                 {"", 144, 144, 2, {-18, -18, -12}, 360}, {"", 144, 96, 1, {-18, -18, -18}, 360}};
  for (auto& c : cases) {
    fakewin::SetMonitorDpi(c.monitorDpi, c.systemDpi, c.awareBefore);
    Bytes stored = StoredSettings();
    PutU32(stored, 160, uint32_t(-18));  // the font setting follows
    WriteFile(SETTINGS, stored);
    std::vector<LONG> heights;  // the font drawn at the start, then after each change
    fakewin::OnIdle([&] {
      for (auto [dpi, r] : {std::pair{144, RECT{100, 50, 625, 350}}, {96, RECT{10, 10, 360, 210}}, {0, RECT{}}}) {
        heights.push_back(fakewin::ObjectValue(fakewin::SelectedObject(app.memoryDC, "font")));
        if (heights.size() == c.heights.size()) return void(PostMessageA(app.mainWindow, WM_CLOSE, 0, 0));
        SendMessageA(app.mainWindow, WM_DPICHANGED, WPARAM(MAKELPARAM(dpi, dpi)), reinterpret_cast<LPARAM>(&r));
      }
    });
    Run((std::string(PROGRAM) + c.options).c_str());
    EXPECT_EQ(heights, c.heights) << c.options << c.monitorDpi;
    EXPECT_EQ(fakewin::DpiAwareCalls(), !c.monitorDpi);
    EXPECT_EQ(GetU32(ReadFile(SETTINGS), 52), 18u);
    EXPECT_EQ(GetU32(ReadFile(SETTINGS), 160), uint32_t(-18));
    EXPECT_EQ(int32_t(GetU32(ReadFile(SETTINGS), 8)), c.right);
    NextCase();
  }
}

TEST_F(StartUpTest, ASecondInstanceShowsTheFirstAndEnds) {
  HWND first = RunningInstance();
  WriteFile(SETTINGS, StoredSettings());
  EXPECT_EQ(Run(PROGRAM), 0u);
  EXPECT_EQ(windowSeen, nullptr);
  EXPECT_EQ(app.totalRecvKiB, 0u);  // the settings were never read
  const auto& raise = fakewin::SetWindowPosCalls().back();
  EXPECT_EQ(raise.window, first);
  EXPECT_EQ(raise.after, HWND_TOPMOST);
  EXPECT_EQ(raise.flags, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);

  fakewin::HoldKey(VK_CONTROL, true);
  Run((std::string(PROGRAM) + " /d").c_str());  // Ctrl and /D cancel out
  EXPECT_EQ(windowSeen, nullptr);
  Run(PROGRAM);  // Ctrl alone: a second window
  EXPECT_NE(windowSeen, nullptr);
}

TEST_F(StartUpTest, ASettingsPathIsAnIndependentInstance) {
  RunningInstance();
  MakeFolder("D:\\cfg");
  WriteFile("D:\\cfg\\a.qnf", StoredSettings());
  Run((std::string(PROGRAM) + " /D:\\cfg\\a.qnf /r").c_str());
  EXPECT_NE(windowSeen, nullptr);
  EXPECT_STREQ(app.cmdSettingsPath, "D:\\cfg\\a.qnf");
  Bytes saved = ReadFile("D:\\cfg\\a.qnf");
  EXPECT_EQ(GetU32(saved, 20), 0u);  // read, reset by /r, written back
  EXPECT_EQ(GetU32(saved, 16), 0x2Du);
  EXPECT_FALSE(FileExists(SETTINGS));
}

TEST_F(StartUpTest, EarlyEndsTouchNothing) {
  fakewin::SetNetwork(false);
  EXPECT_EQ(Run(PROGRAM), 0u);
  EXPECT_EQ(fakewin::DpiAwareCalls(), 0);
  fakewin::SetNetwork(true);

  fakewin::SetModuleFileName("");
  EXPECT_EQ(Run("C:\\Tools\\Velnorid /r"), 0u);  // no program extension, and none from the system
  EXPECT_EQ(fakewin::DpiAwareCalls(), 0);

  WriteFile(SETTINGS, StoredSettings());
  fakewin::SetInterfaces({});
  EXPECT_EQ(Run(PROGRAM), 0u);  // nothing to measure: no window, no save
  EXPECT_EQ(windowSeen, nullptr);
  EXPECT_EQ(ReadFile(SETTINGS), StoredSettings());
  EXPECT_EQ(fakewin::LiveGdiObjects(), 0);
  EXPECT_EQ(fakewin::LiveMenus(), 0);
}

TEST_F(StartUpTest, DamagedSettingsFileStartsWithDefaults) {
  Bytes damaged = StoredSettings(0x1FF);
  WriteFile(SETTINGS, damaged);
  Run(PROGRAM);
  Bytes saved = ReadFile(SETTINGS);
  EXPECT_EQ(GetU32(saved, 16), 0x2Du);
  EXPECT_EQ(GetU32(saved, 0), 10u);
}

TEST_F(StartUpTest, TicksSampleAndTheHourlyTimerSavesChangedTotals) {
  WriteFile(SETTINGS, StoredSettings());  // 555 KiB received
  const Bytes untouched = StoredSettings(0x2C);  // options no save of this run writes
  HANDLE holder = nullptr;
  Bytes afterLoad, firstHour, unchangedHour, sentHour, retryHour;
  auto traffic = [](DWORD in, DWORD out) {
    fakewin::Interfaces()[1].dwInOctets += in;
    fakewin::Interfaces()[1].dwOutOctets += out;
    fakewin::FireTimer(SAMPLE_TIMER_ID);
  };
  auto hour = [this, &untouched] {
    WriteFile(SETTINGS, untouched);
    fakewin::FireTimer(SAVE_TIMER_ID);
  };
  int step = 0;
  fakewin::OnIdle([&] {
    if (!app.mainWindow) return;
    switch (step++) {
      case 0:
        return hour();  // the totals just read are the file's: nothing to write
      case 1:
        afterLoad = ReadFile(SETTINGS);
        return traffic(3000, 0);  // baselines
      case 2:
      case 3:
      case 4:
        return traffic(3000, 0);  // three samples: 9,000 bytes
      case 5:
        return fakewin::FireTimer(SAVE_TIMER_ID);
      case 6:
        firstHour = ReadFile(SETTINGS);
        return hour();  // no new totals
      case 7:
        unchangedHour = ReadFile(SETTINGS);
        return traffic(0, 3000);  // only the sent total moves
      case 8:
        return hour();
      case 9:
        sentHour = ReadFile(SETTINGS);
        return traffic(3000, 0);
      case 10:  // another process holds the file: this hour's write fails
        holder = CreateFileA(SETTINGS, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return fakewin::FireTimer(SAVE_TIMER_ID);
      case 11:
        CloseHandle(holder);
        return hour();  // so the next hour tries again
      case 12:
        retryHour = ReadFile(SETTINGS);
        PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    }
  });
  Run(PROGRAM);
  ASSERT_EQ(step, 13);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  for (uint32_t i : {91u, 92u, 93u, 95u}) EXPECT_EQ(app.history[i], 3000u) << i;  // after the warm-up
  EXPECT_EQ(app.history[90], 0u);
  EXPECT_EQ(app.history[94], 0u);
  EXPECT_EQ(app.history[SENT_BASE + 94], 3000u);
  EXPECT_NE(app.getIfEntry2, nullptr) << "read through 64-bit counters where Windows has them";

  const fakewin::TimerCall& hourly = fakewin::TimerCalls().front();
  EXPECT_EQ(hourly.id, SAVE_TIMER_ID);
  EXPECT_EQ(hourly.period, SAVE_PERIOD_MS);
  EXPECT_EQ(afterLoad, untouched);
  ASSERT_EQ(firstHour.size(), 220u);
  EXPECT_EQ(GetU32(firstHour, 20), 563u);
  EXPECT_EQ(unchangedHour, untouched);
  EXPECT_EQ(GetU32(sentHour, 24), 2u);  // 3,000 bytes sent
  EXPECT_EQ(GetU32(sentHour, 20), 563u);
  EXPECT_EQ(GetU32(retryHour, 20), 566u);
  EXPECT_EQ(GetU32(ReadFile(SETTINGS), 20), 566u);  // the close writes as ever
}

}  // namespace
