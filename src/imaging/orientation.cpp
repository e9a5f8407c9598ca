// SPDX-License-Identifier: MIT
#include "imaging/orientation.h"

namespace kavlo::imaging {

bool orientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

bool orientationNeedsTurn(int orientation) { return orientation >= 2 && orientation <= 8; }

void RPorientUpright(RasterImage& image, int orientation) {
    switch (orientation) {
    case 2: HFlip(image); break;
    case 3: RProtate(image, 180); break;
    case 4: VFlip(image); break;
    case 5:  // the transpose: mirrored, then a quarter anticlockwise
        HFlip(image);
        RProtate(image, -90);
        break;
    case 6: RProtate(image, 90); break;
    case 7:  // the other diagonal: mirrored, then a quarter clockwise
        HFlip(image);
        RProtate(image, 90);
        break;
    case 8: RProtate(image, -90); break;
    default: break;
    }
}

}  // namespace kavlo::imaging
