#pragma once
// Output colours on screen: a palette colour as Qt's colour, and the font colour
// of a control, whatever kind of control it is.
#include "document/Markup.h"

#include <QColor>

class QWidget;

namespace tallix {

QColor qtColour(Colour c);

// Writes the control's text in c: labels and panels, buttons, edit boxes and
// spin boxes alike.
void setFontColour(QWidget* control, Colour c);

// The font colour setFontColour gave the control (its text colour).
Colour fontColour(const QWidget* control);

} // namespace tallix
