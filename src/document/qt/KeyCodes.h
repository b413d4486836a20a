#pragma once
// Windows virtual-key codes for Qt key events.
//
// The essay's key rule is stated in virtual-key codes (Backspace 8, Enter 13,
// Delete 46, letters 65..90, F1 112, ...). These functions give the code a key
// press has on a US keyboard, so that the rule refuses and passes the same keys
// on every platform.
#include "document/EditGuard.h"

#include <Qt>

class QKeyEvent;

namespace tallix {

// The virtual-key code of a Qt key (Qt::Key). modifiers tells keypad keys
// (Qt::KeypadModifier) from the main keyboard's. Shifted characters count as
// the key that types them ('!' is the 1 key, 49; ':' is the ;: key, 186).
// Other letters and digits count as a letter key (65); other characters as the
// OEM key 223; keys without a code of their own as 255, which no rule names.
int windowsVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
int windowsVirtualKey(const QKeyEvent& e);

// Shift, Ctrl, Alt and the Windows (Meta) key of a Qt modifier set.
guard::KeyModifiers guardModifiers(Qt::KeyboardModifiers modifiers);

} // namespace tallix
