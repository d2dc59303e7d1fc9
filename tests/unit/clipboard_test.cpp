#include "display/clipboard.h"

#include <cstring>

#include "test_support.h"

namespace {

class ClipboardTest : public ProgramTest {
 protected:
  void SetReadouts(const char* packed, size_t size) { memcpy(app.readoutText, packed, size); }
  HWND window = reinterpret_cast<HWND>(0x10);
};

constexpr char EXAMPLE[] = "Rcv 12,345 KB\0Snt 678 KB\0Max 123,456 B/s\0Ave 4,567 B/s";  // 55 bytes with NULs

TEST_F(ClipboardTest, ReadoutsBecomeATwoByTwoTable) {
  SetReadouts(EXAMPLE, sizeof EXAMPLE);
  fakewin::PutOnClipboard(CF_TEXT, std::string("old text\0", 9));
  HANDLE placed = CopyReadout(window);
  ASSERT_NE(placed, nullptr);
  std::string block = fakewin::ClipboardBytes(CF_TEXT);
  ASSERT_EQ(block.size(), 58u);
  EXPECT_EQ(block, std::string("Rcv 12,345 KB\tMax 123,456 B/s\r\nSnt 678 KB\tAve 4,567 B/s\0\0\0", 58));
  EXPECT_EQ(fakewin::LiveGlobalBlocks(), 1);  // the old text was freed with the emptied clipboard
}

TEST_F(ClipboardTest, NoPaintYetGivesTheSeparatorsOnly) {
  ASSERT_NE(CopyReadout(window), nullptr);
  EXPECT_EQ(fakewin::ClipboardBytes(CF_TEXT), std::string("\t\r\n\t\0\0\0", 7));
}

TEST_F(ClipboardTest, OtherDataStaysBesideTheText) {
  SetReadouts(EXAMPLE, sizeof EXAMPLE);
  fakewin::PutOnClipboard(CF_BITMAP, "picture");
  ASSERT_NE(CopyReadout(window), nullptr);
  EXPECT_TRUE(fakewin::ClipboardHas(CF_BITMAP));
  EXPECT_TRUE(fakewin::ClipboardHas(CF_TEXT));
}

TEST_F(ClipboardTest, ClipboardHeldElsewhereFreesTheBlock) {
  SetReadouts(EXAMPLE, sizeof EXAMPLE);
  fakewin::HoldClipboard(true);
  EXPECT_EQ(CopyReadout(window), nullptr);
  EXPECT_EQ(fakewin::LiveGlobalBlocks(), 0);
  EXPECT_FALSE(fakewin::ClipboardHas(CF_TEXT));
}

}  // namespace
