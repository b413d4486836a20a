#include "platform/qt/Resources.h"

#include <QtCore/qglobal.h>

// The resource registration declares a function by name, so it has to run outside
// any namespace.
static void registerTallixResources() {
    Q_INIT_RESOURCE(tallix32);
}

namespace tallix {

void initResources() {
    static const bool done = [] {
        registerTallixResources();
        return true;
    }();
    (void)done;
}

} // namespace tallix
