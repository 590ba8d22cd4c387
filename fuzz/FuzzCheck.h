#pragma once

#include <cstdio>
#include <cstdlib>

namespace quillmark::fuzz {

// A property every input must keep. A broken one aborts, which the fuzzer records as a finding with
// the input that broke it.
inline void check(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "fuzz: property broken: %s\n", property);
    std::abort();
}

}  // namespace quillmark::fuzz
