// Prints the README paragraph on which functions run tuned kernels, from
// the name tables (vml/include/dazaro_tv_api.h): scripts/readme-tuned.sh
// puts it into README.md.
#include <cstdio>
#include <string>
#include <vector>

#include "dazaro_tv_api.h"

namespace {

enum class Column { Ready, Generic };

struct Function {
    std::string stem;  // array: op without its type letter; short-vector: fn
    std::string types;
    Column column;
};

#define COLUMN_READY(op, v) Column::Ready
#define COLUMN_GENERIC(op, v) Column::Generic

// A slot counts as tuned when its index-1 kernel is.
#define ARRAY_SLOT(slot, op, index1, index23) add(array, #op + 1, #op[0], TVML_ON_COLUMN(COLUMN, op, index1));
#define SV_FUNC(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    add(sv, #fn, 0, TVML_ON_COLUMN(COLUMN, fn, variant));

void add(std::vector<Function>& list, const std::string& stem, char type, Column column) {
    for (Function& f : list) {
        if (f.stem == stem && f.column == column) {
            if (type) f.types += std::string(", ") + type;
            return;
        }
    }
    list.push_back({stem, type ? std::string(1, type) : "", column});
}

// "a, b (s, d), c": the functions of one column, type letters where they
// differ from s, d.
std::string names(const std::vector<Function>& list, Column column) {
    std::string out;
    for (const Function& f : list) {
        if (f.column != column) continue;
        if (!out.empty()) out += ", ";
        out += f.stem;
        if (!f.types.empty() && f.types != "s, d") out += " (" + f.types + ")";
    }
    return out.empty() ? "none" : out;
}

}  // namespace

int main() {
    std::vector<Function> array, sv;
    TVML_ARRAY_SLOTS(ARRAY_SLOT)
    TVML_SV_FUNCS(SV_FUNC)
    std::printf("Under indices 1 to 3 these array functions run tuned AVX2/FMA kernels: %s; and these "
                "short-vector functions: %s. The portable kernels stand in by design for the array functions %s",
                names(array, Column::Ready).c_str(), names(sv, Column::Ready).c_str(),
                names(array, Column::Generic).c_str());
    std::printf(".\n");
}
