#pragma once
// The layer's handles are file descriptors, so that CloseHandle closes every
// kind of handle the layer gives out (files, process snapshots).
#include "platform/Files.h"

// Descriptor 0 must not become a null handle, and no descriptor may meet
// INVALID_HANDLE_VALUE, hence an offset of one.
HANDLE HandleOfDescriptor(int fd);
// -1 for null, INVALID_HANDLE_VALUE and anything that is not a descriptor's handle.
int DescriptorOfHandle(HANDLE handle);

// Writes all of data to the descriptor, going on after interruptions.
bool WriteAll(int fd, const void* data, size_t size);
