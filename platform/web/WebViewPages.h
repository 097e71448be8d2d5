#pragma once

// Makes web views render their pages with HtmlDocument: text pages and local
// file URLs; other schemes fail with HtmlDocumentError::UnsupportedURL.
//
// Main thread, before the first load.

namespace pf {

void useHtmlDocumentsInWebViews();

}
