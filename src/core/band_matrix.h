// A symmetric positive definite matrix whose entries all lie within a band round its
// diagonal, kept and solved in that band alone. A smooth mesh's normal equations couple each
// control point only with its near neighbours: held whole, the mesh over a photo of small
// hexes would take gigabytes and hours to solve; in its band, megabytes and a fraction of a
// second.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace tessara {

class BandMatrix {
  public:
    // `size` unknowns; entry (i, j) may be non-zero only where |i - j| <= width.
    BandMatrix(int size, int width);

    int size() const { return size_; }
    int width() const { return width_; }
    // Adds `value` to entry (i, j), and so to (j, i): the pair is one entry of the band.
    // Throws std::out_of_range for an entry outside the band.
    void add(int i, int j, double value);
    double at(int i, int j) const;

    // The solution of this x = right by Cholesky's factorisation within the band; nothing when
    // the matrix is not positive definite (or `right` has the wrong length).
    std::optional<std::vector<double>> solve(std::vector<double> right) const;

  private:
    std::size_t index(int i, int j) const;  // i >= j >= i - width

    int size_;
    int width_;
    std::vector<double> lower_;  // row i holds entries (i, i - width) to (i, i)
};

}  // namespace tessara
