#include "catalogue/format/zip_memory.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace vistrel {

namespace {

// One open "file": a view of the bytes being read, or the string being written.
struct MemoryFile {
  std::string_view bytes;
  std::string* sink = nullptr;
  std::size_t pos = 0;

  std::size_t size() const { return sink ? sink->size() : bytes.size(); }
  const char* data() const { return sink ? sink->data() : bytes.data(); }
};

voidpf ZCALLBACK OpenRead(voidpf, const void* filename, int) {
  return new (std::nothrow) MemoryFile{*static_cast<const std::string_view*>(filename), nullptr, 0};
}

voidpf ZCALLBACK OpenWrite(voidpf, const void* filename, int) {
  auto* sink = static_cast<std::string*>(const_cast<void*>(filename));
  sink->clear();
  return new (std::nothrow) MemoryFile{{}, sink, 0};
}

uLong ZCALLBACK Read(voidpf, voidpf stream, void* buf, uLong size) {
  auto* file = static_cast<MemoryFile*>(stream);
  const std::size_t total = file->size();
  if (file->pos >= total) return 0;
  const std::size_t n = std::min<std::size_t>(size, total - file->pos);
  if (n > 0) std::memcpy(buf, file->data() + file->pos, n);
  file->pos += n;
  return static_cast<uLong>(n);
}

uLong ZCALLBACK Write(voidpf, voidpf stream, const void* buf, uLong size) {
  auto* file = static_cast<MemoryFile*>(stream);
  if (!file->sink) return 0;
  std::string& sink = *file->sink;
  if (file->pos > sink.size()) sink.resize(file->pos, '\0');
  const std::size_t overlap = std::min<std::size_t>(size, sink.size() - file->pos);
  sink.replace(file->pos, overlap, static_cast<const char*>(buf), size);
  file->pos += size;
  return size;
}

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) {
  return static_cast<MemoryFile*>(stream)->pos;
}

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* file = static_cast<MemoryFile*>(stream);
  // Relative seeks may go backwards: minizip passes a negative distance converted to this
  // unsigned type, as the file-based functions do, which convert it back.
  const auto distance = static_cast<std::int64_t>(offset);
  std::int64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      if (offset > static_cast<ZPOS64_T>(INT64_MAX)) return -1;
      file->pos = static_cast<std::size_t>(offset);
      return 0;
    case ZLIB_FILEFUNC_SEEK_CUR:
      base = static_cast<std::int64_t>(file->pos);
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      base = static_cast<std::int64_t>(file->size());
      break;
    default:
      return -1;
  }
  // Positions past the end are allowed, as with a file: reads there give nothing.
  if ((distance < 0 && base + distance < 0) || (distance > 0 && distance > INT64_MAX - base)) {
    return -1;
  }
  file->pos = static_cast<std::size_t>(base + distance);
  return 0;
}

int ZCALLBACK Close(voidpf, voidpf stream) {
  delete static_cast<MemoryFile*>(stream);
  return 0;
}

int ZCALLBACK TestError(voidpf, voidpf) {
  return 0;
}

zlib_filefunc64_def MemoryFunctions(open64_file_func open) {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = open;
  functions.zread_file = Read;
  functions.zwrite_file = Write;
  functions.ztell64_file = Tell;
  functions.zseek64_file = Seek;
  functions.zclose_file = Close;
  functions.zerror_file = TestError;
  functions.opaque = nullptr;
  return functions;
}

}  // namespace

UnzipArchive OpenZipInMemory(std::string_view bytes) {
  zlib_filefunc64_def functions = MemoryFunctions(OpenRead);
  // minizip hands the "path" to the open function, which copies the view.
  unzFile handle = unzOpen2_64(&bytes, &functions);
  if (handle == nullptr) return {};
  return UnzipArchive(handle, bytes);
}

bool IsEmptyZipArchive(std::string_view bytes) {
  constexpr std::size_t kEndRecordSize = 22;
  if (bytes.size() < kEndRecordSize || bytes.substr(0, 4) != std::string_view("PK\x05\x06", 4)) {
    return false;
  }
  auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  // Disk numbers, entry counts, directory size and offset: all zero.
  for (std::size_t at = 4; at < 20; ++at) {
    if (byte(at) != 0) return false;
  }
  const std::size_t comment = byte(20) | (std::size_t{byte(21)} << 8);
  return bytes.size() == kEndRecordSize + comment;
}

zipFile CreateZipInMemory(std::string* out) {
  zlib_filefunc64_def functions = MemoryFunctions(OpenWrite);
  return zipOpen2_64(out, APPEND_STATUS_CREATE, nullptr, &functions);
}

}  // namespace vistrel
