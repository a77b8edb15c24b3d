#pragma once
// Synthetic package files for the load benchmarks, written once per channel count into a
// temporary folder that is removed when the process ends.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace vistrel::bench {

struct PackageFile {
  std::filesystem::path path;
  std::uintmax_t file_bytes = 0;   // size of the enciphered package
  std::uintmax_t table_bytes = 0;  // size of the six tables uncompressed
};

// The package of SyntheticPackageEntries(channel_count), built on first use.
const PackageFile& SyntheticPackageFile(std::size_t channel_count);

}  // namespace vistrel::bench
