// Filling a lost block of a picture from the pixels around it, for areas no earlier picture
// predicts (content that has just come into view).
#pragma once

#include <cstddef>
#include <cstdint>

namespace decoder {

// Which rows or columns just outside a block hold pixels to fill it from.
struct BorderSides {
    bool above = false;
    bool below = false;
    bool left = false;
    bool right = false;
};

// Fills the size x size block (size up to 16) at `dst` (a picture with `stride`) from the row
// above, the row below, the column to the left and the column to the right of it, as far as `sides`
// names them: each sample is the mean of the border samples in line with it, each weighted by the
// inverse of its distance. Returns false, leaving the block untouched, when no side is named (or
// the block is larger).
bool FillFromBorders(uint8_t* dst, ptrdiff_t stride, int size, BorderSides sides);

// How much the picture changes per line across the borders of the block at `dst` that `sides`
// names: the mean absolute difference of the two rows (or columns) next to each of them. A
// prediction of the block that steps by much more than this at its border does not continue the
// picture. 0 when no side is named.
int BorderActivity(const uint8_t* dst, ptrdiff_t stride, int size, BorderSides sides);

}  // namespace decoder
