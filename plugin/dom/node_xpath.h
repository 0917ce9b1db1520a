// Node's one-shot XPath members, registered in Node's method table.
#pragma once

#include "hostabi.h"

REALobject SelectNodes(REALobject self, REALstring query, REALobject variables);
REALobject SelectNode(REALobject self, REALstring query, REALobject variables);
