#pragma once
// Prompts for driving the document commands in a test: every save question is
// answered No, every save dialog cancelled, every message kept.
#include "document/DocumentCommands.h"

#include <optional>
#include <string>
#include <vector>

namespace tallix::testing {

struct QuietPrompts : DocumentPrompts {
    int questions = 0;
    std::vector<Message> shown;
    Answer askSaveChanges() override {
        ++questions;
        return Answer::No;
    }
    std::optional<std::string> askSavePath(const std::string&) override { return std::nullopt; }
    void showMessage(const Message& m) override { shown.push_back(m); }
    bool askOverwriteChanged(const std::string&) override { return false; }
};

} // namespace tallix::testing
