// The INI reader: bytes to filtered lines, lines to sections. Lossy by design: outside quotes
// only letters, digits, "=", "[" and "]" survive.
#include "core/ini_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace Tamrik {

namespace {

class LineSplitter {
public:
    void Feed(unsigned char c)
    {
        if (c == '\n' || c == '\r') {
            if (!line.empty()) {
                lines.push_back(std::move(line));
                line.clear();
            }
            inComment = false;   // quoting deliberately carries over to the next line
            return;
        }
        if (c == ';') {
            inComment = true;
            return;
        }
        if (c == '"') {
            inQuotes = !inQuotes;
            return;
        }
        if (inComment)
            return;
        if (inQuotes || IsKeptOutsideQuotes(c))
            line.push_back(static_cast<char>(c));
    }

    std::vector<std::string> Finish()
    {
        if (!line.empty())
            lines.push_back(std::move(line));
        return std::move(lines);
    }

private:
    std::vector<std::string> lines;
    std::string line;
    bool inComment = false;
    bool inQuotes = false;
};

void BuildSections(IniMap& map, const std::vector<std::string>& lines)
{
    std::string current;
    IniSection pending;
    for (const std::string& line : lines) {
        size_t open = line.find('[');
        size_t close = line.find(']');
        if (open != std::string::npos && close != std::string::npos) {
            if (!current.empty()) {
                map.insert({current, std::move(pending)});
                pending.clear();
            }
            if (close > open)
                current = line.substr(open + 1, close - open - 1);
            else
                current = line.substr(open + 1);
        }
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            pending.insert({line.substr(0, eq), line.substr(eq + 1)});
    }
    if (!current.empty())
        map.insert({current, std::move(pending)});
}

} // namespace

bool IsKeptOutsideQuotes(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '=' || c == '[' || c == ']';
}

int ReadWholeFile(const char* path, std::string& bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return errno ? errno : EIO;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    const int error = std::ferror(file) ? (errno ? errno : EIO) : 0;
    std::fclose(file);
    return error;
}

void ParseIniBytes(IniMap& map, const char* data, size_t size)
{
    map.clear();
    LineSplitter splitter;
    for (size_t i = 0; i < size; ++i)
        splitter.Feed(static_cast<unsigned char>(data[i]));
    BuildSections(map, splitter.Finish());
}

int ParseIniFile(IniMap& map, const char* path)
{
    std::string bytes;
    const int error = path ? ReadWholeFile(path, bytes) : 0;
    ParseIniBytes(map, bytes.data(), bytes.size());
    return error;
}

IniMap* LoadSettings(int* error)
{
    IniMap* map = new IniMap;
    const int readError = ParseIniFile(*map, "Settings.ini");
    if (error)
        *error = readError;
    return map;
}

void ReportUnreadable(const char* path, int error)
{
    std::error_code ec;
    const std::string folder = std::filesystem::current_path(ec).string();
    std::fprintf(stderr, "Cannot read \"%s\" in %s: %s\n", path, ec ? "the working directory" : folder.c_str(),
                 std::strerror(error));
}

} // namespace Tamrik
