#pragma once

// A small XML report document and its version number ("/report/version").

#include "framework/util/report_document.h"

#include "platform/foundation/Forward.h"

#include <memory>
#include <string>

class KRReportDocument {
public:
    // Null when the XML cannot be parsed or has no version.
    static std::shared_ptr<KRReportDocument> initWithFilePath(const std::string& path);
    static std::shared_ptr<KRReportDocument> initWithData(const pf::Bytes& data);
    ~KRReportDocument();

    const _ReportDocument* cDocument() const { return m_document; }

    KRReportDocument(const KRReportDocument&) = delete;
    KRReportDocument& operator=(const KRReportDocument&) = delete;

private:
    explicit KRReportDocument(_ReportDocument* document) : m_document(document) {}
    static std::shared_ptr<KRReportDocument> adopt(_ReportDocument* document);

    _ReportDocument* m_document = nullptr; // owned
};
