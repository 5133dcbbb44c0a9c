// Frees one heap block twice, so the heap check can show that Wine's heap checking is really on.
#include <windows.h>

int wmain() {
  HANDLE heap = GetProcessHeap();
  void* block = HeapAlloc(heap, 0, 64);
  HeapFree(heap, 0, block);
  HeapFree(heap, 0, block);
  return 0;
}
