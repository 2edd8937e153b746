#include "gdi_object.h"

namespace karvolt {

Font DialogFontForDpi(UINT dpi)
{
    // The classic dialog font at 8 points: what Windows gives dialogs and their controls
    // by default, mapped to the system's own dialog face.
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
    return Font(CreateFontIndirectW(&font));
}

} // namespace karvolt
