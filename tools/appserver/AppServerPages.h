#pragma once

// The static pages the application's browser shows: GET
// "/pages/agreement.html" (the user agreement: a coloured heading block, a
// picture and a link to the privacy page), "/pages/privacy.html" and the
// agreement's picture "/pages/agreement.png", drawn from a picture recipe
// on first request. Every other path under "/pages/" answers 404.

namespace httplib {
class Server;
}

namespace zmr {

// The colours of the two pages' heading blocks, "#rrggbb", for tests that
// probe a drawn page.
inline constexpr const char* kAgreementBlockColour = "#2e86de";
inline constexpr const char* kPrivacyBlockColour = "#27ae60";

void addPageRoutes(httplib::Server& server);

}
