// Load-time selection of the kernel tables, and the two query functions.
#include <cstdlib>

#include "detect.hpp"
#include "tables.hpp"

extern "C" {

// Calls made before the constructor (from other constructors) still land
// on kernels that run everywhere.
const tvml_array_kernel* tarvovml_func = tarvovml_func_generic;
const tvml_sv_kernel* tarvovml_svml_func = tarvovml_svml_func_generic;
int tarvovml_initialized = 0;

char tarvovml_config_str[256] = "x86_64 haswell ";

}  // extern "C"

namespace {

struct ArchTables {
    const tvml_array_kernel* array;
    const tvml_sv_kernel* shortvec;
};

const ArchTables kArchTables[4] = {
    {tarvovml_func_generic, tarvovml_svml_func_generic},
    {tarvovml_func_tarvo_generic, tarvovml_svml_func_tarvo_generic},
    {tarvovml_func_ondara, tarvovml_svml_func_tarvo_generic},
    {tarvovml_func_belisk, tarvovml_svml_func_belisk},
};

}  // namespace

extern "C" __attribute__((constructor)) void tarvovml_init(void) {
    if (tarvovml_initialized) return;
    const int index = tvml::select_arch(std::getenv("VML_DEBUG_ARCH"), tvml::HardwareProbe{});
    tarvovml_func = kArchTables[index].array;
    tarvovml_svml_func = kArchTables[index].shortvec;
    tarvovml_initialized = 1;
}

extern "C" {

TVML_API const char* vml_get_cpu_arch(void) {
    return tvml::arch_name(tvml::select_arch(std::getenv("VML_DEBUG_ARCH"), tvml::HardwareProbe{}));
}

TVML_API char* tarvovml_get_config(void) { return tarvovml_config_str; }

}  // extern "C"
