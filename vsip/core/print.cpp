// VU_ print utilities.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "internal.hpp"

namespace {

// Value of an environment variable as a 32-bit number, if set.
bool env_int(const char *name, long *value) {
    const char *text = std::getenv(name);
    if (!text)
        return false;
    long v = std::strtol(text, nullptr, 10);
    *value = v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v;
    return true;
}

struct Limits {
    std::uint64_t full;  // largest element count printed in full
    long row;            // elements per line / head plus tail count, >= 1
};

// `divisor` is 2 for the complex vector printer, which halves both values.
Limits read_limits(long divisor) {
    Limits l{static_cast<std::uint64_t>(1000 / divisor), 10 / divisor};
    long value;
    if (env_int("VU_MAX_PRINT_LENGTH", &value))
        l.full = value < 0 ? UINT64_MAX : static_cast<std::uint64_t>(value / divisor);
    // A row value below 1 has no meaningful layout: use the default.
    if (env_int("VU_MAX_ROW_PRINT_LENGTH", &value) && value / divisor >= 1)
        l.row = value / divisor;
    return l;
}

// The caller's precision text is spliced into a printf format: keep only
// flag, width and precision characters so the format stays well formed,
// and bound its length so the format fits its buffer.
struct Spec {
    char text[16];
    explicit Spec(const char *spec) {
        std::size_t n = 0;
        while (spec && spec[n] && n + 1 < sizeof text && std::strchr("-+ #0123456789.", spec[n]))
            ++n;
        if (n)
            std::memcpy(text, spec, n);
        text[n] = '\0';
    }
};

struct Format {
    char text[80];
};

Format make_format(const char *pattern, const char *spec, int copies) {
    Format f;
    if (copies == 2)
        std::snprintf(f.text, sizeof f.text, pattern, spec, spec);
    else
        std::snprintf(f.text, sizeof f.text, pattern, spec);
    return f;
}

// Element printers: (element index, separator) -> printf.
struct RealElem {
    const vsip_vview_f *v;
    const char *fmt;
    void operator()(vsip_index j, const char *sep) const {
        std::printf(fmt, static_cast<double>(vsip_vget_f(v, j)), sep);
    }
};
struct IntElem {
    const vsip_vview_i *v;
    const char *fmt;
    void operator()(vsip_index j, const char *sep) const { std::printf(fmt, vsip_vget_i(v, j), sep); }
};
struct BoolElem {
    const vsip_vview_bl *v;
    const char *fmt;
    void operator()(vsip_index j, const char *sep) const {
        std::printf(fmt, static_cast<unsigned>(vsip_vget_bl(v, j)), sep);
    }
};
struct IndexElem {
    const vsip_vview_vi *v;
    const char *fmt;
    void operator()(vsip_index j, const char *sep) const {
        std::printf(fmt, static_cast<unsigned long>(vsip_vget_vi(v, j)), sep);
    }
};
struct MatIndexElem {
    const vsip_vview_mi *v;
    const char *fmt;
    void operator()(vsip_index j, const char *sep) const {
        vsip_scalar_mi x = vsip_vget_mi(v, j);
        std::printf(fmt, static_cast<unsigned long>(x.r), static_cast<unsigned long>(x.c), sep);
    }
};
struct ComplexElem {
    const vsip_cvview_f *v;
    const char *fmt;
    void operator()(vsip_index j, const char *sep) const {
        vsip_cscalar_f x = vsip_cvget_f(v, j);
        std::printf(fmt, static_cast<double>(x.r), static_cast<double>(x.i), sep);
    }
};

// Full listing: a newline before every `row`-th element.  Abbreviated
// listing on one line: head elements, "... ", tail elements; head and tail
// never reach past the view nor overlap.
template <class Elem>
int print_vector(const Elem &elem, vsip_length n, Limits l, const char *sep) {
    std::printf("[");
    if (l.full >= n) {
        for (vsip_length j = 0; j < n; ++j) {
            if (j % static_cast<vsip_length>(l.row) == 0)
                std::printf("\n");
            elem(j, j + 1 < n ? sep : "");
        }
    } else {
        vsip_length head = static_cast<vsip_length>(l.row / 2);
        vsip_length tail = static_cast<vsip_length>(l.row - l.row / 2);
        if (head > n)
            head = n;
        if (tail > n - head)
            tail = n - head;
        for (vsip_length j = 0; j < head; ++j)
            elem(j, sep);
        std::printf("... ");
        for (vsip_length j = n - tail; j < n; ++j)
            elem(j, j + 1 < n ? " " : "");
    }
    return std::puts("];");
}

// One matrix row "[...]\n", its middle elided when `abbreviate`.
template <class Get>
void print_row(const Get &elem, vsip_index i, vsip_length cols, bool abbreviate, long row) {
    std::printf("[");
    if (abbreviate) {
        vsip_length head = static_cast<vsip_length>(row / 2);
        vsip_length tail = static_cast<vsip_length>(row - row / 2);
        for (vsip_length j = 0; j < head; ++j)
            elem(i, j, " ");
        std::printf("... ");
        for (vsip_length j = cols - tail; j < cols; ++j)
            elem(i, j, j + 1 < cols ? " " : "");
    } else {
        for (vsip_length j = 0; j < cols; ++j)
            elem(i, j, j + 1 < cols ? " " : "");
    }
    std::printf("]\n");
}

template <class Get>
int print_matrix(const Get &elem, vsip_length rows, vsip_length cols) {
    Limits l = read_limits(1);
    std::printf("[\n");
    const unsigned __int128 count = static_cast<unsigned __int128>(rows) * cols;
    const vsip_length r = static_cast<vsip_length>(l.row);
    if (count <= l.full) {
        for (vsip_length i = 0; i < rows; ++i)
            print_row(elem, i, cols, false, l.row);
    } else if (rows > r) {
        const vsip_length head = r / 2, tail = r - r / 2;
        for (vsip_length i = 0; i < head; ++i)
            print_row(elem, i, cols, cols >= r, l.row);
        std::printf("...,\n");
        for (vsip_length i = rows - tail; i < rows; ++i)
            print_row(elem, i, cols, cols >= r, l.row);
    } else {
        for (vsip_length i = 0; i < rows; ++i)
            print_row(elem, i, cols, cols > r, l.row);
    }
    return std::puts("]");
}

// Plain listing: every element followed by " ", the last of a row by ";".
template <class Get>
int print_matrix_plain(const Get &elem, vsip_length rows, vsip_length cols) {
    std::printf("[\n");
    for (vsip_length i = 0; i < rows; ++i) {
        for (vsip_length j = 0; j < cols; ++j)
            elem(i, j, j + 1 < cols ? " " : ";");
        std::printf("\n");
    }
    return std::puts("];");
}

} // namespace

extern "C" {

VSIP_API int VU_vprintm_f(const char *spec, const vsip_vview_f *v) {
    Format f = make_format("%%%sf%%s", Spec(spec).text, 1);
    return print_vector(RealElem{v, f.text}, v->length, read_limits(1), ", ");
}

VSIP_API int VU_vprintm_i(const char *, const vsip_vview_i *v) {
    return print_vector(IntElem{v, "%d %s"}, v->length, read_limits(1), " ");
}

VSIP_API int VU_vprintm_bl(const vsip_vview_bl *v) {
    return print_vector(BoolElem{v, "%u %s"}, v->length, read_limits(1), " ");
}

VSIP_API int VU_vprintm_vi(const char *spec, const vsip_vview_vi *v) {
    Format f = make_format("%%%slu %%s", Spec(spec).text, 1);
    return print_vector(IndexElem{v, f.text}, v->length, read_limits(1), " ");
}

VSIP_API int VU_vprintm_mi(const char *spec, const vsip_vview_mi *v) {
    Format f = make_format("(%%%slu %%%slu)%%s", Spec(spec).text, 2);
    return print_vector(MatIndexElem{v, f.text}, v->length, read_limits(1), " ");
}

VSIP_API int VU_cvprintm_f(const char *spec, const vsip_cvview_f *v) {
    Format f = make_format("(%%%sf %%+%sfi)%%s", Spec(spec).text, 2);
    return print_vector(ComplexElem{v, f.text}, v->length, read_limits(2), " ");
}

VSIP_API int VU_mprintm_f(const char *spec, const vsip_mview_f *m) {
    Format f = make_format("%%%sf%%s", Spec(spec).text, 1);
    auto elem = [m, &f](vsip_index i, vsip_index j, const char *sep) {
        std::printf(f.text, static_cast<double>(vsip_mget_f(m, i, j)), sep);
    };
    return print_matrix(elem, m->col_length, m->row_length);
}

VSIP_API int VU_cmprintm_f(const char *spec, const vsip_cmview_f *m) {
    Format f = make_format("(%%%sf %%+%sfi)%%s", Spec(spec).text, 2);
    auto elem = [m, &f](vsip_index i, vsip_index j, const char *sep) {
        vsip_cscalar_f x = vsip_cmget_f(m, i, j);
        std::printf(f.text, static_cast<double>(x.r), static_cast<double>(x.i), sep);
    };
    return print_matrix(elem, m->col_length, m->row_length);
}

VSIP_API int VU_mprintm_d(const char *spec, const vsip_mview_d *m) {
    Format f = make_format("%%%slf %%s", Spec(spec).text, 1);
    auto elem = [m, &f](vsip_index i, vsip_index j, const char *sep) {
        std::printf(f.text, vsip_mget_d(m, i, j), sep);
    };
    return print_matrix_plain(elem, vsip_mgetcollength_d(m), vsip_mgetrowlength_d(m));
}

VSIP_API int VU_mprintm_i(const char *spec, const vsip_mview_i *m) {
    Format f = make_format("%%%sd %%s", Spec(spec).text, 1);
    auto elem = [m, &f](vsip_index i, vsip_index j, const char *sep) {
        std::printf(f.text, vsip_mget_i(m, i, j), sep);
    };
    return print_matrix_plain(elem, vsip_mgetcollength_i(m), vsip_mgetrowlength_i(m));
}

} // extern "C"
