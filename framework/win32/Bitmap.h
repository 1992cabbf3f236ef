#pragma once
// A bitmap on this ground is the system's.
#include "framework/GdiObjects.h"

struct CBitmap::Image {
    HBITMAP handle = nullptr;
};
