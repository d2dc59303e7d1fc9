#include "test_support.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/program_path.h"
#include "app/startup.h"
#include "measure/adapters.h"
#include "res/resource.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"

namespace fs = std::filesystem;

void ProgramTest::SetUp() {
  app = AppState{};
  fakewin::Reset();
  char pattern[] = "/tmp/velnorid-test-XXXXXX";
  folder = mkdtemp(pattern);
  fakewin::SetFileRoot(folder.c_str());
}

void ProgramTest::TearDown() {
  EXPECT_EQ(fakewin::SelectedObjectDeletions(), 0) << "a drawing object was deleted while selected";
  fakewin::Reset();
  fs::remove_all(folder);
}

void ProgramTest::NextCase() {
  TearDown();
  SetUp();
}

void ProgramTest::StartedAs(const char* commandLine, const char* system) {
  bool quoted = commandLine[0] == '"';
  std::string program = commandLine + quoted;
  fakewin::SetModuleFileName(system ? system : program.substr(0, program.find(quoted ? '"' : ' ')).c_str());
  fakewin::SetCommandLine(commandLine);
  ASSERT_TRUE(LocateProgramPath(GetCommandLineA()));
}

void ProgramTest::WriteFile(const char* windowsName, const Bytes& bytes) {
  fs::path path = fakewin::HostPath(windowsName);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes ProgramTest::ReadFile(const char* windowsName) {
  std::ifstream in(fakewin::HostPath(windowsName), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool ProgramTest::FileExists(const char* windowsName) { return fs::exists(fakewin::HostPath(windowsName)); }

void ProgramTest::MakeFolder(const char* windowsName) { fs::create_directories(fakewin::HostPath(windowsName)); }

void ProgramTest::MakeReadOnly(const char* windowsName) { chmod(fakewin::HostPath(windowsName), 0444); }

Bytes ImageBytes(const SettingsImage& image) {
  Bytes bytes(sizeof image);
  memcpy(bytes.data(), &image, sizeof image);
  return bytes;
}

void PutU32(Bytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = uint8_t(value >> (8 * i));
}

uint32_t GetU32(const Bytes& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t(bytes.at(offset + i)) << (8 * i);
  return value;
}

void ProgramTest::LoadMenus() {
  ::LoadMenus(GetModuleHandleA(nullptr));
  ASSERT_NE(app.adapterMenu, nullptr);
  ASSERT_NE(app.settingMenu, nullptr);
}

std::string ProgramTest::MenuText(uint32_t id) {
  const fakewin::MenuItem* item = fakewin::FindMenuItem(app.menuBar, id);
  return item ? item->text : "";
}

std::vector<fakewin::MenuItem> ProgramTest::AdapterItems() {
  auto items = fakewin::MenuItems(app.adapterMenu);
  return items.size() > 3 ? std::vector<fakewin::MenuItem>(items.begin() + 3, items.end())
                          : std::vector<fakewin::MenuItem>{};
}

void WindowTest::SetUp() {
  ProgramTest::SetUp();
  StartedAs("C:\\Tools\\Velnorid.exe");
  MakeFolder("C:\\Tools");
  fakewin::AddMonitor({0, 0, 1920, 1080}, {0, 0, 1920, 1040});
  fakewin::SetTick(100000);
  fakewin::SetInterfaces({fakewin::MakeInterface(1, IF_TYPE_SOFTWARE_LOOPBACK, true, "lo"),
                          fakewin::MakeInterface(2, IF_TYPE_ETHERNET_CSMACD, true, "eth")});
  ASSERT_TRUE(CreateEverything(0));  // the class, the menus and the window that start-up makes
  window = app.mainWindow;
  fakewin::PumpMessages();
}

LRESULT WindowTest::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return MainWndProc(window, message, wParam, lParam);
}

void WindowTest::Pick(uint32_t id, bool rightButton, bool shift, WPARAM selector) {
  fakewin::HoldKey(VK_SHIFT, shift);
  fakewin::OnTrackPopupMenu([=](HMENU, HWND) {
    if (rightButton) fakewin::TapKey(VK_RBUTTON);
    return UINT(id);
  });
  Send(WM_NCRBUTTONUP, selector);
  fakewin::HoldKey(VK_SHIFT, false);
}
