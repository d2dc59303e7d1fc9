#include "ui/main_window.h"

#include "app/program_path.h"
#include "app/settings_file.h"
#include "display/painter.h"
#include "measure/sampler.h"
#include "test_support.h"

namespace {

class MainWindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fakewin::AddMonitor({0, 0, 1920, 1080}, {0, 0, 1920, 1040});
    StartedAs("C:\\Velnorid.exe");
    MakeFolder("C:\\");
  }
  // Creates the main window as start-up does.
  void Create() {
    app.gdiTable[GDI_BACK_BRUSH] = CreateSolidBrush(app.colors[0]);
    WNDCLASSA c{};
    c.lpfnWndProc = MainWndProc;
    c.lpszClassName = programName;
    RegisterClassA(&c);
    app.mainWindow = CreateWindowExA(0x80088, programName, programName, WS_POPUP | WS_VISIBLE | WS_THICKFRAME,
                                     10, 10, 350, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(app.mainWindow, nullptr);
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return MainWndProc(app.mainWindow, message, wParam, lParam);
  }
};

TEST_F(MainWindowTest, CreationMakesTheSurfacesAndAppliesTheAppearanceOnce) {
  Create();
  EXPECT_NE(app.windowDC, nullptr);
  EXPECT_NE(app.memoryDC, nullptr);
  EXPECT_EQ(app.clientRect.right, 342);
  EXPECT_EQ(app.clientRect.bottom, 192);
  HGDIOBJ bitmap = app.gdiTable[GDI_MEM_BITMAP];
  EXPECT_EQ(fakewin::ObjectValue(bitmap), 192 << 16 | 342);
  EXPECT_EQ(fakewin::SelectedObject(app.memoryDC, "bitmap"), bitmap);
  ASSERT_EQ(fakewin::LayeredCalls().size(), 1u);  // from WM_ACTIVATEAPP inside CreateWindowExA
  EXPECT_EQ(fakewin::LayeredCalls()[0].alpha, 204);
  EXPECT_EQ(app.windowRect.right, 360);

  Send(WM_ACTIVATEAPP, FALSE);  // once the window is known: only a repaint
  EXPECT_EQ(fakewin::LayeredCalls().size(), 1u);
  EXPECT_EQ(app.modeFlags & MODE_ACTIVE, 0u);
  Send(WM_ACTIVATEAPP, TRUE);
  EXPECT_EQ(app.modeFlags & MODE_ACTIVE, MODE_ACTIVE);
}

TEST_F(MainWindowTest, SizeSwapsTheBitmapAndThawsTheDisplay) {
  Create();
  HGDIOBJ old = app.gdiTable[GDI_MEM_BITMAP];
  app.frozen = 1;
  int live = fakewin::LiveGdiObjects();
  Send(WM_SIZE, 0, MAKELPARAM(200, 100));
  EXPECT_NE(app.gdiTable[GDI_MEM_BITMAP], old);
  EXPECT_EQ(fakewin::ObjectValue(old), -1);
  EXPECT_EQ(fakewin::LiveGdiObjects(), live);
  EXPECT_EQ(app.frozen, 0u);
  EXPECT_EQ(app.clientRect.right, 200);

  fakewin::FailBitmaps(true);
  app.frozen = 1;
  HGDIOBJ kept = app.gdiTable[GDI_MEM_BITMAP];
  Send(WM_SIZE, 0, MAKELPARAM(300, 150));
  EXPECT_EQ(app.gdiTable[GDI_MEM_BITMAP], kept);  // the old bitmap stays in use
  EXPECT_EQ(app.frozen, 1u);
  EXPECT_EQ(app.clientRect.right, 300);
}

TEST_F(MainWindowTest, AppearanceFromOpacityAndModes) {
  Create();
  struct {
    uint32_t opacity, mode;
    BYTE alpha;
    DWORD flags;
  } cases[] = {
      {10, 0, 26, LWA_ALPHA},
      {100, 0, 255, LWA_ALPHA},
      {0x850, 0, 204, LWA_ALPHA},
      {0x850, MODE_COLORKEY, 204, LWA_ALPHA | LWA_COLORKEY},
      {80, MODE_COLORKEY, 204, LWA_ALPHA},  // the colour key needs the opacity's flag
      {0x850, MODE_COLORKEY | MODE_OPAQUE, 204, LWA_COLORKEY},
      {0x850, MODE_OPAQUE, 204, 0},
  };
  for (auto& c : cases) {
    app.settings[SET_OPACITY] = c.opacity;
    app.modeFlags = c.mode;
    app.colors[0] = 0x102030;
    ApplyAppearance(app.mainWindow);
    const auto& call = fakewin::LayeredCalls().back();
    EXPECT_EQ(call.alpha, c.alpha) << c.opacity;
    EXPECT_EQ(call.flags, c.flags) << c.opacity << "/" << c.mode;
    EXPECT_EQ(call.key, 0x102030u);
  }
}

TEST_F(MainWindowTest, TrackSizesFollowTheFontAndTheSettingsFile) {
  Create();
  MINMAXINFO info{};
  for (uint32_t font : {17u, 0x811u}) {
    app.settings[SET_FONT] = font;
    Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 272);
    EXPECT_EQ(info.ptMinTrackSize.y, 49);
  }
  // No larger than a settings file may hold: the next start would throw the file away.
  EXPECT_EQ(info.ptMaxTrackSize.x, 3940);
  EXPECT_EQ(info.ptMaxTrackSize.y, 2400);
  EXPECT_EQ(info.ptMaxSize.x, 3940);
}

TEST_F(MainWindowTest, PowerAndDeviceNotifications) {
  Create();
  app.sampleCounter = 40;
  EXPECT_EQ(Send(WM_POWERBROADCAST, 7), 1);
  EXPECT_EQ(app.sampleCounter, 40u);
  for (WPARAM event : {PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC}) {
    app.sampleCounter = 40;
    app.totalSentKiB += 100;
    EXPECT_EQ(Send(WM_POWERBROADCAST, event), 1);
    EXPECT_EQ(app.sampleCounter, WARM_UP_AFTER_POWER);
  }
  // The suspend wrote the totals, in case the machine never wakes; the resume wrote nothing.
  EXPECT_EQ(GetU32(ReadFile("C:\\Velnorid.qnf"), 24), 100u);

  app.rescanCountdown = 3;
  EXPECT_EQ(Send(WM_DEVICECHANGE, 0x8000), 1);
  EXPECT_EQ(app.rescanCountdown, 3u);
  // Option clear: a pending rescan is cancelled, a search for a lost adapter waits again.
  struct {
    uint32_t options, before, after;
  } cases[] = {{0, 3, 0}, {0, 0x304, 0x301}, {0, 0x203, 0x201}, {OPT_AUTO_ADAPT, 3, 1}, {OPT_AUTO_ADAPT, 0x103, 0x101}};
  for (auto& c : cases) {
    app.optionFlags = c.options;
    app.rescanCountdown = c.before;
    Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    EXPECT_EQ(app.rescanCountdown, c.after) << std::hex << c.before;
  }
}

TEST_F(MainWindowTest, CloseSavesTheSettingsAndEndsTheLoop) {
  Create();
  app.totalRecvKiB = 4321;
  // Stretched past what the file accepts by other means than the frame: saved at the largest size it takes.
  app.windowRect = {-100, 0, 4900, 2600};
  Send(WM_CLOSE);
  EXPECT_FALSE(fakewin::WindowExists(app.mainWindow));
  EXPECT_TRUE(fakewin::QuitPosted());
  Bytes file = ReadFile("C:\\Velnorid.qnf");
  ASSERT_EQ(file.size(), 220u);
  EXPECT_EQ(GetU32(file, 20), 4321u);
  EXPECT_EQ(int32_t(GetU32(file, 8)), -100 + 3940);
  EXPECT_EQ(GetU32(file, 12), 2400u);
  app = AppState{};
  StartedAs("C:\\Velnorid.exe");
  LoadSettings();
  EXPECT_EQ(app.totalRecvKiB, 4321u) << "the next start takes the file";
}

TEST_F(MainWindowTest, EndOfSessionDestroysTheWindowAtOnceAndShowsNothing) {
  Create();
  EXPECT_EQ(Send(WM_QUERYENDSESSION), TRUE);
  EXPECT_FALSE(fakewin::WindowExists(app.mainWindow));
  EXPECT_EQ(ReadFile("C:\\Velnorid.qnf").size(), 220u);

  // A forced end sends no query: the end itself saves. A box would hold up either.
  for (UINT message : {WM_QUERYENDSESSION, WM_ENDSESSION}) {
    NextCase();
    Create();
    fakewin::FillDisk(true);
    Send(WM_ENDSESSION, FALSE);  // the end was called off
    EXPECT_TRUE(fakewin::WindowExists(app.mainWindow));
    Send(message, TRUE);
    EXPECT_FALSE(fakewin::WindowExists(app.mainWindow)) << message;
    EXPECT_TRUE(fakewin::Popups().empty()) << message;
  }

  // A logoff while the box at close is open is agreed to; the window, already going, is not
  // destroyed and saved a second time from inside its own WM_DESTROY.
  NextCase();
  Create();
  fakewin::FillDisk(true);
  LRESULT agreed = FALSE;
  fakewin::OnMessageBox([&] {
    fakewin::FillDisk(false);
    agreed = Send(WM_QUERYENDSESSION, TRUE);
  });
  Send(WM_CLOSE);
  EXPECT_EQ(agreed, TRUE);
  EXPECT_EQ(fakewin::Popups().size(), 1u);
  EXPECT_EQ(ReadFile("C:\\Velnorid.qnf").size(), 0u);
}

TEST_F(MainWindowTest, MovesAreCheckedAfterwardsThroughAPostedMessage) {
  Create();
  fakewin::PumpMessages();  // the move made by creation
  SetWindowPos(app.mainWindow, nullptr, -300, 900, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // sends WM_MOVE
  ASSERT_EQ(fakewin::PostedMessages().size(), 1u);
  EXPECT_EQ(fakewin::PostedMessages()[0].message, UM_KEEP_ON_SCREEN);
  fakewin::PumpMessages();
  EXPECT_EQ(app.windowRect.left, -175);  // half its width may hang out
  EXPECT_EQ(app.windowRect.top, 900);
}

TEST_F(MainWindowTest, PaintCopiesToThePaintDeviceContext) {
  Create();
  fakewin::ClearGdiCalls();
  app.frozen = 1;
  Send(WM_PAINT);
  ASSERT_EQ(fakewin::GdiCalls().size(), 1u);
  EXPECT_EQ(fakewin::GdiCalls()[0].name, "BitBlt");
  EXPECT_NE(fakewin::GdiCalls()[0].dc, app.windowDC);
}

}  // namespace
