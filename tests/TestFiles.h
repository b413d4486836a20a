#pragma once
// A folder of its own for a test, removed afterwards.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace tallix::testing {

class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tallix-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};

// Root ignores permission bits, so a permission test runs as an unprivileged user
// for its duration (the effective id only; the real id lets us come back).
// Elsewhere, or when the switch is refused, effective() says whether it holds.
class AsUnprivileged {
public:
    AsUnprivileged() {
#if defined(__unix__) || defined(__APPLE__)
        if (::geteuid() == 0)
            active_ = ::seteuid(65534) == 0; // nobody
#endif
    }
    ~AsUnprivileged() {
#if defined(__unix__) || defined(__APPLE__)
        if (active_)
            (void)::seteuid(0);
#endif
    }
    AsUnprivileged(const AsUnprivileged&) = delete;
    AsUnprivileged& operator=(const AsUnprivileged&) = delete;
    bool effective() const {
#if defined(__unix__) || defined(__APPLE__)
        return ::geteuid() != 0;
#else
        return true;
#endif
    }

private:
    bool active_ = false;
};

} // namespace tallix::testing
