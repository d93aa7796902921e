// The bench's one table: each measure beside its reference, with the ratio
// of the two taken run by run.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct Row {
    std::string measure;
    std::string unit;
    std::vector<double> program;
    std::string reference;  // empty: no reference to compare with
    std::vector<double> baseline;
    int decimals = 1;
};

void PrintTable(const std::string& title, const std::vector<Row>& rows);

}  // namespace bench
