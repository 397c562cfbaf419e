// The package's two pictures as bitmaps the dialogs can show.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "win/Handles.h"

class CPackageFile;

// A DIB section holding the picture of a BMP member, or an empty owner when
// the member is not a picture whose headers, colour table and pixels all lie
// within it, or the system refuses the bitmap.
win::UniqueBitmap CreatePicture(const std::vector<char>& member);

// CreatePicture of the named member; empty when the package has none.
win::UniqueBitmap LoadPicture(CPackageFile& package, std::string_view memberName);
