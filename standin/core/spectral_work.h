// The stand-in's recognition work: real spectral computation, so that processing time is spent
// the way an engine spends it, on the processor, never asleep.
#pragma once

#include <cstddef>

namespace standin {

// Log-magnitude spectra of successive 256-sample frames of the signal; returns a checksum.
double SpectralPass(const float* samples, size_t count);

// Repeats spectral passes over the signal (or over a synthetic one when it is empty) until at
// least the given time has passed; one pass at the least when the signal is given.
double WorkFor(double milliseconds, const float* samples = nullptr, size_t count = 0);

// Microseconds of the performance counter.
long long NowMicroseconds();

} // namespace standin
