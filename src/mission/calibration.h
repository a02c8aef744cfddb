#pragma once

#include "mission/logger_type.h"
#include "mission/mission_header.h"

namespace frostel::mission {

// The logger's sensor error as a quadratic in temperature: error(t) = a t² + b t + c.
struct Calibration {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
};

// A 16-bit reading in degrees Celsius on the type's scale, before any correction.
[[nodiscard]] double reading_celsius(RawReading raw, const TypeScale& scale);

// The coefficients fitted to the logger's two calibration points and reference 1 of its
// type; a coefficient whose divisor is zero is 0. Equal references whose readings match
// them (all calibration bytes 0x00 or all 0xFF) give no correction.
[[nodiscard]] Calibration calibration_coefficients(const SensorCalibration& sensor,
                                                   const TypeScale& scale);

// `t` with the sensor's error taken off.
[[nodiscard]] double corrected(double t, const Calibration& calibration);

}  // namespace frostel::mission
