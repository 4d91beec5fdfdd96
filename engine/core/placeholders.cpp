// Empty operations of the engine objects still to be written (see placeholders.h).
#include "core/placeholders.h"

void ScreenFader::load(ResourcePack&, const char*) {}
void ScreenFader::update(const WaypointPath&) {}
void ScreenFader::draw() {}
void HelpScreen::load(ResourcePack&, const char*) {}
void HelpScreen::update() {}
void HelpScreen::draw() {}
void BitmapFont::loadFontFromPack(ResourcePack&, const char*) {}
void drawOverlays() {}
