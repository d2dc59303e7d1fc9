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
  // Without ".exe" the system's name of the program's file, up to its last dot.
  fakewin::SetModuleFileName("C:\\My.exe Tools\\Velnorid.EXE");
  for (const char* typed : {"graph /r", "graph.ex", "graph.exf", "", "\""})
    EXPECT_EQ(Located(typed), "C:\\My.exe Tools\\Velnorid.EXE") << typed;
  EXPECT_STREQ(ProgramPathWithExtension("qnf"), "C:\\My.exe Tools\\Velnorid.qnf");
  EXPECT_STREQ(GetCommandLineA(), "\"");  // the command line is left as it was
  for (const std::string& system : {std::string("C:\\Tools\\Velnorid"), std::string("C:\\Tools\\Velnorid.exe.bak"),
                                    std::string(), std::string(MAX_PATH, 'x').append(".exe")}) {
    fakewin::SetModuleFileName(system.c_str());
    EXPECT_EQ(Located("graph /r"), "(none)") << system;
  }
}

TEST_F(ProgramPathTest, ExtensionIsWrittenInPlaceAndCutsTheRest) {
  fakewin::SetCommandLine("\"C:\\x\\Graph.EXE\" /D:\\cfg\\a.qnf");
  ASSERT_TRUE(LocateProgramPath(GetCommandLineA()));
  EXPECT_STREQ(ProgramPathWithExtension("chm"), "C:\\x\\Graph.chm");
  EXPECT_STREQ(ProgramPathWithExtension("qnf"), "C:\\x\\Graph.qnf");
  EXPECT_EQ(app.exePath, GetCommandLineA() + 1);
}

}  // namespace
