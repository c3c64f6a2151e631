#include "evaluator/decimal_places.h"

#include <cmath>

#include "evaluator/truncation.h"

namespace zerizi {

// Each step is its own statement and rounds to a double. Step 4 multiplies by
// the double nearest to 0.1 rather than dividing by 10: that is what makes
// 1.005 at 2 places give 1.01 (1009.9999999999999 * 0.1 is exactly 101).
double round_places(double a, double places) noexcept {
    const double n = truncate_to_int32(places);          // 1. n = trunc(b)
    double s = a * std::pow(10.0, n + 1.0);               // 2. s = a * 10^(n+1)
    if (a < 0.0)                                          // 3. move half a unit away from zero
        s = s - 5.0;
    else
        s = s + 5.0;
    s = s * 0.1;                                          // 4. s = s * 0.1
    const double r = std::trunc(s);                       // 5. integer part, toward zero
    return r / std::pow(10.0, n);                         // 6. r / 10^n
}

double ceil_places(double a, double places) noexcept {
    const double scaled = a * std::pow(10.0, places);
    return std::ceil(scaled) * std::pow(10.0, -places);
}

double floor_places(double a, double places) noexcept {
    const double scaled = a * std::pow(10.0, places);
    return std::floor(scaled) * std::pow(10.0, -places);
}

}  // namespace zerizi
