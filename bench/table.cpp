#include "table.h"

#include <cstdio>

#include "stats.h"

namespace bench {

void PrintTable(const std::string& title, const std::vector<Row>& rows) {
    std::printf("%s\n\n", title.c_str());
    std::printf("%-38s %-30s %-52s %s\n", "measure", "median (quartiles)", "reference: median (quartiles)",
                "ratio (quartiles)");
    for (const Row& row : rows) {
        const std::string program = Format(Summarise(row.program), row.decimals) + " " + row.unit;
        std::string reference = "-", ratio = "n/a";
        if (!row.reference.empty()) {
            reference = row.reference + ": " + Format(Summarise(row.baseline), row.decimals) + " " + row.unit;
            if (!PairedRatios(row.program, row.baseline).empty())
                ratio = Format(Summarise(PairedRatios(row.program, row.baseline)), 2);
        }
        std::printf("%-38s %-30s %-52s %s\n", row.measure.c_str(), program.c_str(), reference.c_str(),
                    ratio.c_str());
    }
    std::fflush(stdout);
}

}  // namespace bench
