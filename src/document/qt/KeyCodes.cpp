#include "document/qt/KeyCodes.h"

#include <QChar>
#include <QKeyEvent>

namespace tallix {

namespace {

constexpr int NoCode = 255;
constexpr int LetterCode = 'A';
constexpr int OemCode = 223; // VK_OEM_8

// The keypad's own codes, for keys pressed with Qt::KeypadModifier.
int keypadCode(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 96 + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 110; // the decimal separator
    case Qt::Key_Slash: return 111;
    default: return 0;
    }
}

// Printable characters of the main keyboard, by the US key that types them.
int characterCode(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key; // '0'..'9' are 48..57
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // 'A'..'Z' are 65..90
    switch (key) {
    case Qt::Key_Space: return 32;
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 222;
    default: break;
    }
    if (key > 0x20 && key <= 0xFFFF) {
        const QChar c{char16_t(key)};
        if (c.isLetterOrNumber())
            return LetterCode;
        if (c.isPrint())
            return OemCode;
    }
    return 0;
}

} // namespace

int windowsVirtualKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier)
        if (int code = keypadCode(key))
            return code;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Cancel: return 3;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Kana_Lock:
    case Qt::Key_Kana_Shift:
    case Qt::Key_Hangul: return 21;
    case Qt::Key_Hangul_Hanja:
    case Qt::Key_Kanji: return 25;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Henkan: return 28;
    case Qt::Key_Muhenkan: return 29;
    case Qt::Key_Mode_switch: return 31;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Select: return 41;
    case Qt::Key_Printer: return 42;
    case Qt::Key_Execute: return 43;
    case Qt::Key_Print:
    case Qt::Key_SysReq: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Help: return 47;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    case Qt::Key_Sleep: return 95;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Back: return 166;
    case Qt::Key_Forward: return 167;
    case Qt::Key_Refresh: return 168;
    case Qt::Key_Stop: return 169;
    case Qt::Key_Search: return 170;
    case Qt::Key_Favorites: return 171;
    case Qt::Key_HomePage: return 172;
    case Qt::Key_VolumeMute: return 173;
    case Qt::Key_VolumeDown: return 174;
    case Qt::Key_VolumeUp: return 175;
    case Qt::Key_MediaNext: return 176;
    case Qt::Key_MediaPrevious: return 177;
    case Qt::Key_MediaStop: return 178;
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause: return 179;
    case Qt::Key_LaunchMail: return 180;
    case Qt::Key_LaunchMedia: return 181;
    case Qt::Key_Launch0: return 182;
    case Qt::Key_Launch1: return 183;
    case Qt::Key_Play: return 250;
    case Qt::Key_Zoom: return 251;
    default: break;
    }
    // Dead keys compose accents on the punctuation keys of their layouts.
    if (key >= Qt::Key_Dead_Grave && key <= Qt::Key_Dead_Longsolidusoverlay)
        return 222;
    if (int code = characterCode(key))
        return code;
    return NoCode;
}

int windowsVirtualKey(const QKeyEvent& e) { return windowsVirtualKey(e.key(), e.modifiers()); }

guard::KeyModifiers guardModifiers(Qt::KeyboardModifiers m) {
    guard::KeyModifiers g = 0;
    if (m & Qt::ShiftModifier)
        g |= guard::ShiftKey;
    if (m & Qt::ControlModifier)
        g |= guard::CtrlKey;
    if (m & Qt::AltModifier)
        g |= guard::AltKey;
    if (m & Qt::MetaModifier)
        g |= guard::MetaKey;
    return g;
}

} // namespace tallix
