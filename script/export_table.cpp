// The table of exported methods, assembled from the rows of each class's file.
#include "script/export_table.h"

#include <cstring>

namespace Tamrik {

namespace {

std::span<const ExportRow> g_ExtraRows;

// Visits the program's rows, then the tests' rows, with each row's running index; stops when
// visit returns true.
template <class Visit>
const ExportRow* FindRow(Visit&& visit)
{
    uint32_t index = 0;
    for (ExportGroup group : ProgramExportGroups())
        for (const ExportRow& row : group())
            if (visit(row, index++))
                return &row;
    for (const ExportRow& row : g_ExtraRows)
        if (visit(row, index++))
            return &row;
    return nullptr;
}

} // namespace

void SetExtraExportsForTesting(std::span<const ExportRow> rows)
{
    g_ExtraRows = rows;
}

uint32_t FindExport(const char* name)
{
    uint32_t word = 0;
    FindRow([&](const ExportRow& row, uint32_t index) {
        if (std::strcmp(row.name, name) != 0)
            return false;
        word = FUNCTION_WORD_BASE + index;
        return true;
    });
    return word;
}

const ExportRow* ExportFromWord(uint32_t word)
{
    return FindRow([&](const ExportRow&, uint32_t index) { return FUNCTION_WORD_BASE + index == word; });
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
