// Node.SelectNodes and Node.SelectNode: compile and evaluate an expression in
// one call with the node as context. Registered in Node's method table.
// Unreadable query text answers nil silently; the variable set is used for
// this call only and is not locked.
#include "base/exceptions.h"
#include "base/strings.h"
#include "dom/node_xpath.h"
#include "dom/records.h"
#include "xpath/records.h"

REALobject SelectNodes(REALobject self, REALstring query, REALobject variables) {
    return Shielded<REALobject>(
        nullptr,
        [&]() -> REALobject {
            Utf8Arg text(query);
            if (!text.ok()) return nullptr;
            pugi::xpath_node_set result =
                NodeOf(self).select_nodes(text.c_str(), VariablesOf(variables));
            return WrapNodeSet(OwnerOf(self), std::move(result), VariableOwnersOf(variables));
        },
        FailureClass::XPath);
}

REALobject SelectNode(REALobject self, REALstring query, REALobject variables) {
    return Shielded<REALobject>(
        nullptr,
        [&]() -> REALobject {
            Utf8Arg text(query);
            if (!text.ok()) return nullptr;
            const pugi::xpath_node entry =
                NodeOf(self).select_node(text.c_str(), VariablesOf(variables));
            if (!entry) return nullptr;
            return CreateXPathNode(OwnerOfEntry(entry, OwnerOf(self), VariableOwnersOf(variables)),
                                   entry);
        },
        FailureClass::XPath);
}
