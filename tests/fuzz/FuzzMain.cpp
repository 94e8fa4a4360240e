// A libFuzzer target: one of the readers, chosen when it is built (VARENTIS_FUZZ_TARGET).
// A broken property aborts, so the fuzzer keeps the input that broke it.
#include "fuzz/FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const varentis::fuzz::Target* target = varentis::fuzz::findTarget(VARENTIS_FUZZ_TARGET);
    const std::string problem =
        target->check(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", VARENTIS_FUZZ_TARGET, problem.c_str());
        std::abort();
    }
    return 0;
}
