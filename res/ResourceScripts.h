#pragma once
// Writes the Windows build's resource scripts and icons from resource tables:
//   <writer> <folder>                 writes every file
//   <writer> --check <folder> <name>  fails when the files of module <name> differ
// The names of the ids are those of the folder's resource.h, which the
// scripts include.
#include <span>

#include "framework/Resource.h"

struct ScriptModule {
    const char* name;  // the base name of its files
    const AFX_RESOURCE_MODULE* resources;
    const char* language;
    const char* description;  // none: no version block
    bool program;             // a program's (else a library's) version block
    const char* manifest;     // the manifest file the script names, if any
    const char* table;        // the source of the tables, the writer and its build target, as the script names them
    const char* writer;
    const char* target;
};

int ResourceScriptsMain(int argc, char** argv, std::span<const ScriptModule> modules);
