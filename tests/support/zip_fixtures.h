#pragma once
// Zip archives made by other tools (Info-ZIP's zip, Python's zipfile), and helpers that find
// places inside archive bytes so tests can damage them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/package.h"

namespace vistrel {

// How a foreign tool writes the archive.
struct ZipToolOptions {
  bool deflated = true;  // else stored
  bool zip64 = false;    // Zip64 records
  bool stream = false;   // written to a pipe: sizes follow the data in data descriptors
};

// The entries as an archive made by the `zip` program (entries as files of those names).
std::string ZipWithInfoZip(const std::vector<PackageEntry>& entries, const ZipToolOptions& opts);

// The entries as an archive made by Python's zipfile module.
std::string ZipWithPython(const std::vector<PackageEntry>& entries, const ZipToolOptions& opts);

// Offsets inside archive bytes of the entry called `name` (exact): its local header, its data,
// its central directory header. Throw std::runtime_error when not found.
std::size_t LocalHeaderOffset(const std::string& zip, std::string_view name);
std::size_t EntryDataOffset(const std::string& zip, std::string_view name);
std::size_t CentralHeaderOffset(const std::string& zip, std::string_view name);

// Little-endian field access, as zip stores its numbers.
std::uint32_t GetLe32(const std::string& bytes, std::size_t at);
void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value);

}  // namespace vistrel
