#include "app/program_path.h"

#include <string>

#include "test_support.h"

namespace {

using ProgramPathTest = ProgramTest;

// The program path as the command line gives it, up to the end of ".exe".
std::string Located(const char* commandLine) {
  fakewin::SetCommandLine(commandLine);
  if (!LocateProgramPath(GetCommandLineA())) return "(none)";
  return std::string(app.exePath, app.extPtr + 3);
}

TEST_F(ProgramPathTest, FindsTheFirstDotExeThatEndsAWord) {
  EXPECT_EQ(Located("C:\\TOOLS\\GRAPH.EXE"), "C:\\TOOLS\\GRAPH.EXE");
  EXPECT_EQ(Located("\"C:\\My Tools\\graph.exe\" /r"), "C:\\My Tools\\graph.exe");
  EXPECT_EQ(Located("graph.ExE /ad"), "graph.ExE");
  EXPECT_EQ(Located("C:\\tools.exed\\graph.exe"), "C:\\tools.exed\\graph.exe");
  EXPECT_EQ(Located("x.exe\x02y"), "x.exe");
  EXPECT_EQ(Located("graph /r"), "(none)");
  EXPECT_EQ(Located("graph.ex"), "(none)");
  EXPECT_EQ(Located("graph.exf"), "(none)");
  EXPECT_EQ(Located(""), "(none)");
  EXPECT_EQ(Located("\""), "(none)");
}

TEST_F(ProgramPathTest, ExtensionIsWrittenInPlaceAndCutsTheRest) {
  fakewin::SetCommandLine("\"C:\\x\\Graph.EXE\" /D:\\cfg\\a.qnf");
  ASSERT_TRUE(LocateProgramPath(GetCommandLineA()));
  EXPECT_STREQ(ProgramPathWithExtension("chm"), "C:\\x\\Graph.chm");
  EXPECT_STREQ(ProgramPathWithExtension("qnf"), "C:\\x\\Graph.qnf");
  EXPECT_EQ(app.exePath, GetCommandLineA() + 1);
}

}  // namespace
