#include "round_trip_estimator.h"

namespace tessary::gamelib {

namespace {

constexpr double kSteepestSlope = 100.0;  // ms of round trip per ms: beyond it the trend is noise
constexpr int32_t kMarginMs = 100;
constexpr int32_t kStepTenths = 4;

}  // namespace

void RoundTripEstimator::addRoundTrip(LocalMs now, int32_t roundTripMs) {
    if (roundTripMs < minimum_ && roundTripMs > kPlausibleRoundTripMs) minimum_ = roundTripMs;
    samples_[next_] = Sample{now, roundTripMs};
    next_ = (next_ + 1) % samples_.size();
    adapt(now, roundTripMs);
}

void RoundTripEstimator::adapt(LocalMs now, int32_t roundTripMs) {
    // Least-squares slope of round trip over time. Times are taken relative
    // to `now` so that a wrapped clock does not bend the line.
    double sumTime = 0;
    int count = 0;
    for (const Sample& s : samples_) {
        if (s.time == 0) continue;
        sumTime += msBetween(now, s.time);
        ++count;
    }
    if (count == 0) return;
    const double meanTime = sumTime / count;
    double numerator = 0;
    double denominator = 0;
    for (const Sample& s : samples_) {
        if (s.time == 0) continue;
        const double offset = msBetween(now, s.time) - meanTime;
        numerator += s.roundTrip * offset;
        denominator += offset * offset;
    }
    if (denominator == 0) return;
    const double slope = numerator / denominator;
    if (slope < -kSteepestSlope || slope > kSteepestSlope) return;

    const int32_t aboveMinimum = roundTripMs - minimum_;
    if (slope > 0 && aboveMinimum > kMarginMs) intervalTenths_ += kStepTenths;
    if (slope < 0 && aboveMinimum < kMarginMs) intervalTenths_ -= kStepTenths;
    if (intervalTenths_ < kMinimumIntervalTenths) intervalTenths_ = kMinimumIntervalTenths;
}

}  // namespace tessary::gamelib
