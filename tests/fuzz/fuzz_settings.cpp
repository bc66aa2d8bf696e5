// libFuzzer harness: the settings decoder and reader.
#include "FuzzTargets.h"

#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("miravo-fuzz-" + std::to_string(getpid()) + ".ENV");
    FuzzSettings({data, size}, scratch);
    return 0;
}
