// The plug-in's list of error numbers and the table in docs/errors.md that
// host programmers read must name the same numbers.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"

namespace {

std::vector<std::string> Cells(const std::string& row) {
    std::vector<std::string> cells;
    std::stringstream in(row.substr(1));
    std::string cell;
    while (std::getline(in, cell, '|')) {
        const size_t first = cell.find_first_not_of(' ');
        const size_t last = cell.find_last_not_of(' ');
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    return cells;
}

// The ErrorNumber column of every row of the table that has one.
std::multiset<int64_t> DocumentedNumbers() {
    std::ifstream doc(std::string(TORVXML_SOURCE_DIR) + "/docs/errors.md");
    EXPECT_TRUE(doc.good()) << "docs/errors.md not found";
    std::multiset<int64_t> numbers;
    int column = -1;
    for (std::string line; std::getline(doc, line);) {
        if (line.empty() || line[0] != '|') {
            column = -1;
            continue;
        }
        const std::vector<std::string> cells = Cells(line);
        if (column < 0) {
            for (size_t i = 0; i < cells.size(); ++i)
                if (cells[i] == "ErrorNumber") column = static_cast<int>(i);
            continue;
        }
        if (cells.size() <= static_cast<size_t>(column) || cells[column].rfind("---", 0) == 0)
            continue;
        numbers.insert(std::stoll(cells[column]));
    }
    return numbers;
}

TEST(ErrorCodes, TheDocumentedTableAndTheListAgree) {
    std::set<int64_t> listed;
#define TORVXML_LIST(name, number) listed.insert(number);
    TORVXML_ERROR_CODES(TORVXML_LIST)
#undef TORVXML_LIST
    const std::multiset<int64_t> documented = DocumentedNumbers();
    ASSERT_FALSE(documented.empty()) << "no ErrorNumber column in docs/errors.md";
    for (int64_t number : listed)
        EXPECT_EQ(documented.count(number) > 0, true) << number << " is not documented";
    for (int64_t number : documented)
        EXPECT_EQ(listed.count(number), 1u) << number << " is documented but never raised";
}

}  // namespace
