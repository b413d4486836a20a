#pragma once
// The program's pictures, drawn when they are first needed: the splash picture,
// the about box's banner and the window icon. All show the same motif, a page of
// an essay with a marked phrase, its red raised label and a green comment number.
#include <QIcon>
#include <QPixmap>

namespace tallix::art {

QPixmap splashPicture(); // 440 x 260
QPixmap aboutPicture();  // 320 x 100
QIcon programIcon();     // 16 to 256 pixels

} // namespace tallix::art
