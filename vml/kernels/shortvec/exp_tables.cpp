// Tables of the exponential kernels, generated at compile time from their
// definitions (exp_table_values.hpp): constant-initialised read-only data.
#include <cstdint>

#include "../exp_table_values.hpp"
#include "exp.hpp"

#define TVML_EXP_1024_ENTRY(j) ::tvml::exp_tables::kValues.exp_1024[j],
#define TVML_EXP_128_ENTRY(j) ::tvml::exp_tables::kValues.exp_128[j],
#define TVML_EXP2_DATA_ENTRY(j) ::tvml::exp_tables::kValues.exp2_data[j],

// 2^(j/1024), exported.
extern "C" TVML_API const double LUT_exp_1024[1024] = {TVML_EXP_TABLE_ROWS_1024(TVML_EXP_1024_ENTRY)};

namespace tvml {
namespace avx2 {

const double LUT_exp_128[128] = {TVML_EXP_TABLE_ROWS_128(TVML_EXP_128_ENTRY)};
const uint64_t exp2_data[128] = {TVML_EXP_TABLE_ROWS_128(TVML_EXP2_DATA_ENTRY)};

}  // namespace avx2
}  // namespace tvml
