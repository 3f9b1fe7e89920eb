// Cases of the users page: see the helper brief.
#include "tests/e2e/harness.h"
