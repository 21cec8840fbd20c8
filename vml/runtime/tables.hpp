// Dispatch tables and the pointers the trampolines and vector-ABI stubs
// jump through.  Private to the library.
#pragma once

#include "dazaro_tv.h"

extern "C" {

using tvml_sv_kernel = void (*)(void);

extern const tvml_array_kernel tarvovml_func_generic[TVML_ARRAY_SLOT_COUNT];
extern const tvml_array_kernel tarvovml_func_tarvo_generic[TVML_ARRAY_SLOT_COUNT];
extern const tvml_array_kernel tarvovml_func_ondara[TVML_ARRAY_SLOT_COUNT];
extern const tvml_array_kernel tarvovml_func_belisk[TVML_ARRAY_SLOT_COUNT];

extern const tvml_sv_kernel tarvovml_svml_func_generic[TVML_SV_SLOT_COUNT];
extern const tvml_sv_kernel tarvovml_svml_func_tarvo_generic[TVML_SV_SLOT_COUNT];
extern const tvml_sv_kernel tarvovml_svml_func_belisk[TVML_SV_SLOT_COUNT];

extern const tvml_array_kernel* tarvovml_func;
extern const tvml_sv_kernel* tarvovml_svml_func;
extern int tarvovml_initialized;
}
