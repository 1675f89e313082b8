// The quantity table (engine/quantities.h) is the one vocabulary: the
// gateways build their names from it, and the lists written out by hand in
// the toolbox and the help texts must say the same, in the same order. A
// quantity added to the table fails here until each list has it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine/quantities.h"

using namespace coat;

namespace {

// A file's text with comment marks and line continuations as blanks and
// every run of blanks as one space, so that a list wrapped over lines of a
// help text reads as one line.
std::string flattened(const char* path)
{
    std::ifstream in(std::string(COAT_SOURCE_DIR) + "/" + path);
    EXPECT_TRUE(in) << path;
    std::stringstream text;
    text << in.rdbuf();
    std::string out;
    for (char c : text.str()) {
        const bool blank = c == '%' || c == '\n' || c == ' ' || c == '\t';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out.push_back(blank ? ' ' : c);
    }
    std::string::size_type dots;
    while ((dots = out.find(" ... ")) != std::string::npos) out.replace(dots, 5, " ");
    return out;
}

// The table's names, each as `quote prefix name quote`, joined by `between`;
// `last` before the last one where a list ends in "or".
std::string listOf(const char* prefix, const char* quote, const char* between,
                   const char* last = nullptr)
{
    std::string out;
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        if (q) out += q + 1 == QUANTITY_COUNT && last ? last : between;
        out += std::string(quote) + prefix + QUANTITIES[q].name + quote;
    }
    return out;
}

TEST(QuantityTable, TheToolboxAndTheHelpListEveryQuantityInItsOrder)
{
    struct Expected {
        const char* file;
        std::string text;
    };
    std::string units;
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        const std::string unit = *QUANTITIES[q].unit ? std::string(" (") + QUANTITIES[q].unit + ")"
                                                      : "";
        units += std::string(q ? ", '" : "'") + QUANTITIES[q].name + "', '" + unit + "'";
    }
    const Expected expected[] = {
        {"toolbox/private/check_targets.m", "quantities = {" + listOf("", "'", ", ") + "};"},
        {"toolbox/coatplot.m", "units = struct(" + units + ");"},
        {"toolbox/coattargets.m", listOf("", "'", ", ", " or ")},
        {"toolbox/coatdesign.m", "quantity (" + listOf("", "'", ", ") + ")"},
        {"toolbox/coatoptimize.m", "quantity (" + listOf("", "'", ", ") + ")"},
        {"gateways/coatresponse.m", "(" + listOf("", "", ", ") + ")"},
        {"gateways/coatresponse.m", listOf("d", "", ", ")},
        {"gateways/coatprofile.m", "(fields " + listOf("", "", ", ")},
        {"gateways/coatprofile.m", listOf("n", "", ", ")},
    };
    for (const Expected& e : expected)
        EXPECT_NE(flattened(e.file).find(e.text), std::string::npos)
            << e.file << " does not hold, in the table's order: " << e.text;
}

}  // namespace
