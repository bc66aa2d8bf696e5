#pragma once
// Entry points shared by the libFuzzer harnesses and the mutation test that runs in every
// build. Each accepts any bytes; a broken invariant aborts, so both drivers see it.

#include <cstdint>
#include <span>

// Reads the bytes from a file, through its name or a link to it, and parses them as CSV
// and as RAW. A refused file must say why and where; an accepted one must fit the record,
// and what is written from it must read back the same.
void FuzzWaveFile(std::span<const uint8_t> data);

// DecodeSettings on the first 40 bytes (zero padded), and ReadSettings on the bytes as a
// settings file in the temporary folder (removed again), through its name or a link:
// list indices always inside their lists, colours as stored, the file never changed by
// reading it, and a read without problems gives back the bytes read.
void FuzzSettings(std::span<const uint8_t> data);
