// Constants shared by every subsystem, and the one missing-value test.
#pragma once

namespace tabrix {

// Length of every observation array; observation 0 is the series' first date.
constexpr int MaxObs = 1999;

// The marker of a missing observation in banks, expressions and tables.
constexpr float MissingValue = -0.000001f;

// A value within this distance of MissingValue counts as missing (-1.1e-6 .. -9e-7).
constexpr double MissingTolerance = 0.0000001;

// The edges of the missing range. Values are mostly 32-bit floats, so each edge is the
// wider of its double and its float spelling: the float nearest -9e-7 lies just above
// -9e-7 and still counts.
constexpr double kMissingLow =
    -0.0000011 < static_cast<double>(-0.0000011f) ? -0.0000011 : static_cast<double>(-0.0000011f);
constexpr double kMissingHigh =
    -0.0000009 > static_cast<double>(-0.0000009f) ? -0.0000009 : static_cast<double>(-0.0000009f);

// True for a missing observation.
inline bool isMissing(double value) { return value >= kMissingLow && value <= kMissingHigh; }

}  // namespace tabrix
