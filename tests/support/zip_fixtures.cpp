#include "support/zip_fixtures.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/process.h"
#include "support/temp_dir.h"

namespace vistrel {

namespace {

constexpr char kPythonZip[] = R"(
import sys, zipfile
out, method, zip64, folder = sys.argv[1:5]
target = sys.stdout.buffer if out == '-' else out
compression = zipfile.ZIP_DEFLATED if method == 'deflated' else zipfile.ZIP_STORED
with zipfile.ZipFile(target, 'w', compression) as z:
    for name in sys.argv[5:]:
        with open(folder + '/' + name, 'rb') as f:
            data = f.read()
        with z.open(name, 'w', force_zip64=(zip64 == '1')) as w:
            w.write(data)
)";

void WriteEntries(const std::filesystem::path& folder, const std::vector<PackageEntry>& entries) {
  for (const auto& [name, bytes] : entries) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
  }
}

std::string NameList(const std::vector<PackageEntry>& entries) {
  std::string out;
  for (const auto& entry : entries) out += " " + ShellQuote(entry.first);
  return out;
}

std::string RunAndCollect(const std::string& command, const std::filesystem::path& archive) {
  const ProcessResult r = RunShell(command);
  if (r.exit_code != 0) throw std::runtime_error("'" + command + "' failed: " + r.err);
  std::ifstream in(archive, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::size_t FindHeader(const std::string& zip, std::string_view signature, std::size_t name_len_at,
                       std::size_t name_at, std::string_view name) {
  for (std::size_t at = zip.find(signature); at != std::string::npos;
       at = zip.find(signature, at + 1)) {
    if (at + name_at > zip.size()) break;
    const std::size_t len = static_cast<unsigned char>(zip[at + name_len_at]) |
                            static_cast<unsigned char>(zip[at + name_len_at + 1]) << 8;
    if (std::string_view(zip).substr(at + name_at, len) == name) return at;
  }
  throw std::runtime_error("no header for " + std::string(name));
}

std::size_t Le16(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

}  // namespace

std::string ZipWithInfoZip(const std::vector<PackageEntry>& entries, const ZipToolOptions& opts) {
  TempDir dir;
  WriteEntries(dir.path(), entries);
  const auto archive = dir.path() / "out.zip";
  std::string flags = " -q -X";
  if (!opts.deflated) flags += " -0";
  if (opts.zip64) flags += " -fz";
  const std::string zip = "zip" + flags + (opts.stream ? " -" : " out.zip") + NameList(entries);
  const std::string command = "cd " + ShellQuote(dir.path().string()) + " && " + zip +
                              (opts.stream ? " | cat > out.zip" : "");
  return RunAndCollect(command, archive);
}

std::string ZipWithPython(const std::vector<PackageEntry>& entries, const ZipToolOptions& opts) {
  TempDir dir;
  WriteEntries(dir.path(), entries);
  const auto archive = dir.path() / "out.zip";
  const std::string command =
      "python3 -c " + ShellQuote(kPythonZip) + (opts.stream ? " -" : " " + ShellQuote(archive)) +
      (opts.deflated ? " deflated" : " stored") + (opts.zip64 ? " 1 " : " 0 ") +
      ShellQuote(dir.path().string()) + NameList(entries) +
      (opts.stream ? " | cat > " + ShellQuote(archive) : "");
  return RunAndCollect(command, archive);
}

std::size_t LocalHeaderOffset(const std::string& zip, std::string_view name) {
  return FindHeader(zip, std::string_view("PK\3\4", 4), 26, 30, name);
}

std::size_t EntryDataOffset(const std::string& zip, std::string_view name) {
  const std::size_t at = LocalHeaderOffset(zip, name);
  return at + 30 + Le16(zip, at + 26) + Le16(zip, at + 28);
}

std::size_t CentralHeaderOffset(const std::string& zip, std::string_view name) {
  return FindHeader(zip, std::string_view("PK\1\2", 4), 28, 46, name);
}

std::uint32_t GetLe32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return v;
}

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>(value >> (8 * i) & 0xff);
}

}  // namespace vistrel
