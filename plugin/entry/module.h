#pragma once

#include "hostabi.h"

extern REALmoduleDefinition TorvaneXmlModule;
