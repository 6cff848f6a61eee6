#include "photo/seam_measures.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessara {
namespace {

cv::Mat matOf(GreyPatch patch) {
    return cv::Mat(patch.height, patch.width, CV_32F, const_cast<float*>(patch.values));
}

}  // namespace

double noiseDeviation(GreyPatch patch) {
    if (patch.width < 3 || patch.height < 3) {
        return 0;
    }
    const cv::Mat kernel = (cv::Mat_<float>(3, 3) << 1, -2, 1, -2, 4, -2, 1, -2, 1);
    cv::Mat response;
    cv::filter2D(matOf(patch), response, CV_32F, kernel);
    std::vector<float> responses;
    for (int y = 1; y + 1 < patch.height; ++y) {
        const auto* line = response.ptr<float>(y);
        for (int x = 1; x + 1 < patch.width; ++x) {
            responses.push_back(std::abs(line[x]));
        }
    }
    // The kernel's response to noise of deviation s has a deviation of 6 s, and the median
    // of its size is 0.6745 of that: the median leaves out the edges, which are few.
    std::nth_element(responses.begin(), responses.begin() + responses.size() / 2, responses.end());
    return responses[responses.size() / 2] / 0.6745 / 6;
}

double differenceAgainstNoise(GreyPatch a, GreyPatch b) {
    const double difference = cv::mean(cv::abs(matOf(a) - matOf(b)))[0];
    // |x| of normal noise of deviation s has a mean of s times the root of 2 / pi.
    const double noise = std::sqrt(2 / M_PI) * std::hypot(noiseDeviation(a), noiseDeviation(b));
    if (noise > 0) {
        return difference / noise;
    }
    return difference > 0 ? INFINITY : 1;
}

}  // namespace tessara
