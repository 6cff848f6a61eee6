// A grid header that reaches up into the window: the layering check must refuse it.
#pragma once

#include "core/numeric.h"
#include "window/main_window.h"
