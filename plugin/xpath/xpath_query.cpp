// Class XPathQuery: an XPath expression compiled once and evaluated against
// any number of context nodes.
#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"
#include "dom/records.h"
#include "xpath/records.h"

namespace {

const char kUnreadableQuery[] = "Could not parse string";
const char kNilNode[] = "Parameter node is nil";

XPathQueryData* DataOf(REALobject self) {
    return ClassData<XPathQueryData>(self, XPathQueryClass);
}

// Compiles the query text against the library set `variables` (null for
// none). Failures leave the record without a compiled query.
void Compile(REALobject self, const Utf8Arg& text, pugi::xpath_variable_set* variables) {
    Shielded([&] { DataOf(self)->query = new pugi::xpath_query(text.c_str(), variables); },
             FailureClass::XPath);
}

// False, with the exception raised, when the host cannot hand over the text.
bool Readable(const Utf8Arg& text) {
    if (!text.ok()) ThrowXPathException(kUnreadableQuery, 0, ErrorCode::UnreadableQuery);
    return text.ok();
}

void Constructor(REALobject self, REALstring query) {
    Utf8Arg text(query);
    if (Readable(text)) Compile(self, text, nullptr);
}

// Once the text is read, the variable set object is locked before compiling
// and stays locked for the life of the query, also when compiling fails: the
// compiled form refers to the set's variables. A set that holds no variables
// yet counts as none.
void ConstructorWithVariables(REALobject self, REALstring query, REALobject variables) {
    Utf8Arg text(query);
    if (!Readable(text)) return;
    if (!variables) {
        Compile(self, text, nullptr);
        return;
    }
    XPathQueryData* data = DataOf(self);
    REALLockObject(variables);
    REALUnlockObject(data->variables);
    data->variables = variables;
    Compile(self, text, VariablesOf(variables));
}

void Destructor(REALobject self) {
    XPathQueryData* data = DataOf(self);
    delete data->query;
    data->query = nullptr;
    REALUnlockObject(data->variables);
    data->variables = nullptr;
}

// The shared steps of the five evaluations. A nil node is refused first; a
// query that was never compiled (an object made by class name) answers the
// empty value and raises nothing. Library errors and exhausted memory become
// XPath exceptions; `evaluate` gets the compiled query, the context and the
// context's owner.
template <class R, class Evaluation>
R Evaluate(REALobject self, REALobject node, R empty, Evaluation&& evaluate) {
    if (!node) {
        ThrowXPathException(kNilNode, 0, ErrorCode::NilArgument);
        return empty;
    }
    const pugi::xpath_query* query = DataOf(self)->query;
    if (!query) return empty;
    return Shielded(
        empty, [&] { return evaluate(*query, pugi::xpath_node(NodeOf(node)), OwnerOf(node)); },
        FailureClass::XPath);
}

REALobject EvaluateNodeSet(REALobject self, REALobject node) {
    return Evaluate<REALobject>(
        self, node, nullptr,
        [&](const pugi::xpath_query& query, const pugi::xpath_node& context, REALobject owner) {
            return WrapNodeSet(owner, query.evaluate_node_set(context),
                               VariableOwnersOf(DataOf(self)->variables));
        });
}

double EvaluateNumber(REALobject self, REALobject node) {
    return Evaluate<double>(self, node, 0.0,
                            [](const pugi::xpath_query& query, const pugi::xpath_node& context,
                               REALobject) { return query.evaluate_number(context); });
}

RBBoolean EvaluateBoolean(REALobject self, REALobject node) {
    return Evaluate<RBBoolean>(
        self, node, false,
        [](const pugi::xpath_query& query, const pugi::xpath_node& context, REALobject) {
            return static_cast<RBBoolean>(query.evaluate_boolean(context));
        });
}

REALstring EvaluateString(REALobject self, REALobject node) {
    return Evaluate<REALstring>(
        self, node, nullptr,
        [](const pugi::xpath_query& query, const pugi::xpath_node& context, REALobject) {
            const pugi::string_t text = query.evaluate_string(context);
            return ResultString(text.data(), text.size(), RaiseAs::XPath);
        });
}

REALobject EvaluateNode(REALobject self, REALobject node) {
    return Evaluate<REALobject>(self, node, nullptr,
                                [&](const pugi::xpath_query& query, const pugi::xpath_node& context,
                                    REALobject owner) -> REALobject {
                                    const pugi::xpath_node entry = query.evaluate_node(context);
                                    if (!entry) return nullptr;
                                    REALobject entryOwner = OwnerOfEntry(
                                        entry, owner, VariableOwnersOf(DataOf(self)->variables));
                                    return CreateXPathNode(entryOwner, entry);
                                });
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor(query as String)", kFlagsPublic),
    Method(HOST_FN(ConstructorWithVariables),
           "Constructor(query as String, variables as TorvaneXml.XPathVariableSet)", kFlagsPublic),
    Method(HOST_FN(EvaluateNodeSet),
           "EvaluateNodeSet(node as TorvaneXml.Node) as TorvaneXml.XPathNodeSet"),
    Method(HOST_FN(EvaluateNumber), "EvaluateNumber(node as TorvaneXml.Node) as Double"),
    Method(HOST_FN(EvaluateBoolean), "EvaluateBoolean(node as TorvaneXml.Node) as Boolean"),
    Method(HOST_FN(EvaluateString), "EvaluateString(node as TorvaneXml.Node) as String"),
    Method(HOST_FN(EvaluateNode), "EvaluateNode(node as TorvaneXml.Node) as TorvaneXml.XPathNode"),
};

}  // namespace

REALclassDefinition XPathQueryClass =
    ClassRecord({"XPathQuery", nullptr, sizeof(XPathQueryData), HOST_FN(Destructor), nullptr, 0,
                 Methods, CountOf(Methods), nullptr, nullptr, 0});
