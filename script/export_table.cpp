// The table of exported methods, assembled from the rows of each class's file.
#include "script/export_table.h"

#include <cstring>

namespace Tamrik {

namespace {

using ExportGroup = std::span<const ExportRow> (*)();

// One line per class whose rows are linked into the program.
const ExportGroup kExportGroups[] = {
    SystemExports,
};

} // namespace

uint32_t FindExport(const char* name)
{
    uint32_t index = 0;
    for (ExportGroup group : kExportGroups) {
        for (const ExportRow& row : group()) {
            if (std::strcmp(row.name, name) == 0)
                return FUNCTION_WORD_BASE + index;
            ++index;
        }
    }
    return 0;
}

const ExportRow* ExportFromWord(uint32_t word)
{
    uint32_t index = word - FUNCTION_WORD_BASE;
    for (ExportGroup group : kExportGroups) {
        std::span<const ExportRow> rows = group();
        if (index < rows.size())
            return &rows[index];
        index -= static_cast<uint32_t>(rows.size());
    }
    return nullptr;
}

bool IsValidArgument(ArgKind kind, uint32_t word, const NativeWords& words)
{
    switch (kind) {
    case ArgKind::CString:
        return words.String(word) != nullptr;
    case ArgKind::Text:
        return words.Text(word) != nullptr;
    default:
        return true;
    }
}

} // namespace Tamrik
