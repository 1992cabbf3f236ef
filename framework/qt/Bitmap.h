#pragma once
// A bitmap on this ground is an off-screen image at a device pixel ratio.
#include <QImage>

#include "framework/GdiObjects.h"

struct CBitmap::Image {
    QImage image;
};
