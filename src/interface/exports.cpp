// The exported face of the model: a thin layer over the core that owns
// the one process-wide state. Catalogue queries for an index outside 1..12
// leave their outputs untouched. Every function runs in the model's own
// floating-point environment and gives the host back its own.
#include "interface/exports.h"

#include <cstring>

#include "interface/catalogue.h"
#include "interface/fp_environment.h"
#include "interface/intake.h"
#include "interface/response_lookup.h"
#include "state/model_state.h"

namespace {

// Zero at load, texts blank (set by the record's constructor at load time).
quenlor::ModelState g_state;

quenlor::ModelState& processState() { return g_state; }

}  // namespace

QUENLOR_EXPORT void QUENLOR_CALL EL_CDImplementedYet(std::int32_t* flag) {
    const quenlor::FloatingPointGuard floatingPoint;
    *flag = 1;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_GetEnumDefaultIndex(std::int32_t index, std::int32_t* enumIndex) {
    const quenlor::FloatingPointGuard floatingPoint;
    if (quenlor::catalogueEntry(index)) *enumIndex = 0;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_GetMainParameterInfo(std::int32_t index, char* longName, char* shortName,
                                                         std::int32_t* mainInfo) {
    const quenlor::FloatingPointGuard floatingPoint;
    const quenlor::CatalogueEntry* e = quenlor::catalogueEntry(index);
    if (!e) return;
    quenlor::writeTextField(longName, e->longName);
    quenlor::writeTextField(shortName, e->shortName);
    *mainInfo = 0;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_GetModelName(char* name) {
    const quenlor::FloatingPointGuard floatingPoint;
    quenlor::writeTextField(name, quenlor::kModelName);
}

QUENLOR_EXPORT void QUENLOR_CALL EL_GetNumberOfEnums(std::int32_t index, std::int32_t* count) {
    const quenlor::FloatingPointGuard floatingPoint;
    if (quenlor::catalogueEntry(index)) *count = 0;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_GetNumberOfParameters(std::int32_t* count) {
    const quenlor::FloatingPointGuard floatingPoint;
    *count = quenlor::kParameterCount;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_GetRealParameterInfo(std::int32_t index, double* minimum, double* maximum,
                                                         double* defaultValue, std::int32_t* unitCode, char* label,
                                                         std::int32_t* realInfo) {
    const quenlor::FloatingPointGuard floatingPoint;
    const quenlor::CatalogueEntry* e = quenlor::catalogueEntry(index);
    if (!e) return;
    *minimum = e->minimum;
    *maximum = e->maximum;
    *defaultValue = e->defaultValue;
    *unitCode = e->unitCode;
    quenlor::writeTextField(label, " ");
    *realInfo = 0;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_GetRealSpaceSolution(double time, double* pressure) {
    const quenlor::FloatingPointGuard floatingPoint;
    *pressure = quenlor::lookupResponse(processState(), time);
}

QUENLOR_EXPORT void QUENLOR_CALL EL_InitDll() {
    const quenlor::FloatingPointGuard floatingPoint;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_SetActiveLayerFullModel(std::int32_t /*ignored*/, const double* parameters,
                                                            double layer1, double layer2, double layer3,
                                                            double layer4, double layer5, double layer6,
                                                            double layer7, double layer8, double layer9) {
    const quenlor::FloatingPointGuard floatingPoint;
    const double layer[quenlor::kLayerValueCount] = {layer1, layer2, layer3, layer4, layer5,
                                                     layer6, layer7, layer8, layer9};
    quenlor::setActiveLayer(processState(), quenlor::kParameterCount, parameters, layer);
}

QUENLOR_EXPORT void QUENLOR_CALL EL_SetDllPath(const char* text, std::int32_t length) {
    const quenlor::FloatingPointGuard floatingPoint;
    quenlor::setDataDirectory(processState(), text, length);
}

QUENLOR_EXPORT void QUENLOR_CALL EL_SkinImplementedYet(std::int32_t* flag) {
    const quenlor::FloatingPointGuard floatingPoint;
    *flag = 1;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_SolutionType(std::int32_t* type) {
    const quenlor::FloatingPointGuard floatingPoint;
    *type = 1;
}

QUENLOR_EXPORT void QUENLOR_CALL EL_Support2P(std::int32_t* flag) {
    const quenlor::FloatingPointGuard floatingPoint;
    *flag = 0;
}
