#include "framework/util/KRReportDocument.h"

std::shared_ptr<KRReportDocument> KRReportDocument::adopt(_ReportDocument* document)
{
    if (!document)
        return nullptr;
    if (!report_document_read_version(document)) {
        report_document_free(document);
        return nullptr;
    }
    return std::shared_ptr<KRReportDocument>(new KRReportDocument(document));
}

std::shared_ptr<KRReportDocument> KRReportDocument::initWithFilePath(const std::string& path)
{
    return adopt(report_document_from_file(path.c_str()));
}

std::shared_ptr<KRReportDocument> KRReportDocument::initWithData(const pf::Bytes& data)
{
    return adopt(report_document_from_memory(data.data(), data.size()));
}

KRReportDocument::~KRReportDocument()
{
    report_document_free(m_document);
}
