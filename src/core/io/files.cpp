#include "core/io/files.h"

#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define KONFEX_POSIX_FILES 1
#endif

#include "core/io/text.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr size_t kTemporarySuffixLength = 10;
constexpr char kSuffixDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string errorText(int code) {
  return code != 0 ? std::generic_category().message(code) : std::string("unknown error");
}

std::string lastErrorText() {
  return errorText(errno);
}

fs::path temporarySibling(const fs::path& target) {
  std::random_device seed;
  std::mt19937_64 gen(seed());
  std::string suffix(kTemporaryMark);
  for (size_t i = 0; i < kTemporarySuffixLength; ++i) suffix.push_back(kSuffixDigits[gen() % 36]);
  fs::path tmp = target;
  tmp += suffix;
  return tmp;
}

bool isTemporaryOf(const std::string& name, const std::string& target) {
  if (name.size() != target.size() + kTemporaryMark.size() + kTemporarySuffixLength) return false;
  if (!name.starts_with(target) || name.compare(target.size(), kTemporaryMark.size(), kTemporaryMark) != 0)
    return false;
  for (size_t i = target.size() + kTemporaryMark.size(); i < name.size(); ++i)
    if (std::string_view(kSuffixDigits).find(name[i]) == std::string_view::npos) return false;
  return true;
}

// A save that was killed leaves its temporary behind; the next save of the same file removes it.
void removeStaleTemporaries(const fs::path& target) {
  std::error_code ec;
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const std::string name = target.filename().string();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& sibling = it->path();
    if (isTemporaryOf(sibling.filename().string(), name)) {
      std::error_code ignored;
      fs::remove(sibling, ignored);
    }
  }
}

#ifdef KONFEX_POSIX_FILES

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports a failure of the close itself (some file systems report write errors there).
  int close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(path, "write failed: " + lastErrorText());
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void syncFolder(const fs::path& folder, const fs::path& path) {
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return;  // a folder that cannot be opened for reading cannot be synced either
  // Some file systems cannot sync a folder (EINVAL); the data of the file itself is already on disk.
  if (::fsync(dir.get()) != 0 && errno != EINVAL && errno != EROFS)
    throw FileError(path, "flush to disk failed: " + lastErrorText());
}

// An unnamed file in the target's folder (Linux O_TMPFILE): it vanishes by itself if the process dies
// before it is linked. -1 where the system or file system has none.
int openUnnamedTemporary(const fs::path& folder) {
#ifdef O_TMPFILE
  return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
  (void)folder;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// Writes and flushes the file, then renames it over the target and flushes the folder, so that a power
// cut leaves the old file or the new one. An unnamed file is first linked under a temporary name (a link
// cannot replace a file); if it cannot be linked (no /proc), false asks for the named way.
bool writeAndReplace(Descriptor& file, bool unnamed, fs::path tmp, const fs::path& path, const fs::path& folder,
                     std::string_view bytes) {
  try {
    writeAll(file.get(), bytes, path);
    if (::fsync(file.get()) != 0) throw FileError(path, "write failed: " + lastErrorText());
    if (unnamed) {
      tmp = temporarySibling(path);
      const std::string self = "/proc/self/fd/" + std::to_string(file.get());
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
    }
    if (file.close() != 0) throw FileError(path, "write failed on close: " + lastErrorText());
    if (::rename(tmp.c_str(), path.c_str()) != 0) throw FileError(path, "cannot replace file: " + lastErrorText());
  } catch (const FileError&) {
    if (!tmp.empty()) ::unlink(tmp.c_str());
    throw;
  }
  syncFolder(folder, path);
  return true;
}

void writePosix(const fs::path& path, const fs::path& folder, std::string_view bytes, bool allowUnnamed) {
  if (allowUnnamed) {
    if (const int fd = openUnnamedTemporary(folder); fd >= 0) {
      Descriptor file(fd);
      if (writeAndReplace(file, true, {}, path, folder, bytes)) return;
    }
  }
  const fs::path tmp = temporarySibling(path);
  Descriptor file(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (file.get() < 0) throw FileError(path, "cannot create file: " + lastErrorText());
  writeAndReplace(file, false, tmp, path, folder, bytes);
}

#else

void writePortable(const fs::path& path, std::string_view bytes) {
  std::error_code ec;
  const fs::path tmp = temporarySibling(path);
  {
    errno = 0;
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw FileError(path, "cannot create file: " + lastErrorText());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      const std::string reason = "write failed: " + lastErrorText();
      out.close();
      fs::remove(tmp, ec);
      throw FileError(path, reason);
    }
    out.close();
    if (!out) {
      const std::string reason = "write failed on close: " + lastErrorText();
      fs::remove(tmp, ec);
      throw FileError(path, reason);
    }
  }
  fs::rename(tmp, path, ec);
  if (ec) {
    const std::string reason = "cannot replace file: " + ec.message();
    std::error_code ignored;
    fs::remove(tmp, ignored);
    throw FileError(path, reason);
  }
}

#endif

}  // namespace

FileError::FileError(const fs::path& path, const std::string& reason)
    : std::runtime_error(utf8String(path) + ": " + reason), path_(path), reason_(reason) {}

std::string readFile(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw FileError(path, "is a folder, not a file");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open for reading: " + lastErrorText());
  // Read in blocks rather than trusting a size: special files report none.
  std::string bytes;
  char block[65536];
  while (in.read(block, sizeof block) || in.gcount() > 0) bytes.append(block, static_cast<size_t>(in.gcount()));
  if (in.bad()) throw FileError(path, "read failed: " + lastErrorText());
  return bytes;
}

namespace detail {

void writeFileAtomically(const fs::path& path, std::string_view bytes, bool allowUnnamedTemporary) {
  std::error_code ec;
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  if (!fs::is_directory(folder, ec)) throw FileError(path, "folder does not exist: " + utf8String(folder));
  if (fs::is_directory(path, ec)) throw FileError(path, "a folder of that name is in the way");
  removeStaleTemporaries(path);
#ifdef KONFEX_POSIX_FILES
  writePosix(path, folder, bytes, allowUnnamedTemporary);
#else
  (void)allowUnnamedTemporary;
  writePortable(path, bytes);
#endif
}

}  // namespace detail

void writeFileAtomically(const fs::path& path, std::string_view bytes) {
  detail::writeFileAtomically(path, bytes, true);
}

fs::path keepBackup(const fs::path& file) {
  fs::path backup = file;
  backup += ".bak";
  writeFileAtomically(backup, readFile(file));
  return backup;
}

}  // namespace konfex
