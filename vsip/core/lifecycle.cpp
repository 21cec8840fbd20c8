// Lifecycle calls, product-version query and the logger.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/checks.hpp"
#include "internal.hpp"

extern "C" {

VSIP_API int vsip_init(void *) { return 0; }

VSIP_API int vsip_finalize(void *) { return 0; }

VSIP_API int tml_vsip_get_product_version(tml_vsip_product_version *info) {
    static const char name[] = "Component Name: TarvoML-TarvoVSIP";
    static const char version[] = "Component Version: v1.0.0";
    if (!info)
        return 1;
    // The strings are handed to the caller, who releases them with free();
    // VI_malloc is malloc unless a test hook stands in for it.
    info->component_name = static_cast<char *>(VI_malloc(sizeof name));
    if (!info->component_name)
        return 3;
    std::memcpy(info->component_name, name, sizeof name);
    info->component_version = static_cast<char *>(VI_malloc(sizeof version));
    if (!info->component_version) {
        VI_free(info->component_name);
        info->component_name = nullptr;
        return 3;
    }
    std::memcpy(info->component_version, version, sizeof version);
    return 0;
}

VSIP_API const char *tml_vsip_build_flavour(void) { return VI_CHECKED ? "checked" : "release"; }

} // extern "C"

namespace {

// Threshold named by VSIP_LOG_LEVEL; anything but the three exact words
// (unset, "INFO", lower case, unknown) is INFO.
VI_log_level threshold() {
    const char *value = std::getenv("VSIP_LOG_LEVEL");
    if (!value)
        return VI_LOG_INFO;
    if (std::strcmp(value, "DEBUG") == 0)
        return VI_LOG_DEBUG;
    if (std::strcmp(value, "WARNING") == 0)
        return VI_LOG_WARNING;
    if (std::strcmp(value, "ERROR") == 0)
        return VI_LOG_ERROR;
    return VI_LOG_INFO;
}

const char *tag(VI_log_level level) {
    switch (level) {
    case VI_LOG_DEBUG: return "DEBUG";
    case VI_LOG_INFO: return "INFO";
    case VI_LOG_WARNING: return "\033[1;33mWARNING\033[0m";
    case VI_LOG_ERROR: break;
    }
    return "\033[1;31mERROR\033[0m";
}

} // namespace

void VI_log(VI_log_level level, const char *function, const char *message) {
    if (level < threshold())
        return;
    std::printf("[%s] \033[1;37mfunc=%s, %s\033[0m\n", tag(level), function, message);
}
