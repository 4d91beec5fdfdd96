// Empty operations of the engine objects still to be written (see placeholders.h).
#include "core/placeholders.h"

void ScreenFader::load(ResourcePack&, const char*) {}
void ScreenFader::update(const WaypointPath&) {}
void ScreenFader::draw() {}
void HelpScreen::load(ResourcePack&, const char*) {}
void HelpScreen::update() {}
void HelpScreen::draw() {}
void BitmapFont::loadFontFromPack(ResourcePack&, const char*) {}
void ShaderSet::loadProgramFromPack(ResourcePack&, const char*, const char*, int) {}
void Water::setup(ResourcePack&, const char*, float, float, bool) {}
void Water::renderReflection() {}
void Water::renderRefraction() {}
void Water::draw() {}
void Terrain::load(float, ResourcePack&, const char*, const char*, const char*, const char*, const char*) {}
void Terrain::setScale(float, float, float) {}
void Terrain::setOffset(float, float, float) {}
void drawScene(int) {}
void drawOverlays() {}
