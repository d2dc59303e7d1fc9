// Shared set-up for host tests: a fresh AppState, a fresh fake Win32 and a
// private folder that stands for the Windows file system.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"

using Bytes = std::vector<uint8_t>;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // For a test that runs its cases in a loop: ends the case before, with its
  // checks and without its folder, and gives the next one a fresh start.
  void NextCase();

  // Gives the program the command line it would have been started with, and the
  // system's name of its file: the command line's program, as a shortcut gives it.
  void StartedAs(const char* commandLine, const char* system = nullptr);

  void WriteFile(const char* windowsName, const Bytes& bytes);
  Bytes ReadFile(const char* windowsName);
  bool FileExists(const char* windowsName);
  void MakeReadOnly(const char* windowsName);
  void MakeFolder(const char* windowsName);

  // The program's menus, loaded from its resource script as start-up loads them.
  void LoadMenus();
  // The text of the menu item with this command id, "" when there is none.
  std::string MenuText(uint32_t id);
  // The adapter submenu's items after the refresh item and the separator.
  std::vector<fakewin::MenuItem> AdapterItems();

  std::string folder;
};

// The bytes of a settings image, and little-endian access to them by offset.
Bytes ImageBytes(const SettingsImage& image);
void PutU32(Bytes& bytes, size_t offset, uint32_t value);
uint32_t GetU32(const Bytes& bytes, size_t offset);

// A program that has started: drawing objects, menus, one adapter, and the
// main window made by its own procedure, as start-up leaves them.
class WindowTest : public ProgramTest {
 protected:
  void SetUp() override;
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Picks a command from the main popup as the user would: the script of the
  // tracked menu returns it, with Shift or the right button as asked.
  void Pick(uint32_t id, bool rightButton = false, bool shift = false, WPARAM selector = 1);
  HWND window = nullptr;
};
