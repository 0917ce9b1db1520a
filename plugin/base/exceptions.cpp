// TorvaneXmlException, TorvaneXPathException and TorvaneXmlParserException.
// They live beside the module, not in it: host code names them unqualified.
#include "base/exceptions.h"

#include <new>
#include <pugixml.hpp>

#include "base/registration.h"
#include "base/strings.h"

namespace {

typedef void (*RuntimeExceptionConstructor)(REALobject self, REALstring message,
                                            RBInteger errorCode);

// Makes an exception of `definition`'s class with its message and error
// code; the caller fills its own fields, then Raise hands it over.
REALobject Make(REALclassDefinition& definition, const char* message, ErrorCode errorCode) {
    REALobject exception = REALnewInstanceOfClass(&definition);
    if (!exception) return nullptr;
    auto constructor = reinterpret_cast<RuntimeExceptionConstructor>(
        REALLoadObjectMethod(exception, "Constructor(message as String, errorCode as Integer)"));
    if (constructor) {
        REALstring text = BuildString(message);
        constructor(exception, text, static_cast<RBInteger>(errorCode));
        if (text) REALUnlockString(text);
    }
    return exception;
}

void Raise(REALobject exception) {
    if (!exception) return;
    REALRaiseException(exception);
    // The host's pending exception keeps it alive from here.
    REALUnlockObject(exception);
}

RBInteger GetStatus(REALobject self, RBInteger) {
    return ClassData<XmlParserExceptionData>(self, XmlParserExceptionClass)->status;
}

void Constructor(REALobject) {}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

REALproperty XPathProperties[] = {
    Property("Offset", "Int64", REALstandardGetter, nullptr, 0),
};

REALmethodDefinition XPathMethods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

REALproperty ParserExceptionProperties[] = {
    Property("Status", "TorvaneXml.ParsingStatus", HOST_FN(GetStatus)),
    Property("Offset", "Int64", REALstandardGetter, nullptr, 8),
};

REALmethodDefinition ParserExceptionMethods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

}  // namespace

void ThrowXmlException(const char* message, ErrorCode code) {
    Raise(Make(XmlExceptionClass, message, code));
}

void ThrowXPathException(const char* message, int64_t offset, ErrorCode code) {
    REALobject exception = Make(XPathExceptionClass, message, code);
    if (exception) ClassData<XPathExceptionData>(exception, XPathExceptionClass)->Offset = offset;
    Raise(exception);
}

void ThrowParserException(const char* message, int64_t offset, int64_t status, ErrorCode code) {
    REALobject exception = Make(XmlParserExceptionClass, message, code);
    if (exception) {
        auto* data = ClassData<XmlParserExceptionData>(exception, XmlParserExceptionClass);
        data->status = status;
        data->Offset = offset;
    }
    Raise(exception);
}

void ReportCurrentException(FailureClass failureClass) noexcept {
    try {
        throw;
    } catch (const pugi::xpath_exception& e) {
        ThrowXPathException(e.result().description(), static_cast<int64_t>(e.result().offset),
                            ErrorCode::Library);
    } catch (const std::bad_alloc& e) {
        if (failureClass == FailureClass::XPath)
            ThrowXPathException(e.what(), 0, ErrorCode::OutOfMemory);
        else
            ThrowXmlException(e.what(), ErrorCode::OutOfMemory);
    } catch (const std::exception& e) {
        ThrowXmlException(e.what(), ErrorCode::Library);
    } catch (...) {
        ThrowXmlException("Unexpected internal error", ErrorCode::Library);
    }
}

REALclassDefinition XmlExceptionClass =
    ClassRecord({"TorvaneXmlException", "RuntimeException", 0, nullptr, nullptr, 0, Methods,
                 CountOf(Methods), "", nullptr, 0});

REALclassDefinition XPathExceptionClass =
    ClassRecord({"TorvaneXPathException", "TorvaneXmlException", sizeof(XPathExceptionData),
                 nullptr, XPathProperties, CountOf(XPathProperties), XPathMethods,
                 CountOf(XPathMethods), "", nullptr, 0});

REALclassDefinition XmlParserExceptionClass =
    ClassRecord({"TorvaneXmlParserException", "TorvaneXmlException", sizeof(XmlParserExceptionData),
                 nullptr, ParserExceptionProperties, CountOf(ParserExceptionProperties),
                 ParserExceptionMethods, CountOf(ParserExceptionMethods), nullptr, nullptr, 0});
