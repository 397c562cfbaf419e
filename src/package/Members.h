// The names of the package's members, as stored (code page 932 bytes; all
// of them ASCII). Looked up case-insensitively, written as spelled here.
#pragma once

inline constexpr char kSettingsMember[] = "setting.csv";
inline constexpr char kSizesMember[] = "filesize";
inline constexpr char kHashesMember[] = "filehash";
inline constexpr char kLauncherPictureMember[] = "setup.bmp";
inline constexpr char kWizardPictureMember[] = "install.bmp";
