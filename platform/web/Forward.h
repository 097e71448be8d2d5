#pragma once

namespace pf {

class HtmlDocument;
class HtmlPainter;

}
