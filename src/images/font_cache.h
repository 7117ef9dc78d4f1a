// The fonts text is drawn with, made once per process instead of at every paint: asking GDI+
// for a family by name walks the installed fonts, and a window of thousands of labels in a few
// fonts asked for the same few families thousands of times per paint. Kept beside the image
// cache and emptied with it, while GDI+ is still up; UI thread only.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>

namespace velmor {

// The font of family 'face' at 'size' pixels with GDI+ FontStyle bits 'style'. A face GDI+ does
// not know is handed to the platform's font mapper, which picks the nearest installed font.
// Null when no font can be made. The pointer holds until the next call.
const Gdiplus::Font* SkinFont(const std::wstring& face, int32_t size, int32_t style);

// The font GDI+ makes of 'logfont' through the screen's device context. Null when none.
const Gdiplus::Font* FontFromLogfont(const LOGFONTW& logfont);

// Frees every kept font.
void EmptyFontCache();

}  // namespace velmor
