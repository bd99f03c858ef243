/* vtable_host PLUGIN.dll: calls the plug-in object through a vtable declared
 * by hand in C, in the layout the host's own compiler gives it: four slots,
 * slot 1 a deleting destructor taking a flags word, all thiscall. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

typedef struct PlugIn PlugIn;
/* GCC applies thiscall to C function pointers too (the object in ECX), but
 * warns that it was meant for C++ members. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
typedef struct PlugInVtbl {
  void*(__thiscall* DeletingDestructor)(PlugIn* self, unsigned flags);
  int(__thiscall* GetType)(PlugIn* self);
  const char*(__thiscall* GetTitle)(PlugIn* self);
  int(__thiscall* Execute)(PlugIn* self, void* model);
} PlugInVtbl;
#pragma GCC diagnostic pop
struct PlugIn {
  const PlugInVtbl* vtbl;
};

typedef PlugIn* (*CreatePlugInFn)(void);

static int failures = 0;

static void Expect(int condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: vtable_host PLUGIN.dll\n");
    return 2;
  }
  HMODULE module = LoadLibraryExA(argv[1], NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == NULL) {
    fprintf(stderr, "FAILED: cannot load %s\n", argv[1]);
    return 1;
  }
  CreatePlugInFn create = (CreatePlugInFn)(void (*)(void))GetProcAddress(module, "CreatePlugIn");
  Expect(create != NULL, "CreatePlugIn is exported under its plain name");
  if (create == NULL) return 1;

  PlugIn* first = create();
  PlugIn* second = create();
  Expect(first != NULL && second != NULL && first != second, "each call makes a new object");
  if (first == NULL || second == NULL) return 1;
  Expect(first->vtbl == second->vtbl, "both objects share one vtable");

  for (int call = 0; call < 2; ++call) {
    Expect(first->vtbl->GetType(first) == 2, "slot 2 returns the type 2");
    const char* title = first->vtbl->GetTitle(first);
    Expect(title != NULL && strcmp(title, "Starvane CMP V0.2.1") == 0, "slot 3 returns the title");
    Expect(first->vtbl->GetTitle(first) == title, "the title stays where it is");
  }
  /* A null model ends the export at once, without a dialog. */
  Expect(first->vtbl->Execute(first, NULL) == -1, "slot 4 returns -1 for a null model");

  /* Slot 1 with flags 1 destroys and frees, returning the object's address. */
  Expect(first->vtbl->DeletingDestructor(first, 1) == first, "slot 1 returns the object");
  Expect(second->vtbl->GetType(second) == 2, "the other object lives on");
  Expect(second->vtbl->DeletingDestructor(second, 1) == second, "slot 1 frees the second object");

  FreeLibrary(module);
  if (failures == 0) printf("passed: vtable\n");
  return failures == 0 ? 0 : 1;
}
