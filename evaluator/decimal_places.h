// ROUND, CEIL and FLOOR: rounding at a number of decimal places, computed in
// exactly the steps below so that results match to the last bit.
#pragma once

namespace zerizi {

// a rounded to trunc(places) decimal places, halves away from zero.
double round_places(double a, double places) noexcept;
// ceil(a * pow(10, places)) * pow(10, -places); places used unchanged.
double ceil_places(double a, double places) noexcept;
// floor(a * pow(10, places)) * pow(10, -places); places used unchanged.
double floor_places(double a, double places) noexcept;

}  // namespace zerizi
