#include "dom/document_file.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

namespace {

// Differs between calls, processes and runs; the exclusive create below is
// what actually rules out sharing a file.
uint64_t Nonce() {
    static std::atomic<uint64_t> counter{0};
#ifdef _WIN32
    const uint64_t process = GetCurrentProcessId();
#else
    const uint64_t process = static_cast<uint64_t>(getpid());
#endif
    uint64_t x = static_cast<uint64_t>(
                     std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
                 (process << 40) ^ (++counter * 0x9E3779B97F4A7C15ull);
    // splitmix64 finaliser: spreads the bits so close inputs give far names.
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// The folder part of `path`, separator included ("" for a bare name), and a
// fixed-length file name in it, so a long target name cannot make it too long.
template <class Path>
Path TempPathBeside(const Path& path, const Path& separators) {
    const size_t cut = path.find_last_of(separators);
    Path temp = cut == Path::npos ? Path() : path.substr(0, cut + 1);
    const char prefix[] = ".torvxml-";
    temp.append(prefix, prefix + sizeof(prefix) - 1);
    uint64_t n = Nonce();
    for (int i = 0; i < 16; ++i, n >>= 4) temp.push_back("0123456789abcdef"[n & 0xF]);
    const char suffix[] = ".tmp";
    temp.append(suffix, suffix + sizeof(suffix) - 1);
    return temp;
}

constexpr int kCreateAttempts = 64;

// pugixml's output sink into an open file. After the first failed write it
// writes nothing more and reports the failure.
template <class Write>
class FileSink : public pugi::xml_writer {
public:
    explicit FileSink(Write write) : write_(write) {}
    void write(const void* data, size_t size) override {
        if (ok_) ok_ = write_(static_cast<const char*>(data), size);
    }
    bool ok() const { return ok_; }

private:
    Write write_;
    bool ok_ = true;
};

template <class Write>
bool WriteDocument(const pugi::xml_document& doc, unsigned int flags, Write write) {
    FileSink<Write> sink(write);
    doc.save(sink, "\t", flags, pugi::encoding_auto);
    return sink.ok();
}

#ifdef _WIN32

// The narrow pugixml and C runtime calls read paths in the ANSI code page;
// only UTF-16 reaches every name.
bool WidePath(const char* utf8, std::wstring& out) {
    const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (count <= 0) return false;
    out.assign(static_cast<size_t>(count), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &out[0], count) != count)
        return false;
    out.resize(static_cast<size_t>(count - 1));
    return true;
}

// The new file beside the target, created exclusively; removed again unless
// it has replaced the target.
class TempFile {
public:
    explicit TempFile(const std::wstring& target) {
        for (int i = 0; i < kCreateAttempts; ++i) {
            path_ = TempPathBeside(target, std::wstring(L"\\/"));
            handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE) return;
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
        }
        path_.clear();
    }
    ~TempFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

    bool Write(const char* data, size_t size) {
        while (size > 0) {
            const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) return false;
            data += written;
            size -= written;
        }
        return true;
    }

    // Flushes and closes the file, then moves it over the target.
    bool Replace(const std::wstring& target) {
        const bool flushed = FlushFileBuffers(handle_) != 0;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        if (!flushed || !closed ||
            !MoveFileExW(path_.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        path_.clear();
        return true;
    }

private:
    std::wstring path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

pugi::xml_parse_result LoadDocumentFile(pugi::xml_document& doc, const char* path) {
    std::wstring wide;
    if (!WidePath(path, wide)) {
        pugi::xml_parse_result result;
        result.status = pugi::status_file_not_found;
        return result;
    }
    return doc.load_file(wide.c_str(), pugi::parse_default, pugi::encoding_auto);
}

bool SaveDocumentFile(const pugi::xml_document& doc, const char* path, unsigned int flags) {
    std::wstring target;
    if (!WidePath(path, target)) return false;
    TempFile temp(target);
    return temp.open() &&
           WriteDocument(doc, flags,
                         [&](const char* data, size_t size) { return temp.Write(data, size); }) &&
           temp.Replace(target);
}

#else

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// The new file beside the target, created exclusively with the permission
// bits a new file gets; removed again unless it has replaced the target.
class TempFile {
public:
    explicit TempFile(const std::string& target) {
        for (int i = 0; i < kCreateAttempts; ++i) {
            path_ = TempPathBeside(target, std::string("/"));
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0 || errno != EEXIST) break;
        }
        if (fd_ < 0) path_.clear();
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool open() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Flushes and closes the file, then renames it over the target.
    bool Replace(const std::string& target) {
        const bool flushed = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!flushed || !closed || ::rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
};

// Where the text goes: replacing a symbolic link would cut it, so the file
// it points to is replaced instead.
bool ResolveTarget(const char* path, std::string& target) {
    struct stat link;
    if (::lstat(path, &link) != 0 || !S_ISLNK(link.st_mode)) {
        target = path;
        return true;
    }
    char* resolved = ::realpath(path, nullptr);
    if (!resolved) return false;
    target = resolved;
    std::free(resolved);
    return true;
}

// A device or pipe has no content to keep and cannot be replaced by a
// file: it is written in place, as before.
bool WriteInPlace(const pugi::xml_document& doc, const std::string& target, unsigned int flags) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    const bool written = WriteDocument(
        doc, flags, [fd](const char* data, size_t size) { return WriteAll(fd, data, size); });
    return (::close(fd) == 0) && written;
}

// A file the caller may not write stays refused even where the folder would
// allow replacing it.
bool Writable(const std::string& target) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// Makes the rename itself durable; a folder that cannot be synced leaves the
// save as done as the file system allows.
void SyncFolderOf(const std::string& target) {
    const size_t cut = target.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : target.substr(0, cut + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

pugi::xml_parse_result LoadDocumentFile(pugi::xml_document& doc, const char* path) {
    return doc.load_file(path, pugi::parse_default, pugi::encoding_auto);
}

bool SaveDocumentFile(const pugi::xml_document& doc, const char* path, unsigned int flags) {
    std::string target;
    if (!ResolveTarget(path, target)) return false;
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return WriteInPlace(doc, target, flags);
    if (exists && !Writable(target)) return false;
    TempFile temp(target);
    if (!temp.open()) return false;
    // A replaced file keeps its permission bits.
    if (exists && ::fchmod(temp.fd(), old.st_mode & 07777) != 0) return false;
    const int fd = temp.fd();
    if (!WriteDocument(doc, flags,
                       [fd](const char* data, size_t size) { return WriteAll(fd, data, size); }) ||
        !temp.Replace(target))
        return false;
    SyncFolderOf(target);
    return true;
}

#endif
