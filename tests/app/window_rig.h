#pragma once

// The summary window's tests still include the rig from here.
#include "tests/support/window_rig.h"
