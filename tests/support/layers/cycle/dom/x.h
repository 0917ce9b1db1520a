// Fixture: one half of an include cycle.
#pragma once

#include "dom/y.h"
