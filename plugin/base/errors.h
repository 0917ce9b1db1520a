// The ErrorNumber of every exception the plug-in raises. docs/errors.md lists
// each with its messages and classes; a test reads that table and checks it
// against this list, so the two cannot drift apart.
#pragma once

#include <cstdint>

// X(name, number): one row per error number.
#define TORVXML_ERROR_CODES(X)                                                           \
    X(NilArgument, 1)       /* a required object argument is nil */                      \
    X(Library, -1)          /* pugixml's XPath error, or an unexpected internal error */ \
    X(UnreadableQuery, -2)  /* the query text cannot be read */                          \
    X(OutOfMemory, -8)      /* memory exhausted, or a result the host cannot take */     \
    X(FileMissing, -11)     /* FromFile of a file that does not exist */                 \
    X(FileExists, -12)      /* SaveToFile onto a file without overwrite */               \
    X(FolderInPlace, -17)   /* a folder where a file was expected */                     \
    X(VariableRefused, -19) /* XPathVariableSet.Set refused */                           \
    X(NilNodeSet, -20)      /* XPathVariableSet.Set with a nil node set */               \
    X(SaveFailed, -21)      /* writing the file failed */                                \
    X(ParseFailed, -23)     /* the text or file is not XML, or cannot be read */

enum class ErrorCode : int64_t {
#define TORVXML_ERROR_ENUM(name, number) name = number,
    TORVXML_ERROR_CODES(TORVXML_ERROR_ENUM)
#undef TORVXML_ERROR_ENUM
};
