// CXMLNode, one element of the GUI description, and DeleteXMLTree.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace Tamrik {

class CXMLNode {
public:
    CXMLNode() = default;
    // Deletes the whole subtree without recursing, so a file nested a hundred thousand levels
    // deep cannot overflow the stack.
    ~CXMLNode();
    CXMLNode(const CXMLNode&) = delete;
    CXMLNode& operator=(const CXMLNode&) = delete;

    std::string name;
    // Byte-wise ordered; the first value of a name repeated in one tag stays.
    std::map<std::string, std::string> attributes;
    std::string text;
    CXMLNode* parent = nullptr;          // not owned
    std::vector<CXMLNode*> children;     // owned, in document order
};

// Deletes the tree under root and sets root to null; a null root is left alone.
void DeleteXMLTree(CXMLNode*& root);

} // namespace Tamrik
