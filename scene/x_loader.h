// Reads an X file into a model's frame hierarchy through the X file services.
#pragma once

#include <string>

#include "platform/xfile/dxfile.h"
#include "scene/animated_model.h"

// Copies fileName into destination (AnimatedModel::kPathCapacity characters) and checks that the
// file can be opened for reading. E_INVALIDARG for a null pointer; E_FAIL when the file cannot be
// opened (`cause`, when given, then says why; nothing is printed) or the name does not fit
// (destination then holds an empty text, and a message says so on stderr).
HRESULT FindFile(char* destination, const char* fileName, std::string* cause = nullptr);

// Loads the file named by model.path into a new hierarchy that replaces the model's current one.
HRESULT LoadHierarchy(AnimatedModel& model);

// Acts on one data object by its template, below `frame`.
HRESULT ReadDataObject(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame);
// Builds one mesh container from a Mesh object into frame.
HRESULT ReadMesh(IDirectXFileData* object, ModelFrame& frame);
// Builds the frame of an AnimationSet and reads its Animations.
HRESULT ReadAnimationSet(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame);
// Builds one animation frame with its key tracks and target.
HRESULT ReadAnimation(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame);
