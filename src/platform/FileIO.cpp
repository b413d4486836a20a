#include "platform/FileIO.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#define TALLIX_POSIX_FILEIO 1
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <fstream>
#endif

namespace fs = std::filesystem;

namespace tallix::fileio {
namespace {

// File names arrive as UTF-8; path(std::string) would take them in the narrow
// system code page on Windows.
fs::path toPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string toUtf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

FileResult success() { return FileResult{true, {}}; }

FileResult failure(std::errc e) {
    return FileResult{false, std::make_error_code(e).message()};
}

FileResult failure(const std::error_code& ec) {
    FileResult r{false, ec.message()};
    r.missing = ec == std::errc::no_such_file_or_directory;
    return r;
}

FileResult tooLargeFailure() {
    FileResult r = failure(std::errc::file_too_large);
    r.tooLarge = true;
    return r;
}

#ifdef TALLIX_POSIX_FILEIO
FileResult failureFromErrno(int e) {
    FileResult r{false, std::generic_category().message(e)};
    r.missing = e == ENOENT;
    return r;
}
#endif

// A symbolic link is followed to the file it finally names (which need not exist
// yet), so that the link itself survives the save. Only the last component is
// followed: links among the folders do not matter to a rename.
bool resolveLinks(fs::path& p, std::error_code& ec) {
    for (int hops = 0; hops < 40; ++hops) {
        const fs::file_status st = fs::symlink_status(p, ec);
        if (ec) {
            if (ec == std::errc::no_such_file_or_directory) {
                ec.clear();
                return true;
            }
            return false;
        }
        if (!fs::is_symlink(st))
            return true;
        fs::path target = fs::read_symlink(p, ec);
        if (ec)
            return false;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return false;
}

// What every temporary file of a save to target is called before its unique
// part: "." + the target's name (cut to stay well inside the file system's limit,
// only between UTF-8 sequences) + ".tmp".
std::string temporaryPrefix(const fs::path& target) {
    std::string base = toUtf8(target.filename());
    if (base.size() > 96) {
        std::size_t cut = 96;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.resize(cut);
    }
    return "." + base + ".tmp";
}

// A name for the temporary file beside the target that no other writer (another
// save in this process, or another process) picks at the same moment.
fs::path temporaryName(const fs::path& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    std::string name = temporaryPrefix(target);
#ifdef TALLIX_POSIX_FILEIO
    name += std::to_string(static_cast<long long>(::getpid()));
    name += '-';
#endif
    name += std::to_string(counter.fetch_add(1) + attempt);
    name += '-';
    name += std::to_string(ticks % 1000000007ull);
    return target.parent_path() / toPath(name);
}

} // namespace

#ifdef TALLIX_POSIX_FILEIO

namespace {

// Reads up to count bytes of the file at path, refusing a file of more than limit
// bytes by its size before anything is read.
FileResult readPrefix(const std::string& path, std::string& out, std::size_t count,
                      std::size_t limit) {
    if (path.empty())
        return failure(std::errc::no_such_file_or_directory);
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); // a FIFO must not block
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return failureFromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return failureFromErrno(e);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return failure(std::errc::is_a_directory);
    }
    if (!S_ISREG(st.st_mode)) { // devices, pipes and sockets are not documents
        ::close(fd);
        return failure(std::errc::operation_not_supported);
    }
    if (st.st_size > 0 && static_cast<unsigned long long>(st.st_size) > limit) {
        ::close(fd);
        return tooLargeFailure();
    }
    // Read to the end rather than trusting the size: it may change underneath, and
    // some files report none. The bytes go straight into the string, which starts
    // one byte larger than the size says, so that the read that finds the end
    // needs no more room; it grows as the file does, never far past the limit.
    const std::size_t most = std::min(count, limit == NoLimit ? NoLimit : limit + 1);
    std::string data;
    data.resize(std::min(most, st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : std::size_t(65536)));
    std::size_t have = 0;
    while (have < most) {
        if (have == data.size())
            data.resize(std::min(most, data.size() * 2));
        const ssize_t n = ::read(fd, data.data() + have, data.size() - have);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            ::close(fd);
            return failureFromErrno(e);
        }
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
        if (have > limit) { // grew while it was read
            ::close(fd);
            return tooLargeFailure();
        }
    }
    ::close(fd);
    data.resize(have);
    out.swap(data);
    FileResult r = success();
    // Whole seconds toward zero, as the standard library's clocks count them.
    r.modified = std::int64_t(st.st_mtim.tv_sec) + (st.st_mtim.tv_sec < 0 && st.st_mtim.tv_nsec > 0 ? 1 : 0);
    return r;
}

} // namespace

namespace {

bool writeAll(int fd, std::string_view data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// A read-only file is one the user meant to keep. The permission bits decide, not
// the system's access check: that says yes to the administrator for every file.
bool isReadOnly(const fs::path& target, const struct stat& st) {
    const uid_t me = ::geteuid();
    if (st.st_uid == me)
        return (st.st_mode & S_IWUSR) == 0;
    if (me == 0)
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
}

// The unique part of our temporary names: pid "-" counter "-" ticks. Gives the
// pid when name is prefix followed by exactly that.
bool ourTemporaryPid(std::string_view name, std::string_view prefix, long long& pid) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return false;
    std::string_view rest = name.substr(prefix.size());
    long long numbers[3] = {0, 0, 0};
    for (int part = 0; part < 3; ++part) {
        std::size_t digits = 0;
        while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
            if (digits >= 18)
                return false;
            numbers[part] = numbers[part] * 10 + (rest[digits] - '0');
            ++digits;
        }
        if (digits == 0)
            return false;
        rest.remove_prefix(digits);
        if (part < 2) {
            if (rest.empty() || rest.front() != '-')
                return false;
            rest.remove_prefix(1);
        }
    }
    if (!rest.empty())
        return false;
    pid = numbers[0];
    return true;
}

// A save that was killed leaves its temporary file behind. Before the next save to
// the same target, remove those of ours whose writer is gone (or which nothing has
// touched for an hour, should the pid have been reused): a save in progress in
// another process keeps its file.
// prefixes: those of the targets (temporaryPrefix), sorted.
void removeStaleTemporaries(const fs::path& folderOf, const std::vector<std::string>& prefixes) {
    const fs::path folder = folderOf.empty() ? fs::path(".") : folderOf;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const auto now = std::chrono::system_clock::now();
    while (const dirent* entry = ::readdir(dir)) {
        long long pid = 0;
        // Our names end in ".tmp" and the unique part: the prefix is what comes
        // before that part, looked up among the targets' prefixes.
        const std::string_view name(entry->d_name);
        const std::size_t tmp = name.rfind(".tmp");
        if (name.empty() || name[0] != '.' || tmp == std::string_view::npos)
            continue;
        const std::string_view prefix = name.substr(0, tmp + 4);
        if (!std::binary_search(prefixes.begin(), prefixes.end(), prefix) ||
            !ourTemporaryPid(name, prefix, pid))
            continue;
        const fs::path file = folder / entry->d_name;
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        bool stale = pid <= 0 || pid > 0x7FFFFFFF ||
                     (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
        const auto modified = std::chrono::system_clock::from_time_t(st.st_mtime);
        if (now - modified > std::chrono::hours(1) && pid != ::getpid())
            stale = true;
        if (stale)
            ::unlink(file.c_str());
    }
    ::closedir(dir);
}

void removeStaleTemporaries(const fs::path& target) {
    removeStaleTemporaries(target.parent_path(), {temporaryPrefix(target)});
}

// Makes the rename itself durable; a failure here does not undo the save.
void syncFolder(const fs::path& folder) {
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a save to path replaces (symbolic links followed), and whether we may
// replace it: what is there now decides what the new file must look like.
FileResult checkTarget(const std::string& path, fs::path& target, struct stat& old,
                       bool& exists) {
    exists = false;
    if (path.empty())
        return failure(std::errc::no_such_file_or_directory);
    target = toPath(path);
    std::error_code ec;
    if (!resolveLinks(target, ec))
        return failure(ec);
    if (::stat(target.c_str(), &old) == 0) {
        exists = true;
        if (S_ISDIR(old.st_mode))
            return failure(std::errc::is_a_directory);
        if (!S_ISREG(old.st_mode))
            return failure(std::errc::operation_not_supported);
        // A rename would replace a read-only file as long as the folder is
        // writable; a read-only file is one the user meant to keep, so honour it.
        if (isReadOnly(target, old))
            return failure(std::errc::permission_denied);
    } else if (errno != ENOENT) {
        return failureFromErrno(errno);
    }
    return success();
}

// A new temporary file beside target, opened for writing.
FileResult createTemporary(const fs::path& target, fs::path& temp, int& fd) {
    fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(target, attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            return failureFromErrno(errno);
    }
    if (fd < 0)
        return failure(std::errc::file_exists);
    return success();
}

// Waits until a written file's data is on the disk.
int syncData(int fd) {
#if defined(__linux__)
    return ::fdatasync(fd);
#else
    return ::fsync(fd);
#endif
}

} // namespace

FileResult writeFileAtomic(const std::string& path, std::string_view data) {
    fs::path target;
    struct stat old {};
    bool exists = false;
    if (FileResult r = checkTarget(path, target, old, exists); !r.ok)
        return r;
    removeStaleTemporaries(target);

    fs::path temp;
    int fd = -1;
    if (FileResult r = createTemporary(target, temp, fd); !r.ok)
        return r;

    auto abandon = [&](int e) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return failureFromErrno(e);
    };

    if (exists && ::fchmod(fd, old.st_mode & 07777) != 0)
        return abandon(errno);
    if (!writeAll(fd, data))
        return abandon(errno);
    if (::fsync(fd) != 0)
        return abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return abandon(errno);
    syncFolder(target.parent_path());
    return success();
}


FileSetResult writeFileSetAtomic(const std::vector<FileData>& files) {
    struct Pending {
        fs::path target;
        fs::path temp;
        fs::path keep; // a second link to the old content, while the set is placed
        int fd = -1;
        bool existed = false;
        bool placed = false;
        struct stat old {};
    };
    std::vector<Pending> set(files.size());
    FileSetResult result;

    auto fail = [&](std::size_t index, const FileResult& why) {
        // Put back what was replaced, remove what was new and every temporary.
        for (Pending& p : set) {
            if (p.fd >= 0)
                ::close(p.fd);
            p.fd = -1;
            if (p.placed) {
                if (p.existed) {
                    if (p.keep.empty() || ::rename(p.keep.c_str(), p.target.c_str()) != 0)
                        result.untouched = false;
                    else
                        p.keep.clear();
                } else if (::unlink(p.target.c_str()) != 0) {
                    result.untouched = false;
                }
            } else if (!p.temp.empty()) {
                ::unlink(p.temp.c_str());
            }
            if (!p.keep.empty())
                ::unlink(p.keep.c_str());
        }
        result.ok = false;
        result.failed = index;
        result.error = why.error;
        return result;
    };

    // Every target is checked before anything is written.
    for (std::size_t i = 0; i < files.size(); ++i)
        if (FileResult r = checkTarget(files[i].path, set[i].target, set[i].old, set[i].existed);
            !r.ok)
            return fail(i, r);

    // What killed saves left beside the targets goes first, one look per folder.
    {
        std::vector<std::pair<fs::path, std::vector<std::string>>> folders;
        for (const Pending& p : set) {
            auto f = std::find_if(folders.begin(), folders.end(),
                                  [&](const auto& x) { return x.first == p.target.parent_path(); });
            if (f == folders.end()) {
                folders.emplace_back(p.target.parent_path(), std::vector<std::string>{});
                f = folders.end() - 1;
            }
            f->second.push_back(temporaryPrefix(p.target));
        }
        for (auto& [folder, prefixes] : folders) {
            std::sort(prefixes.begin(), prefixes.end());
            removeStaleTemporaries(folder, prefixes);
        }
    }

    // All the writing, into temporaries; nothing waits for the disk yet.
    for (std::size_t i = 0; i < files.size(); ++i) {
        Pending& p = set[i];
        if (FileResult r = createTemporary(p.target, p.temp, p.fd); !r.ok) {
            p.temp.clear();
            return fail(i, r);
        }
        if ((p.existed && ::fchmod(p.fd, p.old.st_mode & 07777) != 0) ||
            !writeAll(p.fd, files[i].data))
            return fail(i, failureFromErrno(errno));
    }

    // One flush for the set: every file's write-back started, then one wait.
    // Waiting file by file costs one flush of the disk's cache per file, which
    // on a long split export is most of its time; where the system can flush a
    // whole file system at once (syncfs), that is the one wait. Should it report
    // a failure, the files are flushed one by one, to find the one that failed.
    // A single file is flushed by itself, without waiting for anyone else's.
    bool synced = false;
#if defined(__linux__)
    for (Pending& p : set)
        ::sync_file_range(p.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (set.size() > 1) {
        synced = true;
        std::vector<dev_t> devices;
        for (Pending& p : set) {
            struct stat st {};
            if (::fstat(p.fd, &st) != 0) {
                synced = false;
                break;
            }
            if (std::find(devices.begin(), devices.end(), st.st_dev) != devices.end())
                continue;
            devices.push_back(st.st_dev);
            if (::syncfs(p.fd) != 0) {
                synced = false;
                break;
            }
        }
    }
#endif
    for (std::size_t i = 0; i < set.size(); ++i) {
        Pending& p = set[i];
        if (!synced && syncData(p.fd) != 0)
            return fail(i, failureFromErrno(errno));
        const int closed = ::close(p.fd);
        p.fd = -1;
        if (closed != 0)
            return fail(i, failureFromErrno(errno));
    }

    // Into place, the last file first. An old file keeps a second name until the
    // set is placed, so a failed rename can put it back (where the file system
    // has no hard links, a rename can only fail once the others went through).
    for (std::size_t i = set.size(); i-- > 0;) {
        Pending& p = set[i];
        if (p.existed) {
            fs::path keep = temporaryName(p.target, 0);
            if (::link(p.target.c_str(), keep.c_str()) == 0)
                p.keep = std::move(keep);
        }
        if (::rename(p.temp.c_str(), p.target.c_str()) != 0)
            return fail(i, failureFromErrno(errno));
        p.placed = true;
    }

    std::vector<fs::path> folders;
    for (Pending& p : set) {
        if (!p.keep.empty())
            ::unlink(p.keep.c_str());
        const fs::path folder = p.target.parent_path();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    for (const fs::path& folder : folders)
        syncFolder(folder);
    result.ok = true;
    return result;
}

#else // Portable fallback: std::filesystem and file streams.

namespace {

FileResult readPrefix(const std::string& path, std::string& out, std::size_t count,
                      std::size_t limit) {
    const fs::path p = toPath(path);
    std::error_code ec;
    const fs::file_status st = fs::status(p, ec);
    if (ec)
        return failure(ec);
    if (fs::is_directory(st))
        return failure(std::errc::is_a_directory);
    std::ifstream in(p, std::ios::binary);
    if (!in)
        return failure(std::errc::permission_denied);
    std::string data;
    if (const auto size = fs::file_size(p, ec); !ec) {
        if (size > limit)
            return tooLargeFailure();
        data.reserve(std::min(count, static_cast<std::size_t>(size)));
    }
    char buf[65536];
    while (data.size() < count) {
        const std::size_t want = std::min(sizeof buf, count - data.size());
        if (!in.read(buf, static_cast<std::streamsize>(want)) && in.gcount() == 0)
            break;
        data.append(buf, static_cast<std::size_t>(in.gcount()));
        if (data.size() > limit)
            return tooLargeFailure();
    }
    if (in.bad())
        return failure(std::errc::io_error);
    out.swap(data);
    FileResult r = success();
    if (const auto t = fs::last_write_time(p, ec); !ec)
        r.modified = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::file_clock::to_sys(t).time_since_epoch())
                         .count();
    return r;
}

} // namespace

FileResult writeFileAtomic(const std::string& path, std::string_view data) {
    if (path.empty())
        return failure(std::errc::no_such_file_or_directory);
    fs::path target = toPath(path);
    std::error_code ec;
    if (!resolveLinks(target, ec))
        return failure(ec);

    const fs::file_status st = fs::status(target, ec);
    const bool exists = !ec && fs::exists(st);
    ec.clear();
    if (exists) {
        if (fs::is_directory(st))
            return failure(std::errc::is_a_directory);
        if (!fs::is_regular_file(st))
            return failure(std::errc::operation_not_supported);
        if ((st.permissions() & fs::perms::owner_write) == fs::perms::none)
            return failure(std::errc::permission_denied);
    }
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec))
        return failure(ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory));

    fs::path temp;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp = temporaryName(target, attempt);
        if (!fs::exists(temp, ec) && !ec)
            break;
        temp.clear();
    }
    if (temp.empty())
        return failure(std::errc::file_exists);

    auto abandon = [&](const std::error_code& e) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return failure(e);
    };
    {
        std::ofstream o(temp, std::ios::binary | std::ios::trunc);
        if (!o)
            return abandon(std::make_error_code(std::errc::permission_denied));
        o.write(data.data(), static_cast<std::streamsize>(data.size()));
        o.flush();
        if (!o)
            return abandon(std::make_error_code(std::errc::io_error));
    }
    if (exists) {
        fs::permissions(temp, st.permissions(), fs::perm_options::replace, ec);
        if (ec)
            return abandon(ec);
    }
    fs::rename(temp, target, ec);
    if (ec)
        return abandon(ec);
    return success();
}


FileSetResult writeFileSetAtomic(const std::vector<FileData>& files) {
    // Without hard links to keep the old files, the set is written into
    // temporaries through writeFileAtomic's checks, then renamed.
    FileSetResult result;
    std::vector<fs::path> temps;
    auto fail = [&](std::size_t index, const FileResult& why) {
        std::error_code ignored;
        for (const fs::path& t : temps)
            fs::remove(t, ignored);
        result.ok = false;
        result.failed = index;
        result.error = why.error;
        return result;
    };
    std::vector<fs::path> targets;
    for (std::size_t i = 0; i < files.size(); ++i) {
        fs::path target = toPath(files[i].path);
        std::error_code ec;
        if (files[i].path.empty() || !resolveLinks(target, ec))
            return fail(i, ec ? failure(ec) : failure(std::errc::no_such_file_or_directory));
        const fs::path temp = temporaryName(target, 0);
        const FileResult w = writeFileAtomic(toUtf8(temp), files[i].data);
        if (!w.ok)
            return fail(i, w);
        temps.push_back(temp);
        targets.push_back(target);
    }
    for (std::size_t i = targets.size(); i-- > 0;) {
        std::error_code ec;
        fs::rename(temps[i], targets[i], ec);
        if (ec) {
            result.untouched = i + 1 == targets.size();
            return fail(i, failure(ec));
        }
        temps[i].clear();
    }
    result.ok = true;
    return result;
}
#endif

FileResult readFile(const std::string& path, std::string& out, std::size_t limit) {
    return readPrefix(path, out, NoLimit, limit);
}

FileResult readFileHead(const std::string& path, std::string& out, std::size_t count,
                        std::size_t limit) {
    return readPrefix(path, out, count, limit);
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty())
        return false;
    std::error_code ec;
    const bool same = fs::equivalent(toPath(a), toPath(b), ec);
    return !ec && same;
}

FileResult setAside(const std::string& path, std::string& setAsidePath) {
    std::error_code ec;
    const fs::path from = toPath(path);
    if (fs::symlink_status(from, ec).type() == fs::file_type::not_found)
        return failure(std::errc::no_such_file_or_directory);
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = n == 1 ? path + ".bad" : path + "." + std::to_string(n) + ".bad";
        const fs::path to = toPath(candidate);
        if (fs::symlink_status(to, ec).type() != fs::file_type::not_found)
            continue; // taken (or not to be looked at): never replace it
        fs::rename(from, to, ec);
        if (ec)
            return failure(ec);
        setAsidePath = candidate;
        return success();
    }
    return failure(std::errc::file_exists);
}

std::string canonicalPath(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code ec;
    const fs::path full = fs::absolute(toPath(path), ec);
    if (ec)
        return path;
    const fs::path resolved = fs::weakly_canonical(full, ec);
    return toUtf8(ec ? full.lexically_normal() : resolved);
}

FileStamp stampOf(std::string_view bytes) {
    return FileStamp{true, bytes.size(), std::hash<std::string_view>{}(bytes)};
}

bool changedSince(const std::string& path, const FileStamp& stamp) {
    if (!stamp.known)
        return false;
    std::error_code ec;
    const fs::path p = toPath(path);
    const fs::file_status st = fs::status(p, ec);
    if (st.type() == fs::file_type::not_found)
        return false;
    // A different size needs no reading.
    const std::uintmax_t size = fs::file_size(p, ec);
    if (!ec && size != stamp.size)
        return true;
    std::string bytes;
    if (!readFile(path, bytes).ok)
        return true;
    const FileStamp now = stampOf(bytes);
    return now.size != stamp.size || now.hash != stamp.hash;
}

} // namespace tallix::fileio
