#pragma once

/* The markup tokenizer: reads a NUL-terminated UTF-8 markup text in one pass
 * and reports tags, attributes and text through a table of callbacks, so it
 * knows nothing of the element classes it builds.
 *
 * Every callback receives the table first and the caller's user data last.
 * Each handle that new_element returns is released exactly once through
 * release, after the tokenizer is done with it; the parent handle given to
 * dom_html_parse is never released.
 *
 * The tokenizer never reads past the terminating NUL. Input that ends inside
 * a tag, a quoted value, a comment or right after a backslash makes the parse
 * fail (the unfinished tag is not reported), as does nesting deeper than
 * DOM_HTML_MAX_DEPTH levels; elements reported before the failure stay where
 * they were added, so callers that want all or nothing discard the result.
 * Runs on the calling thread; one parse at a time per table. */

#ifdef __cplusplus
extern "C" {
#endif

#define DOM_HTML_MAX_DEPTH 256

enum dom_html_case_mode {
    DOM_HTML_CASE_KEEP = 0,  /* tag and attribute names as written */
    DOM_HTML_CASE_UPPER = 1, /* ASCII a-z folded to upper case */
    DOM_HTML_CASE_LOWER = 2  /* ASCII A-Z folded to lower case */
};

typedef struct dom_html_callbacks dom_html_callbacks;

struct dom_html_callbacks {
    /* A new element for the tag; the prefix is "" when the tag has none.
     * Returning NULL makes the parse fail. */
    void *(*new_element)(dom_html_callbacks *table, const char *name, const char *ns, void *user);
    void (*set_attribute)(dom_html_callbacks *table, void *element, const char *name, const char *value,
                          void *user);
    /* May be NULL. Told how many attributes follow, before the first
     * set_attribute of an element that has any, so it can make room at once. */
    void (*will_set_attributes)(dom_html_callbacks *table, void *element, unsigned count, void *user);
    void (*add_child)(dom_html_callbacks *table, void *parent, void *child, void *user);
    /* Non-zero when the element has no children yet. */
    int (*is_empty)(dom_html_callbacks *table, void *element, void *user);
    void (*set_text)(dom_html_callbacks *table, void *element, const char *text, void *user);
    /* Non-zero when an element of this tag has content and a closing tag. */
    int (*has_body)(dom_html_callbacks *table, const char *name, const char *ns, void *user);
    void (*release)(dom_html_callbacks *table, void *element, void *user);
    int case_mode; /* enum dom_html_case_mode */
    void *owner;   /* the object the callbacks work on */
};

/* Parses `text` into children (and text) of `parent`. 1 when the whole input
 * was consumed, 0 otherwise (also for a NULL table or text, a stray closing
 * tag at the outermost level, or any of the failures above). */
int dom_html_parse(dom_html_callbacks *table, const char *text, void *parent, void *user);

#ifdef __cplusplus
}
#endif
