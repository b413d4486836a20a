#pragma once
// The resources built into the program: the help pages (":/help/"), the tutorial
// (":/tutorial/").

namespace tallix {

// Registers the built-in resources. They sit in a static library, so the program
// (and any test program) must have this called before it reads them; the layers
// that use them (help viewer, shipped-file look-up) call it themselves. Safe to
// call any number of times.
void initResources();

} // namespace tallix
