#pragma once

/* Small XML report documents: the number in "/report/version". Parsing never
 * touches the network and never loads or substitutes entities. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _ReportDocument {
    uint32_t version;
    void *document; /* the parsed xmlDoc, owned */
} _ReportDocument;

/* A new record with the parsed document (version 0), or NULL when the text
 * is not well-formed XML or cannot be read. */
_ReportDocument *report_document_from_file(const char *path);
_ReportDocument *report_document_from_memory(const void *bytes, size_t length);
/* Evaluates "/report/version": when it selects a node, its text's leading
 * digits (0 when none; clamped to 32 bits) become the version and the result
 * is 1; otherwise 0. */
int report_document_read_version(_ReportDocument *record);
/* Frees the document and the record; NULL is ignored. */
void report_document_free(_ReportDocument *record);

#ifdef __cplusplus
}
#endif
