#pragma once
// Counts the times a file is replaced, as the atomic write does it (a finished file renamed
// over it), by watching its folder with inotify. Events queue as the renames happen, so the
// count is exact the moment the writing call returns.

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace vistrel {

class FileWriteCounter {
 public:
  // Watches from now on; the folder of `file` is created when missing.
  explicit FileWriteCounter(const std::filesystem::path& file) : name_(file.filename().string()) {
    std::filesystem::create_directories(file.parent_path());
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 ||
        inotify_add_watch(fd_, file.parent_path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
      throw std::runtime_error("cannot watch " + file.parent_path().string());
    }
  }
  ~FileWriteCounter() { ::close(fd_); }
  FileWriteCounter(const FileWriteCounter&) = delete;
  FileWriteCounter& operator=(const FileWriteCounter&) = delete;

  // The writes of the file since the counter was made.
  int Count() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t size = ::read(fd_, buffer, sizeof buffer);
      if (size <= 0) break;
      for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        // A replacement by rename, or a write in place.
        if (event->len > 0 && name_ == event->name) ++count_;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return count_;
  }

 private:
  std::string name_;
  int fd_ = -1;
  int count_ = 0;
};

}  // namespace vistrel
