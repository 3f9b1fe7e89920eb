#include "app/InstallerState.h"

// Static storage: every field starts zero-filled, the strings empty.
InstallerState g_state;
