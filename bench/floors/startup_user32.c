/* Floor of a start-up that loads one string resource, as every program with
   a message table must: LoadStringA brings in user32, which under Wine costs
   time and several MiB of libraries before any work is done. */
#include <windows.h>

int main(void) {
  char text[80];
  return LoadStringA(GetModuleHandleA(NULL), 1, text, sizeof text) < 0;
}
