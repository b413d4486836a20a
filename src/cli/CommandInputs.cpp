#include "cli/CommandInputs.h"

#include "platform/FileIO.h"
#include <ostream>

namespace tallix::cli {

std::optional<std::string> inputOverwrittenBy(const std::string& output,
                                              const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs)
        if (!input.empty() && fileio::sameFile(output, input))
            return input;
    return std::nullopt;
}

bool outputsSpareInputs(const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, std::ostream& err) {
    for (const std::string& output : outputs) {
        if (const std::optional<std::string> input = inputOverwrittenBy(output, inputs)) {
            err << "tallix32: " << output << " is the same file as the input " << *input
                << ": nothing was written, and the input is left as it was\n";
            return false;
        }
    }
    return true;
}

} // namespace tallix::cli
