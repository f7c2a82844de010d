// The GUI's XML reader: the character filter, its misreadings, and syntax errors ending the read.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <pthread.h>

#include "gui/xml_document.h"
#include "tests/support/test_paths.h"

using Tamrik::CXMLDocument;
using Tamrik::CXMLNode;

namespace {

// name{attr=value,...}"text"(children...), enough to compare whole trees in one line.
std::string Outline(const CXMLNode* node)
{
    if (!node)
        return "-";
    std::string out = node->name;
    if (!node->attributes.empty()) {
        out += '{';
        for (const auto& [key, value] : node->attributes)
            out += key + '=' + value + ',';
        out.back() = '}';
    }
    if (!node->text.empty())
        out += '"' + node->text + '"';
    if (!node->children.empty()) {
        out += '(';
        for (const CXMLNode* child : node->children) {
            EXPECT_EQ(child->parent, node);
            out += Outline(child) + ' ';
        }
        out.back() = ')';
    }
    return out;
}

// Runs work on a thread with a 256 KiB stack, where recursing over a deep tree would fault.
void RunOnSmallStack(std::function<void()> work)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        (*static_cast<std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &work), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

std::string Read(const std::string& bytes)
{
    CXMLDocument document;
    document.LoadBytes(bytes.data(), bytes.size());
    return Outline(document.root);
}

struct Case {
    const char* what;
    std::string xml;
    const char* tree;
};

TEST(XMLReader, ReadsEachInputToTheTreeItMeans)
{
    const Case cases[] = {
        {"text and values stay verbatim, tags lose filtered characters",
         "<ns:win a.b=\"x<y>\t&lt;'\xC3\xA9\"> 1 &amp;\t\xFF\n</ns:win>",
         "nswin{ab=x<y>\t&lt;'\xC3\xA9}\" 1 &amp;\t\xFF\n\""},
        {"a line break glues the tag name to the attribute name", "<a\n\tb=\"1\"\n/>", "-"},
        {"a line break elsewhere in a tag is dropped", "<a\n b\n=\n\"1\"\n/>", "a{b=1}"},
        {"CR LF reads as one LF", "<a v=\"1\r\n2\r3\">x\r\n\r\ny</a>", "a{v=1\n2\r3}\"x\n\ny\""},
        {"the first of two attributes with one name stays", "<a z=\"1\" b=\"2\" z=\"3\" b=\"\"/>", "a{b=2,z=1}"},
        {"a declaration before the root is skipped",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gui><label/></gui>\n<more/>", "gui(label)"},
        {"instructions between elements are skipped up to their ?>", "<a>x<?p q>r?\?><b/><?p?>y<c/><?q ?></a>",
         "a\"xy\"(b c)"},
        {"a '?' not right after '<' is dropped as before", "< ?b?>", "b"},
        {"an instruction never closed takes the rest of the file", "<a><b/><?p ?<c/></a>", "a(b)"},
        {"comments are skipped", "<!-- head --><a>x<!-- <b/> -->y<c/></a>", "a\"xy\"(c)"},
        {"a comment holding a single hyphen ends the read", "<a><b/><!-- one-hyphen --><c/></a>", "a(b)"},
        {"a comment holding three hyphens ends the read", "<a><b/><!-- x --- --><c/></a>", "a(b)"},
        {"a DOCTYPE ends the read", "<!DOCTYPE gui><a/>", "-"},
        {"CDATA ends the read", "<a><![CDATA[x]]><b/></a>", "a"},
        {"a single-quoted value ends the read", "<a><b x=\"1\" y='2'/><c/></a>", "a(b{x=1})"},
        {"a blank before '=' ends the read", "<a><b x=\"1\" y =\"2\"/></a>", "a(b{x=1})"},
        {"an attribute without value ends the read", "<a><b x=\"1\" flag/></a>", "a(b{x=1})"},
        {"a hyphen in a tag name ends the read", "<a><b-c/></a>", "a"},
        {"an unterminated value ends the read", "<a><b x=\"unterminated/></a>", "a(b)"},
        {"text after the last tag is dropped", "<a>text after the last tag", "a"},
        {"a blank in an end tag ends the read", "<a><b></b ></a>", "a(b)"},
        {"end tags close whatever is open, stray ones are ignored", "</x>\n<a><b></a><c></></a>", "a(b c)"},
        {"end tags after the root is closed are ignored", "<a/></a></a><b><c/></b></a>", "a"},
        {"data between children joins into the parent's text", "<gui>\n  <a>t</a>\n  <b/>\n</gui>",
         "gui\"\n  \n  \n\"(a\"t\" b)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.xml), c.tree) << c.what;
}

TEST(XMLReader, MissingOrEmptyFileGivesNoRootAndLoadReplacesTheTree)
{
    kestrova_test::ScratchDir scratch;
    CXMLDocument document;
    document.LoadBytes("<old/>", 6);
    document.Load();
    EXPECT_EQ(document.root, nullptr);
    kestrova_test::WriteFile(scratch.Path() / "gui/gui.xml", "");
    document.Load();
    EXPECT_EQ(document.root, nullptr);
    kestrova_test::WriteFile(scratch.Path() / "gui/gui.xml", "<gui>\r\n<b/></gui>");
    document.Load();
    EXPECT_EQ(Outline(document.root), "gui\"\n\"(b)");
}

TEST(XMLReader, HundredThousandLevelsReadAndDeleteWithoutRecursion)
{
    std::string nested;
    for (int i = 0; i < 100000; ++i)
        nested += "<a x=\"1\">";
    int depth = 0;
    std::string afterRoot;
    RunOnSmallStack([&] {
        CXMLDocument document;
        document.LoadBytes(nested.data(), nested.size());
        for (const CXMLNode* node = document.root; node;
             node = node->children.empty() ? nullptr : node->children[0])
            ++depth;
        // The same depth after the root: read, attached nowhere, and freed.
        const std::string twice = "<r/>" + nested;
        document.LoadBytes(twice.data(), twice.size());
        afterRoot = Outline(document.root);
    });
    EXPECT_EQ(depth, 100000);
    EXPECT_EQ(afterRoot, "r");
}

} // namespace
