// A program for the process tests to find: it waits, then ends by itself.
#include <windows.h>

int main() {
  ::Sleep(60000);
  return 0;
}
