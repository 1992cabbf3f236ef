#pragma once
// The one application-wide value the install step reads: the application
// object's capture flag, the fifth value of the command line. The
// application supplies it; 0 where the process has no application object.
#include <cstdint>

int32_t CaptureAllowed();
