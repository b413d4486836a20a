#pragma once
// Running the command line's export table in the test process: stored settings
// as the settings store would give them, and what a row printed and returned.
#include "cli/ExportCommands.h"
#include "platform/SettingsSource.h"

#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::testing {

class Stored : public SettingsSource {
public:
    std::map<std::string, std::string> values; // "Section/Name"
    std::string folder;
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view def) const override {
        auto it = values.find(std::string(section) + "/" + std::string(name));
        return it == values.end() ? std::string(def) : it->second;
    }
    std::string programFolder() const override { return folder; }
};

struct Outcome {
    int status;
    std::string out, err;
};

// The export table's row of that name, run on args.
inline Outcome runExportRow(std::string_view command, const std::vector<std::string>& args,
                            const SettingsSource& s) {
    std::ostringstream out, err;
    const int status = cli::runExportCommand(
        *cli::findExportCommand(cli::coreExportCommands(), command), args, out, err, s);
    return {status, out.str(), err.str()};
}

} // namespace tallix::testing
