// Fixture: a base unit that reaches up into the object model.
#pragma once

#include "dom/b.h"
