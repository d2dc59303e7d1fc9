#include "measure/adapters.h"

#include <cstring>

#include "res/resource.h"
#include "test_support.h"

namespace {

using fakewin::MakeInterface;

class AdaptersTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    LoadMenus();
  }
  void ThreeRows() {
    fakewin::SetInterfaces({MakeInterface(1, IF_TYPE_SOFTWARE_LOOPBACK, true, "Loopback"),
                            MakeInterface(7, IF_TYPE_ETHERNET_CSMACD, true, "Realtek Ethernet"),
                            MakeInterface(9, IF_TYPE_ETHERNET_CSMACD, false, "Wi-Fi")});
  }
  std::vector<std::string> ItemTexts() {
    std::vector<std::string> texts;
    for (const auto& i : AdapterItems()) texts.push_back(i.text + ((i.flags & MF_GRAYED) ? " (grayed)" : ""));
    return texts;
  }
};

TEST_F(AdaptersTest, FilteredScanListsAndSelectsTheOnlyAdapter) {
  ThreeRows();
  app.history[95] = 5;
  app.sampleCounter = 40;
  EXPECT_EQ(ScanAdapters(0), 196609u);
  EXPECT_EQ(MenuText(IDM_REFRESH), "&Refresh  1 / 3 items");
  ASSERT_EQ(AdapterItems().size(), 1u);
  EXPECT_EQ(AdapterItems()[0].id, uint32_t(IDM_ADAPTER_BASE + 1));
  EXPECT_EQ(AdapterItems()[0].text, "Realtek Ethernet");
  EXPECT_EQ(SelectedRow(), 1u);
  EXPECT_EQ(app.adapterType, IF_TYPE_ETHERNET_CSMACD);
  EXPECT_EQ(app.sampleCounter, WARM_UP_START);
  EXPECT_EQ(app.history[95], 0u);
}

TEST_F(AdaptersTest, ScanOfAllListsEveryRowAndSelectsNothing) {
  ThreeRows();
  EXPECT_EQ(ScanAdapters(1), 3u << 16 | 2);
  EXPECT_EQ(MenuText(IDM_REFRESH), "&Refresh  2 / 3 items");
  EXPECT_EQ(ItemTexts(), (std::vector<std::string>{"Loopback", "Realtek Ethernet", "Wi-Fi (grayed)"}));
  EXPECT_EQ(AdapterItems()[2].id, uint32_t(IDM_ADAPTER_BASE + 2));
  EXPECT_EQ(app.adapterSlot, NO_ADAPTER);
}

TEST_F(AdaptersTest, DescriptionFiltersAreExact) {
  fakewin::SetInterfaces({MakeInterface(1, 6, true, "WAN Miniport (IP)"), MakeInterface(2, 6, true, "wan card"),
                          MakeInterface(3, 6, true, "Filter-0000"), MakeInterface(4, 6, true, "Filter-00001"),
                          MakeInterface(5, 6, true, "WAN"), MakeInterface(6, IF_TYPE_PPP, true, "Dial-up"),
                          MakeInterface(8, IF_TYPE_TUNNEL, true, "Teredo"), MakeInterface(9, 6, true, "0000")});
  EXPECT_EQ(ScanAdapters(0) & 0xFF, 4u);
  EXPECT_EQ(ItemTexts(), (std::vector<std::string>{"wan card", "Filter-00001", "WAN", "0000"}));
  EXPECT_EQ(app.adapterSlot, NO_ADAPTER);  // more than one listed: no automatic choice

  // A description that is the filtered text and nothing more is filtered too.
  for (const char* exact : {"-0000", "WAN "}) {
    fakewin::SetInterfaces({MakeInterface(1, 6, true, exact), MakeInterface(2, 6, true, "Ethernet")});
    EXPECT_EQ(ScanAdapters(0), 131073u) << exact;
    EXPECT_EQ(ItemTexts(), (std::vector<std::string>{"Ethernet"})) << exact;
    EXPECT_EQ(MenuText(IDM_REFRESH), "&Refresh  1 / 2 items");
    EXPECT_EQ(SelectedRow(), 1u);
    app.adapterSlot = NO_ADAPTER;
  }
}

TEST_F(AdaptersTest, DescriptionFillingTheWholeFieldIsNotReadPastIt) {
  MIB_IFROW row = MakeInterface(3, 6, true, "");
  memset(row.bDescr, 'x', sizeof row.bDescr);
  MIB_IFROW next = MakeInterface(4, 6, false, "NEXT ROW");
  fakewin::SetInterfaces({row, next});
  ScanAdapters(0);
  ASSERT_EQ(AdapterItems().size(), 1u);
  EXPECT_EQ(AdapterItems()[0].text, std::string(256, 'x'));

  memcpy(row.bDescr + 251, "-0000", 5);  // ends the full field with the place-holder suffix
  fakewin::SetInterfaces({row, next});
  EXPECT_EQ(ScanAdapters(0) & 0xFF, 0u);
}

TEST_F(AdaptersTest, StoredSelectionFindsItsAdapterWhereverItIs) {
  ThreeRows();
  fakewin::Interfaces()[0].dwType = 6;  // two listed now
  MIB_IFROW unnamed = fakewin::Interfaces()[2];
  fakewin::NameInterface(fakewin::Interfaces()[2], "\\DEVICE\\TCPIP_{5F0A2C31-7B4E-4D2A-9C11-3E8F0D6A7B21}");
  ScanAdapters(1);
  SelectAdapter(2, 0);
  const uint32_t wifi = app.adapterSlot & ~0xFFFFu;  // Wi-Fi's check, without its position
  const uint32_t described = AdapterCheck(unnamed) << 16;  // as earlier programs took it
  // The check is in users' files: pinned, with its GUID's last character telling two apart.
  ASSERT_EQ(wifi, 0x4634u << 16);
  MIB_IFROW twin = unnamed;
  fakewin::NameInterface(twin, "\\DEVICE\\TCPIP_{5F0A2C31-7B4E-4D2A-9C11-3E8F0D6A7B22}");
  ASSERT_EQ(AdapterCheck(twin), 0x50EDu);
  ASSERT_NE(wifi, described);
  struct {
    uint32_t slot, type, after, baseline, counter;
  } cases[] = {// A file without checks: position and type alone, as they always were.
               {3, 6, NO_ROW, 9, 40}, {1, 71, NO_ROW, 9, 40}, {1, 6, 1, 9, 40}, {2, 6, 2, 9, 40},
               {NO_ADAPTER, 6, NO_ROW, 9, 40},
               // With Wi-Fi's check: in place; moved while the sampler reads it; moved and read afresh.
               {wifi | 2, 6, 2, 9, 40}, {wifi | 1, 6, 2, 9, 40}, {wifi, 6, 2, 0, WARM_UP_START},
               // Its check but another type; the right type at its position but another adapter.
               {wifi | 1, 71, NO_ROW, 9, 40}, {0x12340000 | 1, 6, NO_ROW, 9, 40},
               // The check of its description, from an earlier program, moved or in place.
               {described | 1, 6, 2, 9, 40}, {described | 2, 6, 2, 9, 40}};
  for (auto& c : cases) {
    app.adapterSlot = c.slot;
    app.adapterType = c.type;
    app.baselineInterface = c.baseline;
    app.sampleCounter = 40;
    ScanAdapters(0);
    EXPECT_EQ(SelectedRow(), c.after) << std::hex << c.slot << "/" << c.type;
    EXPECT_EQ(app.adapterType, c.type);  // kept when the slot falls back
    EXPECT_EQ(app.sampleCounter, c.counter) << std::hex << c.slot;
    if (c.after != NO_ROW)  // a kept selection has its adapter's check, of the GUID where there is one
      EXPECT_EQ(app.adapterSlot >> 16, AdapterCheck(fakewin::Interfaces()[c.after])) << std::hex << c.slot;
  }
  // The same position and type names the adapter even when it is another interface now.
  fakewin::Interfaces()[1].dwIndex = 70;
  app.adapterSlot = 1;
  ScanAdapters(0);
  EXPECT_EQ(SelectedRow(), 1u);
  // A driver update renames it: its GUID still names it.
  strcpy(reinterpret_cast<char*>(fakewin::Interfaces()[2].bDescr), "Wi-Fi 6E");
  app.adapterSlot = wifi | 1;
  ScanAdapters(0);
  EXPECT_EQ(SelectedRow(), 2u);
  // Two rows alike: a moved selection that could be either is dropped, and the graph goes flat.
  fakewin::Interfaces()[0] = MakeInterface(1, 6, true, "Wi-Fi");
  fakewin::Interfaces()[2] = unnamed;
  app.adapterSlot = described | 1;
  app.history[95] = 5;
  ScanAdapters(0);
  EXPECT_EQ(SelectedRow(), NO_ROW);
  EXPECT_EQ(app.history[95], 0u);
}

TEST_F(AdaptersTest, AlreadySelectedOnlyAdapterIsLeftRunning) {
  ThreeRows();
  app.adapterSlot = 1;
  app.adapterType = 6;
  app.sampleCounter = 40;
  app.history[95] = 5;
  ScanAdapters(0);
  EXPECT_EQ(app.sampleCounter, 40u);
  EXPECT_EQ(app.history[95], 5u);

  SelectAdapter(1, 1);  // chosen again with the modifier: restarts
  EXPECT_EQ(app.sampleCounter, WARM_UP_START);
  EXPECT_EQ(app.history[95], 0u);
}

TEST_F(AdaptersTest, FailedScansKeepOrDropTheTable) {
  ThreeRows();
  app.adapterSlot = 2;
  app.adapterType = 6;
  ScanAdapters(1);
  MIB_IFTABLE* held = app.ifTable;

  for (auto fault : {fakewin::IfTableFault::REFUSE_SIZE, fakewin::IfTableFault::NO_ROOM_FOR_A_ROW}) {
    fakewin::SetIfTableFault(fault);
    EXPECT_EQ(ScanAdapters(0), 0u);
    EXPECT_EQ(MenuText(IDM_REFRESH), "&Refresh  0 / 0 items");
    EXPECT_EQ(app.ifTable, held);  // the old table and its items stay
    EXPECT_EQ(AdapterItems().size(), 3u);
  }

  fakewin::SetIfTableFault(fakewin::IfTableFault::GROWS_BETWEEN_CALLS);
  EXPECT_EQ(ScanAdapters(0), 0u);
  EXPECT_EQ(app.ifTable, nullptr);
  EXPECT_TRUE(AdapterItems().empty());
  EXPECT_EQ(SelectedRow(), 2u);  // left alone
  EXPECT_EQ(fakewin::LiveGlobalBlocks(), 0);

  fakewin::SetIfTableFault(fakewin::IfTableFault::NONE);
  fakewin::SetInterfaces({});
  EXPECT_EQ(ScanAdapters(0), 0u);  // no interface at all
}

TEST_F(AdaptersTest, RescanReplacesTableAndItems) {
  ThreeRows();
  fakewin::FailIfEntry(7, true);  // a row that will not refresh: no item, still counted
  EXPECT_EQ(ScanAdapters(1), 3u << 16 | 1);
  EXPECT_EQ(ItemTexts(), (std::vector<std::string>{"Loopback", "Wi-Fi (grayed)"}));
  fakewin::FailIfEntry(7, false);
  ScanAdapters(1);
  ScanAdapters(1);
  EXPECT_EQ(ItemTexts().size(), 3u);
  EXPECT_EQ(fakewin::LiveGlobalBlocks(), 1);
}

TEST_F(AdaptersTest, RowAtPosition127CanBeChosenApartFromNoAdapter) {
  std::vector<MIB_IFROW> rows;
  for (DWORD i = 0; i < 130; ++i) rows.push_back(MakeInterface(i + 1, 6, i == 127, "adapter"));
  fakewin::SetInterfaces(rows);
  ScanAdapters(0);  // row 127 is the only one up
  EXPECT_EQ(SelectedRow(), 127u);
  EXPECT_NE(app.adapterSlot, NO_ADAPTER);
  ScanAdapters(0);
  EXPECT_EQ(SelectedRow(), 127u);  // confirmed by the next scan
  app.adapterSlot = 0x80000000 | NO_ADAPTER;  // row 127 as older files hold it
  ScanAdapters(0);
  EXPECT_EQ(SelectedRow(), 127u);

  app.adapterSlot = NO_ADAPTER;  // a stored 127 still means none
  EXPECT_EQ(SelectedRow(), NO_ROW);
  SelectAdapter(5, 0);
  EXPECT_EQ(SelectedRow(), 5u);
}

}  // namespace
