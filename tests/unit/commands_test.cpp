#include "ui/commands.h"

#include "display/painter.h"
#include "measure/adapters.h"
#include "measure/sampler.h"
#include "res/resource.h"
#include "test_support.h"
#include "ui/main_window.h"

namespace {

class CommandsTest : public WindowTest {
 protected:
  // Runs a picked command a moment after the last input; returns whether it stamped.
  bool Stamped(uint32_t id, bool rightButton = false) {
    app.lastInputTick = 1;
    fakewin::SetTick(++clock);
    Pick(id, rightButton);
    return app.lastInputTick == GetTickCount();
  }
  // Answers the setting dialog with a number and, when asked, a ticked box.
  void AnswerDialog(const char* number, bool tickBox = false) {
    fakewin::OnDialog([=](HWND d) {
      fakewin::TypeInto(d, IDC_VALUE, number);
      if (tickBox) fakewin::ClickCheckBox(d, IDC_FLAG);
      fakewin::PressButton(d, IDOK);
    });
  }
  DWORD clock = 200000;
  void AnswerColour(COLORREF colour) {
    fakewin::OnChooseColor([=](CHOOSECOLORA& c) {
      c.rgbResult = colour;
      return TRUE;
    });
  }
};

TEST_F(CommandsTest, DismissedMenuOnlyStamps) {
  SettingsImage before = app;
  EXPECT_TRUE(Stamped(0));
  EXPECT_EQ(ImageBytes(app), ImageBytes(before));
  EXPECT_TRUE(Stamped(33289));  // not in the resource
}

TEST_F(CommandsTest, OptionsToggleWhateverTheModifier) {
  for (uint32_t id : {IDM_FORCE, IDM_GUIDE, IDM_DIGIT_RIGHT, IDM_EDGE_VERT, IDM_EDGE_HORI, IDM_AUTO_ADAPT}) {
    uint32_t bit = 1u << (id - IDM_TOPMOST);
    for (auto [right, shift] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
      uint32_t before = app.optionFlags;
      Pick(id, right, shift);
      EXPECT_EQ(app.optionFlags, before ^ bit) << id;
    }
  }
}

TEST_F(CommandsTest, TopMostReversesTheRealBand) {
  SetWindowLongPtrA(window, GWL_EXSTYLE, 0x80080);  // taken out of the band by another program
  Pick(IDM_TOPMOST);  // the menu read the real band: the command puts it back
  EXPECT_TRUE(app.optionFlags & OPT_TOPMOST);
  EXPECT_EQ(fakewin::SetWindowPosCalls().back().after, HWND_TOPMOST);
  EXPECT_EQ(fakewin::SetWindowPosCalls().back().flags, SWP_NOMOVE | SWP_NOSIZE);
  Pick(IDM_TOPMOST);
  EXPECT_EQ(fakewin::SetWindowPosCalls().back().after, HWND_NOTOPMOST);
}

TEST_F(CommandsTest, TaskBarChangesTheToolWindowStyle) {
  Pick(IDM_TASKBAR);
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  EXPECT_TRUE(fakewin::WindowVisible(window));
  Pick(IDM_TASKBAR);
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, LONG_PTR(WS_EX_TOOLWINDOW));
}

TEST_F(CommandsTest, ResetWithEachButton) {
  app.totalRecvKiB = 50;
  app.history[95] = 9;
  Pick(IDM_RESET);
  EXPECT_EQ(app.totalRecvKiB, 0u);
  EXPECT_EQ(app.history[95], 9u);  // the graph stays
  EXPECT_NE(MenuText(IDM_RESET), "&R");
  Pick(IDM_RESET, true);
  EXPECT_EQ(app.history[95], 0u);
}

TEST_F(CommandsTest, AdapterChosenAgain) {
  app.sampleCounter = 30;
  app.history[95] = 9;
  Pick(IDM_ADAPTER_BASE + 1);
  EXPECT_EQ(app.sampleCounter, 30u);
  EXPECT_EQ(app.history[95], 9u);
  Pick(IDM_ADAPTER_BASE + 1, true);
  EXPECT_EQ(app.sampleCounter, WARM_UP_START);
  EXPECT_EQ(app.history[95], 0u);
  Pick(IDM_ADAPTER_BASE);  // the loopback row: chosen although it is not listed
  EXPECT_EQ(SelectedRow(), 0u);
  EXPECT_TRUE(Stamped(IDM_ADAPTER_BASE + 7));  // a row that does not exist
  EXPECT_EQ(SelectedRow(), 0u);
}

TEST_F(CommandsTest, RefreshKeepsTheAutomaticPickUpUntilAnAdapterIsOffered) {
  Pick(IDM_REFRESH, true);
  EXPECT_EQ(MenuText(IDM_REFRESH), "&Refresh  2 / 2 items");
  Pick(IDM_REFRESH);
  EXPECT_EQ(MenuText(IDM_REFRESH), "&Refresh  1 / 2 items");

  // The watched adapter went with a device change while the other is still
  // down: the automatic rescan lists nothing and retries. A Refresh with
  // either button keeps the retry; the list the user asked for stays while
  // nothing comes up, and the adapter that comes up is picked and watched.
  app.optionFlags |= OPT_AUTO_ADAPT;
  for (bool rightButton : {false, true}) {
    fakewin::SetInterfaces({fakewin::MakeInterface(1, IF_TYPE_SOFTWARE_LOOPBACK, true, "lo"),
                            fakewin::MakeInterface(2, IF_TYPE_TUNNEL, true, "tun"),
                            fakewin::MakeInterface(3, IF_TYPE_ETHERNET_CSMACD, false, "wifi")});
    app.adapterSlot = NO_ADAPTER;
    Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    for (int i = 0; i < 5; ++i) SampleTick(window, WM_TIMER, SAMPLE_TIMER_ID, 0);
    EXPECT_EQ(app.rescanCountdown, RESCAN_RETRY | RESCAN_PENDING);
    Pick(IDM_REFRESH, rightButton);
    EXPECT_EQ(MenuText(IDM_REFRESH), rightButton ? "&Refresh  2 / 3 items" : "&Refresh  0 / 3 items");
    for (int i = 0; i < 20; ++i) SampleTick(window, WM_TIMER, SAMPLE_TIMER_ID, 0);
    EXPECT_EQ(AdapterItems().size(), rightButton ? 3u : 0u) << "a retry that finds nothing leaves the list alone";
    EXPECT_EQ(app.rescanCountdown & RESCAN_RETRY, RESCAN_RETRY) << rightButton;
    fakewin::Interfaces()[2].dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
    for (int i = 0; i < 5; ++i) SampleTick(window, WM_TIMER, SAMPLE_TIMER_ID, 0);
    EXPECT_EQ(SelectedRow(), 2u) << rightButton;
    EXPECT_EQ(app.rescanCountdown, 0u);
    EXPECT_EQ(MenuText(IDM_REFRESH), "&Refresh  1 / 3 items");
  }
  // A Refresh that offers an adapter ends the pending rescan: the user picks from it.
  Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
  Pick(IDM_REFRESH, true);
  EXPECT_EQ(app.rescanCountdown, 0u);
}

TEST_F(CommandsTest, SettingDialogResults) {
  AnswerDialog("1000");
  EXPECT_TRUE(Stamped(IDM_SET_INTERVAL));  // unchanged: only the stamp
  EXPECT_TRUE(fakewin::TimerCalls().empty());

  AnswerDialog("500");
  EXPECT_TRUE(Stamped(IDM_SET_INTERVAL));
  EXPECT_EQ(app.settings[SET_INTERVAL], 500u);
  EXPECT_EQ(fakewin::TimerCalls().back().period, 500u);  // the interval changed: timer restarted

  AnswerDialog("80", true);  // only the check box changed: a change
  EXPECT_FALSE(Stamped(IDM_SET_OPACITY));
  EXPECT_EQ(app.settings[SET_OPACITY], 80u);
  EXPECT_EQ(fakewin::LayeredCalls().back().alpha, 204);

  AnswerDialog("20", true);
  EXPECT_TRUE(Stamped(IDM_SET_FONT, false));
  EXPECT_EQ(app.settings[SET_FONT], 0x814u);
  EXPECT_EQ(app.logFont.lfHeight, -20);
  EXPECT_EQ(app.logFont.lfWeight, FW_BOLD);

  AnswerDialog("40");
  Pick(IDM_SET_PLOT, true);  // the plot and interval items open the dialog whatever the modifier
  EXPECT_EQ(app.settings[SET_PLOT], 40u);
}

TEST_F(CommandsTest, RightButtonOnFontAndOpacityItems) {
  fakewin::OnDialog([](HWND) { ADD_FAILURE() << "no dialog expected"; });
  fakewin::OnChooseFont([](CHOOSEFONTA&) { return FALSE; });
  EXPECT_FALSE(Stamped(IDM_SET_FONT, true));
  EXPECT_EQ(fakewin::Popups().back().kind, "font");

  EXPECT_FALSE(Stamped(IDM_SET_OPACITY, true));
  EXPECT_EQ(app.settings[SET_OPACITY], 80u);  // the "Trans." flag switched off
  Pick(IDM_SET_OPACITY, true);
  EXPECT_EQ(app.settings[SET_OPACITY], 0x850u);
}

TEST_F(CommandsTest, EveryColourChangeReplacesItsObjectsCleanly) {
  for (uint32_t id = IDM_COLOR_BACK; id <= IDM_COLOR_AVERAGE; ++id) {
    uint32_t index = id - IDM_COLOR_BACK;
    int live = fakewin::LiveGdiObjects();
    AnswerColour(0x010203 * (index + 1));
    bool stamped = Stamped(id);
    EXPECT_EQ(app.colors[index], 0x010203u * (index + 1));
    EXPECT_EQ(stamped, index != 0) << id;  // a new background applies the appearance instead
    EXPECT_EQ(fakewin::LiveGdiObjects(), live) << id;
    EXPECT_EQ(fakewin::SelectedObjectDeletions(), 0) << id;
    if (index >= 1 && index <= 4) EXPECT_EQ(fakewin::ObjectValue(app.gdiTable[GDI_PENS + index - 1]), LONG(app.colors[index]));
  }
  EXPECT_EQ(fakewin::ObjectValue(app.gdiTable[GDI_BACK_BRUSH]), 0x010203);
  EXPECT_EQ(fakewin::LayeredCalls().back().key, 0x010203u);  // the colour key moved with the background
  EXPECT_EQ(fakewin::SelectedObject(app.memoryDC, "pen"), app.gdiTable[GDI_PENS + 1]);
}

TEST_F(CommandsTest, ColourPickedAgainOrCancelledOnlyStamps) {
  int live = fakewin::LiveGdiObjects();
  AnswerColour(app.colors[2]);
  EXPECT_TRUE(Stamped(IDM_COLOR_SEND_GRAPH));
  EXPECT_EQ(app.pendingSelect, 0u);
  fakewin::OnChooseColor(nullptr);
  EXPECT_TRUE(Stamped(IDM_COLOR_BACK));
  EXPECT_EQ(fakewin::LiveGdiObjects(), live);
}

TEST_F(CommandsTest, FontPickedTwiceWhileFrozenLeaksNothing) {
  app.frozen = 1;
  int live = fakewin::LiveGdiObjects();
  for (LONG height : {-12, -14}) {
    fakewin::OnChooseFont([=](CHOOSEFONTA& f) {
      f.lpLogFont->lfHeight = height;
      return TRUE;
    });
    Pick(IDM_SET_FONT, true);
  }
  AnswerColour(0x123456);
  Pick(IDM_COLOR_SEND_GRAPH);  // a pen request after the font requests
  EXPECT_EQ(fakewin::LiveGdiObjects(), live);
  EXPECT_EQ(fakewin::SelectedObject(app.memoryDC, "font"), app.gdiTable[GDI_FONT]);
  EXPECT_EQ(fakewin::ObjectValue(app.gdiTable[GDI_FONT]), -14);
}

TEST_F(CommandsTest, CopyFlashesOnlyALiveDisplay) {
  auto polylines = [] {
    int lines = 0;
    for (const auto& c : fakewin::GdiCalls()) lines += c.name == "Polyline";
    fakewin::ClearGdiCalls();
    return lines;
  };
  Pick(IDM_COPY);
  EXPECT_TRUE(fakewin::ClipboardHas(CF_TEXT));
  fakewin::ClearGdiCalls();
  PaintAll(PAINT_NORMAL);
  int plain = polylines();
  Pick(IDM_COPY);
  EXPECT_EQ(polylines(), plain + 1);  // a full paint with the slash

  app.frozen = 1;
  fakewin::ClearGdiCalls();
  Pick(IDM_COPY);
  EXPECT_TRUE(fakewin::GdiCalls().empty());
}

TEST_F(CommandsTest, VersionShowsAboutUnlessTheHelpOpens) {
  Pick(IDM_VERSION);
  EXPECT_EQ(fakewin::Popups().back().kind, "message");
  size_t boxes = fakewin::Popups().size();
  Pick(IDM_VERSION, true);  // no help file: the About box instead
  EXPECT_EQ(fakewin::Popups().size(), boxes + 1);
  EXPECT_EQ(fakewin::ShellOpened().back(), "C:\\Tools\\Velnorid.chm");
  fakewin::SetShellResult(42);
  Pick(IDM_VERSION, true);
  EXPECT_EQ(fakewin::Popups().size(), boxes + 1);
}

TEST_F(CommandsTest, ExitClosesAndSaves) {
  Pick(IDM_EXIT, true);
  fakewin::PumpMessages();
  EXPECT_FALSE(fakewin::WindowExists(window));
  EXPECT_EQ(GetU32(ReadFile("C:\\Tools\\Velnorid.qnf"), 32), MODE_ACTIVE | MODE_COLORKEY);
}

}  // namespace
