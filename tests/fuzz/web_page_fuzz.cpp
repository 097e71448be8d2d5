// Links: pf_web
// Takes arbitrary bytes as a page fetched over http, as a web view makes it:
// the work budget decides first, then the page is laid out 320 points wide
// and its first screen drawn, its links and title asked for. Nothing may
// crash; a page that was accepted has a finite size and is laid out and
// drawn within the work bound (generously timed, as the fuzzer's sanitizers
// slow everything down several times over).

#include "FontLeakSuppressions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/web/HtmlDocument.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view html(reinterpret_cast<const char*>(data), size);
    auto started = std::chrono::steady_clock::now();
    // Pictures and sheets it asks for are never given: a network page reads no local files.
    auto resources = std::make_shared<pf::HtmlResources>();
    resources->styleSheets["http://127.0.0.1/a.css"] = "p { color: red } * * div { margin: 1px }";
    auto page = pf::HtmlDocument::create(html, pf::URL::create("http://127.0.0.1/index.html"), resources);
    if (!page)
        return 0;
    for (const auto& missing : page.value()->missingImages())
        page.value()->setImage(missing, nullptr);
    pf::Size content = page.value()->layout(320, 568);
    if (!std::isfinite(content.width) || !std::isfinite(content.height) || content.width < 0 || content.height < 0)
        std::abort();
    static auto bitmap = pf::Bitmap::create(80, 142, 0.25).value();
    auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
    page.value()->draw(*context, {0, 0, 320, 568});
    (void)page.value()->linkAtPoint({160, 20});
    (void)page.value()->linkWithText("x");
    (void)page.value()->title();
    if (std::chrono::steady_clock::now() - started > std::chrono::seconds(20))
        std::abort(); // over the work bound
    return 0;
}
