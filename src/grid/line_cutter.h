// Cuts across a printed line: darkness sampled across a side of a hex, centred on where the
// line is predicted, and the line's centre found on it. The flat finder and the photo
// finder measure the printed lines the same way.
#pragma once

#include <QPointF>
#include <algorithm>
#include <array>
#include <vector>

namespace tessara {

class MapDarkness;

// What a cut found: the line along the side `offset` pixels along the normal from the
// predicted one, `contrast` its darkness above the paper's beside it; `seen` the darkness of
// any line that crosses the cut, along the side or not.
struct LineCrossing {
    double offset = 0;
    double contrast = 0;
    double seen = 0;
};

class LineCutter {
  public:
    static constexpr double kStep = 0.5;         // pixels between the samples of a cut
    static constexpr double kLongestHalf = 4.5;  // pixels a cut reaches either side of the line
    static constexpr int kMostSamples = 2 * static_cast<int>(kLongestHalf / kStep) + 1;
    static constexpr int kMostPlaces = 5;  // cuts along a side

    // For hexes of about `hexPixels` flat to flat where the cuts are made.
    LineCutter(const MapDarkness& map, double hexPixels);

    double half() const { return half_; }
    double spread() const { return spread_; }
    // How far from its corners a cut must lie for its profiles to miss the other sides.
    double clearance() const { return 1.16 * (half_ + 0.5) + spread_; }
    // Where along a side of `side` pixels the cuts go, as fractions of it: clear of the
    // corners, where the other two sides would come into the cut.
    std::vector<double> places(double side) const;

    // Where the printed line crosses the cut at `at`, seen on the mean profile of a short
    // stretch of the side before it and that of one after it: a line along the side crosses
    // both at the same place, a line that merely crosses the side there does not. False when
    // no line runs along the side; `seen` is set either way.
    bool measure(QPointF at, QPointF along, QPointF normal, LineCrossing& crossing) const;

  private:
    using Profile = std::array<double, kMostSamples>;
    Profile meanProfile(QPointF at, QPointF way, QPointF normal) const;
    bool centreOf(const Profile& d, double& offset, double& contrast) const;

    const MapDarkness& map_;
    double half_;
    double window_;
    int count_;
    double spread_;
    int profiles_;
};

// The contrast a cut needs to count: a share of the clear lines' (those of the cut that a
// tenth of the cuts are clearer than), and above the grain of a scanner or a camera.
template <class Cuts>
double leastContrast(const Cuts& cuts) {
    std::vector<double> contrast;
    for (const auto& cut : cuts) {
        contrast.push_back(cut.contrast);
    }
    std::sort(contrast.begin(), contrast.end());
    const double clear = contrast.empty() ? 0 : contrast[contrast.size() * 9 / 10];
    return std::max(6.0, 0.3 * clear);
}

}  // namespace tessara
