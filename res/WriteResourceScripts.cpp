// Writes the program's resource scripts and icons from its resource tables
// (usage in ResourceScripts.h).
#include "ResourceScripts.h"

extern "C" const AFX_RESOURCE_MODULE afxResourceModule;

namespace {
const ScriptModule kModules[] = {
    {"DeRavizizivu", &afxProgramResources, "LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED", "词典下载", true,
     "DeRavizizivu.manifest", "DeRavizizivu.rc.cpp", "WriteResourceScripts", "res_scripts"},
    {"ViZadiveduri_ZuRod", &afxResourceModule, "LANG_ENGLISH, SUBLANG_ENGLISH_US",
     "English resources of the dictionary download", false, nullptr, "ViZadiveduri_ZuRod.rc.cpp",
     "WriteResourceScripts", "res_scripts"},
};
}  // namespace

int main(int argc, char** argv) {
    return ResourceScriptsMain(argc, argv, kModules);
}
