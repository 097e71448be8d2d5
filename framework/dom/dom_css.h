#pragma once

/* The style-sheet parser: reads a NUL-terminated style-sheet text into rules
 * and reports them through a table of callbacks.
 *
 * Grammar: rules are `selector { key: value; key: value }`. Blanks inside a
 * selector and a key are dropped ("a b" names the rule "ab"); a value keeps
 * every byte after the blanks that follow ":" up to ";" or "}", trailing
 * blanks included ('width: 100 ;' stores "100 "). Between rules, "//" starts
 * a comment to the end of the line and "/" "*" one to the next "*" "/";
 * inside a rule both are ordinary characters.
 *
 * Every callback receives the table first and the caller's user data last.
 * Each handle that new_style returns is released exactly once; it is handed
 * to add_style first only when its rule was closed by "}". Keys and values
 * are never NULL (empty text when nothing was written). Runs on the calling
 * thread. */

#ifdef __cplusplus
extern "C" {
#endif

typedef struct dom_css_callbacks dom_css_callbacks;

struct dom_css_callbacks {
    /* A new style named by the selector. A NULL result skips the rule. */
    void *(*new_style)(dom_css_callbacks *table, const char *selector, void *user);
    void (*set_value)(dom_css_callbacks *table, void *style, const char *key, const char *value, void *user);
    void (*add_style)(dom_css_callbacks *table, void *sheet, void *style, void *user);
    void (*release)(dom_css_callbacks *table, void *style, void *user);
};

/* Parses `text` into `sheet`. 1 when the text ended between rules (a line
 * comment may run to the end); 0 for a NULL table or text, or when the text
 * ends inside a rule or a block comment: the unfinished rule is released
 * without being added, and the rules before it stay added. */
int dom_css_parse(dom_css_callbacks *table, const char *text, void *sheet, void *user);

#ifdef __cplusplus
}
#endif
