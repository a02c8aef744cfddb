#pragma once

// insight/ may not reach up to the windows: the include test must fail on this arrow.
#include "app/main_window.h"
