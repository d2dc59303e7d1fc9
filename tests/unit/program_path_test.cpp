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

TEST_F(ProgramPathTest, TheSystemNamesTheProgramWhateverTheCommandLine) {
  // Typed at a prompt from PATH (no folder, or no ".exe"), or as a shortcut gives it: the
  // system's name of the program's file, up to its last dot.
  fakewin::SetModuleFileName("C:\\My.exe Tools\\Velnorid.EXE");
  for (const char* typed : {"Velnorid.exe /r", "Velnorid", "graph /r", "graph.ex", "graph.exf", "", "\"",
                            "\"C:\\My.exe Tools\\Velnorid.EXE\" /r"})
    EXPECT_EQ(Located(typed), "C:\\My.exe Tools\\Velnorid.EXE") << typed;
  EXPECT_STREQ(ProgramPathWithExtension("qnf"), "C:\\My.exe Tools\\Velnorid.qnf");
  EXPECT_STREQ(GetCommandLineA(), "\"C:\\My.exe Tools\\Velnorid.EXE\" /r");  // left as it was
  // A system's name cut short or without ".exe": the first ".exe" that ends a word on the command line.
  for (const std::string& system : {std::string("C:\\Tools\\Velnorid"), std::string("C:\\Tools\\Velnorid.exe.bak"),
                                    std::string(), std::string(MAX_PATH, 'x').append(".exe")}) {
    fakewin::SetModuleFileName(system.c_str());
    EXPECT_EQ(Located("graph /r"), "(none)") << system;
    EXPECT_EQ(Located("C:\\TOOLS\\GRAPH.EXE"), "C:\\TOOLS\\GRAPH.EXE");
    EXPECT_EQ(Located("\"C:\\My Tools\\graph.exe\" /r"), "C:\\My Tools\\graph.exe");
    EXPECT_EQ(Located("graph.ExE /ad"), "graph.ExE");
    EXPECT_EQ(Located("C:\\tools.exed\\graph.exe"), "C:\\tools.exed\\graph.exe");
    EXPECT_EQ(Located("x.exe\x02y"), "x.exe");
  }
}

TEST_F(ProgramPathTest, ExtensionIsWrittenInPlaceAndLeavesTheCommandLine) {
  fakewin::SetModuleFileName("C:\\x\\Graph.EXE");
  fakewin::SetCommandLine("\"C:\\x\\Graph.EXE\" /D:\\cfg\\a.qnf");
  ASSERT_TRUE(LocateProgramPath(GetCommandLineA()));
  EXPECT_STREQ(ProgramPathWithExtension("chm"), "C:\\x\\Graph.chm");
  EXPECT_STREQ(ProgramPathWithExtension("qnf"), "C:\\x\\Graph.qnf");
  EXPECT_STREQ(GetCommandLineA(), "\"C:\\x\\Graph.EXE\" /D:\\cfg\\a.qnf");
}

}  // namespace
