// Writes the framework tests' resource script from their table (usage in
// res/ResourceScripts.h), so that both builds run the tests on the same dialogs.
#include "res/ResourceScripts.h"

namespace {
const ScriptModule kModules[] = {
    {"TestResources", &afxProgramResources, "LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED", nullptr, true,
     "DeRavizizivu.manifest", "TestResources.cpp", "WriteTestResourceScript", "test_res_script"},
};
}  // namespace

int main(int argc, char** argv) {
    return ResourceScriptsMain(argc, argv, kModules);
}
