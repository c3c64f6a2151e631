#include "evaluator/decimal_places.h"

#include <cmath>

#include "evaluator/truncation.h"

namespace zerizi {

namespace {

// 10 to the power e. The platform's pow is not exact for powers of ten on
// every C runtime (MinGW's is off by an ulp already at 10^-2), so whole
// exponents up to 22, whose powers are exact doubles, come from a table and
// their inverses from one correctly rounded division: the same bits as
// glibc's pow, on every platform. Other exponents go to std::pow.
double power_of_ten(double e) noexcept {
    static constexpr double exact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (e >= -22.0 && e <= 22.0 && e == std::trunc(e)) {
        const int n = static_cast<int>(e);
        return n >= 0 ? exact[n] : 1.0 / exact[-n];
    }
    return std::pow(10.0, e);
}

}  // namespace

// Each step is its own statement and rounds to a double. Step 4 multiplies by
// the double nearest to 0.1 rather than dividing by 10: that is what makes
// 1.005 at 2 places give 1.01 (1009.9999999999999 * 0.1 is exactly 101).
double round_places(double a, double places) noexcept {
    const double n = truncate_to_int32(places);          // 1. n = trunc(b)
    double s = a * power_of_ten(n + 1.0);                 // 2. s = a * 10^(n+1)
    if (a < 0.0)                                          // 3. move half a unit away from zero
        s = s - 5.0;
    else
        s = s + 5.0;
    s = s * 0.1;                                          // 4. s = s * 0.1
    const double r = std::trunc(s);                       // 5. integer part, toward zero
    return r / power_of_ten(n);                           // 6. r / 10^n
}

double ceil_places(double a, double places) noexcept {
    const double scaled = a * power_of_ten(places);
    return std::ceil(scaled) * power_of_ten(-places);
}

double floor_places(double a, double places) noexcept {
    const double scaled = a * power_of_ten(places);
    return std::floor(scaled) * power_of_ten(-places);
}

}  // namespace zerizi
