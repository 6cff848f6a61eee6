// How alike two sections' pictures of one place are where they meet: whatever the terrain,
// two scans of one place differ by their own noise, and a line doubled by a seam (a ghost)
// or an edge moved by a part of a pixel differs by far more.
#pragma once

namespace tessara {

// A grey picture's values, row by row, without gaps.
struct GreyPatch {
    int width = 0;
    int height = 0;
    const float* values = nullptr;
};

// The standard deviation of the picture's noise, from its response to Immerkaer's kernel,
// which every plane and every straight ramp cancel: the median response, which the few
// edges and lines do not move. 0 for a picture under 3 x 3 pixels.
double noiseDeviation(GreyPatch patch);

// The mean of |a - b| against what independent noise of the two pictures' deviations makes
// it: about 1 where the pictures show one place alike, far more where they do not. Both
// pictures the same size; infinity where neither has noise but they differ.
double differenceAgainstNoise(GreyPatch a, GreyPatch b);

}  // namespace tessara
