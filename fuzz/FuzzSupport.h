#pragma once
// Shared by the fuzz targets: a scratch file for the readers that take a path,
// the parts of one input, and the promises of rich content.
#include "document/RichContent.h"
#include "platform/FileIO.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

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

// Aborts unless the content keeps its promises (RichContent.h): runs of text
// that cover it exactly, none empty, font names within their length; CR LF
// breaks and never a lone CR or LF; one paragraph format per paragraph.
inline void checkContent(const RichContent& c) {
    std::size_t covered = 0;
    for (const FormatRun& run : c.runs) {
        if (run.length <= 0 || run.format.fontName.size() > MaxFontNameLength)
            std::abort();
        covered += std::size_t(run.length);
    }
    if (covered != c.text.size())
        std::abort();
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < c.text.size(); ++i) {
        if (c.text[i] == u'\r') {
            if (i + 1 >= c.text.size() || c.text[i + 1] != u'\n')
                std::abort();
            ++breaks;
            ++i;
        } else if (c.text[i] == u'\n') {
            std::abort();
        }
    }
    if (c.paragraphs.size() != breaks + 1)
        std::abort();
}

// The separator between the parts of one input of the targets that build a whole
// file from several parts (the seeds are written with it; see make-seeds.sh).
inline constexpr std::string_view PartSeparator = "\n#part\n";

// The input cut at each separator, at most count parts (the last takes the rest).
inline std::vector<std::string> splitParts(std::string_view bytes, std::size_t count) {
    std::vector<std::string> parts;
    while (parts.size() + 1 < count) {
        const std::size_t at = bytes.find(PartSeparator);
        if (at == std::string_view::npos)
            break;
        parts.emplace_back(bytes.substr(0, at));
        bytes.remove_prefix(at + PartSeparator.size());
    }
    parts.emplace_back(bytes);
    return parts;
}

} // namespace tallix::fuzz
