// cmphost MODEL.json [PLUGIN.dll]: a stand-in for the modelling host. Loads
// the plug-in, shows what the host would list, and runs one export of the
// model with the plug-in's own dialogs.
#include <cstdio>
#include <string>

#include "host/model_document.h"
#include "win32/plugin_loader.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: cmphost MODEL.json [PLUGIN.dll]\n");
    return 2;
  }
  const std::string plugInPath = argc == 3 ? argv[2] : "SvCmpExporter.dll";
  svcmp::PlugInLoadResult loaded = svcmp::LoadPlugIn(plugInPath);
  if (!loaded.plugIn) {
    std::fprintf(stderr, "cmphost: %s\n", loaded.error.c_str());
    return 1;
  }
  svcmp::PlugInInterface& plugIn = loaded.plugIn->Object();
  std::printf("type %d\ntitle %s\n", plugIn.GetType(), plugIn.GetTitle());

  svcmp::ModelDocumentResult document = svcmp::LoadModelDocument(argv[1]);
  if (!document.model) {
    std::fprintf(stderr, "cmphost: %s: %s\n", argv[1], document.error.c_str());
    return 1;
  }
  // The plug-in destroys the model on some exits; the model's owner frees
  // it afterwards only if it is still alive.
  const int result = plugIn.Execute(document.model.get());
  std::printf("execute %d\n", result);
  std::fflush(stdout);
  return 0;
}
