// The fourteen functions the host calls, with C linkage.
//
// Every function has the C calling convention (on 32-bit Windows: __cdecl,
// arguments pushed right to left and removed by the caller), no return
// value, results through pointers; text outputs need 80-byte buffers. The
// host calls one function at a time on one thread; the library keeps one
// process-wide model state and takes no lock.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define QUENLOR_CALL __cdecl
#define QUENLOR_EXPORT extern "C"
#else
#define QUENLOR_CALL
#define QUENLOR_EXPORT extern "C" __attribute__((visibility("default")))
#endif

QUENLOR_EXPORT void QUENLOR_CALL EL_CDImplementedYet(std::int32_t* flag);
QUENLOR_EXPORT void QUENLOR_CALL EL_GetEnumDefaultIndex(std::int32_t index, std::int32_t* enumIndex);
QUENLOR_EXPORT void QUENLOR_CALL EL_GetMainParameterInfo(std::int32_t index, char* longName, char* shortName,
                                                         std::int32_t* mainInfo);
QUENLOR_EXPORT void QUENLOR_CALL EL_GetModelName(char* name);
QUENLOR_EXPORT void QUENLOR_CALL EL_GetNumberOfEnums(std::int32_t index, std::int32_t* count);
QUENLOR_EXPORT void QUENLOR_CALL EL_GetNumberOfParameters(std::int32_t* count);
QUENLOR_EXPORT void QUENLOR_CALL EL_GetRealParameterInfo(std::int32_t index, double* minimum, double* maximum,
                                                         double* defaultValue, std::int32_t* unitCode, char* label,
                                                         std::int32_t* realInfo);
QUENLOR_EXPORT void QUENLOR_CALL EL_GetRealSpaceSolution(double time, double* pressure);
QUENLOR_EXPORT void QUENLOR_CALL EL_InitDll();
QUENLOR_EXPORT void QUENLOR_CALL EL_SetActiveLayerFullModel(std::int32_t ignored, const double* parameters,
                                                            double layer1, double layer2, double layer3,
                                                            double layer4, double layer5, double layer6,
                                                            double layer7, double layer8, double layer9);
QUENLOR_EXPORT void QUENLOR_CALL EL_SetDllPath(const char* text, std::int32_t length);
QUENLOR_EXPORT void QUENLOR_CALL EL_SkinImplementedYet(std::int32_t* flag);
QUENLOR_EXPORT void QUENLOR_CALL EL_SolutionType(std::int32_t* type);
QUENLOR_EXPORT void QUENLOR_CALL EL_Support2P(std::int32_t* flag);
