// Reading and writing a document's file by its UTF-8 native path.
#pragma once

#include <pugixml.hpp>

// Parses the file at `path` with the loaders' options.
pugi::xml_parse_result LoadDocumentFile(pugi::xml_document& doc, const char* path);

// Writes `doc` to the file at `path` so that the file is either left as it
// was or holds the complete new text: the text goes to a new file in the
// same folder, which then replaces the old one in one step. False, with
// nothing changed and nothing left behind, when any step fails.
bool SaveDocumentFile(const pugi::xml_document& doc, const char* path, unsigned int flags);
