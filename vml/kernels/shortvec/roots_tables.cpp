// Constant tables of the cube root and of the 4-float power, as bit
// patterns.  Plain data: no SIMD code, so baseline test code may compile
// this unit too.
#include "roots_tables.hpp"

namespace tvml {
namespace avx2 {

const float cbrts_factor[5] = {
    0x1.428a30p-1f,  // 0x3F214518  2^(-2/3)
    0x1.965feap-1f,  // 0x3F4B2FF5  2^(-1/3)
    0x1p+0f,         // 0x3F800000  1
    0x1.428a30p+0f,  // 0x3FA14518  2^(1/3)
    0x1.965feap+0f,  // 0x3FCB2FF5  2^(2/3)
};

const double cbrtd_factor[5] = {
    0x1.428a2f98d728ap-1,  // 0x3FE428A2F98D728A  2^(-2/3), one unit below
    0x1.965fea53d6e3cp-1,  // 0x3FE965FEA53D6E3C  2^(-1/3), one unit below
    0x1p+0,                // 0x3FF0000000000000  1
    0x1.428a2f98d728bp+0,  // 0x3FF428A2F98D728B  2^(1/3)
    0x1.965fea53d6e3dp+0,  // 0x3FF965FEA53D6E3D  2^(2/3)
};

const uint32_t exp2f_data[32] = {
    0x3F800000, 0x3F7ECD87, 0x3F7DAAC3, 0x3F7C980F, 0x3F7B95C2, 0x3F7AA43A, 0x3F79C3D3, 0x3F78F4F0,
    0x3F7837F0, 0x3F778D3A, 0x3F76F532, 0x3F767043, 0x3F75FED7, 0x3F75A15B, 0x3F75583F, 0x3F7523F6,
    0x3F7504F3, 0x3F74FBAF, 0x3F7508A4, 0x3F752C4D, 0x3F75672A, 0x3F75B9BE, 0x3F76248C, 0x3F76A81E,
    0x3F7744FD, 0x3F77FBB8, 0x3F78CCDF, 0x3F79B907, 0x3F7AC0C7, 0x3F7BE4BA, 0x3F7D257D, 0x3F7E83B3,
};

}  // namespace avx2
}  // namespace tvml
