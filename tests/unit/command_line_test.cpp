#include "app/command_line.h"

#include "app/start_flags.h"
#include "test_support.h"

namespace {

class CommandLineTest : public ProgramTest {
 protected:
  // Reads a command line; returns the flags, or 0xFFFF when it names no program.
  uint32_t Flags(const char* text, uint32_t held = 0) {
    fakewin::SetCommandLine(text);
    uint32_t flags = held;
    app.cmdSettingsPath = nullptr;
    if (!ReadCommandLine(GetCommandLineA(), flags)) return 0xFFFF;
    if (app.cmdSettingsPath) CutSettingsPath();
    return flags;
  }
  std::string Path() { return app.cmdSettingsPath ? app.cmdSettingsPath : "(none)"; }
};

TEST_F(CommandLineTest, LettersAfterASlashToggleTheirFlags) {
  EXPECT_EQ(Flags("\"C:\\My Tools\\graph.exe\" /r"), START_RESET);
  EXPECT_EQ(Flags("graph.exe /ad"), START_ALL_ADAPTERS | START_DUPLICATE);
  EXPECT_EQ(Flags("graph.exe /d"), START_DUPLICATE);
  EXPECT_EQ(Flags("graph.exe /dD"), 0u);
  EXPECT_EQ(Flags("graph.exe /v /T /j /E"), START_NO_DPI | START_COLORKEY | START_PLAIN | START_DAILY_RESET);
  EXPECT_EQ(Flags("graph.exe -r"), 0u);  // only '/' opens a group
  EXPECT_EQ(Flags("graph.exe /rx r"), START_RESET);  // x ends the group; the later r is outside
  EXPECT_EQ(Flags("graph.exe /r/r"), 0u);             // a '/' ending a group opens the next at once
  EXPECT_EQ(Flags("graph.exe /\"r\""), START_RESET);  // quotes inside a group are skipped
  EXPECT_EQ(Path(), "(none)");
}

TEST_F(CommandLineTest, LettersCancelKeysHeldAtLaunch) {
  EXPECT_EQ(Flags("graph.exe /d", START_DUPLICATE), 0u);
  EXPECT_EQ(Flags("graph.exe", START_DUPLICATE | START_RESET), START_DUPLICATE | START_RESET);
  EXPECT_EQ(Flags("graph.exe /v", START_NO_DPI), 0u);
}

TEST_F(CommandLineTest, SettingsPathsByDriveOrNetwork) {
  EXPECT_EQ(Flags("graph.exe /D:\\cfg\\a.qnf"), 0u);  // a path, not the letter D
  EXPECT_EQ(Path(), "D:\\cfg\\a.qnf");
  EXPECT_EQ(Flags("graph.exe /C:\\cfg\\a.qnf /r"), START_RESET);
  EXPECT_EQ(Path(), "C:\\cfg\\a.qnf");  // cut at the next '/', trailing blank removed
  EXPECT_EQ(Flags("graph.exe /\"C:\\My Files\\work.qnf\" /t"), START_COLORKEY);
  EXPECT_EQ(Path(), "C:\\My Files\\work.qnf");
  EXPECT_EQ(Flags("graph.exe /\\\\server\\share\\v.qnf"), 0u);
  EXPECT_EQ(Path(), "\\\\server\\share\\v.qnf");
  EXPECT_EQ(Flags("graph.exe /A:\\a.qnf /B:\\b.qnf"), 0u);  // a later path replaces an earlier one
  EXPECT_EQ(Path(), "B:\\b.qnf");
  EXPECT_EQ(Flags("graph.exe /rC:\\x.qnf"), START_RESET);
  EXPECT_EQ(Path(), "C:\\x.qnf");
}

TEST_F(CommandLineTest, WithoutProgramExtensionThePathComesFromTheSystem) {
  // Typed at a prompt: the options follow the program's name as typed, even one with a slash in it.
  EXPECT_EQ(Flags("C:/Tools/graph /r"), START_RESET);
  EXPECT_EQ(Flags("\"C:/My Tools/graph\" /t/r"), START_COLORKEY | START_RESET);
  EXPECT_EQ(Flags("graph"), 0u);
  EXPECT_EQ(Flags("C:\\tools.exed\\graph.exe /r"), START_RESET);
  EXPECT_STREQ(app.exePath, "C:\\Tools\\Velnorid.exe");  // the system's name wins even so
  fakewin::SetModuleFileName("");
  EXPECT_EQ(Flags("graph /r"), 0xFFFFu);
}

TEST_F(CommandLineTest, EndsOfTextAreNeverReadPast) {
  EXPECT_EQ(Flags("graph.exe /"), 0u);
  EXPECT_EQ(Flags("graph.exe /C"), 0u);
  EXPECT_EQ(Flags("graph.exe /C:"), 0u);
  EXPECT_EQ(Flags("graph.exe /\\"), 0u);
  EXPECT_EQ(Flags("graph.exe /C:\\"), 0u);
  EXPECT_EQ(Path(), "C:\\");
  EXPECT_EQ(Flags("graph.exe /C:\\\"  \""), 0u);
  EXPECT_EQ(Path(), "C:\\");
}

}  // namespace
