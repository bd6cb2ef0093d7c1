// Application identity shared by the editor and the batch tool.
#pragma once

namespace ovik::app {

inline constexpr const char* kApplicationTitle = "Ovik";
inline constexpr const char* kOrganisation = "ZW";
inline constexpr const char* kSettingsApplication = "Ovik3.0wh";

const char* VersionString();

}  // namespace ovik::app
