// The bridge-mode pictures of the channel bar's list (bitmaps 200 and
// 225-230): one drawing of the measuring bridge per input mode.
#pragma once

#include <QImage>

// A null image for an id that is not a bridge picture.
QImage DrawBridgePicture(int id);
