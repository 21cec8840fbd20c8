#include "rows.hpp"

#include <cctype>
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

Row row_of(const tvml_accuracy::KernelRow& k) {
    Row row;
    row.kernel = k.kernel;
    row.reference = k.reference;
    row.arity = k.arity;
    row.max_ulp = k.max_ulp;
    row.intervals = k.intervals;
    row.shared_path = k.shared_path;
    row.output = k.output;
    row.worst = k.worst;
    return row;
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
    for (const tvml_accuracy::KernelRow& k : tvml_accuracy::kernel_rows()) rows.push_back(row_of(k));
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
    for (size_t at = text.find("TVML_"); at != std::string::npos; at = text.find("TVML_", at + 1)) {
        const bool kernel_row = text.compare(at, 21, "TVML_KERNEL_ACCURACY(") == 0;
        if (!kernel_row && text.compare(at, 14, "TVML_ACCURACY(") != 0) continue;
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_')) continue;
        const size_t open = text.find('(', at) + 1;
        const size_t close = text.find(')', open);
        if (close == std::string::npos) break;
        const std::string args = text.substr(open, close - open);
        const std::vector<std::string> a = split_arguments(args);
        double arity = 0, bound = 0;
        const std::string unreadable = path + ": unreadable row " + text.substr(at, close + 1 - at);
        if (kernel_row) {
            Row row;
            if (a.size() != 5 || !number(trim(a[2]), arity) || !number(trim(a[3]), row.max_ulp)) {
                why = unreadable;
                return false;
            }
            row.kernel = trim(a[0]);
            row.reference = trim(a[1]);
            row.arity = int(arity);
            row.intervals = unquote(a[4]);
            rows.push_back(row);
            continue;
        }
        const std::string precision = a.size() == 8 ? trim(a[1]) : "";
        if (a.size() != 8 || (precision != "float" && precision != "double") || !number(trim(a[4]), arity) ||
            !number(trim(a[5]), bound)) {
            why = unreadable;
            return false;
        }
        const std::string second = trim(a[3]);
        const tvml_accuracy::Declaration d{trim(a[0]), precision == "float", trim(a[2]),
                                           second == "none" ? "" : second, int(arity), bound,
                                           unquote(a[6]), unquote(a[7]), false};
        for (const tvml_accuracy::KernelRow& k : tvml_accuracy::expand(d)) rows.push_back(row_of(k));
    }
    return true;
}

}  // namespace tvml_ulp
