#include "framework/util/report_document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <limits.h>
#include <stdlib.h>

/* No network, no entity substitution, no external DTD, quiet. */
static const int parse_options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

static _ReportDocument *wrap(xmlDocPtr document)
{
    if (!document)
        return NULL;
    _ReportDocument *record = calloc(1, sizeof *record);
    if (!record) {
        xmlFreeDoc(document);
        return NULL;
    }
    record->document = document;
    return record;
}

_ReportDocument *report_document_from_file(const char *path)
{
    if (!path)
        return NULL;
    xmlInitParser();
    return wrap(xmlReadFile(path, NULL, parse_options));
}

_ReportDocument *report_document_from_memory(const void *bytes, size_t length)
{
    if (!bytes || length == 0 || length > INT_MAX)
        return NULL;
    xmlInitParser();
    return wrap(xmlReadMemory(bytes, (int)length, NULL, NULL, parse_options));
}

/* Leading blanks, an optional sign, then digits, as the C conversion reads
 * them; negative numbers read as 0 and large ones as the 32-bit maximum. */
static uint32_t leading_number(const xmlChar *text)
{
    if (!text)
        return 0;
    char *end;
    long long value = strtoll((const char *)text, &end, 10);
    if (value < 0)
        return 0;
    if (value > UINT32_MAX)
        return UINT32_MAX;
    return (uint32_t)value;
}

/* The text of a node without following entity references, so that a
 * document's own entities never expand into the result. */
static void append_text(xmlNodePtr node, xmlBufferPtr out)
{
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (child->content)
                xmlBufferCat(out, child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            append_text(child, out);
        }
    }
}

int report_document_read_version(_ReportDocument *record)
{
    if (!record || !record->document)
        return 0;
    xmlXPathContextPtr context = xmlXPathNewContext((xmlDocPtr)record->document);
    if (!context)
        return 0;
    int found = 0;
    xmlXPathObjectPtr result = xmlXPathEvalExpression((const xmlChar *)"/report/version", context);
    if (result && result->type == XPATH_NODESET && result->nodesetval && result->nodesetval->nodeNr > 0) {
        xmlBufferPtr text = xmlBufferCreate();
        if (text) {
            append_text(result->nodesetval->nodeTab[0], text);
            record->version = leading_number(xmlBufferContent(text));
            xmlBufferFree(text);
            found = 1;
        }
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return found;
}

void report_document_free(_ReportDocument *record)
{
    if (!record)
        return;
    xmlFreeDoc((xmlDocPtr)record->document);
    free(record);
}
