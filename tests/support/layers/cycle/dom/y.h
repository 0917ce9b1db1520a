// Fixture: the other half of an include cycle.
#pragma once

#include "dom/x.h"
