#include "interface/intake.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "simulation/run_simulation.h"

namespace quenlor {

namespace {

bool fileExists(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

}  // namespace

void setDataDirectory(ModelState& state, const char* text, int length) {
    int n = length > 0 ? length : 0;
    if (n > kDllPathLength) n = kDllPathLength;
    std::memset(state.dllPath.chars, ' ', kDllPathLength);
    if (n > 0) std::memcpy(state.dllPath.chars, text, static_cast<std::size_t>(n));
}

void orderContrastsAndHeights(ModelParameters& p) {
    if (p.stressContrast2 < p.stressContrast1) std::swap(p.stressContrast1, p.stressContrast2);
    if (p.height2 > p.height1) std::swap(p.height1, p.height2);
}

void buildDataFilePath(const ModelState& state, const char* fileName, char (&path)[kFilePathLength + 1]) {
    const int n = state.workingPath.trimmedLength();
    std::memcpy(path, state.workingPath.chars, static_cast<std::size_t>(n));
    const std::size_t nameLength = std::strlen(fileName);
    std::memcpy(path + n, fileName, nameLength);
    path[n + nameLength] = '\0';
}

void storeParameters(ModelState& state, const double* parameters, const double* layer) {
    ModelParameters& p = state.parameters;
    p.wellboreVolume = parameters[0];
    p.fractureFaceSkin = parameters[1];
    p.halfLength = parameters[2];
    p.height1 = parameters[3];
    p.height2 = parameters[4];
    p.conductivity = parameters[5];
    p.stressContrast1 = parameters[6];
    p.stressContrast2 = parameters[7];
    p.closureTime = parameters[8];
    p.shrinkageDelay = parameters[9];
    p.youngModulus = parameters[10];
    p.poissonRatio = parameters[11];

    LayerProperties& l = state.layer;
    l.permeability = layer[0];
    l.thickness = layer[1];
    l.wellRadius = layer[2];
    l.viscosity = layer[5];
    l.totalCompressibility = layer[6];
    l.porosity = layer[7];
    l.rateFactor = layer[8];

    state.effectiveCompressibility =
        l.totalCompressibility + 3.0 * (1.0 - 2.0 * p.poissonRatio) / (p.youngModulus * l.porosity);
    orderContrastsAndHeights(p);
}

void setActiveLayer(ModelState& state, int /*parameterCount: always 12*/, const double* parameters,
                    const double (&layer)[kLayerValueCount]) {
    storeParameters(state, parameters, layer);

    // Working path: the directory without trailing blanks, cut or padded to 80.
    int n = state.dllPath.trimmedLength();
    if (n > kWorkingPathLength) n = kWorkingPathLength;
    std::memset(state.workingPath.chars, ' ', kWorkingPathLength);
    std::memcpy(state.workingPath.chars, state.dllPath.chars, static_cast<std::size_t>(n));

    char path[kFilePathLength + 1];
    buildDataFilePath(state, kControlFileName, path);
    if (!fileExists(path)) return;
    buildDataFilePath(state, kGridFileName, path);
    if (!fileExists(path)) return;
    runSimulation(state);
}

}  // namespace quenlor
