// SPDX-License-Identifier: MIT
// Turning and mirroring a picture upright for an Exif orientation.
#pragma once

#include "imaging/Bitmap.h"

namespace kameola {

// True for the orientations (5..8) whose upright picture has width and height swapped.
bool SwapsSides(int orientation);

// The picture as shown upright for an Exif orientation (1..8, stored as seen from the
// top-left corner): mirrored for 2 and 4, turned half round for 3, turned a quarter and
// mirrored for 5..8. Orientation 1 and values outside 1..8 give the picture unchanged.
// Format, colour table and masks are kept. Raises EOutOfResources.
TBitmap OrientUpright(const TBitmap& picture, int orientation);

} // namespace kameola
