#include "rows.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tvml_ulp {

namespace {

std::string trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    const size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string unquote(const std::string& s) {
    const std::string t = trim(s);
    return t.size() >= 2 && t.front() == '"' && t.back() == '"' ? t.substr(1, t.size() - 2) : t;
}

bool number(const std::string& token, double& v) {
    char* end = nullptr;
    v = std::strtod(token.c_str(), &end);
    return !token.empty() && *end == '\0';
}

// Removes /* */ and // comments.
std::string strip_comments(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "/*") == 0) {
            const size_t e = text.find("*/", i + 2);
            if (e == std::string::npos) break;
            i = e + 1;
        } else if (text.compare(i, 2, "//") == 0) {
            const size_t e = text.find('\n', i);
            if (e == std::string::npos) break;
            i = e - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Splits the arguments of one macro call at top-level commas.
std::vector<std::string> split_arguments(const std::string& args) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : args) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

}  // namespace

bool finish_row(Row& row, std::string& why) {
    if (row.arity < 1 || row.arity > 3) {
        why = row.kernel + ": arity must be 1, 2 or 3";
        return false;
    }
    if (!parse_intervals(row.intervals, row.arity, row.boxes, why)) {
        why = row.kernel + ": " + why;
        return false;
    }
    return true;
}

std::vector<Row> builtin_rows() {
    std::vector<Row> rows;
#define TVML_ACCURACY(kernel, reference, arity, max_ulp, intervals) \
    rows.push_back({#kernel, #reference, arity, double(max_ulp), unquote(#intervals), {}});
#define TVML_SHARED_PATH(name)                              \
    for (Row & row : rows)                                  \
        if (row.kernel == #name) row.shared_path = true;
#include "accuracy.def"
#undef TVML_ACCURACY
#undef TVML_SHARED_PATH
    return rows;
}

bool read_rows(const std::string& path, std::vector<Row>& rows, std::string& why) {
    std::ifstream in(path);
    if (!in) {
        why = "cannot read " + path;
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = strip_comments(buffer.str());
    const std::string macro = "TVML_ACCURACY(";
    for (size_t at = text.find(macro); at != std::string::npos; at = text.find(macro, at + 1)) {
        const size_t open = at + macro.size();
        const size_t close = text.find(')', open);
        if (close == std::string::npos) break;
        const std::vector<std::string> a = split_arguments(text.substr(open, close - open));
        Row row;
        double arity = 0;
        if (a.size() != 5 || !number(trim(a[2]), arity) || !number(trim(a[3]), row.max_ulp)) {
            why = path + ": unreadable row TVML_ACCURACY(" + text.substr(open, close - open) + ")";
            return false;
        }
        row.kernel = trim(a[0]);
        row.reference = trim(a[1]);
        row.arity = int(arity);
        row.intervals = unquote(a[4]);
        rows.push_back(row);
    }
    return true;
}

}  // namespace tvml_ulp
