#pragma once
// A message for a window to show in a box: what the core returns instead of
// showing anything itself.
#include <string>

namespace tallix {

enum class MessageType { Warning, Error, Information, Confirmation };
struct Message {
    std::u16string text;
    MessageType type = MessageType::Warning;
    int helpContext = 0;
};

} // namespace tallix
