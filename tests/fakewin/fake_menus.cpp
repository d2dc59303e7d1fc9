// Menus of the fake Win32, loaded from the program's own resource script so
// that the tests see the texts and ids the program ships with.
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>

#include "fakewin/fake_resources.h"
#include "fakewin/fake_windows.h"

namespace {

struct Menu {
  std::vector<fakewin::MenuItem> items;
  bool alive = true;
};

std::deque<Menu> menus;  // HMENU n is menus[n - 1]
std::function<UINT(HMENU, HWND)> trackScript;
std::vector<fakewin::TrackCall> trackCalls;

HMENU HandleOf(size_t index) { return reinterpret_cast<HMENU>(uintptr_t(index + 1)); }

Menu* Find(HMENU menu) {
  size_t i = reinterpret_cast<uintptr_t>(menu) - 1;
  return i < menus.size() && menus[i].alive ? &menus[i] : nullptr;
}

HMENU NewMenu() {
  menus.emplace_back();
  return HandleOf(menus.size() - 1);
}

std::map<std::string, UINT> ReadIds() { return fakewin::ResourceIds(); }

std::string Quoted(const std::string& line) {
  size_t a = line.find('"'), b = line.rfind('"');
  return a == std::string::npos || b <= a ? "" : line.substr(a + 1, b - a - 1);
}

// Reads items up to the END that closes the current block.
void ReadBlock(std::istream& in, HMENU menu, const std::map<std::string, UINT>& ids) {
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (first == "END") return;
    if (first == "POPUP") {
      std::string text = Quoted(line);
      HMENU sub = NewMenu();
      std::getline(in, line);  // BEGIN
      ReadBlock(in, sub, ids);
      Find(menu)->items.push_back({text, 0, MF_POPUP, sub});
    } else if (first == "MENUITEM") {
      if (line.find("SEPARATOR") != std::string::npos) {
        Find(menu)->items.push_back({"", 0, MF_SEPARATOR, nullptr});
      } else {
        std::string id = line.substr(line.rfind(',') + 1);
        id.erase(0, id.find_first_not_of(' '));
        Find(menu)->items.push_back({Quoted(line), ids.at(id), MF_STRING, nullptr});
      }
    }
  }
}

HMENU LoadFromScript(UINT id) {
  auto ids = ReadIds();
  std::string script;
  for (const std::string& l : fakewin::ResourceScriptLines()) script += l + "\n";
  std::istringstream in(script);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name, kind;
    words >> name >> kind;
    if (kind != "MENU" || !ids.count(name) || ids[name] != id) continue;
    std::getline(in, line);  // BEGIN
    HMENU menu = NewMenu();
    ReadBlock(in, menu, ids);
    return menu;
  }
  return nullptr;
}

// The item named by command (searched through submenus) or by position.
fakewin::MenuItem* Item(HMENU menu, UINT item, UINT flags, HMENU* owner = nullptr) {
  Menu* m = Find(menu);
  if (!m) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (owner) *owner = menu;
    return item < m->items.size() ? &m->items[item] : nullptr;
  }
  for (auto& i : m->items) {
    if (!(i.flags & MF_POPUP) && i.id == item) {
      if (owner) *owner = menu;
      return &i;
    }
    if (i.flags & MF_POPUP)
      if (auto* found = Item(i.submenu, item, flags, owner)) return found;
  }
  return nullptr;
}

}  // namespace

HMENU LoadMenuA(HINSTANCE, LPCSTR name) { return LoadFromScript(UINT(reinterpret_cast<uintptr_t>(name))); }

HMENU GetSubMenu(HMENU menu, int position) {
  fakewin::MenuItem* i = Item(menu, UINT(position), MF_BYPOSITION);
  return i && (i->flags & MF_POPUP) ? i->submenu : nullptr;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) {
  HMENU owner = nullptr;
  fakewin::MenuItem* i = Item(menu, item, flags, &owner);
  if (!i) return FALSE;
  auto& items = Find(owner)->items;
  items.erase(items.begin() + (i - items.data()));
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  Menu* m = Find(menu);
  if (!m) return FALSE;
  m->items.push_back({text, UINT(id), flags & (MF_GRAYED | MF_CHECKED), nullptr});
  return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT item, UINT flags, UINT_PTR id, LPCSTR text) {
  fakewin::MenuItem* i = Item(menu, item, flags);
  if (!i) return FALSE;
  *i = {text, UINT(id), flags & (MF_GRAYED | MF_CHECKED), nullptr};
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  fakewin::MenuItem* i = Item(menu, item, flags);
  if (!i) return DWORD(-1);
  DWORD previous = i->flags & MF_CHECKED;
  i->flags = (i->flags & ~(MF_CHECKED | fakewin::RADIO_MARK)) | (flags & MF_CHECKED);
  return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  HMENU owner = menu;
  if (!(flags & MF_BYPOSITION)) {
    // The range lies in one menu: the one holding its first existing item.
    bool found = false;
    for (UINT id = first; id <= last && !found; ++id) found = Item(menu, id, flags, &owner) != nullptr;
    if (!found) return FALSE;
  }
  Menu* m = Find(owner);
  if (!m) return FALSE;
  for (UINT pos = 0; pos < m->items.size(); ++pos) {
    auto& i = m->items[pos];
    UINT key = (flags & MF_BYPOSITION) ? pos : i.id;
    if (key < first || key > last || (i.flags & MF_POPUP && !(flags & MF_BYPOSITION))) continue;
    i.flags &= ~(MF_CHECKED | fakewin::RADIO_MARK);
    if (key == check) i.flags |= MF_CHECKED | fakewin::RADIO_MARK;
  }
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  trackCalls.push_back({menu, flags, x, y});
  if (!Find(menu)) return FALSE;
  fakewin::OpenSubmenu(owner, menu);
  return BOOL(trackScript ? trackScript(menu, owner) : 0);
}

BOOL DestroyMenu(HMENU menu) {
  Menu* m = Find(menu);
  if (!m) return FALSE;
  m->alive = false;
  for (auto& i : m->items)
    if (i.flags & MF_POPUP) DestroyMenu(i.submenu);
  return TRUE;
}

namespace fakewin {

std::map<std::string, unsigned> ResourceIds() {
  std::map<std::string, unsigned> ids{{"IDOK", 1}, {"IDCANCEL", 2}};
  std::ifstream in(VELNORID_RESOURCE_H);
  std::string word, name;
  while (in >> word) {
    if (word != "#define") continue;
    unsigned value;
    if (in >> name >> value) ids[name] = value;
  }
  return ids;
}

std::vector<std::string> ResourceScriptLines() {
  std::vector<std::string> lines;
  std::ifstream in(VELNORID_RC_PATH);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void ResetMenus() {
  menus.clear();
  trackScript = nullptr;
  trackCalls.clear();
}

void OnTrackPopupMenu(std::function<UINT(HMENU, HWND)> script) { trackScript = std::move(script); }
void OpenSubmenu(HWND owner, HMENU submenu) { SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), 0); }
const std::vector<TrackCall>& TrackCalls() { return trackCalls; }

std::vector<MenuItem> MenuItems(HMENU menu) {
  Menu* m = Find(menu);
  return m ? m->items : std::vector<MenuItem>{};
}

const MenuItem* FindMenuItem(HMENU menu, UINT id) { return Item(menu, id, MF_BYCOMMAND); }

int LiveMenus() {
  int n = 0;
  for (auto& m : menus) n += m.alive;
  return n;
}

}  // namespace fakewin
