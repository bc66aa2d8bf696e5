#include "core/WaveRecord.h"

#include <cassert>

std::size_t SampleTable::slot(int channel, int index)
{
    assert(contains(channel, index));
    return std::size_t(index) * 2 + std::size_t(channel - 1);
}
