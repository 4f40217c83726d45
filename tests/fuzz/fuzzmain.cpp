// One libFuzzer executable per target; HESTREL_FUZZ_ZIEL names the check.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/ziele.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse)
{
    hestrel::test::HESTREL_FUZZ_ZIEL(std::string_view(reinterpret_cast<const char*>(daten), groesse));
    return 0;
}
