#pragma once
// The process snapshot over any folder laid out as /proc: one numbered folder
// per process, owned by the user the process runs as, each with its "comm"
// file. The tests give it folders of their own; CreateToolhelp32Snapshot
// gives it /proc.
#include "platform/Files.h"

HANDLE SnapshotProcessesUnder(const char* procFolder);
