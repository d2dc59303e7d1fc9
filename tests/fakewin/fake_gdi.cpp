// Drawing in the fake Win32: a ledger of drawing objects and device contexts
// that knows what is selected where, so a test sees leaks and the deletion of
// a selected object, and a log of the drawing calls in the order made.
#include <map>

#include "fakewin/fake_windows.h"

namespace {

enum Kind { FONT, PEN, BRUSH, BITMAP, KIND_COUNT };
constexpr const char* kindNames[KIND_COUNT] = {"font", "pen", "brush", "bitmap"};

struct Object {
  Kind kind;
  LONG value;
  bool stock;  // a device context's own default object: never counted, never freed
  bool alive;
};

struct DeviceContext {
  HGDIOBJ selected[KIND_COUNT];
  bool alive;
};

std::map<HGDIOBJ, Object> objects;
std::map<HDC, DeviceContext> contexts;
std::vector<fakewin::GdiCall> calls;
int selectedDeletions = 0;
uintptr_t nextHandle = 0x100000;

void* NewHandle() { return reinterpret_cast<void*>(nextHandle += 0x10); }

HGDIOBJ NewObject(Kind kind, LONG value, bool stock = false) {
  HGDIOBJ h = NewHandle();
  objects[h] = {kind, value, stock, true};
  return h;
}

Object* Live(HGDIOBJ h) {
  auto it = objects.find(h);
  return it != objects.end() && it->second.alive ? &it->second : nullptr;
}

DeviceContext* LiveDC(HDC dc) {
  auto it = contexts.find(dc);
  return it != contexts.end() && it->second.alive ? &it->second : nullptr;
}

HDC NewDC() {
  HDC dc = reinterpret_cast<HDC>(NewHandle());
  DeviceContext& c = contexts[dc];
  c.alive = true;
  for (int k = 0; k < KIND_COUNT; ++k) c.selected[k] = NewObject(Kind(k), 0, true);
  return dc;
}

BOOL Record(const char* name, HDC dc, HGDIOBJ object, std::vector<LONG> args, std::string text = "") {
  calls.push_back({name, dc, object, std::move(args), std::move(text)});
  return LiveDC(dc) != nullptr;
}

}  // namespace

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  Record("SelectObject", dc, object, {});
  DeviceContext* c = LiveDC(dc);
  Object* o = Live(object);
  if (!c || !o) return nullptr;
  HGDIOBJ previous = c->selected[o->kind];
  c->selected[o->kind] = object;
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  Record("DeleteObject", nullptr, object, {});
  Object* o = Live(object);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  for (auto& [dc, c] : contexts) {
    if (c.alive && c.selected[o->kind] == object) {
      ++selectedDeletions;
      return FALSE;
    }
  }
  o->alive = false;
  return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) { return static_cast<HBRUSH>(NewObject(BRUSH, LONG(color))); }
HPEN CreatePen(int, int, COLORREF color) { return static_cast<HPEN>(NewObject(PEN, LONG(color))); }
HFONT CreateFontIndirectA(const LOGFONTA* font) {
  return font ? static_cast<HFONT>(NewObject(FONT, font->lfHeight)) : nullptr;
}


HDC CreateCompatibleDC(HDC dc) { return dc && !LiveDC(dc) ? nullptr : NewDC(); }

namespace fakewin {
bool BitmapsFail();
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (!LiveDC(dc) || fakewin::BitmapsFail()) return nullptr;
  return static_cast<HBITMAP>(NewObject(BITMAP, (height << 16) | (width & 0xFFFF)));
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* c = LiveDC(dc);
  if (!c) return FALSE;
  c->alive = false;
  return TRUE;
}

int FillRect(HDC dc, const RECT* r, HBRUSH brush) {
  return Record("FillRect", dc, brush, {r->left, r->top, r->right, r->bottom}) && Live(brush);
}

int SetBkMode(HDC dc, int mode) {
  Record("SetBkMode", dc, nullptr, {mode});
  return 0;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  Record("SetTextColor", dc, nullptr, {LONG(color)});
  return 0;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  return Record("TextOutA", dc, nullptr, {x, y}, std::string(text, length));
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
  std::vector<LONG> args;
  for (int i = 0; i < count; ++i) {
    args.push_back(points[i].x);
    args.push_back(points[i].y);
  }
  return Record("Polyline", dc, nullptr, std::move(args));
}

BOOL BitBlt(HDC to, int x, int y, int cx, int cy, HDC from, int, int, DWORD) {
  return Record("BitBlt", to, from, {x, y, cx, cy}) && LiveDC(from);
}

namespace fakewin {

void ResetGdi() {
  objects.clear();
  contexts.clear();
  calls.clear();
  selectedDeletions = 0;
}

const std::vector<GdiCall>& GdiCalls() { return calls; }
void ClearGdiCalls() { calls.clear(); }

int LiveGdiObjects() {
  int n = 0;
  for (auto& [h, o] : objects) n += o.alive && !o.stock;
  return n;
}

int SelectedObjectDeletions() { return selectedDeletions; }

HGDIOBJ SelectedObject(HDC dc, const char* kind) {
  DeviceContext* c = LiveDC(dc);
  for (int k = 0; c && k < KIND_COUNT; ++k)
    if (std::string(kindNames[k]) == kind) return c->selected[k];
  return nullptr;
}

LONG ObjectValue(HGDIOBJ object) {
  Object* o = Live(object);
  return o ? o->value : -1;
}

HDC NewWindowDC() { return NewDC(); }

}  // namespace fakewin
