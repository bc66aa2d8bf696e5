// libFuzzer harness: the waveform file reader (and writer, on what it accepts).
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzWaveFile({data, size});
    return 0;
}
