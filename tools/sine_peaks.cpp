// sine_peaks: how far from a peak (k + 1/2)pi the C library's sin, the one
// this program links, still returns exactly +-1. The fast renderer may skip
// sin only beyond its window around each peak, so that band must stay inside
// it; a correctly rounded sin gives +-1 exactly within 2^-26.5 (about
// 1.054e-8) of the peak. Built for each platform to compare their sins.
//
// Usage: sine_peaks. For each k, both signs: the least and greatest offsets
// from the peak of the doubles whose sine is +-1, in units of 1e-8, and how many of the
// doubles probed disagree with a correctly rounded sin on being +-1: steps
// of 1e-11 (every double where they lie further apart) out to 6e-8, and
// every double around the two edges of the correctly rounded band.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "julia/ExactShortcuts.h"

namespace {

// pi in three parts: 20 bits, 20 bits and the next 64, so that m times
// either of the first two is exact in long double for m below 2^43, and
// x - m pi loses nothing that matters at these distances.
constexpr long double kPi1 = 0x1.921fcp+1L;
constexpr long double kPi2 = -0x1.5777ap-20L;
constexpr long double kPi3 = -0x1.73dcb3b399d747f2p-42L;

// x minus the nearest peak (k + 1/2)pi, k = m - 1/2, to about 1e-19.
long double fromPeak(double x, long double m) {
    return ((static_cast<long double>(x) - m * kPi1) - m * kPi2) - m * kPi3;
}

constexpr long double kCorrectBand = 1.0536712127723509e-8L;  // 2^-26.5

constexpr int kEdgeDoubles = 20000;

struct Band {
    // The least and greatest offsets with |sin| == 1 (one double: both the same).
    long double below = INFINITY, above = -INFINITY;
    int probed = 0, disagree = 0, units = 0;
};

void probe(double x, long double m, double sign, Band& band) {
    const long double offset = sign * fromPeak(sign * x, m);
    const bool unit = std::fabs(std::sin(x)) == 1.0;
    ++band.probed;
    if (unit != (std::fabs(offset) < kCorrectBand)) ++band.disagree;
    if (unit) {
        ++band.units;
        band.below = std::min(band.below, offset);
        band.above = std::max(band.above, offset);
    }
}

Band measure(long double k, double sign) {
    const long double m = k + 0.5L;
    const long double peak = sign * m * 3.14159265358979323846264338327950288L;
    const double centre = static_cast<double>(peak);
    // Past the window on each side, and at least a few doubles where they lie sparse.
    const long double reach = std::max(6e-8L, 4.0L * (std::nextafter(std::fabs(centre), 1e300) -
                                                     std::fabs(centre)));
    const double step = 1e-11;
    Band band;
    for (double direction : {-1.0, 1.0}) {
        for (double x = centre;;) {
            const double next = std::nextafter(x, direction * 1e300);
            x = direction > 0 ? std::max(next, x + step) : std::min(next, x - step);
            if (std::fabs(fromPeak(sign * x, m)) > reach) break;
            probe(x, m, sign, band);
        }
        // Every double around where a correctly rounded sin stops giving +-1:
        // where sins differ, they differ here.
        double x = static_cast<double>(peak + direction * kCorrectBand);
        for (int i = 0; i < kEdgeDoubles / 2; ++i) x = std::nextafter(x, -1e300);
        for (int i = 0; i < kEdgeDoubles; ++i, x = std::nextafter(x, 1e300)) probe(x, m, sign, band);
    }
    return band;
}

}  // namespace

int main() {
    std::printf("peak (k + 1/2)pi: least and greatest offsets of the doubles whose sine is +-1, in 1e-8\n");
    std::printf("(correctly rounded: +-1.0537; the fast renderer's window: +-%.3f)\n",
                static_cast<double>(julia::kSinePeakWindow * 1e8));
    std::printf("%14s %5s %9s %9s %8s %9s\n", "k", "sign", "below", "above", "probed", "disagree");
    int probed = 0, disagree = 0;
    for (long double k : {0.0L, 1.0L, 2.0L, 3.0L, 10.0L, 100.0L, 1e3L, 1e4L, 1e5L, 1e6L, 1e7L, 1e8L,
                          1e9L, 1e10L}) {
        for (double sign : {1.0, -1.0}) {
            const Band b = measure(k, sign);
            if (b.units > 0)
                std::printf("%14.0Lf %5s %9.4f %9.4f %8d %9d\n", k, sign > 0 ? "+" : "-",
                            static_cast<double>(b.below * 1e8L), static_cast<double>(b.above * 1e8L),
                            b.probed, b.disagree);
            else
                std::printf("%14.0Lf %5s %9s %9s %8d %9d\n", k, sign > 0 ? "+" : "-", "none", "none",
                            b.probed, b.disagree);
            probed += b.probed;
            disagree += b.disagree;
        }
    }
    std::printf("total: %d doubles probed, %d disagree with a correctly rounded sin\n", probed, disagree);
    return 0;
}
