#include "ui/dialogs.h"

#include "app/program_path.h"
#include "display/painter.h"
#include "res/resource.h"
#include "app/texts.h"
#include "test_support.h"
#include "ui/main_window.h"

namespace {

class DialogsTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fakewin::AddMonitor({0, 0, 1920, 1080}, {0, 0, 1920, 1040});
    app.appIcon = reinterpret_cast<HICON>(0x4242);
    WNDCLASSA c{};
    c.lpfnWndProc = MainWndProc;
    c.lpszClassName = programName;
    RegisterClassA(&c);
    app.mainWindow = CreateWindowExA(0, programName, programName, WS_POPUP, 100, 200, 350, 200, nullptr, nullptr,
                                     nullptr, nullptr);
    fakewin::PumpMessages();
    ASSERT_EQ(app.windowRect.left, 100);
    owner = app.mainWindow;
  }
  // Runs the setting dialog for index with the given value, playing script in it.
  int32_t Dialog(uint32_t index, uint32_t value, std::function<void(HWND)> script) {
    app.settings[index] = value;
    fakewin::OnDialog(std::move(script));
    return RunSettingDialog(owner, index);
  }
  // The number the dialog shows after typing text and pressing the arrows.
  std::string AfterSpins(uint32_t index, const char* typed, std::vector<int> deltas) {
    std::string shown;
    Dialog(index, settingRanges[index].min, [&](HWND d) {
      fakewin::TypeInto(d, IDC_VALUE, typed);
      for (int delta : deltas) fakewin::Spin(d, IDC_SPIN, delta);
      shown = fakewin::WindowText(GetDlgItem(d, IDC_VALUE));
      fakewin::PressButton(d, IDCANCEL);
    });
    return shown;
  }
  HWND owner;
};

constexpr int UP = -1, DOWN = 1;  // the up-down control's default range runs from 100 down to 0

TEST_F(DialogsTest, ArrowsStepWithinTheRange) {
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "80", {DOWN}), "80");
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "90", {DOWN}), "80");
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "995", {UP}), "1000");
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "1000", {UP}), "1000");
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "5", {DOWN}), "80");
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "5000", {DOWN}), "1000");
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "5000", {UP}), "1000");
  EXPECT_EQ(AfterSpins(SET_INTERVAL, "0", {UP}), "80");
  EXPECT_EQ(AfterSpins(SET_PLOT, "8", {UP}), "9");
  EXPECT_EQ(AfterSpins(SET_OPACITY, "100", {DOWN}), "99");
  EXPECT_EQ(AfterSpins(SET_FONT, "20", {-5}), "25");  // an accelerated step
  EXPECT_EQ(AfterSpins(SET_FONT, "4294967295", {DOWN}), "33");
}

TEST_F(DialogsTest, OkChecksTheRangeAndAddsTheFlag) {
  int beeps = fakewin::BeepCount();
  EXPECT_EQ(Dialog(SET_INTERVAL, 1000, [](HWND d) {
              fakewin::TypeInto(d, IDC_VALUE, "79");
              EXPECT_EQ(fakewin::PressButton(d, IDOK), FALSE);  // stays open
              EXPECT_EQ(fakewin::FocusedWindow(), GetDlgItem(d, IDC_VALUE));
              fakewin::PressButton(d, IDCANCEL);
            }),
            0);
  EXPECT_EQ(fakewin::BeepCount(), beeps + 1);

  EXPECT_EQ(Dialog(SET_INTERVAL, 500, [](HWND d) {
              fakewin::TypeInto(d, IDC_VALUE, "1000");
              fakewin::PressButton(d, IDOK);
            }),
            1000);
  EXPECT_EQ(Dialog(SET_FONT, 17, [](HWND d) {
              fakewin::TypeInto(d, IDC_VALUE, "20");
              fakewin::ClickCheckBox(d, IDC_FLAG);
              fakewin::PressButton(d, IDOK);
            }),
            0x814);
  EXPECT_EQ(Dialog(SET_PLOT, 32, [](HWND d) {
              fakewin::TypeInto(d, IDC_VALUE, "");
              fakewin::PressButton(d, IDOK);  // empty counts as 0: refused
              fakewin::PressButton(d, IDCANCEL);
            }),
            0);
}

TEST_F(DialogsTest, CheckBoxAndPromptFollowTheSetting) {
  struct {
    uint32_t index, value;
    bool visible, checked;
    const char *label, *prompt;
  } cases[] = {
      {SET_INTERVAL, 1000, false, false, "Trans.", "測定インターバルを指定して下さい。\r\n80 ～ 1000 ms の間です。"},
      {SET_PLOT, 32, false, false, "Trans.", "グラフプロット数を指定して下さい。\r\n8 ～ 96 点 の間です。"},
      {SET_FONT, 0x811, true, true, "Bold", "フォント高さを ピクセルで入れて下さい。\r\n7 ～ 33 px の間です。"},
      {SET_OPACITY, 80, true, false, "Trans.", "フォームj明瞭度を入れて下さい。\r\n10 ～ 100 % の間です。"},
  };
  for (auto& c : cases) {
    Dialog(c.index, c.value, [&](HWND d) {
      HWND flag = GetDlgItem(d, IDC_FLAG);
      EXPECT_EQ(fakewin::WindowVisible(flag), c.visible) << c.index;
      EXPECT_EQ(SendMessageA(flag, BM_GETCHECK, 0, 0) == BST_CHECKED, c.checked) << c.index;
      EXPECT_EQ(fakewin::WindowText(flag), c.label);
      EXPECT_EQ(fakewin::WindowText(GetDlgItem(d, IDC_VALUE)), std::to_string(c.value & 0x7FF));
      EXPECT_EQ(fakewin::WindowIcon(d), app.appIcon);
      fakewin::PressButton(d, IDOK);
    });
    // Shown through the wide calls: the Japanese text, whatever the system's code page.
    EXPECT_EQ(fakewin::Popups().back().text, c.prompt);
    EXPECT_EQ(fakewin::Popups().back().caption, "Enter Setting");
  }
}

TEST_F(DialogsTest, FontFromTheSettingWord) {
  app.settings[SET_FONT] = 0x811;
  int live = fakewin::LiveGdiObjects();
  ApplyFont(FONT_FROM_SETTING);
  EXPECT_EQ(app.logFont.lfHeight, -17);
  EXPECT_EQ(app.logFont.lfWeight, FW_BOLD);
  EXPECT_EQ(app.settings[SET_FONT], 0x811u);
  EXPECT_EQ(app.pendingSelect, PENDING_FONT_SWAP);
  EXPECT_EQ(fakewin::ObjectValue(app.gdiTable[GDI_FONT]), -17);
  EXPECT_EQ(fakewin::LiveGdiObjects(), live + 1);
}

TEST_F(DialogsTest, FontPickerChangesOnlyForADifferentFont) {
  ApplyFont(FONT_FROM_LOGFONT);
  HGDIOBJ font = app.gdiTable[GDI_FONT];
  app.pendingSelect = 0;
  fakewin::OnChooseFont([](CHOOSEFONTA& f) {
    EXPECT_EQ(f.Flags, FONT_PICKER_FLAGS);
    EXPECT_EQ(f.nSizeMin, 7);
    EXPECT_EQ(f.nSizeMax, 20);
    f.lpLogFont->lfFaceName[20] = 'x';  // after the face name's end: not compared
    return TRUE;
  });
  ApplyFont(UINT_PTR(owner));
  EXPECT_EQ(app.gdiTable[GDI_FONT], font);
  EXPECT_EQ(app.pendingSelect, 0u);
  EXPECT_EQ(fakewin::Popups().back().caption, "Select Font");
  EXPECT_EQ(fakewin::Popups().back().icon, app.appIcon);

  fakewin::OnChooseFont([](CHOOSEFONTA& f) {
    f.lpLogFont->lfWeight = 600;
    f.lpLogFont->lfHeight = -13;
    return TRUE;
  });
  ApplyFont(UINT_PTR(owner));
  EXPECT_NE(app.gdiTable[GDI_FONT], font);
  EXPECT_EQ(app.settings[SET_FONT], SETTING_FLAG | 13);
  EXPECT_EQ(app.pendingSelect, PENDING_FONT_SWAP);

  fakewin::OnChooseFont([](CHOOSEFONTA& f) {
    f.lpLogFont->lfWeight = 900;
    return FALSE;  // cancelled
  });
  ApplyFont(UINT_PTR(owner));
  EXPECT_EQ(app.logFont.lfWeight, 600);
}

TEST_F(DialogsTest, ColourPickerIsCaptionedAndReturnsTheChoice) {
  fakewin::OnChooseColor([](CHOOSECOLORA& c) {
    EXPECT_EQ(c.rgbResult, 0xFFC864u);
    EXPECT_EQ(c.lpCustColors, app.customColors);
    EXPECT_EQ(c.Flags, CC_RGBINIT | CC_FULLOPEN);
    c.rgbResult = 0x123456;
    return TRUE;
  });
  EXPECT_EQ(PickColor(0xFFC864, 3), 0x123456);
  EXPECT_EQ(fakewin::Popups().back().caption, "Send Graph");
  EXPECT_EQ(fakewin::Popups().back().icon, app.appIcon);
  fakewin::OnChooseColor(nullptr);
  EXPECT_EQ(PickColor(0xFFC864, 3), -1);
}

TEST_F(DialogsTest, AboutBoxSitsBesideTheWindowAndNamesTheSettingsFile) {
  ShowAbout(owner);
  const auto& box = fakewin::Popups().back();
  EXPECT_EQ(box.caption, std::string("Velnorid ") + programVersion);
  EXPECT_EQ(box.text, "LAN Speed をグラフ表示します。\r\n2025/08/30 Murvantile");
  EXPECT_EQ(box.type, MB_SYSTEMMODAL | MB_ICONINFORMATION);
  EXPECT_EQ(box.rect.left, 103);
  EXPECT_EQ(box.rect.top, 205);
  EXPECT_EQ(box.icon, app.appIcon);

  // Without code page 932 the text shows as its bytes, never as a buffer left unwritten.
  fakewin::RemoveShiftJis(true);
  ShowAbout(owner);
  EXPECT_EQ(fakewin::Popups().back().text, aboutText);
  fakewin::RemoveShiftJis(false);

  char path[] = "D:\\cfg\\a.qnf";
  app.cmdSettingsPath = path;
  app.windowRect = {1800, 1000, 2100, 1200};  // the box is kept on screen
  ShowAbout(owner);
  EXPECT_EQ(fakewin::Popups().back().text, "D:\\cfg\\a.qnf");
  EXPECT_EQ(fakewin::Popups().back().rect.right, 1920);
  EXPECT_EQ(fakewin::Popups().back().rect.bottom, 1040);

  std::string longPath = "D:\\" + std::string(300, 'p') + ".qnf";  // beyond MAX_PATH: shown whole
  app.cmdSettingsPath = longPath.data();
  ShowAbout(owner);
  EXPECT_EQ(fakewin::Popups().back().text, longPath);
  EXPECT_EQ(fakewin::Popups().back().caption, std::string("Velnorid ") + programVersion);
}

TEST_F(DialogsTest, HelpIsTheProgramPathWithChm) {
  StartedAs("\"C:\\Tools\\Velnorid.exe\" /C:\\x.qnf");
  fakewin::SetShellResult(42);
  EXPECT_EQ(OpenHelp(), 42u);
  EXPECT_EQ(fakewin::ShellOpened().back(), "C:\\Tools\\Velnorid.chm");
}

TEST_F(DialogsTest, DressingWithNoPopupOpenDoesNothing) {
  MainWndProc(owner, UM_DRESS_POPUP, 0, 3);
  EXPECT_EQ(fakewin::WindowIcon(owner), nullptr);
  EXPECT_EQ(fakewin::WindowText(owner), "Velnorid");
}

}  // namespace
