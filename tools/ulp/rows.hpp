// Accuracy declarations: the rows of vml/kernels/accuracy.def (compiled
// in) or of another file in the same format.
#pragma once

#include <string>
#include <vector>

#include "accuracy_intervals.hpp"

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
};

// The rows of accuracy.def as built into the program.
std::vector<Row> builtin_rows();

// Reads TVML_ACCURACY(...) rows from a file in the format of accuracy.def.
bool read_rows(const std::string& path, std::vector<Row>& rows, std::string& why);

// Fills boxes from intervals; false with a reason naming the kernel.
bool finish_row(Row& row, std::string& why);

}  // namespace tvml_ulp
