#include "app/settings_file.h"

#include <cstring>

#include "app/texts.h"
#include "test_support.h"

namespace {

constexpr char PROGRAM[] = "C:\\TOOLS\\GRAPH.EXE";
constexpr char SETTINGS[] = "C:\\TOOLS\\GRAPH.qnf";

class SettingsFileTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartedAs(PROGRAM);
    MakeFolder("C:\\TOOLS");
  }
  // A file that differs from the defaults in a field after the header, so a
  // test can tell whether the file was taken.
  Bytes MarkedFile() {
    Bytes bytes = ImageBytes(SettingsImage{});
    PutU32(bytes, 20, 1234);  // totalRecvKiB
    return bytes;
  }
  bool Loaded(const Bytes& file) {
    app = AppState{};
    StartedAs(PROGRAM);
    WriteFile(SETTINGS, file);
    LoadSettings();
    return app.totalRecvKiB == 1234;
  }
};

TEST_F(SettingsFileTest, FirstStartKeepsDefaultsAndSavesThemAtFixedOffsets) {
  LoadSettings();
  EXPECT_EQ(ImageBytes(app), ImageBytes(SettingsImage{}));
  EXPECT_FALSE(FileExists(SETTINGS));

  SaveSettings();
  Bytes file = ReadFile(SETTINGS);
  ASSERT_EQ(file.size(), 220u);
  // The file format, byte for byte where it matters to other programs.
  EXPECT_EQ(GetU32(file, 0), 10u);
  EXPECT_EQ(GetU32(file, 8), 360u);
  EXPECT_EQ(GetU32(file, 12), 210u);
  EXPECT_EQ(GetU32(file, 16), 0x2Du);
  EXPECT_EQ(GetU32(file, 32), 1u);
  EXPECT_EQ(GetU32(file, 36), 127u);
  EXPECT_EQ(GetU32(file, 44), 1000u);
  EXPECT_EQ(GetU32(file, 48), 32u);
  EXPECT_EQ(GetU32(file, 52), 17u);
  EXPECT_EQ(GetU32(file, 56), 0x850u);
  EXPECT_EQ(GetU32(file, 60), 0x363636u);
  EXPECT_EQ(GetU32(file, 88), 0x306CFFu);       // peak text
  EXPECT_EQ(GetU32(file, 92), 0x00FFFFu);        // average text, the ninth colour
  EXPECT_EQ(GetU32(file, 96), 0x32FF64u);        // first custom colour
  EXPECT_EQ(GetU32(file, 124), 0x00FFFFu);       // eighth custom colour
  EXPECT_EQ(GetU32(file, 128), 0u);              // ninth custom colour
  EXPECT_EQ(GetU32(file, 160), uint32_t(-17));  // lfHeight
  EXPECT_EQ(GetU32(file, 176), 400u);            // lfWeight
  EXPECT_EQ(file[184], 3);
  EXPECT_EQ(file[187], 0x31);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&file[188])), "MS Gothic");
  EXPECT_EQ(file[219], 0);
  app.totalRecvKiB = 77;  // the file made is this run's: saved again, not taken for one that appeared
  SaveSettings();
  EXPECT_EQ(GetU32(ReadFile(SETTINGS), 20), 77u);
}

TEST_F(SettingsFileTest, FileNameFollowsProgramWithLowerCaseExtension) {
  EXPECT_STREQ(SettingsFileName(), SETTINGS);
  StartedAs("\"D:\\Apps\\net.Exe\" /r /t");
  EXPECT_STREQ(SettingsFileName(), "D:\\Apps\\net.qnf");
  StartedAs("graph.exe");
  EXPECT_STREQ(SettingsFileName(), "graph.qnf");
  StartedAs("Velnorid.exe /r", "C:\\Tools\\Velnorid.exe");  // typed at a prompt from PATH
  EXPECT_STREQ(SettingsFileName(), "C:\\Tools\\Velnorid.qnf");
}

TEST_F(SettingsFileTest, HeaderLimitsDecideWhetherTheFileIsTaken) {
  struct Case {
    int32_t left, top, right, bottom;
    uint32_t optionFlags;
    bool taken;
  } cases[] = {
      {10, 10, 360, 210, 255, true},      {10, 10, 360, 210, 256, false},
      {0, 0, 3940, 2400, 0x2D, true},     {0, 0, 3941, 2400, 0x2D, false},
      {0, 0, 3940, 2401, 0x2D, false},    {100, 0, 99, 50, 0x2D, false},
      {0, 100, 50, 99, 0x2D, false},      {5, 5, 5, 5, 0x2D, true},
      {-500, -300, -200, -100, 0x2D, true}, {-3000, 0, 940, 10, 0x2D, true},
      {0, 0, 10, 10, 0xFFFFFFFF, false},
  };
  for (const Case& c : cases) {
    Bytes file = MarkedFile();
    PutU32(file, 0, c.left);
    PutU32(file, 4, c.top);
    PutU32(file, 8, c.right);
    PutU32(file, 12, c.bottom);
    PutU32(file, 16, c.optionFlags);
    EXPECT_EQ(Loaded(file), c.taken) << c.left << "," << c.top << "," << c.right << "," << c.bottom << " opt "
                                     << c.optionFlags;
    if (c.taken) EXPECT_EQ(app.windowRect.left, c.left);
  }
}

TEST_F(SettingsFileTest, ShortFileReplacesOnlyTheBytesItHolds) {
  SettingsImage stored;
  stored.windowRect = {1, 2, 301, 102};
  for (uint32_t i = 0; i < 16; ++i) stored.customColors[i] = 0x010101 * (i + 1);
  stored.logFont.lfHeight = -20;
  Bytes file = ImageBytes(stored);
  file.resize(120);
  WriteFile(SETTINGS, file);
  LoadSettings();

  EXPECT_EQ(app.windowRect.right, 301);
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(app.customColors[i], 0x010101 * (i + 1));  // offsets 96 to 119
  SettingsImage defaults;
  for (uint32_t i = 6; i < 16; ++i) EXPECT_EQ(app.customColors[i], defaults.customColors[i]);
  EXPECT_EQ(app.logFont.lfHeight, -17);
}

TEST_F(SettingsFileTest, FileTooShortForAHeaderIsIgnored) {
  Bytes file = MarkedFile();
  PutU32(file, 0, 0);  // a left edge of 0 would be accepted
  file.resize(19);
  EXPECT_FALSE(Loaded(file));
  EXPECT_EQ(app.windowRect.left, 10);

  file = MarkedFile();
  PutU32(file, 0, 0);
  file.resize(20);  // the header alone is a file of its own
  Loaded(file);
  EXPECT_EQ(app.windowRect.left, 0);
  EXPECT_EQ(app.totalRecvKiB, 0u);

  EXPECT_FALSE(Loaded(Bytes{}));
}

TEST_F(SettingsFileTest, ADamagedFileIsRepairedAndOneLongerThanOursLeftAsItIs) {
  struct Case {
    size_t size;
    bool ours;
  } cases[] = {{10, true}, {220, true}, {221, false}, {1000, false}};
  for (const Case& c : cases) {
    NextCase();
    Bytes file(c.size, 'n');  // a text of the user's own, or a damaged settings file
    WriteFile(SETTINGS, file);
    LoadSettings();
    CheckSettingsWritable();
    SaveSettings();
    EXPECT_EQ(ReadFile(SETTINGS), c.ours ? ImageBytes(SettingsImage{}) : file) << c.size;
    ASSERT_EQ(fakewin::Popups().size(), c.ours ? 0u : 1u) << c.size;
    for (const char* part : {SETTINGS, "not a settings file", "/C:\\"})
      if (!c.ours) EXPECT_NE(fakewin::Popups()[0].text.find(part), std::string::npos) << part;
  }
}

TEST_F(SettingsFileTest, SaveKeepsTheTailOfALongerFile) {
  Bytes file = MarkedFile();
  for (int i = 0; i < 80; ++i) file.push_back(uint8_t(0xA0 + i));
  WriteFile(SETTINGS, file);
  LoadSettings();
  EXPECT_EQ(app.totalRecvKiB, 1234u);

  app.totalRecvKiB = 99;
  SaveSettings();
  Bytes saved = ReadFile(SETTINGS);
  ASSERT_EQ(saved.size(), 300u);
  EXPECT_EQ(GetU32(saved, 20), 99u);
  for (int i = 0; i < 80; ++i) EXPECT_EQ(saved[220 + i], 0xA0 + i);
}

TEST_F(SettingsFileTest, ReadOnlyFileIsLoadedButNotWritten) {
  Bytes file = MarkedFile();
  WriteFile(SETTINGS, file);
  MakeReadOnly(SETTINGS);
  LoadSettings();
  EXPECT_EQ(app.totalRecvKiB, 1234u);

  app.totalRecvKiB = 5;
  CheckSettingsWritable();
  SaveSettings();
  EXPECT_EQ(ReadFile(SETTINGS), file);
  EXPECT_EQ(fakewin::OpenFileCount(), 0);
  EXPECT_TRUE(fakewin::Popups().empty()) << "a file made read-only is the user's choice";
}

TEST_F(SettingsFileTest, AFileThatIsThereButCouldNotBeReadIsNeverWrittenAndSaidOnce) {
  struct Case {
    const char* what;
    const char* path;
    int releasedAfterSleeps;  // -1: held all along
    const char* reason;
  } cases[] = {
      {"held by a sync client for a moment", SETTINGS, 3, nullptr},
      {"held by another program", SETTINGS, -1, "being used by another process"},
      {"on a share not yet reachable", "N:\\v.qnf", -1, "cannot find the path"},
      {"not there at start, restored by a sync client while it ran", "C:\\TOOLS\\late.qnf", -1, "appeared"},
  };
  for (const Case& c : cases) {
    NextCase();
    std::string path = c.path;
    app.cmdSettingsPath = path.data();
    fakewin::SetDriveType('N', DRIVE_REMOTE);
    if (c.path == SETTINGS) WriteFile(SETTINGS, MarkedFile());
    HANDLE other = CreateFileA(SETTINGS, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    int sleeps = 0;
    fakewin::OnSleep([&] {
      if (++sleeps == c.releasedAfterSleeps) CloseHandle(other);
    });
    DWORD start = GetTickCount();
    LoadSettings();
    CloseHandle(other);
    if (!c.reason) {
      EXPECT_EQ(app.totalRecvKiB, 1234u) << c.what;
      continue;
    }
    if (c.path == SETTINGS) EXPECT_GE(GetTickCount() - start, 1000u) << c.what << ": tried for a second";
    WriteFile(c.path, MarkedFile());  // reachable again, or released: the user's file is there
    CheckSettingsWritable();
    app.totalRecvKiB = 9;
    SaveTick(nullptr, 0, 0, 0);
    SaveSettingsBeforeSuspend();
    SaveSettings();
    EXPECT_EQ(ReadFile(c.path), MarkedFile()) << c.what;
    ASSERT_EQ(fakewin::Popups().size(), 1u) << c.what;
    for (const char* part : {c.path, c.reason, "leaves the file as it is", "/C:\\"})
      EXPECT_NE(fakewin::Popups()[0].text.find(part), std::string::npos) << c.what << " lacks " << part;
  }

  // Read at start but held past the retries later: the hourly save says nothing, the one at close does.
  NextCase();
  WriteFile(SETTINGS, MarkedFile());
  LoadSettings();
  HANDLE other = CreateFileA(SETTINGS, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  CheckSettingsWritable();
  app.totalRecvKiB = 9;
  SaveTick(nullptr, 0, 0, 0);
  EXPECT_TRUE(fakewin::Popups().empty());
  SaveSettings();
  CloseHandle(other);
  EXPECT_EQ(ReadFile(SETTINGS), MarkedFile());
  ASSERT_EQ(fakewin::Popups().size(), 1u);
  EXPECT_NE(fakewin::Popups()[0].text.find("cannot write"), std::string::npos);
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenIsSaidOncePerRun) {
  struct Case {
    const char* what;
    const char* program;
    bool readOnlyFolder, fullDisk, knownAtStart;
    const char* reason;
    DWORD room = 0;
  } cases[] = {
      {"a folder the user cannot write", PROGRAM, true, false, true, "Access is denied."},
      {"a folder that is not there", "C:\\GONE\\GRAPH.EXE", false, false, true,
       "The system cannot find the path specified."},
      {"a full disk", PROGRAM, false, true, false, "There is not enough space on the disk."},
      {"a write cut short", PROGRAM, false, true, false, "There is not enough space on the disk.", 100},
  };
  for (const Case& c : cases) {
    NextCase();
    StartedAs(c.program);
    if (c.readOnlyFolder) MakeReadOnly("C:\\TOOLS");
    fakewin::FillDisk(c.fullDisk, c.room);
    CheckSettingsWritable();
    EXPECT_EQ(fakewin::Popups().size(), c.knownAtStart ? 1u : 0u) << c.what;
    EXPECT_FALSE(FileExists(SettingsFileName())) << c.what << ": the check leaves no file behind";
    app.totalRecvKiB = 77;
    SaveSettings();
    SaveTick(nullptr, 0, 0, 0);
    ASSERT_EQ(fakewin::Popups().size(), 1u) << c.what << ": said once, whichever save fails next";
    const fakewin::PopupRecord& box = fakewin::Popups()[0];
    EXPECT_EQ(box.caption, unwritableCaption) << c.what;
    for (const char* part : {SettingsFileName(), c.reason, "/C:\\"})
      EXPECT_NE(box.text.find(part), std::string::npos) << c.what << " lacks " << part << " in " << box.text;
    EXPECT_NE(app.totalsInFile[0], 77u) << c.what << ": a failed save leaves the hourly one to try again";
  }

  // A file that can be written: the check changes nothing and leaves no file where there was none.
  NextCase();
  CheckSettingsWritable();
  EXPECT_FALSE(FileExists(SETTINGS));
  WriteFile(SETTINGS, MarkedFile());
  CheckSettingsWritable();
  EXPECT_EQ(ReadFile(SETTINGS), MarkedFile());
  SaveSettings();
  EXPECT_EQ(ReadFile(SETTINGS).size(), 220u);
  EXPECT_TRUE(fakewin::Popups().empty());
}

TEST_F(SettingsFileTest, SavesWhileRunningGoToLocalDisksOnly) {
  // A share that cannot be reached would hold the window each hour; the save at close still tries it.
  struct Case {
    const char* path;
    char drive;
    UINT type;
    bool written;
  } cases[] = {{"C:\\TOOLS\\v.qnf", 'C', DRIVE_FIXED, true},  {"C:\\TOOLS\\v.qnf", 'C', DRIVE_REMOVABLE, true},
               {"N:\\v.qnf", 'N', DRIVE_REMOTE, false},        {"\\\\server\\v.qnf", 'C', DRIVE_FIXED, false},
               {"v.qnf", 0, DRIVE_REMOTE, false},                {"v.qnf", 'C', DRIVE_REMOTE, true},
               {"\\\\?\\C:\\v.qnf", 'C', DRIVE_FIXED, true},          {"\\\\.\\C:\\v.qnf", 'C', DRIVE_FIXED, true},
               {"\\\\?\\UNC\\server\\v.qnf", 'C', DRIVE_FIXED, false}};
  for (const Case& c : cases) {
    NextCase();
    std::string path = c.path;
    app.cmdSettingsPath = path.data();
    MakeFolder(path.substr(0, path.rfind('\\') + 1).c_str());
    fakewin::SetDriveType(c.drive, c.type);
    app.totalSentKiB = 5;
    SaveTick(nullptr, 0, 0, 0);
    EXPECT_EQ(FileExists(c.path), c.written) << c.path << " hourly";
    SaveSettingsBeforeSuspend();
    EXPECT_EQ(FileExists(c.path), c.written) << c.path << " at suspend";
    SaveSettings();
    EXPECT_TRUE(FileExists(c.path)) << c.path << " at close";
  }
}

TEST_F(SettingsFileTest, CommandLinePathIsTheOnlyFileUsed) {
  WriteFile(SETTINGS, MarkedFile());
  char path[] = "E:\\cfg\\a.qnf";
  app.cmdSettingsPath = path;
  LoadSettings();
  EXPECT_EQ(app.totalRecvKiB, 0u);
  SaveSettings();
  EXPECT_EQ(ReadFile("E:\\cfg\\a.qnf").size(), 0u);  // its folder does not exist: nothing written
  MakeFolder("E:\\cfg");
  SaveSettings();
  EXPECT_EQ(ReadFile("E:\\cfg\\a.qnf"), ImageBytes(SettingsImage{}));
  EXPECT_EQ(GetU32(ReadFile(SETTINGS), 20), 1234u);
}

TEST_F(SettingsFileTest, SettingsOutsideTheirRangesGoBackToTheirDefaults) {
  struct Case {
    uint32_t index, stored, loaded;
  } cases[] = {
      {SET_INTERVAL, 80, 80},     {SET_INTERVAL, 79, 1000},   {SET_INTERVAL, 0, 1000},
      {SET_INTERVAL, 1001, 1000}, {SET_INTERVAL, 0x800 | 500, 1000},
      {SET_PLOT, 8, 8},           {SET_PLOT, 96, 96},         {SET_PLOT, 7, 32},
      {SET_PLOT, 97, 32},         {SET_PLOT, 0, 32},          {SET_PLOT, 0xFFFFFFFF, 32},
      {SET_FONT, 0x821, 0x821},   {SET_FONT, 7, 7},           {SET_FONT, 0x806, 17},
      {SET_FONT, 34, 17},         {SET_FONT, 0x1011, 17},     {SET_OPACITY, 10, 10},
      {SET_OPACITY, 0x864, 0x864}, {SET_OPACITY, 0x809, 0x850}, {SET_OPACITY, 101, 0x850},
  };
  for (const Case& c : cases) {
    Bytes file = MarkedFile();
    PutU32(file, 44 + 4 * c.index, c.stored);
    PutU32(file, 60, 0x123456);
    ASSERT_TRUE(Loaded(file));
    EXPECT_EQ(app.settings[c.index], c.loaded) << "setting " << c.index << " stored " << c.stored;
    EXPECT_EQ(app.colors[0], 0x123456u);  // everything else stays as the file has it
  }
}

TEST_F(SettingsFileTest, FontHeightIsBroughtIntoTheFontRange) {
  // From 7 pixels up to the picker's 20 points at 480 dpi, 133 pixels, whatever this run's DPI:
  // a run without DPI awareness is told 96 dpi (as the fake tells) and keeps a 40-pixel font picked at 144.
  struct Case {
    int32_t stored, loaded;
  } cases[] = {{-17, -17}, {12, 12},     {-7, -7},    {-40, -40},   {40, 40},      {-133, -133},
               {-134, -133}, {-200, -133}, {-6, -7},  {0, -7},      {256, 133},    {INT32_MIN, -133}};
  for (const Case& c : cases) {
    Bytes file = MarkedFile();
    PutU32(file, 160, c.stored);
    PutU32(file, 176, 700);
    ASSERT_TRUE(Loaded(file));
    EXPECT_EQ(app.logFont.lfHeight, c.loaded) << c.stored;
    EXPECT_EQ(app.logFont.lfWeight, 700);
  }
  Bytes file = MarkedFile();
  memset(&file[188], 'A', 32);  // a face name with no end
  ASSERT_TRUE(Loaded(file));
  EXPECT_EQ(strlen(app.logFont.lfFaceName), 31u);
}

}  // namespace
