#include "mission/calibration.h"

namespace frostel::mission {

namespace {

double quotient_or_zero(double dividend, double divisor) {
    return divisor == 0.0 ? 0.0 : dividend / divisor;
}

}  // namespace

double reading_celsius(RawReading raw, const TypeScale& scale) {
    return raw.high / 2.0 + raw.low / 512.0 + scale.raw_zero;
}

Calibration calibration_coefficients(const SensorCalibration& sensor, const TypeScale& scale) {
    const double r1 = scale.reference1;
    const double r2 = reading_celsius(sensor.reference2, scale);
    const double m2 = reading_celsius(sensor.reading2, scale);
    const double r3 = reading_celsius(sensor.reference3, scale);
    const double m3 = reading_celsius(sensor.reading3, scale);
    // The error at reference 1 is taken to be the one at reference 2.
    const double e1 = m2 - r2;
    const double e3 = m3 - r3;
    const double r1_squared = r1 * r1;
    const double r2_squared = r2 * r2;
    const double r3_squared = r3 * r3;

    Calibration k;
    k.b = quotient_or_zero(
        (r2_squared - r1_squared) * (e3 - e1),
        (r3 - r1) * (r2_squared - r1_squared) + (r3_squared - r1_squared) * (r1 - r2));
    k.a = quotient_or_zero(k.b * (r1 - r2), r2_squared - r1_squared);
    k.c = e1 - k.a * r1_squared - k.b * r1;
    return k;
}

double corrected(double t, const Calibration& calibration) {
    return t - (calibration.a * t * t + calibration.b * t + calibration.c);
}

}  // namespace frostel::mission
