// Class Document: a Node subclass that owns a parsed tree (or, from
// Node.Root(), designates the document node of another Document's tree).
#include "datetime/iso8601.h"
#include "dom/records.h"
#include "dom/string_writer.h"
#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"

namespace {

constexpr int64_t kInternalError = pugi::status_internal_error;
constexpr unsigned int kFormatDefault = pugi::format_default;

// The pugixml document a Document object writes: its own when it owns the
// tree, its owner's when it came from Root(); nullptr for a record that was
// never bound.
pugi::xml_document* DocumentOf(REALobject self) {
    const NodeData* data = ClassData<NodeData>(self, NodeClass);
    if (!data->ownsDocument) {
        if (!data->owner) return nullptr;
        data = ClassData<NodeData>(data->owner, NodeClass);
        if (!data->ownsDocument) return nullptr;
    }
    return static_cast<pugi::xml_document*>(data->handle);
}

// Makes `obj` an owning Document with a new, empty tree.
void BindNewDocument(REALobject obj) {
    NodeData* data = ClassData<NodeData>(obj, NodeClass);
    data->handle = new pugi::xml_document();
    data->owner = obj;  // an owning Document holds no lock on itself
    data->ownsDocument = true;
}

// A new owning Document carrying one lock for the caller; nil when the host
// cannot make one.
REALobject NewOwningDocument() {
    ObjectRef doc(REALnewInstanceOfClass(&DocumentClass));
    if (doc.get()) BindNewDocument(doc.get());
    return doc.release();
}

void Constructor(REALobject self) {
    Shielded([&] { BindNewDocument(self); });
}

// The folder test of FolderItem changed its name in 2020.0.
const char* FolderPropertyName() {
    return g_XojoVersion >= 2020.0 ? "IsFolder" : "Directory";
}

bool BooleanProperty(REALobject obj, const char* name) {
    bool value = false;
    return REALGetPropValueBoolean(obj, name, &value) && value;
}

void RaiseParseFailure(const pugi::xml_parse_result& result) {
    ThrowParserException(result.description(), static_cast<int64_t>(result.offset),
                         static_cast<int64_t>(result.status), -23);
}

REALobject LoadFromString(REALstring data) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        Utf8Arg bytes(data);
        if (!bytes.ok()) {
            ThrowParserException("Could not read the string as UTF-8", 0, kInternalError, -23);
            return nullptr;
        }
        ObjectRef doc(NewOwningDocument());
        if (!doc.get()) return nullptr;
        // The host already converted the text to UTF-8: letting pugixml guess
        // from an encoding="..." declaration would decode those bytes twice.
        pugi::xml_parse_result result = DocumentOf(doc.get())->load_buffer(
            bytes.c_str(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
        if (!result) {
            RaiseParseFailure(result);
            return nullptr;  // ObjectRef releases the half-made Document
        }
        return doc.release();
    });
}

REALobject LoadFromFile(REALobject f) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        if (!f) {
            ThrowParserException("Parameter f may not be nil", 0, kInternalError, 1);
            return nullptr;
        }
        if (!BooleanProperty(f, "Exists")) {
            ThrowParserException("File does not exist", 0, kInternalError, -11);
            return nullptr;
        }
        if (BooleanProperty(f, FolderPropertyName())) {
            ThrowParserException("Directory was found in place of the file", 0, kInternalError,
                                 -17);
            return nullptr;
        }
        StringRef pathString;
        const bool havePath = REALGetPropValueString(f, "NativePath", pathString.out());
        Utf8Arg path(pathString.get());
        if (!havePath || !path.ok()) {
            ThrowParserException("Could not open FolderItem.NativePath", 0, kInternalError, -23);
            return nullptr;
        }
        ObjectRef doc(NewOwningDocument());
        if (!doc.get()) return nullptr;
        // A file carries its own encoding (BOM or declaration): let pugixml
        // detect it.
        pugi::xml_parse_result result = DocumentOf(doc.get())->load_file(
            path.c_str(), pugi::parse_default, pugi::encoding_auto);
        if (!result) {
            RaiseParseFailure(result);
            return nullptr;
        }
        return doc.release();
    });
}

void SaveToFile2(REALobject self, REALobject f, RBBoolean overwrite, RBInteger formatModifier) {
    Shielded([&] {
        if (!f) {
            ThrowXmlException("Parameter f may not be nil", 1);
            return;
        }
        if (BooleanProperty(f, "Exists")) {
            if (BooleanProperty(f, FolderPropertyName())) {
                ThrowXmlException("Directory was found in place of the file", -17);
                return;
            }
            if (!overwrite) {
                ThrowXmlException("File already exists", -12);
                return;
            }
        }
        StringRef pathString;
        const bool havePath = REALGetPropValueString(f, "NativePath", pathString.out());
        Utf8Arg path(pathString.get());
        const pugi::xml_document* doc = DocumentOf(self);
        // A Document that was never bound has no tree to write; creating an
        // empty file would report success for nothing saved.
        if (!havePath || !path.ok() || !doc) {
            ThrowXmlException("Could not save file", -21);
            return;
        }
        if (!doc->save_file(path.c_str(), "\t", static_cast<unsigned int>(formatModifier),
                            pugi::encoding_auto))
            ThrowXmlException("Could not save file", -21);
    });
}

void SaveToFile(REALobject self, REALobject f, RBBoolean overwrite) {
    SaveToFile2(self, f, overwrite, kFormatDefault);
}

REALstring ToString2(REALobject self, RBInteger formatModifier) {
    return Shielded<REALstring>(nullptr, [&]() -> REALstring {
        xml_string_writer writer;
        if (const pugi::xml_document* doc = DocumentOf(self))
            doc->save(writer, "\t", static_cast<unsigned int>(formatModifier), pugi::encoding_auto);
        return writer.ToHostString();
    });
}

REALstring ToString(REALobject self) {
    return ToString2(self, kFormatDefault);
}

REALobject DocumentElement(REALobject self) {
    return Shielded<REALobject>(nullptr, [&] {
        const pugi::xml_document* doc = DocumentOf(self);
        return CreateNode(OwnerOf(self), doc ? doc->document_element() : pugi::xml_node());
    });
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()"),
    Method(HOST_FN(SaveToFile), "SaveToFile(f as FolderItem, overwrite as Boolean)"),
    Method(HOST_FN(SaveToFile2),
           "SaveToFile(f as FolderItem, overwrite as Boolean, formatModifier as Integer)"),
    Method(HOST_FN(ToString), "ToString() as String"),
    Method(HOST_FN(ToString2), "ToString(formatModifier as Integer) as String"),
    Method(HOST_FN(DocumentElement), "DocumentElement() as TorvaneXml.Node"),
};

// The three date methods stand last: a 2019.1 host registers only the first two.
REALmethodDefinition SharedMethods[] = {
    Method(HOST_FN(LoadFromFile), "FromFile(f as FolderItem) as TorvaneXml.Document"),
    Method(HOST_FN(LoadFromString), "FromString(data as String) as TorvaneXml.Document"),
    Method(HOST_FN(DateToISO8601), "DateToISO8601(value as DateTime) as String"),
    Method(HOST_FN(DateTimeToISO8601), "DateTimeToISO8601(value as DateTime) as String"),
    Method(HOST_FN(ISO8601ToDateTime),
           "ISO8601ToDateTime(value as String, skipTime as Boolean = false) as DateTime"),
};

}  // namespace

// No record and no destructor of its own: a Document's data is its NodeData.
REALclassDefinition DocumentClass =
    ClassRecord({"Document", "TorvaneXml.Node", 0, nullptr, nullptr, 0, Methods, CountOf(Methods),
                 nullptr, SharedMethods, CountOf(SharedMethods)});
