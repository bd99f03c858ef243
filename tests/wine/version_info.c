/* version_info FILE: prints the version resource of a program or DLL as
 * Windows reads it: the ProductVersion text and the fixed file version. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: version_info FILE\n");
    return 2;
  }
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(argv[1], &unused);
  void* data = size != 0 ? malloc(size) : NULL;
  if (data == NULL || !GetFileVersionInfoA(argv[1], 0, size, data)) {
    printf("%s has no version resource\n", argv[1]);
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = NULL;
  const char* product = NULL;
  UINT length = 0;
  if (!VerQueryValueA(data, "\\", (void**)&fixed, &length) ||
      !VerQueryValueA(data, "\\StringFileInfo\\080904b0\\ProductVersion", (void**)&product,
                      &length)) {
    printf("%s has an incomplete version resource\n", argv[1]);
    return 1;
  }
  printf("%s %u.%u.%u\n", product, (unsigned)HIWORD(fixed->dwFileVersionMS),
         (unsigned)LOWORD(fixed->dwFileVersionMS), (unsigned)HIWORD(fixed->dwFileVersionLS));
  free(data);
  return 0;
}
