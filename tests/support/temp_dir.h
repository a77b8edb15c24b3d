#pragma once
#include <filesystem>
#include <string>

namespace vistrel {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes `bytes` to `path`, creating its folders; reads a whole file back (empty when missing).
void WriteTestFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadTestFile(const std::filesystem::path& path);

}  // namespace vistrel
