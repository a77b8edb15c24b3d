#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/large_pages.h"

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
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    data.reserve(static_cast<size_t>(st.st_size));
    AdviseLargePages(data.data(), data.capacity());  // a package is tens of MB
  }
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

namespace {

// Links followed before giving up, as the system does for a path.
constexpr int kMaxLinks = 40;

// The file that writing `path` must replace: `path` itself, or the file its chain of symbolic
// links ends at (which need not exist yet). Nothing when the chain is too long, with errno.
std::optional<fs::path> WriteTarget(const fs::path& path) {
  fs::path at = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec))) return at;
    const fs::path target = fs::read_symlink(at, ec);
    if (ec) {
      errno = ec.value();
      return std::nullopt;
    }
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  errno = ELOOP;
  return std::nullopt;
}

// mkstemp's names for the temporary file of `name`: "." + name + "." + six letters or digits.
bool IsTemporaryOf(const std::string& candidate, const std::string& name) {
  const std::string prefix = "." + name + ".";
  if (candidate.size() != prefix.size() + 6 || candidate.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  for (std::size_t i = prefix.size(); i < candidate.size(); ++i) {
    const char c = candidate[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return true;
}

// Temporary files of `name` that an earlier write left behind when the program was stopped
// in the middle of it. Only plain files go; failures are ignored.
void RemoveLeftovers(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsTemporaryOf(it->path().filename().string(), name) &&
        fs::is_regular_file(it->symlink_status(ec))) {
      ::unlink(it->path().c_str());
    }
  }
}

}  // namespace

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
  bool given = false;
  return WriteFileAtomically(path, [&]() -> Result<std::string_view> {
    if (given) return Result<std::string_view>::Ok({});
    given = true;
    return Result<std::string_view>::Ok(bytes);
  });
}

Outcome WriteFileAtomically(const fs::path& path,
                            const std::function<Result<std::string_view>()>& next_chunk) {
  auto failure = [&](const char* what, int err) {
    return Outcome::Fail("Cannot write " + path.string() + ": " + what + ": " + std::strerror(err));
  };
  // A symbolic link (into a folder of dotfiles, say) stays a link: its target is replaced.
  const std::optional<fs::path> resolved = WriteTarget(path);
  if (!resolved) return failure("cannot follow the link", errno);
  const fs::path& target = *resolved;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return failure("cannot create folder", ec.value());
  RemoveLeftovers(folder, target.filename().string());

  // The file keeps its permissions; a new one gets the usual ones.
  mode_t mode = 0;
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  std::string tmpl = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return failure("cannot create temporary file", errno);
  auto abandon = [&](const char* what) {
    int err = errno;
    ::close(fd);
    ::unlink(tmpl.c_str());
    return failure(what, err);
  };
  // mkstemp makes the file private.
  if (::fchmod(fd, mode) != 0) return abandon("cannot set permissions");

  for (;;) {
    const Result<std::string_view> chunk = next_chunk();
    if (!chunk.ok()) {
      ::close(fd);
      ::unlink(tmpl.c_str());
      return Outcome::Fail("Cannot write " + path.string() + ": " + chunk.error);
    }
    if (chunk.value->empty()) break;
    const char* p = chunk.value->data();
    size_t left = chunk.value->size();
    while (left > 0) {
      ssize_t n = ::write(fd, p, left);
      if (n < 0) {
        if (errno == EINTR) continue;
        return abandon("write failed");
      }
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  if (::fsync(fd) != 0) return abandon("flush failed");
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmpl.c_str());
    return failure("close failed", err);
  }
  if (::rename(tmpl.c_str(), target.c_str()) != 0) {
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
