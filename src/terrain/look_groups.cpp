#include "terrain/look_groups.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

namespace tessara {
namespace {

constexpr int kRuns = 4;  // k-means++ starts; the one with the least spread is kept
constexpr int kRounds = 60;
constexpr std::uint32_t kSeed = 20260;

// A draw in [0, 1) from the generator's own numbers: the standard distributions may differ
// between libraries, and the classes must not.
double draw(std::mt19937& random) {
    return static_cast<double>(random()) / 4294967296.0;
}

std::vector<Look> seedCentres(const std::vector<Look>& looks, int k, std::mt19937& random) {
    std::vector<Look> centres;
    centres.push_back(looks[static_cast<size_t>(draw(random) * static_cast<double>(looks.size()))]);
    std::vector<double> nearest(looks.size(), INFINITY);
    while (static_cast<int>(centres.size()) < k) {
        double total = 0;
        for (size_t i = 0; i < looks.size(); ++i) {
            nearest[i] = std::min<double>(nearest[i], lookDistance(looks[i], centres.back()));
            total += nearest[i];
        }
        if (total == 0) {
            break;  // fewer distinct looks than groups
        }
        double pick = draw(random) * total;
        size_t chosen = 0;
        while (chosen + 1 < looks.size() && pick >= nearest[chosen]) {
            pick -= nearest[chosen];
            ++chosen;
        }
        centres.push_back(looks[chosen]);
    }
    return centres;
}

}  // namespace

int nearestCentre(const std::vector<Look>& centres, const Look& look) {
    int best = 0;
    float bestDistance = INFINITY;
    for (size_t c = 0; c < centres.size(); ++c) {
        const float d = lookDistance(centres[c], look);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(c);
        }
    }
    return best;
}

LookGroups refineGroups(const std::vector<Look>& looks, std::vector<Look> centres, int rounds) {
    LookGroups groups;
    groups.centres = std::move(centres);
    groups.groupOf.assign(looks.size(), -1);
    for (int round = 0; round <= rounds; ++round) {
        bool moved = false;
        for (size_t i = 0; i < looks.size(); ++i) {
            const int group = nearestCentre(groups.centres, looks[i]);
            moved = moved || group != groups.groupOf[i];
            groups.groupOf[i] = group;
        }
        if (!moved || round == rounds) {
            break;
        }
        std::vector<std::array<double, kLookSize>> sums(groups.centres.size());
        std::vector<int> counts(groups.centres.size(), 0);
        for (size_t i = 0; i < looks.size(); ++i) {
            const auto g = static_cast<size_t>(groups.groupOf[i]);
            ++counts[g];
            for (size_t d = 0; d < kLookSize; ++d) {
                sums[g][d] += looks[i][d];
            }
        }
        for (size_t g = 0; g < groups.centres.size(); ++g) {
            for (size_t d = 0; d < kLookSize && counts[g] > 0; ++d) {
                groups.centres[g][d] = static_cast<float>(sums[g][d] / counts[g]);
            }
        }
    }
    groups.spread = 0;
    for (size_t i = 0; i < looks.size(); ++i) {
        groups.spread +=
            lookDistance(looks[i], groups.centres[static_cast<size_t>(groups.groupOf[i])]);
    }
    return groups;
}

LookGroups groupLooks(const std::vector<Look>& looks, int k) {
    if (looks.empty() || k < 1) {
        return {};
    }
    std::mt19937 random(kSeed);
    LookGroups best;
    best.spread = INFINITY;
    for (int run = 0; run < kRuns; ++run) {
        LookGroups groups = refineGroups(looks, seedCentres(looks, k, random), kRounds);
        if (groups.spread < best.spread) {
            best = std::move(groups);
        }
    }
    return best;
}

double silhouette(const std::vector<Look>& looks, const LookGroups& groups, size_t sample) {
    const size_t k = groups.centres.size();
    if (k < 2 || looks.empty()) {
        return 0;
    }
    const size_t step = std::max<size_t>(1, looks.size() / sample);
    std::vector<size_t> picked;
    for (size_t i = 0; i < looks.size(); i += step) {
        picked.push_back(i);
    }
    double total = 0;
    std::vector<double> sums(k);
    std::vector<int> counts(k);
    for (const size_t i : picked) {
        std::fill(sums.begin(), sums.end(), 0.0);
        std::fill(counts.begin(), counts.end(), 0);
        for (const size_t j : picked) {
            if (j != i) {
                const auto g = static_cast<size_t>(groups.groupOf[j]);
                sums[g] += std::sqrt(lookDistance(looks[i], looks[j]));
                ++counts[g];
            }
        }
        const auto own = static_cast<size_t>(groups.groupOf[i]);
        if (counts[own] == 0) {
            continue;  // a look alone in its group counts 0
        }
        const double inside = sums[own] / counts[own];
        double outside = INFINITY;
        for (size_t g = 0; g < k; ++g) {
            if (g != own && counts[g] > 0) {
                outside = std::min(outside, sums[g] / counts[g]);
            }
        }
        if (std::isfinite(outside)) {
            total += (outside - inside) / std::max(outside, inside);
        }
    }
    return total / static_cast<double>(picked.size());
}

}  // namespace tessara
