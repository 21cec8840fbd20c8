// Constant table of the double arc tangent, as bit patterns.  Plain data:
// no SIMD code, so baseline test code may compile this unit too.
#include "invtrig_tables.hpp"

namespace tvml {
namespace avx2 {

alignas(32) const double atan_data[32] = {
    0x0p+0,                 // 0x0000000000000000  atan(0/4)
    0x1.f5b75f92c80ddp-3,   // 0x3FCF5B75F92C80DD  atan(1/4)
    0x1.dac670561bb4fp-2,   // 0x3FDDAC670561BB4F  atan(2/4)
    0x1.4978fa3269ee1p-1,   // 0x3FE4978FA3269EE1  atan(3/4)
    0x1.921fb54442d18p-1,   // 0x3FE921FB54442D18  atan(4/4)
    0x1.cac7c57846f9ep-1,   // 0x3FECAC7C57846F9E  atan(5/4)
    0x1.f730bd281f69bp-1,   // 0x3FEF730BD281F69B  atan(6/4)
    0x1.0d38f2c5ba09fp+0,   // 0x3FF0D38F2C5BA09F  atan(7/4)
    0x1.1b6e192ebbe44p+0,   // 0x3FF1B6E192EBBE44  atan(8/4)
    0x1.270ef55a53a25p+0,   // 0x3FF270EF55A53A25  atan(9/4)
    0x1.30b6d796a4da8p+0,   // 0x3FF30B6D796A4DA8  atan(10/4)
    0x1.38d6a6ce13353p+0,   // 0x3FF38D6A6CE13353  atan(11/4)
    0x1.3fc176b7a856p+0,    // 0x3FF3FC176B7A8560  atan(12/4)
    0x1.45b54837351ap+0,    // 0x3FF45B54837351A0  atan(13/4)
    0x1.4ae10fc6589a5p+0,   // 0x3FF4AE10FC6589A5  atan(14/4)
    0x1.4f68dea672617p+0,   // 0x3FF4F68DEA672617  atan(15/4)
    0x1.5368c951e9cfdp+0,   // 0x3FF5368C951E9CFD  atan(16/4)
    0x1.56f6f33a3e6a7p+0,   // 0x3FF56F6F33A3E6A7  atan(17/4)
    0x1.5a25052114e6p+0,    // 0x3FF5A25052114E60  atan(18/4)
    0x1.5d013c41adabdp+0,   // 0x3FF5D013C41ADABD  atan(19/4)
    0x1.5f97315254857p+0,   // 0x3FF5F97315254857  atan(20/4)
    0x1.61f06c6a92b89p+0,   // 0x3FF61F06C6A92B89  atan(21/4)
    0x1.6414d44094c7cp+0,   // 0x3FF6414D44094C7C  atan(22/4)
    0x1.660b02c736a06p+0,   // 0x3FF660B02C736A06  atan(23/4)
    0x1.67d8863bc99bdp+0,   // 0x3FF67D8863BC99BD  atan(24/4)
    0x1.698213a9d5053p+0,   // 0x3FF698213A9D5053  atan(25/4)
    0x1.6b0bae830c07p+0,    // 0x3FF6B0BAE830C070  atan(26/4)
    0x1.6c78c7edeb195p+0,   // 0x3FF6C78C7EDEB195  atan(27/4)
    0x1.6dcc57bb565fdp+0,   // 0x3FF6DCC57BB565FD  atan(28/4)
    0x1.6f08f07435fecp+0,   // 0x3FF6F08F07435FEC  atan(29/4)
    0x1.7030cf9403197p+0,   // 0x3FF7030CF9403197  atan(30/4)
    0x1.7145eac2088a4p+0,   // 0x3FF7145EAC2088A4  atan(31/4)
};

}  // namespace avx2
}  // namespace tvml
