// Rows the checker runs: the kernels of vml/kernels/accuracy.def (compiled
// in, expanded by accuracy.hpp), or the rows of other files.
#pragma once

#include <string>
#include <vector>

#include "accuracy.hpp"

namespace tvml_ulp {

using tvml_accuracy::Box;
using tvml_accuracy::parse_intervals;

struct Row {
    std::string kernel;
    std::string reference;
    int arity = 1;
    double max_ulp = 0;
    std::string intervals;  // as declared
    std::vector<Box> boxes;
    // Lanes may take a whole-register fallback path chosen by the other
    // lanes: a lane's result may then change with its neighbours, within
    // the bound (listed with TVML_SHARED_PATH in accuracy.def).
    bool shared_path = false;
    int output = 1;     // 2: the second output (r2) of a two-output kernel
    std::string worst;  // declared worst input, "x" or "x y": always evaluated
};

// The kernels of accuracy.def as built into the program.
std::vector<Row> builtin_rows();

// Reads a file of rows: TVML_ACCURACY(...) rows in the format of
// accuracy.def (expanded to their kernels) and rows of single kernels,
// TVML_KERNEL_ACCURACY(kernel, reference, arity, max_ulp, intervals), for
// kernels outside the declarations (portable kernels, entry points).
bool read_rows(const std::string& path, std::vector<Row>& rows, std::string& why);

// Fills boxes from intervals; false with a reason naming the kernel.
bool finish_row(Row& row, std::string& why);

}  // namespace tvml_ulp
