#pragma once
// Whether the long sweeps take a sample of their states: in the builds that
// watch the memory (the sanitizers) or the compiler (Clang) rather than the
// numbers (VARNOK_SAMPLE_SWEEPS, set by the build).
constexpr bool kSanitizedBuild = VARNOK_SAMPLE_SWEEPS != 0;
