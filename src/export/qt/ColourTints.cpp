#include "export/qt/ColourTints.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QWidget>

namespace tallix {

QColor qtColour(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

void setFontColour(QWidget* control, Colour c) {
    if (!control)
        return;
    // Each kind of control draws its text in a role of its own; all three follow,
    // so the same call serves every kind.
    QPalette p = control->palette();
    const QColor colour = qtColour(c);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(g, QPalette::WindowText, colour);
        p.setColor(g, QPalette::ButtonText, colour);
        p.setColor(g, QPalette::Text, colour);
    }
    control->setPalette(p);
}

Colour fontColour(const QWidget* control) {
    const QPalette& p = control->palette();
    QColor c;
    if (qobject_cast<const QAbstractButton*>(control))
        c = p.color(QPalette::ButtonText);
    else if (qobject_cast<const QLineEdit*>(control) ||
             qobject_cast<const QAbstractSpinBox*>(control) ||
             qobject_cast<const QPlainTextEdit*>(control))
        c = p.color(QPalette::Text);
    else
        c = p.color(QPalette::WindowText);
    return rgbColour(c.red(), c.green(), c.blue());
}

} // namespace tallix
