// The settle count, kept out of the optimiser's reach so every addition runs.
#include "sweep/settle_delay.h"

double SettleDelay() {
  double counter = 0;
  while (counter < kSettleCount) {
    counter += 1;
    // The empty asm claims to read and change the counter, so the loop cannot be folded or removed.
    asm volatile("" : "+x"(counter));
  }
  return counter;
}
