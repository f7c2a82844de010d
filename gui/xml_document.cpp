// The element reader behind CXMLDocument: a state machine fed one character at a time, with the
// character filter that drops everything a tag may not hold.
#include "gui/xml_document.h"

#include <cstdio>
#include <string>
#include <utility>

namespace Tamrik {

namespace {

enum : int {
    STATE_SYNTAX_ERROR = 14,
    // Inside "<?...?>", and just after a '?' there.
    STATE_INSTRUCTION = 15,
    STATE_INSTRUCTION_QUESTION = 16,
};

// Everything else is dropped unseen in every state but character data and quoted values.
bool PassesFilter(unsigned char c)
{
    return c == ' ' || c == '!' || c == '"' || c == '-' || c == '/' || c == '<' || c == '=' ||
           c == '>' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || c == '_' || c == 127;
}

bool IsNameCharacter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_';
}

class XMLReader {
public:
    explicit XMLReader(CXMLNode*& root) : root(root) {}
    // An element read after the root belongs to no document; it is freed here if still open.
    ~XMLReader() { delete detached; }
    XMLReader(const XMLReader&) = delete;
    XMLReader& operator=(const XMLReader&) = delete;

    // Text-mode bytes: a CR LF pair reads as one line feed. False once a syntax error ended
    // the read.
    bool FeedBytes(const char* data, size_t size)
    {
        for (size_t i = 0; i < size && state != STATE_SYNTAX_ERROR; ++i) {
            const unsigned char c = static_cast<unsigned char>(data[i]);
            if (pendingReturn) {
                pendingReturn = false;
                if (c == '\n') {
                    Feed('\n');
                    continue;
                }
                Feed('\r');
                if (state == STATE_SYNTAX_ERROR)
                    break;
            }
            if (c == '\r')
                pendingReturn = true;
            else
                Feed(c);
        }
        return state != STATE_SYNTAX_ERROR;
    }

private:
    void Feed(unsigned char c)
    {
        // A declaration or processing instruction is skipped whole. Its '?' would otherwise be
        // dropped by the filter and its target read as an element that swallows the document.
        const bool afterBracket = std::exchange(bracketJustRead, false);
        if (afterBracket && c == '?') {
            state = STATE_INSTRUCTION;
            return;
        }
        if (state != 0 && state != 12 && state < STATE_INSTRUCTION && !PassesFilter(c))
            return;
        switch (state) {
        case 0:
            if (c == '<') {
                FlushBuffer();
                state = 1;
                bracketJustRead = true;
            } else if (current) {
                // With no open element the data would be discarded at the next '<'.
                buffer.push_back(static_cast<char>(c));
            }
            break;
        case 1:
            if (c == ' ')
                break;
            if (c == '!')
                state = 3;
            else if (c == '/')
                state = 2;
            else if (IsNameCharacter(c)) {
                buffer.push_back(static_cast<char>(c));
                state = 8;
            } else
                state = STATE_SYNTAX_ERROR;
            break;
        case 2:
            if (IsNameCharacter(c))
                buffer.push_back(static_cast<char>(c));
            else if (c == '>') {
                buffer.clear();   // the end-tag name is never compared
                CloseElement();
                state = 0;
            } else
                state = STATE_SYNTAX_ERROR;
            break;
        case 3:
        case 4:
            state = c == '-' ? state + 1 : STATE_SYNTAX_ERROR;
            break;
        case 5:
            if (c == '-')
                state = 6;
            break;
        case 6:
            state = c == '-' ? 7 : STATE_SYNTAX_ERROR;
            break;
        case 7:
            state = c == '>' ? 0 : STATE_SYNTAX_ERROR;
            break;
        case 8:
            if (IsNameCharacter(c))
                buffer.push_back(static_cast<char>(c));
            else if (c == ' ' || c == '/' || c == '>') {
                CreateElement();
                state = c == ' ' ? 9 : c == '/' ? 13 : 0;
            } else
                state = STATE_SYNTAX_ERROR;
            break;
        case 9:
            if (c == ' ')
                break;
            if (c == '/')
                state = 13;
            else if (c == '>')
                state = 0;
            else if (IsNameCharacter(c)) {
                buffer.push_back(static_cast<char>(c));
                state = 10;
            } else
                state = STATE_SYNTAX_ERROR;
            break;
        case 10:
            if (IsNameCharacter(c))
                buffer.push_back(static_cast<char>(c));
            else if (c == '=') {
                attributeName = std::move(buffer);
                buffer.clear();
                state = 11;
            } else
                state = STATE_SYNTAX_ERROR;
            break;
        case 11:
            state = c == '"' ? 12 : STATE_SYNTAX_ERROR;
            break;
        case 12:
            if (c == '"') {
                StoreAttribute();
                state = 9;
            } else
                buffer.push_back(static_cast<char>(c));
            break;
        case 13:
            if (c == '>') {
                CloseElement();
                state = 0;
            } else
                state = STATE_SYNTAX_ERROR;
            break;
        case STATE_INSTRUCTION:
            if (c == '?')
                state = STATE_INSTRUCTION_QUESTION;
            break;
        case STATE_INSTRUCTION_QUESTION:
            state = c == '>' ? 0 : c == '?' ? STATE_INSTRUCTION_QUESTION : STATE_INSTRUCTION;
            break;
        default:
            break;
        }
    }

    void FlushBuffer()
    {
        if (current)
            current->text += buffer;
        buffer.clear();
    }

    void CreateElement()
    {
        CXMLNode* node = new CXMLNode;
        node->name = std::move(buffer);
        buffer.clear();
        node->parent = current;
        if (current)
            current->children.push_back(node);
        else if (!root)
            root = node;
        else
            detached = node;
        current = node;
    }

    // An end tag with nothing open (before the first element, after the root) is ignored.
    void CloseElement()
    {
        if (!current)
            return;
        if (current == detached) {
            delete detached;
            detached = nullptr;
            current = nullptr;
            return;
        }
        current = current->parent;
    }

    void StoreAttribute()
    {
        current->attributes.try_emplace(std::move(attributeName), std::move(buffer));
        attributeName.clear();
        buffer.clear();
    }

    CXMLNode*& root;
    CXMLNode* detached = nullptr;   // the top of an element tree read after the root
    CXMLNode* current = nullptr;
    int state = 0;
    bool bracketJustRead = false;   // the last character fed was the '<' that opened state 1
    bool pendingReturn = false;
    std::string buffer;
    std::string attributeName;
};

} // namespace

CXMLDocument::~CXMLDocument()
{
    DeleteXMLTree(root);
}

void CXMLDocument::Load()
{
    LoadFile("gui/gui.xml");
}

void CXMLDocument::LoadFile(const char* path)
{
    DeleteXMLTree(root);
    tooLarge = false;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return;
    XMLReader reader(root);
    char chunk[65536];
    size_t got;
    long long total = 0;
    // A carriage return left pending at the end could only reach a buffer that is dropped.
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        total += static_cast<long long>(got);
        tooLarge = total > MAX_FILE_BYTES;
        if (tooLarge || !reader.FeedBytes(chunk, got))
            break;
    }
    std::fclose(file);
    if (tooLarge)
        DeleteXMLTree(root);
}

void CXMLDocument::LoadBytes(const char* data, size_t size)
{
    DeleteXMLTree(root);
    tooLarge = false;
    XMLReader reader(root);
    reader.FeedBytes(data, size);
}

} // namespace Tamrik
