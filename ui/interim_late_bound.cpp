// Stand-in until the late-bound calls land: nothing can be called yet.
#include "ui/late_bound.h"

int32_t CallLateBound(const char*, const char*, const char*, int32_t) { return 0; }
