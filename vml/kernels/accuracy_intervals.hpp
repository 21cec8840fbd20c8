// Reader of the interval text of accuracy.def rows: "lo hi" ranges for one
// argument, "xlo xhi x ylo yhi" boxes for two, separated by ';'.  Shared by
// the ULP checker and the tests that sample the declared intervals.  Plain
// C++, usable from baseline and AVX units alike.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace tvml_accuracy {

// x in [xlo, xhi] and, for two-argument rows, y in [ylo, yhi].
struct Box {
    double xlo, xhi, ylo = 0, yhi = 0;
};

// Bounds are anything strtod reads (hex floats, inf).  Returns false with a
// reason for an unreadable or reversed interval or an empty list.
inline bool parse_intervals(const std::string& text, int arity, std::vector<Box>& boxes, std::string& why) {
    const auto number = [](const std::string& token, double& v) {
        char* end = nullptr;
        v = std::strtod(token.c_str(), &end);
        return !token.empty() && *end == '\0';
    };
    boxes.clear();
    std::stringstream chunks(text);
    std::string chunk;
    while (std::getline(chunks, chunk, ';')) {
        std::stringstream words(chunk);
        std::vector<std::string> tokens;
        for (std::string w; words >> w;) tokens.push_back(w);
        if (tokens.empty()) continue;
        const bool two = arity != 1;
        std::string joined;
        for (const std::string& t : tokens) joined += (joined.empty() ? "" : " ") + t;
        if (tokens.size() != (two ? 5u : 2u) || (two && tokens[2] != "x")) {
            why = "interval \"" + joined + (two ? "\" is not \"xlo xhi x ylo yhi\"" : "\" is not \"lo hi\"");
            return false;
        }
        Box box;
        bool ok = number(tokens[0], box.xlo) && number(tokens[1], box.xhi);
        if (two) ok = ok && number(tokens[3], box.ylo) && number(tokens[4], box.yhi);
        if (!ok || !(box.xlo <= box.xhi) || (two && !(box.ylo <= box.yhi))) {
            why = "interval \"" + joined + "\" has unreadable or reversed bounds";
            return false;
        }
        boxes.push_back(box);
    }
    if (boxes.empty()) {
        why = "no interval";
        return false;
    }
    return true;
}

// The boxes of a row known to be well formed (the checker's own test
// rejects malformed rows); empty if it is not.
inline std::vector<Box> intervals_of(const std::string& text, int arity) {
    std::vector<Box> boxes;
    std::string why;
    if (!parse_intervals(text, arity, boxes, why)) boxes.clear();
    return boxes;
}

}  // namespace tvml_accuracy
