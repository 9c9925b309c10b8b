// Constants shared by every subsystem, and the one missing-value test.
#pragma once

namespace tabrix {

// Length of every observation array; observation 0 is the series' first date.
constexpr int MaxObs = 1999;

// The marker of a missing observation in banks, expressions and tables.
constexpr float MissingValue = -0.000001f;

// A value within this distance of MissingValue counts as missing (-1.1e-6 .. -9e-7).
constexpr double MissingTolerance = 0.0000001;

// True for a missing observation.
inline bool isMissing(double value) {
  return value >= -0.0000011 && value <= -0.0000009;
}

}  // namespace tabrix
