// The instrument's settling time: a fixed count of floating-point additions, not a timer.
#pragma once

inline constexpr double kSettleCount = 500000.0;

// Adds 1 to a double counter from 0 until it reaches kSettleCount, every addition executed; returns the counter.
double SettleDelay();
