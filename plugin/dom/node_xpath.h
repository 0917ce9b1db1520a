// Node's one-shot XPath members. Node's table registers them; the XPath
// layer implements them (xpath/selection.cpp), so the object model needs no
// XPath header.
#pragma once

#include "hostabi.h"

REALobject SelectNodes(REALobject self, REALstring query, REALobject variables);
REALobject SelectNode(REALobject self, REALstring query, REALobject variables);
