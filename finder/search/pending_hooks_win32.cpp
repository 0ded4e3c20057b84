// Stand-ins for the parts of the search that are still being built. Each
// definition leaves this file when its real one lands.
#include <cstddef>

