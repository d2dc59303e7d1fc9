// The compiler may turn copies and clears into calls of these routines, and no
// runtime library is linked to provide them. This file is compiled without the
// optimisation that would turn these very loops back into calls of themselves.
#include <stddef.h>

extern "C" {

void* memset(void* to, int value, size_t size) {
  unsigned char* p = static_cast<unsigned char*>(to);
  while (size--) *p++ = static_cast<unsigned char>(value);
  return to;
}

void* memcpy(void* to, const void* from, size_t size) {
  unsigned char* d = static_cast<unsigned char*>(to);
  const unsigned char* s = static_cast<const unsigned char*>(from);
  while (size--) *d++ = *s++;
  return to;
}

void* memmove(void* to, const void* from, size_t size) {
  unsigned char* d = static_cast<unsigned char*>(to);
  const unsigned char* s = static_cast<const unsigned char*>(from);
  if (d < s) {
    while (size--) *d++ = *s++;
  } else {
    while (size--) d[size] = s[size];
  }
  return to;
}

}
