// Empty operations of the engine objects still to be written (see placeholders.h).
#include "core/placeholders.h"

void ShaderSet::loadProgramFromPack(ResourcePack&, const char*, const char*, int) {}
void Water::setup(ResourcePack&, const char*, float, float, bool) {}
void Water::renderReflection() {}
void Water::renderRefraction() {}
void Water::draw() {}
void Terrain::load(float, ResourcePack&, const char*, const char*, const char*, const char*, const char*) {}
void Terrain::setScale(float, float, float) {}
void Terrain::setOffset(float, float, float) {}
void drawScene(int) {}
