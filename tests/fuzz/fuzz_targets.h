// What the fuzz targets do with one input, shared by the libFuzzer programs,
// the seed-corpus maker and the test that replays kept inputs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::fuzz {

// Loads `data` as a settings file with quiet mode on, through the batch
// load (the reader's header check, the configuration record, the backup
// capture and file, the source record, every item's Read, the data files),
// then undoes the load, once on a fresh machine of each Windows kind.
// Returns on how many kinds the load succeeded.
int LoadSettingsBytes(const std::uint8_t* data, std::size_t size);

// Reads `data` as a configuration file, writes the configuration back and
// reads that again, with quiet mode on.
void LoadConfigurationBytes(const std::uint8_t* data, std::size_t size);

}  // namespace qv::fuzz
