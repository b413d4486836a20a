#pragma once
// Shared by the fuzz targets: a scratch file for the readers that take a path.
#include "platform/FileIO.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace tallix::fuzz {

// A file of this process's own in the temporary folder (several targets run at
// once), named with the given extension.
inline std::string scratchPath(std::string_view extension) {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec)
        dir = "/tmp";
    return (dir / ("tallix-fuzz-" + std::to_string(::getpid()) + std::string(extension)))
        .string();
}

// Writes the input to the scratch file and returns its path; aborts when it cannot
// (a fuzz run without its file would test nothing). A plain write, not the
// program's atomic one: its flush to the disk would cost most of each run.
inline std::string writeScratch(const std::uint8_t* data, std::size_t size,
                                std::string_view extension) {
    const std::string path = scratchPath(extension);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    out.close();
    if (!out)
        std::abort();
    return path;
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace tallix::fuzz
