// Intake of a parameter set from the host, and the decision to run.
//
// setActiveLayer stores the twelve parameters (catalogue order) and the
// used layer values, derives the effective compressibility
//   ce = ct + 3 (1 - 2 nu) / (E phi)   (1/psi; rock compressibility of the
//   fracture faces added to the fluid and pore compressibility),
// orders the stress contrasts (stressContrast1 <= stressContrast2) and
// the part-heights (height1 >= height2), and runs the simulation when both
// data files exist in the data directory. The directory text (dllPath, up
// to 100 characters) is cut at 80 characters and the file names are
// appended with no separator, so the directory must end with one.
// Nothing is validated: the host's values are used as given.
#pragma once

#include "state/model_state.h"

namespace quenlor {

// Stores text[0..length) as the data directory (length <= 0 clears it;
// the text is cut at 100 characters; NUL bytes are not looked for).
void setDataDirectory(ModelState& state, const char* text, int length);

// layer: the host's nine layer values (values 4 and 5 are ignored).
void setActiveLayer(ModelState& state, int parameterCount, const double* parameters,
                    const double (&layer)[kLayerValueCount]);

// Stores the twelve parameters and the used layer values (the host's nine,
// values 4 and 5 ignored), derives the effective compressibility and puts
// the contrasts and part-heights in order: the part of the intake that
// does not look at the data directory.
void storeParameters(ModelState& state, const double* parameters, const double* layer);

// Puts the contrasts and part-heights in the order the model relies on.
void orderContrastsAndHeights(ModelParameters& parameters);

// Writes the working path followed by fileName into path (a buffer of
// kFilePathLength + 1 characters), NUL-terminated.
void buildDataFilePath(const ModelState& state, const char* fileName, char (&path)[kFilePathLength + 1]);

}  // namespace quenlor
