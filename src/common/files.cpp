#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace vistrel {

namespace fs = std::filesystem;

std::optional<std::string> ReadWholeFile(const fs::path& path, int* error_code) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  auto fail = [&]() -> std::optional<std::string> {
    if (error_code) *error_code = errno;
    return std::nullopt;
  };
  if (fd < 0) return fail();
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      ::close(fd);
      errno = saved;
      return fail();
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (error_code) *error_code = 0;
  return data;
}

std::string CannotReadMessage(const fs::path& path, int error_code) {
  return "Cannot read " + path.string() + ": " + std::strerror(error_code);
}

Result<std::string> ReadFile(const fs::path& path) {
  int error_code = 0;
  std::optional<std::string> bytes = ReadWholeFile(path, &error_code);
  if (!bytes) return Result<std::string>::Fail(CannotReadMessage(path, error_code));
  return Result<std::string>::Ok(std::move(*bytes));
}

Outcome WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  auto failure = [&](const char* what, int err) {
    return Outcome::Fail("Cannot write " + path.string() + ": " + what + ": " + std::strerror(err));
  };
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return failure("cannot create folder", ec.value());

  std::string tmpl = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return failure("cannot create temporary file", errno);
  auto abandon = [&](const char* what) {
    int err = errno;
    ::close(fd);
    ::unlink(tmpl.c_str());
    return failure(what, err);
  };
  // mkstemp makes the file private; stored files get the usual permissions.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);

  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return abandon("write failed");
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return abandon("flush failed");
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmpl.c_str());
    return failure("close failed", err);
  }
  if (::rename(tmpl.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmpl.c_str());
    return failure("rename failed", err);
  }
  // Make the rename itself durable.
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return Outcome::Ok();
}

}  // namespace vistrel
