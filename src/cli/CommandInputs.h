#pragma once
// The rule that a command never writes over one of its own inputs. (What the
// exports start from is loaded in export/ExportInputs.h, for the window and the
// command line alike.)

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tallix::cli {

// The first of inputs that output names (by any spelling, or through a link), or
// nullopt. Inputs that are not given (empty) are skipped.
std::optional<std::string> inputOverwrittenBy(const std::string& output,
                                              const std::vector<std::string>& inputs);

// Refuses a command that would write over one of its inputs: false after a line
// naming both files on err.
bool outputsSpareInputs(const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, std::ostream& err);

} // namespace tallix::cli
