#pragma once
// Whether the dictionary application runs: a process with its image name.
bool IsMainAppRunning();
