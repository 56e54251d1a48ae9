// What the sweep run needs of the instrument: one frame out and one level reply in per point.
#pragma once

class Instrument {
 public:
  virtual ~Instrument() = default;
  virtual void SendFrequency(double megahertz) = 0;
  // Waits for one level reply; sets SweepState::TimedOut when none came.
  virtual double ReadLevel() = 0;
  // False when the last attempt to open the port failed: every read then times out at once.
  virtual bool Connected() const = 0;
};
