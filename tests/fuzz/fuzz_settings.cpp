// libFuzzer harness: the settings decoder and reader.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzSettings({data, size});
    return 0;
}
