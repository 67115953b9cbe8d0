#pragma once

// The product's names and colour, shared by every layer: the user folders,
// the settings store, the update check and the windows all use the same words.
namespace Product {

constexpr const char *Name = "Orvane Twinscan";
constexpr const char *Organisation = "Orvane";
// The name the desktop's power management shows for our inhibitor.
constexpr const char *ShortName = "Twinscan";
constexpr const char *AccentColor = "#3b99fc";
// The desktop entry, metainfo and icon theme name of the installed program.
constexpr const char *DesktopId = "com.orvane.Twinscan";

} // namespace Product
