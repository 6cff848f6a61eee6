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

std::vector<int> partCounts(const std::vector<Look>& centres, const HexLook& look) {
    std::vector<int> counts(centres.size(), 0);
    for (const Look& part : look.parts) {
        ++counts[static_cast<size_t>(nearestCentre(centres, part))];
    }
    return counts;
}

HexTerrain terrainOf(const std::vector<Look>& centres, const HexLook& look) {
    const std::vector<int> counts = partCounts(centres, look);
    int best = nearestCentre(centres, look.whole);  // wins a tie
    for (size_t c = 0; c < counts.size(); ++c) {
        if (counts[c] > counts[static_cast<size_t>(best)]) {
            best = static_cast<int>(c);
        }
    }
    return {best, static_cast<double>(counts[static_cast<size_t>(best)]) /
                      static_cast<double>(look.parts.size())};
}

int smallestGroup(const LookGroups& groups) {
    std::vector<int> counts(groups.centres.size(), 0);
    for (const int group : groups.groupOf) {
        ++counts[static_cast<size_t>(group)];
    }
    return *std::min_element(counts.begin(), counts.end());
}

}  // namespace

// How many classes a map shows: the grouping, from kFewestClasses to kMostClasses classes,
// whose groups stand apart best by the silhouette (the mean of how much nearer each hex is
// to the hexes of its own group than to those of the next group), the fewer classes on a
// tie. Unlike the spread left within the groups, which only ever falls as groups are
// added, the silhouette falls again once a true class is split, and it needs no threshold
// tuned to a map's colours. A grouping with a class smaller than kSmallestClass is passed
// over: the smallest group is where a grouping with a class too many puts the odd hexes.
int classesShown(const std::vector<Look>& looks) {
    int best = kFewestClasses;
    double bestScore = -INFINITY;
    for (int k = kFewestClasses; k <= kMostClasses && k <= static_cast<int>(looks.size()); ++k) {
        const LookGroups groups = groupLooks(looks, k);
        if (smallestGroup(groups) < kSmallestClass * static_cast<double>(looks.size())) {
            continue;
        }
        const double score = silhouette(looks, groups, kSilhouetteLooks);
        if (score > bestScore + 1e-9) {
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
            const std::vector<int> counts = partCounts(centres, looks[static_cast<size_t>(hex)]);
            map.hexes[static_cast<size_t>(hex)] = {
                static_cast<int>(c),
                static_cast<double>(counts[c]) /
                    static_cast<double>(looks[static_cast<size_t>(hex)].parts.size())};
        }
    }
    for (const HandCorrection& correction : choices.corrections) {
        map.hexes[static_cast<size_t>(correction.hex)] = {correction.terrainClass, 1.0};
    }
    return map;
}

}  // namespace tessara
