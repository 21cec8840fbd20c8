// Accuracy declarations: the rows of vml/kernels/accuracy.def (compiled
// in) or of another file in the same format.
#pragma once

#include <string>
#include <vector>

namespace tvml_ulp {

// x in [xlo, xhi] and, for two-argument rows, y in [ylo, yhi].
struct Box {
    double xlo, xhi, ylo = 0, yhi = 0;
};

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

// "lo hi; lo hi" or, with y, "xlo xhi x ylo yhi; ...".  Bounds are
// anything strtod reads (hex floats, inf).  Returns false with a reason.
bool parse_intervals(const std::string& text, int arity, std::vector<Box>& boxes, std::string& why);

// The rows of accuracy.def as built into the program.
std::vector<Row> builtin_rows();

// Reads TVML_ACCURACY(...) rows from a file in the format of accuracy.def.
bool read_rows(const std::string& path, std::vector<Row>& rows, std::string& why);

// Fills boxes from intervals; false with a reason naming the kernel.
bool finish_row(Row& row, std::string& why);

}  // namespace tvml_ulp
