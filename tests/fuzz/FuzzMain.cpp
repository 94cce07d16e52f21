// The libFuzzer entry of one fuzz program: each input goes to the target's entry function,
// which the build names with DEMO_FUZZ_ENTRY.
#include <cstddef>
#include <cstdint>

#ifndef DEMO_FUZZ_ENTRY
#error "DEMO_FUZZ_ENTRY must name the fuzz target's entry function"
#endif

int DEMO_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return DEMO_FUZZ_ENTRY(data, size);
}
