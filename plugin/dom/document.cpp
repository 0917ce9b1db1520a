// Class Document: a Node subclass that owns a parsed tree (or, from
// Node.Root(), designates the document node of another Document's tree).
#include <cstring>

#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"
#include "datetime/iso8601.h"
#include "dom/document_file.h"
#include "dom/records.h"
#include "dom/string_writer.h"

namespace {

constexpr int64_t kInternalError = pugi::status_internal_error;
constexpr unsigned int kFormatDefault = pugi::format_default;

// The pugixml document a Document object writes: its own when it owns the
// tree, its owner's when it came from Root(); nullptr for a record that was
// never bound.
pugi::xml_document* DocumentOf(REALobject self) {
    const NodeData* data = NodeWrapper::DataOf(self);
    if (!data->ownsDocument) {
        if (!data->owner) return nullptr;
        data = NodeWrapper::DataOf(data->owner);
        if (!data->ownsDocument) return nullptr;
    }
    return data->handle ? &static_cast<OwnedTree*>(data->handle)->document : nullptr;
}

// Makes `obj` an owning Document with a new, empty tree. A Document
// constructed again keeps its old tree until it is destroyed itself, as
// wrappers may still point into it, and the new registry takes over the old
// one's handles, so removals through those wrappers are still announced. A
// Document from Root() constructed again lets go of the tree it designated
// (its handle and its lock on that tree's owner) and owns a tree from then on.
void BindNewDocument(REALobject obj) {
    std::unique_ptr<OwnedTree> tree(new OwnedTree());
    if (OwnedTree* old = OwnedTreeOf(obj)) {
        tree->registry.Adopt(old->registry);
        tree->replaced.reset(old);
    } else {
        NodeWrapper::Destructor(obj);
    }
    NodeData* data = NodeWrapper::DataOf(obj);
    data->handle = tree.release();
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
    return gXojoVersion >= 2020.0 ? "IsFolder" : "Directory";
}

bool BooleanProperty(REALobject obj, const char* name) {
    bool value = false;
    return REALGetPropValueBoolean(obj, name, &value) && value;
}

void RaiseParseFailure(const pugi::xml_parse_result& result) {
    ThrowParserException(result.description(), static_cast<int64_t>(result.offset),
                         static_cast<int64_t>(result.status), ErrorCode::ParseFailed);
}

// One copy of a String's text in pugixml's own allocation, which the
// document takes over and frees with its tree (load_buffer_inplace_own): the
// host's bytes are only lent until REALDisposeStringData and may be the
// String itself, so they cannot be parsed in place. Laid out as load_buffer
// lays out its own copy (zero-terminated, the zero counted), so every parse
// answer is the same.
class ParseCopy {
public:
    ParseCopy() = default;
    ParseCopy(const ParseCopy&) = delete;
    ParseCopy& operator=(const ParseCopy&) = delete;
    ~ParseCopy() {
        if (text_) pugi::get_memory_deallocation_function()(text_);
    }

    // False when memory is exhausted.
    bool Take(const Utf8Arg& bytes) {
        text_ = static_cast<char*>(pugi::get_memory_allocation_function()(bytes.size() + 1));
        if (!text_) return false;
        std::memcpy(text_, bytes.c_str(), bytes.size());
        text_[bytes.size()] = 0;
        size_ = bytes.size() + 1;
        return true;
    }

    // Parses the copy as UTF-8 into `doc`, which then owns it. Without a
    // copy, the result load_buffer gives when it cannot make its own.
    pugi::xml_parse_result ParseInto(pugi::xml_document& doc) {
        if (!text_) {
            pugi::xml_parse_result exhausted;
            exhausted.status = pugi::status_out_of_memory;
            return exhausted;
        }
        char* text = text_;
        text_ = nullptr;
        return doc.load_buffer_inplace_own(text, size_, pugi::parse_default, pugi::encoding_utf8);
    }

private:
    char* text_ = nullptr;
    size_t size_ = 0;
};

REALobject FromString(REALstring data) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        ObjectRef doc;
        ParseCopy text;
        {
            Utf8Arg bytes(data);
            if (!bytes.ok()) {
                ThrowParserException("Could not read the string as UTF-8", 0, kInternalError,
                                     ErrorCode::ParseFailed);
                return nullptr;
            }
            *doc.out() = NewOwningDocument();
            if (!doc.get()) return nullptr;
            text.Take(bytes);
        }  // the host's bytes are released before the tree is built
        // The host already converted the text to UTF-8: letting pugixml guess
        // from an encoding="..." declaration would decode those bytes twice.
        pugi::xml_parse_result result = text.ParseInto(*DocumentOf(doc.get()));
        if (!result) {
            RaiseParseFailure(result);
            return nullptr;  // ObjectRef releases the half-made Document
        }
        return doc.release();
    });
}

REALobject FromFile(REALobject f) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        if (!f) {
            ThrowParserException("Parameter f may not be nil", 0, kInternalError,
                                 ErrorCode::NilArgument);
            return nullptr;
        }
        if (!BooleanProperty(f, "Exists")) {
            ThrowParserException("File does not exist", 0, kInternalError, ErrorCode::FileMissing);
            return nullptr;
        }
        if (BooleanProperty(f, FolderPropertyName())) {
            ThrowParserException("Directory was found in place of the file", 0, kInternalError,
                                 ErrorCode::FolderInPlace);
            return nullptr;
        }
        StringRef pathString;
        const bool havePath = REALGetPropValueString(f, "NativePath", pathString.out());
        Utf8Arg path(pathString.get());
        if (!havePath || !path.ok()) {
            ThrowParserException("Could not open FolderItem.NativePath", 0, kInternalError,
                                 ErrorCode::ParseFailed);
            return nullptr;
        }
        ObjectRef doc(NewOwningDocument());
        if (!doc.get()) return nullptr;
        // A file carries its own encoding (BOM or declaration): let pugixml
        // detect it.
        pugi::xml_parse_result result = LoadDocumentFile(*DocumentOf(doc.get()), path.c_str());
        if (!result) {
            RaiseParseFailure(result);
            return nullptr;
        }
        return doc.release();
    });
}

void SaveToFileWithModifier(REALobject self, REALobject f, RBBoolean overwrite,
                            RBInteger formatModifier) {
    Shielded([&] {
        if (!f) {
            ThrowXmlException("Parameter f may not be nil", ErrorCode::NilArgument);
            return;
        }
        if (BooleanProperty(f, "Exists")) {
            if (BooleanProperty(f, FolderPropertyName())) {
                ThrowXmlException("Directory was found in place of the file",
                                  ErrorCode::FolderInPlace);
                return;
            }
            if (!overwrite) {
                ThrowXmlException("File already exists", ErrorCode::FileExists);
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
            ThrowXmlException("Could not save file", ErrorCode::SaveFailed);
            return;
        }
        if (!SaveDocumentFile(*doc, path.c_str(), static_cast<unsigned int>(formatModifier)))
            ThrowXmlException("Could not save file", ErrorCode::SaveFailed);
    });
}

void SaveToFile(REALobject self, REALobject f, RBBoolean overwrite) {
    SaveToFileWithModifier(self, f, overwrite, kFormatDefault);
}

REALstring ToStringWithModifier(REALobject self, RBInteger formatModifier) {
    return Shielded<REALstring>(nullptr, [&]() -> REALstring {
        xml_string_writer writer;
        if (const pugi::xml_document* doc = DocumentOf(self))
            doc->save(writer, "\t", static_cast<unsigned int>(formatModifier), pugi::encoding_auto);
        return writer.ToHostString();
    });
}

REALstring ToString(REALobject self) {
    return ToStringWithModifier(self, kFormatDefault);
}

REALobject DocumentElement(REALobject self) {
    return Shielded<REALobject>(nullptr, [&] {
        const pugi::xml_document* doc = DocumentOf(self);
        return CreateNode(OwnerOf(self), doc ? doc->document_element() : pugi::xml_node());
    });
}

// ---- Dates ------------------------------------------------------------

REALstring DateToISO8601(REALobject value) {
    return Shielded(REALstring(nullptr), [&] {
        char buffer[kDateTextCapacity];
        const size_t length = FormatDateTimeToISO8601(value, buffer, sizeof(buffer), true);
        return ResultString(buffer, length);
    });
}

REALstring DateTimeToISO8601(REALobject value) {
    return Shielded(REALstring(nullptr), [&] {
        char buffer[kDateTextCapacity];
        const size_t length = FormatDateTimeToISO8601(value, buffer, sizeof(buffer), false);
        return ResultString(buffer, length);
    });
}

REALobject ISO8601ToDateTime(REALstring value, RBBoolean skipTime) {
    return Shielded(REALobject(nullptr), [&]() -> REALobject {
        if (!value) return nullptr;
        Utf8Arg text(value);
        if (!text.ok()) return nullptr;
        return skipTime ? ParseDateFromISO8601(text.c_str(), text.size())
                        : ParseDateTimeFromISO8601(text.c_str(), text.size());
    });
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()"),
    Method(HOST_FN(SaveToFile), "SaveToFile(f as FolderItem, overwrite as Boolean)"),
    Method(HOST_FN(SaveToFileWithModifier),
           "SaveToFile(f as FolderItem, overwrite as Boolean, formatModifier as Integer)"),
    Method(HOST_FN(ToString), "ToString() as String"),
    Method(HOST_FN(ToStringWithModifier), "ToString(formatModifier as Integer) as String"),
    Method(HOST_FN(DocumentElement), "DocumentElement() as TorvaneXml.Node"),
};

REALmethodDefinition SharedMethods[] = {
    Method(HOST_FN(FromFile), "FromFile(f as FolderItem) as TorvaneXml.Document"),
    Method(HOST_FN(FromString), "FromString(data as String) as TorvaneXml.Document"),
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
