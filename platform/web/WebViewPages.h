#pragma once

// Makes web views render their pages with HtmlDocument: text pages, local
// file URLs, and http and https pages with their pictures and style sheets.
//
// A network page is fetched on pf::URLConnection (off the main thread) with
// the request's time-out and cache policy (the time-out bounds each wait and
// the whole load, redirects, style sheets and pictures included: past it the
// page fails with -1001, and a picture or sheet not in yet stays missing), through the shared URL cache
// unless the policy ignores it, and with the origin's cookies. Redirects are
// followed by hand (at most kMaxWebRedirects, http and https only) once the
// view's delegate has allowed each target. A host the platform's
// reachability calls unreachable fails at once with -1009; transport
// failures carry their URL-error code (pf::urlError) and description. A page
// over kMaxHtmlBytes fails as soon as that shows (its declared length, else
// its bytes), so it is never half-drawn; a picture that does not decode
// (over the image codec's pixel cap included) stays blank. Pictures and
// style sheets are fetched together once the page's text is in, and the
// page is made again when style sheets arrive; pictures decode on a queue of
// their own; then the page is handed over whole.
//
// Main thread, before the first load.

namespace pf {

inline constexpr int kMaxWebRedirects = 10;

void useHtmlDocumentsInWebViews();

}
