#include "app/command_line.h"

#include "app/app_state.h"
#include "app/program_path.h"
#include "app/start_flags.h"

namespace {

struct OptionLetter {
  char letter;  // upper case; the command line may use either case
  u32 flag;
};
constexpr OptionLetter optionLetters[]{{'D', START_DUPLICATE}, {'A', START_ALL_ADAPTERS}, {'V', START_NO_DPI},
                                       {'R', START_RESET},     {'T', START_COLORKEY},     {'J', START_PLAIN},
                                       {'E', START_DAILY_RESET}};

u32 FlagOfLetter(char c) {
  char upper = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
  for (const OptionLetter& o : optionLetters)
    if (o.letter == upper) return o.flag;
  return 0;
}

// A drive letter with colon and backslash (C:\), or a network path (\\server).
// Reads at most up to the text's NUL.
bool StartsPath(const char* p) { return (p[1] == ':' && p[2] == '\\') || (p[0] == '\\' && p[1] == '\\'); }

}  // namespace

bool ReadCommandLine(char* text, u32& startFlags) {
  char* options = LocateProgramPath(text);
  if (!options) return false;
  bool inGroup = false;
  for (char* p = options; *p; ++p) {
    if (inGroup) {
      if (StartsPath(p)) {
        app.cmdSettingsPath = p;  // a later path replaces an earlier one
        continue;                 // its ':' or '\' ends the group next
      }
      if (u32 flag = FlagOfLetter(*p)) {
        startFlags ^= flag;
        continue;
      }
      if (*p == '"') continue;
      inGroup = false;  // this character is looked at again outside a group
    }
    if (*p == '/') inGroup = true;
  }
  return true;
}

void CutSettingsPath() {
  char* end = app.cmdSettingsPath;
  while (*end && *end != '/') ++end;
  *end = 0;
  while (end > app.cmdSettingsPath && (end[-1] == ' ' || end[-1] == '"')) *--end = 0;
}
