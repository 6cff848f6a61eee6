// Grouping looks into classes by k-means: the same looks always give the same classes, as
// the seeding (k-means++) draws from a generator with a fixed seed.
#pragma once

#include <vector>

#include "terrain/hex_looks.h"

namespace tessara {

struct LookGroups {
    std::vector<Look> centres;
    std::vector<int> groupOf;  // for every look, the index of its centre
    double spread = 0;         // the sum of the squared distances of the looks to their centres
};

// The best of a few k-means runs into `k` groups (at most as many as there are looks).
LookGroups groupLooks(const std::vector<Look>& looks, int k);

// k-means from the given centres: each look to its nearest, each centre to the mean of its
// looks, until no look moves (or `rounds` times). A centre left without looks stays put.
LookGroups refineGroups(const std::vector<Look>& looks, std::vector<Look> centres, int rounds);

int nearestCentre(const std::vector<Look>& centres, const Look& look);

// The mean silhouette of a grouping over an even sample of at most `sample` looks: near 1
// where each look is much nearer its own group than any other, near 0 where groups blur.
double silhouette(const std::vector<Look>& looks, const LookGroups& groups, size_t sample);

}  // namespace tessara
