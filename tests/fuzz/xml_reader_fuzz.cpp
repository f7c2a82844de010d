// Fuzz target for the GUI's XML reader: any bytes give a well-formed tree (or none) that can be
// walked and deleted, however deep.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gui/xml_document.h"

using Tamrik::CXMLDocument;
using Tamrik::CXMLNode;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CXMLDocument document;
    document.LoadBytes(reinterpret_cast<const char*>(data), size);
    if (document.root && document.root->parent)
        __builtin_trap();
    // Every node is reachable once, knows its parent, and holds only what the input could give.
    size_t bytes = 0;
    std::vector<const CXMLNode*> pending;
    if (document.root)
        pending.push_back(document.root);
    while (!pending.empty()) {
        const CXMLNode* node = pending.back();
        pending.pop_back();
        bytes += node->name.size() + node->text.size();
        for (const auto& [key, value] : node->attributes)
            bytes += key.size() + value.size();
        for (const CXMLNode* child : node->children) {
            if (child->parent != node)
                __builtin_trap();
            pending.push_back(child);
        }
    }
    if (bytes > size)
        __builtin_trap();
    return 0;
}
