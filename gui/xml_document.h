// CXMLDocument: reads "gui/gui.xml" into a tree of CXMLNode elements.
#pragma once
#include <cstddef>

#include "gui/xml_node.h"

namespace Tamrik {

// Knows elements, double-quoted attributes, character data and comments, and skips declarations
// and processing instructions; nothing else of XML.
// Never reports an error: a syntax error ends the read and leaves the tree built so far.
class CXMLDocument {
public:
    CXMLDocument() = default;
    ~CXMLDocument();
    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    // Replaces the tree with the one read from "gui/gui.xml"; a file that is missing, holds no
    // element or is too large leaves root null.
    void Load();

    // The same read on another file, and on bytes already in memory (tests, fuzzing).
    void LoadFile(const char* path);
    void LoadBytes(const char* data, size_t size);

    // A file larger than this is not read: its tree could take many times its size.
    static constexpr long long MAX_FILE_BYTES = 4ll << 20;

    CXMLNode* root = nullptr;   // owned; the file's first element
    bool tooLarge = false;      // the last file read was larger than MAX_FILE_BYTES; root is null
};

} // namespace Tamrik
