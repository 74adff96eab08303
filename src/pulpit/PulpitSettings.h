#pragma once

// The sermon length and preaching view choices, kept in the per-user
// settings of the program (organisation and application "Vellumor", group
// "Settings"). Values that are missing or out of range read as the
// defaults, or the nearest value allowed.
namespace PulpitSettings {

// Words per minute for the speaking time ("SpeakingRate", default 130).
int speakingRate();
void setSpeakingRate(int wordsPerMinute);

// The preaching view's zoom in percent ("PreachZoom", default 100).
constexpr int DefaultZoom = 100;
int preachZoom();
void setPreachZoom(int percent);

// Light text on black in the preaching view ("PreachDark", default off).
bool preachDark();
void setPreachDark(bool dark);

} // namespace PulpitSettings
