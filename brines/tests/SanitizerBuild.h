#pragma once
// Whether the long sweeps take a sample of their states: in the builds that
// watch the memory (the sanitizers) or the compiler (Clang) rather than the
// numbers (VARNOK_SAMPLE_SWEEPS, set by the build).
constexpr bool kSanitizedBuild = VARNOK_SAMPLE_SWEEPS != 0;

#include <cstdlib>

// The number of random call sequences of a history test: `n`, or the one
// VARNOK_HISTORY_SEQUENCES sets for a longer search by hand.
inline int historySequences(int n) {
    const char* more = std::getenv("VARNOK_HISTORY_SEQUENCES");
    return more ? std::atoi(more) : n;
}
