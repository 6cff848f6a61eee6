#include "terrain/terrain_classes.h"

#include <algorithm>

#include "terrain/look_groups.h"

namespace tessara {
namespace {

constexpr int kRefineRounds = 5;           // a legend's classes move this often, at most
constexpr size_t kSilhouetteLooks = 1200;  // hexes sampled to judge a grouping
// The share of the hexes a class must cover to be found without a sample: fewer are more
// often the hexes a road or a name runs across than a terrain; a legend names such a class.
constexpr double kSmallestClass = 0.025;
// How much better a grouping with more classes must stand apart to be preferred: splitting
// the odd hexes off a class (those a name runs across, or that hold two terrains) raises
// the silhouette by a hundredth or so, a class of its own by a tenth.
constexpr double kClearlyApart = 0.03;

std::vector<Look> wholeLooks(const std::vector<HexLook>& looks) {
    std::vector<Look> wholes;
    wholes.reserve(looks.size());
    for (const HexLook& look : looks) {
        wholes.push_back(look.whole);
    }
    return wholes;
}

Look meanLook(const std::vector<Look>& looks, const std::vector<int>& picked) {
    Look mean{};
    for (const int i : picked) {
        for (size_t d = 0; d < kLookSize; ++d) {
            mean[d] += looks[static_cast<size_t>(i)][d] / static_cast<float>(picked.size());
        }
    }
    return mean;
}

// The classes named by samples: each the mean look of its samples, then moved a few times
// to the mean of the hexes nearest it, so that one odd sample does not decide a class.
std::vector<TerrainClass> sampledClasses(const std::vector<Look>& wholes,
                                         const std::vector<ClassSamples>& samples) {
    std::vector<Look> centres;
    for (const ClassSamples& sample : samples) {
        centres.push_back(meanLook(wholes, sample.hexes));
    }
    const LookGroups groups = refineGroups(wholes, centres, kRefineRounds);
    std::vector<TerrainClass> classes;
    for (size_t c = 0; c < samples.size(); ++c) {
        classes.push_back({samples[c].name, groups.centres[c]});
    }
    return classes;
}

// The classes found on the map, numbered in the order the hexes first show them.
std::vector<TerrainClass> foundClasses(const std::vector<Look>& wholes, int count) {
    const LookGroups groups = groupLooks(wholes, count);
    std::vector<int> order;
    for (const int group : groups.groupOf) {
        if (std::find(order.begin(), order.end(), group) == order.end()) {
            order.push_back(group);
        }
    }
    std::vector<TerrainClass> classes;
    for (const int group : order) {
        classes.push_back({QStringLiteral("Terrain %1").arg(classes.size() + 1),
                           groups.centres[static_cast<size_t>(group)]});
    }
    return classes;
}

// The share of the hex each class covers: the weights of the parts that look most like it.
std::vector<double> classShares(const std::vector<Look>& centres, const HexLook& look) {
    std::vector<double> shares(centres.size(), 0);
    for (size_t p = 0; p < look.parts.size(); ++p) {
        shares[static_cast<size_t>(nearestCentre(centres, look.parts[p]))] += look.weights[p];
    }
    return shares;
}

HexTerrain terrainOf(const std::vector<Look>& centres, const HexLook& look) {
    const std::vector<double> shares = classShares(centres, look);
    int best = nearestCentre(centres, look.whole);  // wins a tie
    for (size_t c = 0; c < shares.size(); ++c) {
        if (shares[c] > shares[static_cast<size_t>(best)] + 1e-6) {
            best = static_cast<int>(c);
        }
    }
    return {best, shares[static_cast<size_t>(best)]};
}

int smallestGroup(const LookGroups& groups) {
    std::vector<int> counts(groups.centres.size(), 0);
    for (const int group : groups.groupOf) {
        ++counts[static_cast<size_t>(group)];
    }
    return *std::min_element(counts.begin(), counts.end());
}

}  // namespace

// How many classes a map shows, from kFewestClasses to kMostClasses: the grouping whose
// groups stand apart best by the silhouette (the mean of how much nearer each hex is to the
// hexes of its own group than to those of the next one). Unlike the spread left within the
// groups, which only falls as groups are added, the silhouette falls again once a true
// class is split, and it is the same however far apart a map's colours lie. More classes
// must stand apart clearly better (kClearlyApart), and a grouping with a class smaller than
// kSmallestClass is passed over: that is where a class too many puts the odd hexes.
int classesShown(const std::vector<Look>& looks) {
    int best = kFewestClasses;
    double bestScore = -INFINITY;
    for (int k = kFewestClasses; k <= kMostClasses && k <= static_cast<int>(looks.size()); ++k) {
        const LookGroups groups = groupLooks(looks, k);
        if (smallestGroup(groups) < kSmallestClass * static_cast<double>(looks.size())) {
            continue;
        }
        const double score = silhouette(looks, groups, kSilhouetteLooks);
        if (score > bestScore + kClearlyApart) {
            best = k;
            bestScore = score;
        }
    }
    return best;
}

TerrainMap classifyTerrain(const std::vector<HexLook>& looks, const TerrainChoices& choices) {
    TerrainMap map;
    if (looks.empty()) {
        return map;
    }
    const std::vector<Look> wholes = wholeLooks(looks);
    map.classes =
        !choices.samples.empty()
            ? sampledClasses(wholes, choices.samples)
            : foundClasses(wholes, choices.classes > 0 ? choices.classes : classesShown(wholes));
    std::vector<Look> centres;
    for (const TerrainClass& terrain : map.classes) {
        centres.push_back(terrain.look);
    }
    for (const HexLook& look : looks) {
        map.hexes.push_back(terrainOf(centres, look));
    }
    // A sample is of its class, and so is a hex the user corrected, whatever they look like.
    for (size_t c = 0; c < choices.samples.size(); ++c) {
        for (const int hex : choices.samples[c].hexes) {
            const auto h = static_cast<size_t>(hex);
            map.hexes[h] = {static_cast<int>(c), classShares(centres, looks[h])[c]};
        }
    }
    for (const HandCorrection& correction : choices.corrections) {
        map.hexes[static_cast<size_t>(correction.hex)] = {correction.terrainClass, 1.0};
    }
    return map;
}

}  // namespace tessara
