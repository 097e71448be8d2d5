// The renderer parses the markup it is handed once more: it must build the
// tree the census counted, or the work budget and the depth bound describe
// another page than the one laid out.

#include "platform/web/HtmlDocument.h"
#include "platform/web/HtmlSanitizer.h"

#include <gtest/gtest.h>

using namespace pf;

TEST(HtmlSanitizer, WrittenMarkupParsesBackToTheTreeItCounted)
{
    const char* rows[] = {
        "<p>plain <b>text</b></p><table>x<tr><td>a<td colspan=0>b</table>",
        "<style>p { color: red }</style><xmp><b>raw</b></xmp><iframe><i>x</i></iframe><plaintext><i>all text",
        // Names the parser closes svg and math at must not be written inside them.
        "<svg><x@y></x@y><g><g>deep</g></g></svg><p>after",
        "<math><x@y></x@y><mi>x</mi><mrow><mn>1</mn></mrow></math>",
        "<svg><plaintext></plaintext><g>y</g></svg>",
        "<svg><font>x</font><font color=red>y</font></svg>",
        // Inside svg, elements read as HTML keep HTML's rules.
        "<svg><foreignObject><x@y></x@y><p>html</p></foreignObject><desc><x@y>t</x@y></desc></svg>",
        // Text that is raw in HTML is ordinary text inside svg.
        "<svg><style>&lt;div&gt;&lt;div&gt;x</style></svg>",
        "<svg><style><g>a { color: red }</g>b { }<![CDATA[i { }]]></style></svg>",
        "<svg><xmp>&lt;b&gt;</xmp><iframe>&lt;i&gt;</iframe><noembed>&lt;p&gt;</noembed></svg>",
    };
    for (const char* html : rows) {
        SCOPED_TRACE(html);
        auto once = sanitizedHtml(html, kMaxHtmlDepth);
        ASSERT_TRUE(once);
        auto again = sanitizedHtml(once->markup, kMaxHtmlDepth);
        ASSERT_TRUE(again);
        const HtmlCensus &a = once->census, &b = again->census;
        EXPECT_EQ(b.elements, a.elements);
        // Elements within a style element are measured but not written back.
        EXPECT_LE(b.depth, a.depth);
        EXPECT_EQ(b.elementDepths, a.elementDepths);
        EXPECT_EQ(b.tags, a.tags);
        EXPECT_EQ(b.textRuns, a.textRuns);
        EXPECT_EQ(b.textBytes, a.textBytes);
        ASSERT_EQ(b.styleSheets.size(), a.styleSheets.size());
        // Each sheet gains the line breaks it was written back with.
        for (size_t i = 0; i < a.styleSheets.size(); ++i)
            EXPECT_EQ(b.styleSheets[i], kStyleSheetStart + a.styleSheets[i]);
    }
}
