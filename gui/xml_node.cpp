// CXMLNode's tree deletion, iterative so that depth costs heap, not stack.
#include "gui/xml_node.h"

namespace Tamrik {

CXMLNode::~CXMLNode()
{
    // Each node taken off the stack hands its children over before it is deleted, so every
    // destructor run from here sees no children and returns at once.
    std::vector<CXMLNode*> pending;
    pending.swap(children);
    while (!pending.empty()) {
        CXMLNode* node = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), node->children.begin(), node->children.end());
        node->children.clear();
        delete node;
    }
}

void DeleteXMLTree(CXMLNode*& root)
{
    if (!root)
        return;
    delete root;
    root = nullptr;
}

} // namespace Tamrik
