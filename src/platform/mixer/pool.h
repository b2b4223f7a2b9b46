// The mixer channels of the open device, each given to one voice at a time (internal).
#pragma once

namespace mixer::pool {

// A free channel, growing the mixer's channel count when all are taken; -1 when closed.
int Take();
// Halts the channel and makes it free again.
void Give(int channel);

}  // namespace mixer::pool
