// Links: kr_ui
// Style texts come from interface files a screen issue may edit by hand: any
// bytes read as a colour, font, number, edge or image text must convert to a
// value or nothing, never read past the text or stretch with absurd caps.
#include "FontLeakSuppressions.h"
#include "framework/ui/KRStyleSheet.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (pf::setLogLevel(pf::LogLevel::Error), true);
    (void)ready;
    static KRStyleSheet sheet;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    pf::Color color = KRStyleSheet::styleValueColor(text);
    if (!(color.alpha >= 0 && color.alpha <= 1))
        __builtin_trap();
    (void)KRStyleSheet::styleValueFont(text);
    (void)KRStyleSheet::styleValueFloat(text);
    (void)KRStyleSheet::styleValueEdge(text);
    if (text.find("..") == std::string_view::npos) // only ever below the bundle
        (void)sheet.styleValueImage(text);
    sheet.didReceiveMemoryWarning();
    return 0;
}
